#include "aprs/CoordinateText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace vireo {
namespace {

TEST(CoordinateText, ConvertsToSignedDegrees) {
    const std::pair<const char*, float> cases[] = {
        {"N42.00.00", 42.0f},      {"E012.00.00", 12.0f},     {"S33.25.64", -33.4273333f},
        {"W112.07.74", -112.129f}, {"n42.30.50", 42.508333f}, {"N42.30.5", 42.508333f},
        {"-42.30.00", -42.5f},     {"42.30.00", 42.5f}};
    for (const auto& [text, degrees] : cases) EXPECT_FLOAT_EQ(CoordinateToDegrees(text), degrees) << text;
    // Texts the form does not cover give 0 or a finite value, never a failure.
    for (const char* text : {"N42", "Nxx.30.00", ""}) EXPECT_EQ(CoordinateToDegrees(text), 0.0f) << text;
    EXPECT_TRUE(std::isfinite(CoordinateToDegrees(std::string(400, '9') + ".00.00")));
}

TEST(CoordinateText, ValidatesLatitudesAndLongitudes) {
    for (const char* lat : {"N42.00.00", "S33.25.64", "n42.00.00", "N42.00.5", "N90.00.00",
                            "42.00.00", "-05.10.20"}) {
        EXPECT_TRUE(IsLatitudeText(lat)) << lat;
    }
    for (const char* lat :
         {"N42.60.00", "N91.00.00", "N90.30.00", "N42.00", "N42.00.", "E42.00.00", "N4", "", "N",
          "...", "N42.0a.00", "N-42.00.00", "N42.00.00x", "N4x.00.00"}) {
        EXPECT_FALSE(IsLatitudeText(lat)) << lat;
    }
    for (const char* lng : {"E012.00.00", "W112.07.74", "w180.00.00"}) EXPECT_TRUE(IsLongitudeText(lng));
    for (const char* lng : {"E181.00.00", "N012.00.00"}) EXPECT_FALSE(IsLongitudeText(lng)) << lng;
}

}  // namespace
}  // namespace vireo
