// Uncompressed ("4903.50N/07201.75W>088/036") and compressed ("/5L!!<*e7>7P[") APRS positions.
#include <cmath>

#include "aprs/DecoderParts.h"
#include "aprs/SymbolIcon.h"
#include "text/Text.h"

namespace vireo {

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

// "ddmm.hhN" (degreeDigits 2, hemispheres "NS", limit 90) or "dddmm.hhE" (3, "EW", 180), all
// digits shown and in range. Sets `zero` when every digit is 0.
bool IsPlainCoordinate(std::string_view s, std::size_t degreeDigits, std::string_view hemispheres,
                       int limit, bool& zero) {
    const std::size_t dot = degreeDigits + 2;
    if (!AllDigits(s.substr(0, dot)) || s[dot] != '.' || !AllDigits(s.substr(dot + 1, 2)) ||
        hemispheres.find(s[dot + 3]) == std::string_view::npos) {
        return false;
    }
    int degrees = 0;
    for (std::size_t i = 0; i < degreeDigits; ++i) degrees = degrees * 10 + Digit(s, i);
    const int minutes = Digit(s, degreeDigits) * 10 + Digit(s, degreeDigits + 1);
    const int hundredths = Digit(s, dot + 1) * 10 + Digit(s, dot + 2);
    zero = degrees == 0 && minutes == 0 && hundredths == 0;
    return minutes < 60 && (degrees < limit || (degrees == limit && minutes + hundredths == 0));
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

namespace detail {

bool DecodeUncompressedInto(std::string_view header, std::string_view info, DecodeResult* full,
                            PositionReport* report) {
    if (info.size() < 19 || IsFixedStation(info[18])) return false;
    // Only reports with the course/speed extension are of moving stations.
    if (info.size() < 26 || info[22] != '/') return false;

    ReportTexts texts;
    if (!CallField(header, texts.call)) return false;
    const char symbol = info[18];
    const char table = info[8];
    const std::string_view course = info.substr(19, 3);
    const std::string_view speed = info.substr(23, 3);
    if (!IsOverlayOrTable(table) || !AllDigits(course) || !AllDigits(speed)) return false;
    const int courseValue = Digit(course, 0) * 100 + Digit(course, 1) * 10 + Digit(course, 2);
    const int knots = Digit(speed, 0) * 100 + Digit(speed, 1) * 10 + Digit(speed, 2);
    if (courseValue > 360) return false;

    const std::string_view lat = info.substr(0, 8);
    const std::string_view lon = info.substr(9, 9);
    bool latZero = false, lonZero = false;
    if (!IsPlainCoordinate(lat, 2, "NS", 90, latZero) ||
        !IsPlainCoordinate(lon, 3, "EW", 180, lonZero)) {
        return false;  // also positions with hidden digits (ambiguity)
    }

    texts.iconCode = SymbolIconCode(symbol, table);
    texts.altitudeLength = AltitudeFromCommentInto(info, 26, texts.altitude);

    if (full != nullptr) {
        full->statusCall.emplace(texts.call, sizeof texts.call);
        PanelLabels& labels = full->labels;
        labels.lblLat.emplace(lat);
        labels.lblLon.emplace(lon);
        labels.lblCourse.emplace(course);
        labels.lblSpeed.emplace(speed);
        char buffer[32];
        labels.lblSpeedKmh.emplace(buffer, PutOneDecimal(buffer, knots * kKmhPerKnot));
        labels.lblAlt.emplace(texts.altitude, texts.altitudeLength);
        labels.lblComment.emplace(info.substr(26));
        labels.lblStatus.emplace("Uncompressed");
    }

    if (latZero || lonZero) return false;
    lat.copy(texts.position, 8);
    texts.position[8] = ' ';
    lon.copy(texts.position + 9, 9);
    PutCourseSpeed(texts, courseValue, knots);
    if (report != nullptr) texts.Into(*report);
    return true;
}

bool DecodeCompressedInto(std::string_view header, std::string_view info, DecodeResult* full,
                          PositionReport* report) {
    if (info.size() < 12 || IsFixedStation(info[9])) return false;
    const char table = info[0];
    const char symbol = info[9];
    if (!IsCompressedTable(table)) return false;
    for (std::size_t i = 1; i <= 8; ++i) {
        if (info[i] < '!' || info[i] > '{') return false;  // not a base-91 digit
    }

    ReportTexts texts;
    if (!CallField(header, texts.call)) return false;

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
        return false;
    }

    // Course and speed: course byte 0-89 (times 4 degrees), speed byte 0-90 (1.08^s - 1 knots),
    // unless the compression type says the two bytes carry an altitude (GGA source).
    const int c = info[10] - 33;
    const int s = info[11] - 33;
    const bool altitudeInCs =
        info.size() > 12 && info[12] >= '!' && (((info[12] - 33) >> 3) & 3) == 2;
    const bool hasCourseSpeed = c >= 0 && c <= 89 && s >= 0 && s <= 90 && !altitudeInCs;
    const int courseValue = c * 4;
    float speed = 1;
    for (int i = 0; i < s; ++i) speed *= 1.08f;
    const long long knots = RoundHalfAway(static_cast<double>(speed - 1.0f));

    texts.iconCode = SymbolIconCode(symbol, table);
    texts.altitudeLength = AltitudeFromCommentInto(info, 13, texts.altitude);
    PutDegrees(texts.position, latitude, 2, 'N', 'S');
    texts.position[8] = ' ';
    PutDegrees(texts.position + 9, longitude, 3, 'E', 'W');

    if (full != nullptr) {
        full->statusCall.emplace(texts.call, sizeof texts.call);
        PanelLabels& labels = full->labels;
        labels.lblLat.emplace(texts.position, 8);
        labels.lblLon.emplace(texts.position + 9, 9);
        char buffer[32];
        if (hasCourseSpeed) {
            labels.lblCourse.emplace(buffer, PutNumber(buffer, courseValue, 3));
            labels.lblSpeed.emplace(buffer, PutNumber(buffer, knots, 3));
            labels.lblSpeedKmh.emplace(
                buffer, PutOneDecimal(buffer, static_cast<double>(knots) * kKmhPerKnot));
        } else {
            labels.lblCourse.emplace("---");
            labels.lblSpeed.emplace("---");
            labels.lblSpeedKmh.emplace();
        }
        labels.lblAlt.emplace(texts.altitude, texts.altitudeLength);
        labels.lblComment.emplace(info.size() > 13 ? info.substr(13) : std::string_view{});
        labels.lblMsg.emplace();
    }

    if (latitude == 0.0f || longitude == 0.0f) return false;
    if (!hasCourseSpeed) {
        if (full != nullptr) full->labels.lblStatus.emplace("** NO CSE / SPD **");
        return false;  // compressed reports without course and speed are not stored
    }
    PutCourseSpeed(texts, courseValue, static_cast<double>(knots));
    if (report != nullptr) texts.Into(*report);
    return true;
}

}  // namespace detail

}  // namespace vireo
