// Coordinates as the document writes them, and the number rules that decide what it writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <random>

#include "earth/KmlCoordinate.h"
#include "text/Text.h"

namespace vireo {
namespace {

// Where the standard conversion would write an exponent, signed zeros, and an exact tie.
TEST(KmlTextTest, CoordinatesTheStandardConversionDoesNotCover) {
    EXPECT_EQ(CoordinateText(10.015625f), "10.01562");
    EXPECT_EQ(CoordinateText(9.9999997e-5f), "0.0001");  // rounding reaches the next power
    EXPECT_EQ(CoordinateText(0.0f) + CoordinateText(-0.0f), "0-0");
    EXPECT_EQ(CoordinateText(1.234e-5f), "0.00001234");
    EXPECT_EQ(CoordinateText(-2.5e-9f), "-0.0000000025");
    EXPECT_EQ(CoordinateText(1.5e8f), "150000000");
    EXPECT_EQ(CoordinateText(std::numeric_limits<float>::denorm_min()).size(), 53u);
    EXPECT_EQ(CoordinateText(-std::numeric_limits<float>::max()).size(), 40u);
}

// Elsewhere the standard conversion with 7 significant digits: random floats of every magnitude,
// random degrees, and every float around the powers of ten. A pair is written as the two alone.
TEST(KmlTextTest, CoordinatesMatchTheStandardConversion) {
    std::mt19937 random(7);
    int compared = 0;
    float previous = 0;
    const auto check = [&compared, &previous](float value) {
        for (const float v : {value, -value}) {
            char pair[2 * kMaxCoordinateChars + 1];
            ASSERT_EQ(std::string(pair, FormatCoordinatePair(previous, v, pair)),
                      CoordinateText(previous) + "," + CoordinateText(v));
            previous = v;
            char expected[64];
            const auto end =
                std::to_chars(expected, expected + 64, v, std::chars_format::general, 7).ptr;
            if (!std::isfinite(v) || std::find(expected, end, 'e') != end) continue;
            ASSERT_EQ(CoordinateText(v), std::string(expected, end))
                << std::bit_cast<std::uint32_t>(v);
            ++compared;
        }
    };
    std::uniform_real_distribution<float> degrees(-180, 180);
    for (int i = 0; i < 200000; ++i)
        check(std::bit_cast<float>(static_cast<std::uint32_t>(random())));
    for (int i = 0; i < 200000; ++i) check(degrees(random));
    for (float power = 1e-4f; power < 2e7f; power *= 10) {
        float v = power;
        for (int i = 0; i < 2000; ++i) v = std::nextafter(v, 0.0f);
        for (int i = 0; i < 4000; ++i, v = std::nextafter(v, 1e30f)) check(v);
    }
    EXPECT_GT(compared, 500000);
}

// Only a plain decimal number is written as an altitude or taken as the minimum range.
TEST(KmlTextTest, StrictNumbers) {
    const std::pair<const char*, std::optional<double>> strict[] = {
        {" 350 ", 350}, {"+1200", 1200}, {"-73", -73}, {"", {}},    {" ", {}},
        {"---", {}},    {"35O", {}},     {"nan", {}},  {"inf", {}}, {"1e999", {}},
        {"+-1", {}},    {"1 2", {}},     {"-", {}},    {"2.5", 2.5}};
    for (const auto& [text, value] : strict) {
        EXPECT_EQ(StrictNumber(text), value) << text;
        EXPECT_EQ(IsStrictNumber(text), value.has_value()) << text;
    }
}

}  // namespace
}  // namespace vireo
