// Round trip: a small encoder writes random valid packets of each format, and decoding them must
// give back what was put in. Positions are drawn near the equator and the poles, near Greenwich
// and the date line, in all four quadrants.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "aprs/Decoders.h"

namespace vireo {
namespace {

std::string HeaderTo(const std::string& destination) {
    return " 1:Fm N0CALL-9 To " + destination + " Via WIDE1-1 <UI pid=F0 Len=20 >[12:34:56]";
}

struct Draw {
    std::mt19937 rng{20240611};

    int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }
    bool Coin() { return Int(0, 1) == 1; }

    // Hundredths of a minute up to `limitDegrees`, often close to 0 or to the limit.
    int Angle(int nearHigh, int limitDegrees) {
        const int kind = Int(0, 2);
        if (kind == 0) return Int(0, 300);
        if (kind == 1) return std::min(limitDegrees * 6000, nearHigh + Int(-300, 300));
        return Int(0, limitDegrees * 6000);
    }
};

// "ddmm.hh" / "dddmm.hh" of an angle in hundredths of a minute.
std::string AngleText(int hundredths, int degreeDigits) {
    char out[16];
    std::snprintf(out, sizeof out, "%0*d%02d.%02d", degreeDigits, hundredths / 6000,
                  hundredths / 100 % 60, hundredths % 100);
    return out;
}

std::string CourseSpeedText(int course, double knots) {
    char out[16];
    std::snprintf(out, sizeof out, "%03d/%03ld", course, std::lround(knots * 1.852));
    return out;
}

std::string Base91(long value, std::size_t width) {
    std::string out(width, '!');
    for (std::size_t k = width; k-- > 0; value /= 91) out[k] = static_cast<char>(value % 91 + 33);
    return out;
}

TEST(RoundTrip, MicE) {
    Draw draw;
    static const char* kStandard[] = {"Emergency", "Priority",   "Special",  "Committed",
                                      "Returning", "In Service", "En Route", "Off Duty"};
    for (int i = 0; i < 3000; ++i) {
        const int lat = draw.Angle(89 * 6000, 89);
        const int lon = draw.Angle(179 * 6000 + 5999 - 300, 179);
        const bool north = draw.Coin(), west = draw.Coin(), custom = draw.Coin();
        const int message = draw.Int(0, 7);
        const int course = draw.Int(0, 360), speed = draw.Int(0, 799);
        const int altitudeForm = draw.Int(0, 2);  // none, "xyz}", "]xyz}"
        const int altitude = draw.Int(-10000, 60000);

        const std::string latText = AngleText(lat, 2);
        const std::string digits = latText.substr(0, 4) + latText.substr(5, 2);
        const int lonDegrees = lon / 6000, lonMinutes = lon / 100 % 60;
        const bool offset = lonDegrees < 10 || lonDegrees >= 100;
        const bool flags[6] = {
            (message & 4) != 0, (message & 2) != 0, (message & 1) != 0, north, offset, west};
        std::string dest(6, ' ');
        for (std::size_t k = 0; k < 6; ++k) {
            const char base = !flags[k] ? '0' : (k < 3 && custom) ? 'A' : 'P';
            dest[k] = static_cast<char>(base + (digits[k] - '0'));
        }
        std::string info = draw.Coin() ? "`" : "'";
        info += static_cast<char>(lonDegrees < 10    ? lonDegrees + 118
                                  : lonDegrees < 100 ? lonDegrees + 28
                                  : lonDegrees < 110 ? lonDegrees + 8
                                                     : lonDegrees - 72);
        info += static_cast<char>(lonMinutes < 10 ? lonMinutes + 88 : lonMinutes + 28);
        info += static_cast<char>(lon % 100 + 28);
        info += static_cast<char>(speed / 10 + 28);
        info += static_cast<char>(speed % 10 * 10 + course / 100 + 28);
        info += static_cast<char>(course % 100 + 28);
        info += ">/";
        if (altitudeForm != 0)
            info += (altitudeForm == 2 ? "]" : "") + Base91(altitude + 10000, 3) + "}";
        info += "Comment";

        SCOPED_TRACE(dest + " " + info);
        const DecodeResult r = DecodeMicE(HeaderTo(dest), info);
        EXPECT_EQ(r.labels.lblMsg, custom && message != 0 ? "Custom-" + std::to_string(7 - message)
                                                          : std::string(kStandard[message]));
        EXPECT_EQ(r.labels.lblComment, "Comment");
        if (lat == 0 || lon == 0) {
            EXPECT_FALSE(r.report);
            continue;
        }
        ASSERT_TRUE(r.report);
        EXPECT_EQ(r.report->Position,
                  latText + (north ? "N " : "S ") + AngleText(lon, 3) + (west ? "W" : "E"));
        EXPECT_EQ(r.report->CourseSpeed, CourseSpeedText(course, speed));
        EXPECT_EQ(r.report->Altitude, altitudeForm == 0 ? "---" : std::to_string(altitude));
        EXPECT_EQ(r.report->IconCode, "CA");
    }
}

TEST(RoundTrip, Uncompressed) {
    Draw draw;
    for (int i = 0; i < 3000; ++i) {
        const int lat = draw.Angle(89 * 6000, 90);
        const int lon = draw.Angle(179 * 6000 + 5999 - 300, 180);
        const bool north = draw.Coin(), west = draw.Coin(), withAltitude = draw.Coin();
        const int course = draw.Int(0, 360), speed = draw.Int(0, 999);
        const int feet = draw.Int(-99999, 999999);
        const std::string position =
            AngleText(lat, 2) + (north ? "N" : "S") + " " + AngleText(lon, 3) + (west ? "W" : "E");
        char altitude[16] = " x";
        if (withAltitude) std::snprintf(altitude, sizeof altitude, "/A=%06d", feet);
        char field[96];
        std::snprintf(field, sizeof field, "%s/%s>%03d/%03d%s", position.substr(0, 8).c_str(),
                      position.substr(9).c_str(), course, speed, altitude);

        SCOPED_TRACE(field);
        const DecodeResult r = DecodeUncompressed(HeaderTo("APRS"), field);
        if (lat == 0 || lon == 0) {
            EXPECT_FALSE(r.report);
            continue;
        }
        ASSERT_TRUE(r.report);
        EXPECT_EQ(r.report->Position, position);
        EXPECT_EQ(r.report->CourseSpeed, CourseSpeedText(course, speed));
        EXPECT_EQ(r.report->Altitude,
                  withAltitude ? std::to_string(std::lround(feet * 0.3048)) : "---");
    }
}

double Degrees(std::string_view text, std::size_t degreeDigits) {
    const double value = std::stod(std::string(text.substr(0, degreeDigits))) +
                         std::stod(std::string(text.substr(degreeDigits, 5))) / 60.0;
    const char hemisphere = text[degreeDigits + 5];
    return hemisphere == 'S' || hemisphere == 'W' ? -value : value;
}

TEST(RoundTrip, Compressed) {
    Draw draw;
    for (int i = 0; i < 3000; ++i) {
        const double lat = (draw.Coin() ? 1 : -1) * draw.Angle(89 * 6000, 90) / 6000.0;
        const double lon =
            (draw.Coin() ? 1 : -1) * draw.Angle(179 * 6000 + 5999 - 300, 179) / 6000.0;
        const long latSum = std::lround(380926 * (90 - lat));
        const long lonSum = std::lround(190463 * (180 + lon));
        if (latSum == 90 * 380926 || lonSum == 180 * 190463) continue;  // exactly 0: not stored
        const int c = draw.Int(0, 89), s = draw.Int(0, 90);
        int type = draw.Int(0, 63);
        if (((type >> 3) & 3) == 2) type ^= 8;  // not a GGA altitude in cs
        const bool withAltitude = draw.Coin();
        const int feet = draw.Int(0, 99999);

        std::string field = std::string(draw.Coin() ? "/" : "\\") + Base91(latSum, 4) +
                            Base91(lonSum, 4) + ">" + static_cast<char>(c + 33) +
                            static_cast<char>(s + 33) + static_cast<char>(type + 33);
        if (withAltitude) field += "/A=" + std::to_string(1000000 + feet).substr(1);

        SCOPED_TRACE(field);
        const DecodeResult r = DecodeCompressed(HeaderTo("APRS"), field);
        ASSERT_TRUE(r.report);
        const std::string_view position = r.report->Position;
        // Hundredths of a minute, rounded.
        EXPECT_NEAR(Degrees(position, 2), lat, 0.0065 / 60);
        EXPECT_NEAR(Degrees(position.substr(9), 3), lon, 0.0065 / 60);
        EXPECT_EQ(r.report->CourseSpeed.substr(0, 4), CourseSpeedText(c * 4, 0).substr(0, 4));
        const double kmh = std::stod(r.report->CourseSpeed.substr(4));
        EXPECT_NEAR(kmh, std::round(std::round(std::pow(1.08, s) - 1) * 1.852), 2.0);
        EXPECT_EQ(r.report->Altitude,
                  withAltitude ? std::to_string(std::lround(feet * 0.3048)) : "---");
    }
}

}  // namespace
}  // namespace vireo
