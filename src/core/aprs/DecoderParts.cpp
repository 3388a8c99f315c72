#include "aprs/DecoderParts.h"

#include <cstring>

#include "text/Text.h"

namespace vireo::detail {

namespace {

// Where `needle` first occurs in `text`, or npos. A plain scan: the texts searched are the short
// header lines, where it is quicker than the library's search.
template <std::size_t N>
std::size_t FindShort(std::string_view text, const char (&needle)[N]) {
    constexpr std::size_t length = N - 1;
    for (std::size_t at = 0; at + length <= text.size(); ++at) {
        if (std::memcmp(text.data() + at, needle, length) == 0) return at;
    }
    return std::string_view::npos;
}

}  // namespace

std::size_t CallField(std::string_view header, char (&call)[9]) {
    const auto fm = FindShort(header, "Fm ");
    const auto to = FindShort(header, " To ");
    if (fm == std::string_view::npos || to == std::string_view::npos || to < fm + 3) {
        return std::string_view::npos;
    }
    const std::string_view text = header.substr(fm + 3, to - fm - 3);
    for (std::size_t i = 0; i < 9; ++i) call[i] = i < text.size() ? text[i] : ' ';
    return to;
}

std::size_t AltitudeFromComment(std::string_view field, std::size_t from, char* out) {
    const auto at = from < field.size() ? field.find("/A=", from) : std::string_view::npos;
    if (at != std::string_view::npos) {
        // The 6 characters after "/A=", or those that remain; mostly six digits.
        const std::string_view text = field.substr(at + 3, 6);
        std::optional<double> feet;
        if (text.size() == 6 && AllDigits(text)) {
            long long value = 0;
            for (const char c : text) value = value * 10 + (c - '0');
            feet = static_cast<double>(value);
        } else {
            feet = ReadNumber(text);
        }
        if (feet) {
            return static_cast<std::size_t>(PutNumber(out, RoundHalfAway(*feet * 0.3048), 1) - out);
        }
    }
    out[0] = out[1] = out[2] = '-';
    return 3;
}

void PutSpeedKmh(DecodedPacket& packet, long long knots) {
    const long long tenths = (knots * 1852 + 50) / 100;
    char buffer[32];
    char* p = PutNumber(buffer, tenths / 10, 1);
    *p++ = '.';
    *p++ = static_cast<char>('0' + tenths % 10);
    packet.details.speedKmh.emplace(buffer, p);
}

void PutComment(DecodedPacket& packet, std::string_view comment) {
    std::optional<std::string>& field = packet.details.comment;
    if (field) {
        field->assign(comment);
    } else {
        field.emplace(comment);
    }
}

void ReportTexts::PutCourseSpeed(long long course, long long knots) {
    char* p = PutNumber(courseSpeed, course, 3);
    *p++ = '/';
    p = PutNumber(p, (knots * 1852 + 500) / 1000, 3);
    courseSpeedLength = static_cast<std::size_t>(p - courseSpeed);
}

namespace {

// Writes `text` over `to`: in place when the length is the same, as it mostly is for the report
// of a reused result.
void Overwrite(std::string& to, const char* text, std::size_t length) {
    if (to.size() == length) {
        PutText(to.data(), std::string_view(text, length));
    } else {
        to.assign(text, length);
    }
}

}  // namespace

void ReportTexts::Store(DecodedPacket& packet) const {
    PositionReport& report = packet.report ? *packet.report : packet.report.emplace();
    Overwrite(report.Call, call, sizeof call);
    Overwrite(report.Position, position, sizeof position);
    Overwrite(report.CourseSpeed, courseSpeed, courseSpeedLength);
    Overwrite(report.Altitude, altitude, altitudeLength);
    Overwrite(report.IconCode, iconCode.data(), iconCode.size());
}

}  // namespace vireo::detail
