// Any bytes as monitor text, as a TNC2 line and as a TNC byte stream cut into frames, through
// DecodePacket, and through the home coordinate functions: each must give a well-formed packet or
// a clean refusal, never a crash or a read outside the bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "agwpe/AgwFrame.h"
#include "aprs/CoordinateText.h"
#include "aprs/Decode.h"
#include "aprs/Tnc2Text.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

// The text with every digit and blank made '9' and the southern and western hemispheres made
// northern and eastern.
std::string Shape(std::string text) {
    for (char& c : text)
        c = c == ' ' || (c >= '0' && c <= '9') ? '9' : c == 'S' ? 'N' : c == 'W' ? 'E' : c;
    return text;
}

void Decode(std::string_view monitor) {
    static std::string scratch;
    const vireo::DecodedPacket p = vireo::DecodePacket(monitor, scratch);
    Require(p.lineCount <= 2);
    for (std::size_t i = 0; i < p.lineCount; ++i) {
        Require(p.lines[i].data() >= monitor.data() &&
                p.lines[i].data() + p.lines[i].size() <= monitor.data() + monitor.size());
    }
    Require(p.format || (!p.call && !p.report));
    Require(p.call || (!p.report && !p.withoutCourseSpeed));
    if (!p.report) return;
    // The shapes the station list relies on, and what is shown is what is stored.
    const vireo::PositionReport& r = *p.report;
    Require(r.Call == *p.call && r.Call.size() == 9);
    Require(r.Position == *p.details.latitude + " " + *p.details.longitude);
    Require(Shape(r.Position) == "9999.99N999999.99E");
    const std::string courseSpeed = Shape(r.CourseSpeed);
    Require(courseSpeed.size() >= 7 && courseSpeed.find_first_not_of('9') == 3 &&
            courseSpeed[3] == '/' && courseSpeed.find_first_not_of('9', 4) == std::string::npos);
    Require(!r.Altitude.empty() && r.IconCode.size() == 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    Decode(input);
    if (const auto monitor = vireo::Tnc2ToMonitorText(input)) Decode(*monitor);
    vireo::AgwFrameCutter cutter;
    cutter.Append(input);
    while (const auto frame = cutter.Next()) Decode(frame->data);
    (void)vireo::CoordinateToDegrees(input);
    (void)vireo::IsLatitudeText(input);
    (void)vireo::IsLongitudeText(input);
    return 0;
}
