#include "aprs/CoordinateText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace vireo {
namespace {

TEST(CoordinateText, ConvertsToSignedDegrees) {
    EXPECT_FLOAT_EQ(Gmc_pToGrd("N42.00.00"), 42.0f);
    EXPECT_FLOAT_EQ(Gmc_pToGrd("E012.00.00"), 12.0f);
    EXPECT_FLOAT_EQ(Gmc_pToGrd("S33.25.64"), -33.4273333f);
    EXPECT_FLOAT_EQ(Gmc_pToGrd("W112.07.74"), -112.129f);
    EXPECT_FLOAT_EQ(Gmc_pToGrd("n42.30.50"), 42.508333f);
    EXPECT_FLOAT_EQ(Gmc_pToGrd("N42.30.5"), 42.508333f);
    EXPECT_FLOAT_EQ(Gmc_pToGrd("-42.30.00"), -42.5f);
    EXPECT_FLOAT_EQ(Gmc_pToGrd("42.30.00"), 42.5f);
    // Texts the form does not cover give 0 or a finite value, never a failure.
    EXPECT_EQ(Gmc_pToGrd("N42"), 0.0f);
    EXPECT_EQ(Gmc_pToGrd("Nxx.30.00"), 0.0f);
    EXPECT_EQ(Gmc_pToGrd(""), 0.0f);
    EXPECT_TRUE(std::isfinite(Gmc_pToGrd(std::string(400, '9') + ".00.00")));
}

TEST(CoordinateText, ValidatesLatitudesAndLongitudes) {
    for (const char* lat : {"N42.00.00", "S33.25.64", "n42.00.00", "N42.00.5", "N90.00.00",
                            "42.00.00", "-05.10.20"}) {
        EXPECT_TRUE(IsLatGmc_p(lat)) << lat;
    }
    for (const char* lat :
         {"N42.60.00", "N91.00.00", "N90.30.00", "N42.00", "N42.00.", "E42.00.00", "N4", "", "N",
          "...", "N42.0a.00", "N-42.00.00", "N42.00.00x", "N4x.00.00"}) {
        EXPECT_FALSE(IsLatGmc_p(lat)) << lat;
    }
    EXPECT_TRUE(IsLngGmc_p("E012.00.00"));
    EXPECT_TRUE(IsLngGmc_p("W112.07.74"));
    EXPECT_TRUE(IsLngGmc_p("w180.00.00"));
    EXPECT_FALSE(IsLngGmc_p("E181.00.00"));
    EXPECT_FALSE(IsLngGmc_p("N012.00.00"));
}

}  // namespace
}  // namespace vireo
