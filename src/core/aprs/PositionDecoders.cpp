// Uncompressed ("4903.50N/07201.75W>088/036") and compressed ("/5L!!<*e7>7P[") APRS positions.
#include <array>
#include <cmath>
#include <cstring>

#include "aprs/DecoderParts.h"
#include "aprs/SymbolIcon.h"
#include "text/Text.h"

namespace vireo::detail {

namespace {

bool IsOverlayOrTable(char c) {
    return c == '/' || c == '\\' || (c >= 'A' && c <= 'Z') || IsDigit(c);
}

bool IsCompressedTable(char c) {
    return c == '/' || c == '\\' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'j');
}

bool IsFixedStation(char symbol) {
    return symbol == '_' || symbol == '-' || symbol == '#';
}

int Digit(std::string_view s, std::size_t at) {
    return s[at] - '0';
}

// Reads "ddmm.hhN" (degreeDigits 2, hemispheres "NS", limit 90) or "dddmm.hhE" (3, "EW", 180).
// Blanks may hide the last digit places (position ambiguity): the hundredths, then the minutes'
// units and tens, each read as 0; a blank is never followed by a digit. Returns how many places
// are hidden, or -1 when the text is no coordinate in range. Sets `zero` when the value is 0.
int ReadCoordinate(std::string_view s, std::size_t degreeDigits, std::string_view hemispheres,
                   int limit, bool& zero) {
    const std::size_t dot = degreeDigits + 2;
    if (!AllDigits(s.substr(0, degreeDigits)) || s[dot] != '.' ||
        (s[dot + 3] != hemispheres[0] && s[dot + 3] != hemispheres[1])) {
        return -1;
    }
    const std::size_t places[4] = {degreeDigits, degreeDigits + 1, dot + 1, dot + 2};
    int value[4];
    int hidden = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const char c = s[places[i]];
        if (c == ' ') {
            ++hidden;
            value[i] = 0;
        } else if (IsDigit(c) && hidden == 0) {
            value[i] = c - '0';
        } else {
            return -1;
        }
    }
    int degrees = 0;
    for (std::size_t i = 0; i < degreeDigits; ++i) degrees = degrees * 10 + Digit(s, i);
    const int minutes = value[0] * 10 + value[1];
    const int hundredths = value[2] * 10 + value[3];
    zero = degrees == 0 && minutes == 0 && hundredths == 0;
    if (minutes >= 60 || degrees > limit || (degrees == limit && minutes + hundredths > 0)) {
        return -1;
    }
    return hidden;
}

// Degrees as "ddmm.hhN" or "dddmm.hhE": whole degrees, then the minutes rounded to hundredths.
// Minutes that round up to 60.00 are written so; readers of the text carry them over.
void PutDegrees(char* out, float value, int degreeDigits, char positive, char negative) {
    const float magnitude = std::fabs(value);
    const int degrees = static_cast<int>(magnitude);
    const float minutes = (magnitude - static_cast<float>(degrees)) * 60.0f;
    const long long hundredths = RoundHalfAway(static_cast<double>(minutes) * 100.0);
    char* p = PutNumber(out, degrees, degreeDigits);
    p = PutNumber(p, hundredths / 100, 2);
    *p++ = '.';
    p = PutNumber(p, hundredths % 100, 2);
    *p = value < 0 ? negative : positive;
}

}  // namespace

void DecodeUncompressed(std::string_view header, std::string_view info, DecodedPacket& packet) {
    if (info.size() < 19 || IsFixedStation(info[18])) return;
    // Only reports with the course/speed extension are of moving stations.
    if (info.size() < 26 || info[22] != '/') return;

    ReportTexts texts;
    if (CallField(header, texts.call) == std::string_view::npos) return;
    const char symbol = info[18];
    const char table = info[8];
    const std::string_view course = info.substr(19, 3);
    const std::string_view speed = info.substr(23, 3);
    if (!IsOverlayOrTable(table) || !AllDigits(course) || !AllDigits(speed)) return;
    const int courseValue = Digit(course, 0) * 100 + Digit(course, 1) * 10 + Digit(course, 2);
    const int knots = Digit(speed, 0) * 100 + Digit(speed, 1) * 10 + Digit(speed, 2);
    if (courseValue > 360) return;

    const std::string_view lat = info.substr(0, 8);
    const std::string_view lon = info.substr(9, 9);
    bool latZero = false, lonZero = false;
    const int hidden = ReadCoordinate(lat, 2, "NS", 90, latZero);
    if (hidden < 0 || ReadCoordinate(lon, 3, "EW", 180, lonZero) != hidden) return;

    texts.iconCode = SymbolIconCode(symbol, table);
    texts.altitudeLength = AltitudeFromComment(info, 26, texts.altitude);

    packet.call.emplace(texts.call, sizeof texts.call);
    PacketDetails& details = packet.details;
    details.latitude.emplace(lat);
    details.longitude.emplace(lon);
    details.course.emplace(course);
    details.speedKnots.emplace(speed);
    PutSpeedKmh(packet, knots);
    details.altitude.emplace(texts.altitude, texts.altitudeLength);
    PutComment(packet, info.substr(26));

    if (latZero || lonZero) return;
    std::memcpy(texts.position, lat.data(), 8);
    texts.position[8] = ' ';
    std::memcpy(texts.position + 9, lon.data(), 9);
    texts.PutCourseSpeed(courseValue, knots);
    texts.Store(packet);
}

