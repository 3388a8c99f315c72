#include "earth/KmlCoordinate.h"
#include "text/Text.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <limits>
#include <random>

namespace vireo {
namespace {

// The standard conversion, which the fast one must match wherever it writes no exponent.
std::string Reference(float value) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 7);
    return std::string(buf, r.ptr);
}

// What the standard conversion (compared below) would write in exponent form, signed zeros, and
// an exact tie.
TEST(KmlTextTest, CoordinatesTheStandardConversionDoesNotCover) {
    EXPECT_EQ(CoordinateText(10.015625f), "10.01562");   // an exact tie rounds to even
    EXPECT_EQ(CoordinateText(9.9999997e-5f), "0.0001");  // rounding reaches the next power
    EXPECT_EQ(CoordinateText(0.0f), "0");
    EXPECT_EQ(CoordinateText(-0.0f), "-0");
    EXPECT_EQ(CoordinateText(1.234e-5f), "0.00001234");
    EXPECT_EQ(CoordinateText(-2.5e-9f), "-0.0000000025");
    EXPECT_EQ(CoordinateText(1.5e8f), "150000000");
    EXPECT_EQ(CoordinateText(std::numeric_limits<float>::denorm_min()).size(), 53u);
    EXPECT_EQ(CoordinateText(-std::numeric_limits<float>::max()).size(), 40u);
}

TEST(KmlTextTest, CoordinatesMatchTheStandardConversion) {
    // Random floats of every magnitude, and every float around the powers of ten.
    std::mt19937 random(7);
    std::uniform_int_distribution<std::uint32_t> bits;
    int compared = 0;
    const auto check = [&](float value) {
        const std::string expected = Reference(value);
        if (expected.find('e') != std::string::npos || !std::isfinite(value)) return;
        ASSERT_EQ(CoordinateText(value), expected) << std::bit_cast<std::uint32_t>(value);
        ++compared;
    };
    for (int i = 0; i < 200000; ++i) check(std::bit_cast<float>(bits(random)));
    std::uniform_real_distribution<float> degrees(-180, 180);
    for (int i = 0; i < 200000; ++i) check(degrees(random));
    for (float power = 1e-4f; power < 2e7f; power *= 10) {
        for (float sign : {1.0f, -1.0f}) {
            float v = sign * power;
            for (int i = 0; i < 2000; ++i) v = std::nextafter(v, 0.0f);
            for (int i = 0; i < 4000; ++i) {
                check(v);
                v = std::nextafter(v, sign * 1e30f);
            }
        }
    }
    EXPECT_GT(compared, 300000);
}

TEST(KmlTextTest, Numbers) {
    const std::pair<const char*, double> leading[] = {
        {"067", 67}, {"  12.5ab", 12.5}, {"-3", -3}, {"abc", 0}, {"", 0}, {"inf", 0}, {"1e999", 0}};
    for (const auto& [text, value] : leading) EXPECT_EQ(LeadingNumber(text), value) << text;
    EXPECT_EQ(StrictNumber(" 350 "), 350);
    EXPECT_EQ(StrictNumber("+1200"), 1200);
    EXPECT_EQ(StrictNumber("-73"), -73);
    for (const char* bad : {"", " ", "---", "35O", "nan", "inf", "1e999", "+-1", "1 2"}) {
        EXPECT_FALSE(StrictNumber(bad)) << bad;
    }
}

TEST(KmlTextTest, Escaping) {
    const auto with = [](void (*append)(std::string&, std::string_view), std::string_view text) {
        std::string out;
        append(out, text);
        return out;
    };
    EXPECT_EQ(with(AppendXmlText, "a&<>\"'\xB0\x01\t"), "a&amp;&lt;&gt;&quot;&apos;\xC2\xB0?\t");
    EXPECT_EQ(with(AppendUtf8, "<b>\xFF\x7F"), "<b>\xC3\xBF\x7F");
    EXPECT_EQ(with(AppendPercentEncoded, "N0CALL-9 a/b\"~_.\xE8"), "N0CALL-9%20a%2Fb%22~_.%E8");
    EXPECT_EQ(with(AppendCdataContent, "x]]>y]]]>\xE9"),
              "x]]]]><![CDATA[>y]]]]]><![CDATA[>\xC3\xA9");
}

}  // namespace
}  // namespace vireo
