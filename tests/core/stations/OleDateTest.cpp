#include "stations/OleDate.h"

#include <gtest/gtest.h>

#include <limits>

namespace vireo {
namespace {

TEST(OleDateTest, KnownDatesAndRoundTrip) {
    EXPECT_EQ(ToOleDate({1899, 12, 30, 0, 0, 0, 0}), 0.0);
    EXPECT_EQ(ToOleDate({1900, 1, 1, 0, 0, 0, 0}), 2.0);
    EXPECT_DOUBLE_EQ(ToOleDate({2026, 12, 5, 14, 7, 0, 0}), 46361.0 + (14 * 60 + 7) / 1440.0);

    for (const LocalDateTime t :
         {LocalDateTime{2026, 12, 5, 14, 7, 31, 250}, LocalDateTime{2000, 2, 29, 23, 59, 59, 999},
          LocalDateTime{2099, 1, 1, 0, 0, 0, 1}}) {
        EXPECT_EQ(FromOleDate(ToOleDate(t)), t);
    }
}

TEST(OleDateTest, OutOfRangeValuesAreClamped) {
    EXPECT_EQ(FromOleDate(-1e300).year, 100);
    EXPECT_EQ(FromOleDate(1e300).year, 9999);
    EXPECT_EQ(FromOleDate(std::numeric_limits<double>::quiet_NaN()).year, 100);
}

}  // namespace
}  // namespace vireo
