// Mic-E: latitude, message bits and three flags in the six characters of the destination call;
// longitude, speed, course and symbol in the first bytes of the information field.
#include <string>

#include "aprs/DecoderParts.h"
#include "aprs/SymbolIcon.h"
#include "text/Text.h"

namespace vireo {

namespace {

bool InRange(char c, char low, char high) {
    return c >= low && c <= high;
}

// Characters a Mic-E destination may begin with.
bool IsMicEDestinationChar(char c) {
    return InRange(c, '0', '9') || InRange(c, 'A', 'L') || InRange(c, 'P', 'Z');
}

// Latitude digit of a destination character: '0'-'9', ' ' when hidden, 0 when none.
char MicEDigitChar(char c) {
    if (InRange(c, '0', '9')) return c;
    if (InRange(c, 'A', 'J')) return static_cast<char>('0' + (c - 'A'));
    if (InRange(c, 'P', 'Y')) return static_cast<char>('0' + (c - 'P'));
    if (c == 'K' || c == 'L' || c == 'Z') return ' ';
    return 0;
}

char LatHemisphere(char c) {
    if (InRange(c, '0', '9') || c == 'L') return 'S';
    if (InRange(c, 'P', 'Z')) return 'N';
    return 0;
}

char LonHemisphere(char c) {
    if (InRange(c, '0', '9') || c == 'L') return 'E';
    if (InRange(c, 'P', 'Z')) return 'W';
    return 0;
}

int Byte(std::string_view info, std::size_t at) {
    return static_cast<unsigned char>(info[at]);
}

// Longitude "dddmm.hh" from information field bytes 1-3 (0-based), written into `out`.
void PutLongitude(std::string_view info, int lonOffset, char* out) {
    int d = Byte(info, 1) - 28 + lonOffset;
    if (d >= 180 && d <= 189) {
        d -= 80;
    } else if (d >= 190 && d <= 199) {
        d -= 190;
    }
    int m = Byte(info, 2) - 28;
    if (m >= 60) m -= 60;
    const int h = Byte(info, 3) - 28;
    char* p = PutNumber(out, d, 3);
    p = PutNumber(p, m, 2);
    *p++ = '.';
    PutNumber(p, h, 2);
}

MicECourseSpeedValue CourseSpeedOf(std::string_view info) {
    const int sp = Byte(info, 4) - 28;
    const int dc = Byte(info, 5) - 28;
    const int se = Byte(info, 6) - 28;
    MicECourseSpeedValue value;
    value.speedKnots = sp * 10 + dc / 10;
    if (value.speedKnots >= 800) value.speedKnots -= 800;
    value.course = (dc % 10) * 100 + se;
    if (value.course >= 400) value.course -= 400;
    return value;
}

bool IsBase91(char c) {
    return InRange(c, '!', '{');
}

// Altitude text into `out` (room for 24) and the comment; returns the altitude's length.
std::size_t AltitudeInto(std::string_view info, char* out, std::string_view& comment) {
    std::size_t first = std::string_view::npos;
    if (info.size() > 13 && info[13] == '}') {
        first = 10;
        comment = info.substr(14);
    } else if (info.size() > 12 && info[12] == '}') {
        first = 9;
        comment = info.substr(13);
    } else {
        comment = info.size() > 9 ? info.substr(9) : std::string_view{};
    }
    if (first != std::string_view::npos && IsBase91(info[first]) && IsBase91(info[first + 1]) &&
        IsBase91(info[first + 2])) {
        const long long metres = (Byte(info, first) - 33) * 8281LL +
                                 (Byte(info, first + 1) - 33) * 91LL +
                                 (Byte(info, first + 2) - 33) - 10000;
        return static_cast<std::size_t>(PutNumber(out, metres, 1) - out);
    }
    out[0] = out[1] = out[2] = '-';
    return 3;
}

// Whether the information field's position, speed and course bytes lie in the ranges the format
// uses: longitude degrees 38-127, minutes 38-97, hundredths 28-127, speed 28-125, the rest 28-127.
// Other values give negative or more-digit fields, as a packet mangled on the way does.
bool FieldBytesInRange(std::string_view info) {
    static constexpr int kLow[6] = {38, 38, 28, 28, 28, 28};
    static constexpr int kHigh[6] = {127, 97, 127, 125, 127, 127};
    for (std::size_t i = 0; i < 6; ++i) {
        const int b = Byte(info, i + 1);
        if (b < kLow[i] || b > kHigh[i]) return false;
    }
    return true;
}

bool IsMicESymbolTable(char c) {
    return c == '/' || c == '\\' || InRange(c, 'A', 'Z') || InRange(c, '0', '9');
}

}  // namespace

std::string_view MicEDigit(char c) {
    static constexpr std::string_view kDigits = "0123456789 ";
    const char d = MicEDigitChar(c);
    if (d == 0) return {};
    return d == ' ' ? kDigits.substr(10, 1) : kDigits.substr(static_cast<std::size_t>(d - '0'), 1);
}

std::string_view MicELatHemisphere(char c) {
    const char h = LatHemisphere(c);
    return h == 'N' ? "N" : h == 'S' ? "S" : "";
}

int MicELonOffset(char c) {
    return InRange(c, 'P', 'Z') ? 100 : 0;
}

std::string_view MicELonHemisphere(char c) {
    const char h = LonHemisphere(c);
    return h == 'W' ? "W" : h == 'E' ? "E" : "";
}

std::string_view MicEMessage(std::string_view destination) {
    static constexpr std::string_view kStandard[8] = {"Emergency", "Priority",  "Special",
                                                      "Committed", "Returning", "In Service",
                                                      "En Route",  "Off Duty"};
    static constexpr std::string_view kCustom[8] = {"Custom-7", "Custom-6", "Custom-5", "Custom-4",
                                                    "Custom-3", "Custom-2", "Custom-1", "Custom-0"};
    int value = 0;
    bool custom = false;
    for (std::size_t i = 0; i < 3 && i < destination.size(); ++i) {
        const char c = destination[i];
        if (InRange(c, '0', '9') || c == 'L') {
            value *= 2;
        } else if (InRange(c, 'A', 'K')) {
            value = value * 2 + 1;
            custom = true;
        } else if (InRange(c, 'P', 'Z')) {
            value = value * 2 + 1;
        }
    }
    return custom ? kCustom[value] : kStandard[value];
}

std::string MicELongitude(std::string_view info, int lonOffset) {
    if (info.size() < 4) return {};
    char out[24];
    PutLongitude(info, lonOffset, out);
    return std::string(out, 8);
}

MicECourseSpeedValue MicECourseSpeed(std::string_view info) {
    if (info.size() < 7) return {};
    return CourseSpeedOf(info);
}

MicEAltitudeComment MicEAltitude(std::string_view info) {
    MicEAltitudeComment result;
    char out[24];
    result.altitude.assign(out, AltitudeInto(info, out, result.comment));
    return result;
}

namespace detail {

bool DecodeMicEInto(std::string_view header, std::string_view info, DecodeResult* full,
                    PositionReport* report) {
    if (info.size() < 9) return false;
    const char symbol = info[7];
    const char table = info[8];
    if (symbol == '-' || symbol == '#') return false;

    ReportTexts texts;
    const auto to = header.find(" To ");
    if (to == std::string_view::npos || !CallField(header, texts.call)) return false;
    const std::string_view destination = header.substr(to + 4);
    char dest[6];
    for (std::size_t i = 0; i < 6; ++i) {
        dest[i] = i < destination.size() ? destination[i] : ' ';
        if (!IsMicEDestinationChar(dest[i])) return false;
    }
    // "A"-"K" carry no hemisphere or east/west flag.
    if (InRange(dest[3], 'A', 'K') || InRange(dest[5], 'A', 'K')) return false;

    // Latitude "ddmm.hhN": hidden digits may only end it, and it must lie within 90 degrees.
    char* lat = texts.position;
    bool hidden = false;
    int digits[6];
    for (std::size_t i = 0, at = 0; i < 6; ++i) {
        const char d = MicEDigitChar(dest[i]);
        if (d == ' ') {
            hidden = true;
        } else if (hidden) {
            return false;
        }
        digits[i] = d == ' ' ? 0 : d - '0';
        lat[at++] = d;
        if (i == 3) lat[at++] = '.';
    }
    lat[7] = LatHemisphere(dest[3]);
    const int latDegrees = digits[0] * 10 + digits[1];
    const bool latZero = latDegrees == 0 && digits[2] + digits[3] + digits[4] + digits[5] == 0;
    if (digits[2] > 5 || latDegrees > 90 ||
        (latDegrees == 90 && digits[2] + digits[3] + digits[4] + digits[5] > 0)) {
        return false;
    }

    if (!FieldBytesInRange(info) || !IsMicESymbolTable(table)) return false;
    const MicECourseSpeedValue cs = CourseSpeedOf(info);
    if (cs.course > 360) return false;

    texts.position[8] = ' ';
    char* lon = texts.position + 9;
    PutLongitude(info, MicELonOffset(dest[4]), lon);
    lon[8] = LonHemisphere(dest[5]);
    const bool lonZero = std::string_view(lon, 8) == "00000.00";

    texts.iconCode = SymbolIconCode(symbol, table);
    std::string_view comment;
    texts.altitudeLength = AltitudeInto(info, texts.altitude, comment);

    if (full != nullptr) {
        full->statusCall.emplace(texts.call, sizeof texts.call);
        PanelLabels& labels = full->labels;
        labels.lblLat.emplace(texts.position, 8);
        labels.lblLon.emplace(lon, 9);
        labels.lblMsg.emplace(MicEMessage(std::string_view(dest, 3)));
        char buffer[32];
        labels.lblCourse.emplace(buffer, PutNumber(buffer, cs.course, 3));
        labels.lblSpeed.emplace(buffer, PutNumber(buffer, cs.speedKnots, 3));
        labels.lblSpeedKmh.emplace(buffer, PutOneDecimal(buffer, cs.speedKnots * kKmhPerKnot));
        labels.lblAlt.emplace(texts.altitude, texts.altitudeLength);
        labels.lblComment.emplace(comment);
    }

    // A position at 0 degrees is what a receiver without a fix sends: shown, not stored.
    if (latZero || lonZero) return false;
    PutCourseSpeed(texts, cs.course, cs.speedKnots);
    if (report != nullptr) texts.Into(*report);
    return true;
}

}  // namespace detail

}  // namespace vireo
