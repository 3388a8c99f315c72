#include "aprs/DecoderParts.h"

#include "text/Text.h"

namespace vireo::detail {

bool CallField(std::string_view header, char (&call)[9]) {
    const auto fm = header.find("Fm ");
    const auto to = header.find(" To ");
    if (fm == std::string_view::npos || to == std::string_view::npos || to < fm + 3) return false;
    const std::string_view text = header.substr(fm + 3, to - fm - 3);
    for (std::size_t i = 0; i < 9; ++i) call[i] = i < text.size() ? text[i] : ' ';
    return true;
}

std::size_t AltitudeFromComment(std::string_view field, std::size_t from, char* out) {
    const auto at = from < field.size() ? field.find("/A=", from) : std::string_view::npos;
    if (at != std::string_view::npos) {
        // The 6 characters after "/A=", or those that remain.
        if (const auto feet = ReadNumber(field.substr(at + 3, 6))) {
            return static_cast<std::size_t>(PutNumber(out, RoundHalfAway(*feet * 0.3048), 1) - out);
        }
    }
    out[0] = out[1] = out[2] = '-';
    return 3;
}

void PutSpeedKmh(DecodedPacket& packet, double knots) {
    char buffer[32];
    packet.details.speedKmh.emplace(buffer, PutOneDecimal(buffer, knots * kKmhPerKnot));
}

void ReportTexts::PutCourseSpeed(long long course, double speedKnots) {
    char* p = PutNumber(courseSpeed, course, 3);
    *p++ = '/';
    p = PutNumber(p, RoundHalfAway(speedKnots * kKmhPerKnot), 3);
    courseSpeedLength = static_cast<std::size_t>(p - courseSpeed);
}

void ReportTexts::Store(DecodedPacket& packet) const {
    PositionReport& report = packet.report.emplace();
    report.Call.assign(call, sizeof call);
    report.Position.assign(position, sizeof position);
    report.CourseSpeed.assign(courseSpeed, courseSpeedLength);
    report.Altitude.assign(altitude, altitudeLength);
    report.IconCode.assign(iconCode);
}

}  // namespace vireo::detail
