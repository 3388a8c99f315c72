// Mic-E: latitude, message bits and three flags in the six characters of the destination call;
// longitude, speed, course and symbol in the first bytes of the information field.
#include "aprs/DecoderParts.h"
#include "aprs/SymbolIcon.h"
#include "text/Text.h"

namespace vireo::detail {

namespace {

bool InRange(char c, char low, char high) {
    return c >= low && c <= high;
}

// Characters a Mic-E destination may begin with.
bool IsDestinationChar(char c) {
    return InRange(c, '0', '9') || InRange(c, 'A', 'L') || InRange(c, 'P', 'Z');
}

// Latitude digit of a destination character: '0'-'9', or ' ' when hidden ("K", "L", "Z").
char LatitudeDigit(char c) {
    if (InRange(c, 'A', 'J')) return static_cast<char>('0' + (c - 'A'));
    if (InRange(c, 'P', 'Y')) return static_cast<char>('0' + (c - 'P'));
    if (c == 'K' || c == 'L' || c == 'Z') return ' ';
    return c;
}

// The 4th character gives north ("P"-"Z") or south; the 6th west or east; the 5th adds 100
// degrees of longitude.
bool IsFlagSet(char c) {
    return InRange(c, 'P', 'Z');
}

// Message text of the first three destination characters: each is a bit, "A"-"K" a custom one.
std::string_view Message(const char* dest) {
    static constexpr std::string_view kStandard[8] = {"Emergency", "Priority",  "Special",
                                                      "Committed", "Returning", "In Service",
                                                      "En Route",  "Off Duty"};
    static constexpr std::string_view kCustom[8] = {"Custom-7", "Custom-6", "Custom-5", "Custom-4",
                                                    "Custom-3", "Custom-2", "Custom-1", "Custom-0"};
    int value = 0;
    bool custom = false;
    for (std::size_t i = 0; i < 3; ++i) {
        const bool customBit = InRange(dest[i], 'A', 'K');
        custom = custom || customBit;
        value = value * 2 + (customBit || IsFlagSet(dest[i]) ? 1 : 0);
    }
    return custom ? kCustom[value] : kStandard[value];
}

int Byte(std::string_view info, std::size_t at) {
    return static_cast<unsigned char>(info[at]);
}

// Whether the information field's position, speed and course bytes lie in the ranges the format
// uses: longitude degrees 38-127, minutes 38-97, the hundredths, speed, speed units with course
// hundreds, and course bytes 28-127. Other values give negative or more-digit fields, as a packet
// mangled on the way does.
bool FieldBytesInRange(std::string_view info) {
    static constexpr int kLow[6] = {38, 38, 28, 28, 28, 28};
    static constexpr int kHigh[6] = {127, 97, 127, 127, 127, 127};
    for (std::size_t i = 0; i < 6; ++i) {
        const int b = Byte(info, i + 1);
        if (b < kLow[i] || b > kHigh[i]) return false;
    }
    return true;
}

// Longitude "dddmm.hh" from information field bytes 1-3 (0-based), written into `out`; true when
// it is 0.
bool PutLongitude(std::string_view info, int lonOffset, char* out) {
    int d = Byte(info, 1) - 28 + lonOffset;
    if (d >= 180 && d <= 189) {
        d -= 80;
    } else if (d >= 190 && d <= 199) {
        d -= 190;
    }
    int m = Byte(info, 2) - 28;
    if (m >= 60) m -= 60;
    char* p = PutNumber(out, d, 3);
    p = PutNumber(p, m, 2);
    *p++ = '.';
    PutNumber(p, Byte(info, 3) - 28, 2);
    return d == 0 && m == 0 && Byte(info, 3) == 28;
}

bool IsBase91(char c) {
    return InRange(c, '!', '{');
}

// Altitude ("xyz}" at field positions 9-12 or 10-13, base-91 metres above -10000) into `out`
// (room for 24), "---" when there is none; returns its length and sets the comment after it.
std::size_t PutAltitude(std::string_view info, char* out, std::string_view& comment) {
    std::size_t first = std::string_view::npos;
    if (info.size() > 13 && info[13] == '}') {
        first = 10;
        comment = info.substr(14);
    } else if (info.size() > 12 && info[12] == '}') {
        first = 9;
        comment = info.substr(13);
    } else {
        comment = info.substr(9);
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

bool IsSymbolTable(char c) {
    return c == '/' || c == '\\' || InRange(c, 'A', 'Z') || InRange(c, '0', '9');
}

}  // namespace

void DecodeMicE(std::string_view header, std::string_view info, DecodedPacket& packet) {
    if (info.size() < 9) return;
    const char symbol = info[7];
    const char table = info[8];
    if (symbol == '-' || symbol == '#') return;

    ReportTexts texts;
    const auto to = CallField(header, texts.call);
    if (to == std::string_view::npos) return;
    const std::string_view destination = header.substr(to + 4);
    char dest[6];
    for (std::size_t i = 0; i < 6; ++i) {
        dest[i] = i < destination.size() ? destination[i] : ' ';
        if (!IsDestinationChar(dest[i])) return;
    }
    // "A"-"K" carry no hemisphere or east/west flag.
    if (InRange(dest[3], 'A', 'K') || InRange(dest[5], 'A', 'K')) return;

    // Latitude "ddmm.hhN": hidden digits may only end it, and it must lie within 90 degrees.
    char* lat = texts.position;
    bool hidden = false;
    int digits[6];
    for (std::size_t i = 0, at = 0; i < 6; ++i) {
        const char d = LatitudeDigit(dest[i]);
        if (d == ' ') {
            hidden = true;
        } else if (hidden) {
            return;
        }
        digits[i] = d == ' ' ? 0 : d - '0';
        lat[at++] = d;
        if (i == 3) lat[at++] = '.';
    }
    lat[7] = IsFlagSet(dest[3]) ? 'N' : 'S';
    const int latDegrees = digits[0] * 10 + digits[1];
    const int latRest = digits[2] + digits[3] + digits[4] + digits[5];
    if (digits[2] > 5 || latDegrees > 90 || (latDegrees == 90 && latRest > 0)) return;

    if (!FieldBytesInRange(info) || !IsSymbolTable(table)) return;
    // Speed: tens of knots, then units with the course hundreds; values of 800 knots or 400
    // degrees and more come from the bytes' second range and wrap.
    const int dc = Byte(info, 5) - 28;
    int knots = (Byte(info, 4) - 28) * 10 + dc / 10;
    if (knots >= 800) knots -= 800;
    int course = (dc % 10) * 100 + Byte(info, 6) - 28;
    if (course >= 400) course -= 400;
    if (course > 360) return;

    texts.position[8] = ' ';
    char* lon = texts.position + 9;
    const bool lonZero = PutLongitude(info, IsFlagSet(dest[4]) ? 100 : 0, lon);
    lon[8] = IsFlagSet(dest[5]) ? 'W' : 'E';

    texts.iconCode = SymbolIconCode(symbol, table);
    std::string_view comment;
    texts.altitudeLength = PutAltitude(info, texts.altitude, comment);

    packet.call.emplace(texts.call, sizeof texts.call);
    PacketDetails& details = packet.details;
    details.latitude.emplace(texts.position, 8);
    details.longitude.emplace(lon, 9);
    details.message.emplace(Message(dest));
    char buffer[32];
    details.course.emplace(buffer, PutNumber(buffer, course, 3));
    details.speedKnots.emplace(buffer, PutNumber(buffer, knots, 3));
    PutSpeedKmh(packet, knots);
    details.altitude.emplace(texts.altitude, texts.altitudeLength);
    PutComment(packet, comment);

    // A position at 0 degrees is what a receiver without a fix sends: shown, not stored.
    if ((latDegrees == 0 && latRest == 0) || lonZero) return;
    texts.PutCourseSpeed(course, knots);
    texts.Store(packet);
}

}  // namespace vireo::detail