void DecodeCompressed(std::string_view header, std::string_view info, DecodedPacket& packet) {
    if (info.size() < 12 || IsFixedStation(info[9])) return;
    const char table = info[0];
    const char symbol = info[9];
    if (!IsCompressedTable(table)) return;
    for (std::size_t i = 1; i <= 8; ++i) {
        if (info[i] < '!' || info[i] > '{') return;  // not a base-91 digit
    }

    ReportTexts texts;
    if (CallField(header, texts.call) == std::string_view::npos) return;

    // Base-91 numbers, most significant character first, in single precision.
    float latSum = 0, lonSum = 0, weight = 1;
    for (std::size_t i = 4; i >= 1; --i) {
        latSum += static_cast<float>(info[i] - 33) * weight;
        lonSum += static_cast<float>(info[i + 4] - 33) * weight;
        weight *= 91;
    }
    const float latitude = 90.0f - latSum / 380926.0f;
    const float longitude = lonSum / 190463.0f - 180.0f;
    if (!(latitude >= -90.0f && latitude <= 90.0f && longitude >= -180.0f && longitude <= 180.0f)) {
        return;
    }

    // Course and speed: course byte 0-89 (times 4 degrees), speed byte 0-90 (1.08^s - 1 knots),
    // unless the compression type says the two bytes carry an altitude (GGA source).
    const int c = info[10] - 33;
    const int s = info[11] - 33;
    const bool altitudeInCs =
        info.size() > 12 && info[12] >= '!' && (((info[12] - 33) >> 3) & 3) == 2;
    const bool hasCourseSpeed = c >= 0 && c <= 89 && s >= 0 && s <= 90 && !altitudeInCs;
    const int courseValue = c * 4;
    // 1.08^s, multiplied up in single precision, for the speed bytes in use.
    static constexpr auto kSpeedPowers = [] {
        std::array<float, 91> powers{};
        float power = 1;
        for (float& p : powers) {
            p = power;
            power *= 1.08f;
        }
        return powers;
    }();
    const float speed = hasCourseSpeed ? kSpeedPowers[static_cast<std::size_t>(s)] : 1.0f;
    const long long knots = RoundHalfAway(static_cast<double>(speed - 1.0f));

    texts.iconCode = SymbolIconCode(symbol, table);
    texts.altitudeLength = AltitudeFromComment(info, 13, texts.altitude);
    PutDegrees(texts.position, latitude, 2, 'N', 'S');
    texts.position[8] = ' ';
    PutDegrees(texts.position + 9, longitude, 3, 'E', 'W');

    packet.call.emplace(texts.call, sizeof texts.call);
    PacketDetails& details = packet.details;
    details.latitude.emplace(texts.position, 8);
    details.longitude.emplace(texts.position + 9, 9);
    details.message.emplace();
    if (hasCourseSpeed) {
        char buffer[32];
        details.course.emplace(buffer, PutNumber(buffer, courseValue, 3));
        details.speedKnots.emplace(buffer, PutNumber(buffer, knots, 3));
        PutSpeedKmh(packet, knots);
    } else {
        details.course.emplace("---");
        details.speedKnots.emplace("---");
        details.speedKmh.emplace();
    }
    details.altitude.emplace(texts.altitude, texts.altitudeLength);
    PutComment(packet, info.size() > 13 ? info.substr(13) : std::string_view{});

    if (latitude == 0.0f || longitude == 0.0f) return;
    // Compressed reports without course and speed are shown, not stored.
    packet.withoutCourseSpeed = !hasCourseSpeed;
    if (!hasCourseSpeed) return;
    texts.PutCourseSpeed(courseValue, knots);
    texts.Store(packet);
}

}  // namespace vireo::detail
