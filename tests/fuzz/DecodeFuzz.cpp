// Any bytes as monitor text (and as a TNC2 line) through splitting, dispatch and every decoder,
// and through the home coordinate functions: each must give a well-formed report or a clean
// refusal, never a crash or a read outside the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "aprs/CoordinateText.h"
#include "aprs/Decoders.h"
#include "aprs/MonitorText.h"
#include "aprs/Tnc2Text.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

bool Digits(std::string_view s) {
    for (char c : s) {
        if ((c < '0' || c > '9') && c != ' ') return false;
    }
    return true;
}

// The shapes the station list relies on.
void CheckReport(const vireo::PositionReport& r) {
    Require(r.Call.size() == 9);
    Require(r.Position.size() == 18 && r.Position[4] == '.' && r.Position[8] == ' ' &&
            r.Position[14] == '.');
    Require(Digits(r.Position.substr(0, 4)) && Digits(r.Position.substr(5, 2)));
    Require(r.Position[7] == 'N' || r.Position[7] == 'S');
    Require(Digits(r.Position.substr(9, 5)) && Digits(r.Position.substr(15, 2)));
    Require(r.Position[17] == 'E' || r.Position[17] == 'W');
    Require(r.CourseSpeed.size() >= 7 && r.CourseSpeed[3] == '/');
    Require(Digits(r.CourseSpeed.substr(0, 3)) && Digits(r.CourseSpeed.substr(4)));
    Require(r.Altitude == "---" || !r.Altitude.empty());
    Require(r.IconCode.size() == 2);
}

void Decode(std::string_view monitor) {
    const auto call = vireo::DispatchPacket(vireo::SplitMonitorText(monitor)).call;
    std::string scratch;
    const auto fast = vireo::DecodeMonitorText(monitor, scratch);
    if (!call) {
        Require(!fast);
        return;
    }
    const vireo::DecodeResult full = vireo::RunDecoder(*call);
    Require(full.report == fast);
    if (full.report) CheckReport(*full.report);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    Decode(input);
    if (const auto monitor = vireo::Tnc2ToMonitorText(input)) Decode(*monitor);
    // Each decoder alone, on the input's first line as header and the rest as field.
    const auto cr = input.find('\r');
    if (cr != std::string_view::npos) {
        const auto header = input.substr(0, cr), field = input.substr(cr + 1);
        for (auto decoder : {vireo::PositionDecoder::MicE, vireo::PositionDecoder::Compressed,
                             vireo::PositionDecoder::Uncompressed}) {
            const auto result = vireo::RunDecoder(decoder, header, field);
            if (result.report) CheckReport(*result.report);
        }
    }
    (void)vireo::CoordinateToDegrees(input);
    (void)vireo::IsLatitudeText(input);
    (void)vireo::IsLongitudeText(input);
    return 0;
}

std::vector<std::string> FuzzSeeds() {
    const std::string h = " 1:Fm N0CALL-9 To S32UVT Via WIDE1-1 <UI pid=F0 Len=20 >[12:34:56]\r";
    return {
        h + "`(_fn\"Oj/]\"3x}=\r",
        h + "'(_fn\"Oj/\"3x}comment\r",
        h + "!4903.50N/07201.75W>088/036/A=001234 Test\r",
        h + "@092345z4903.50N/07201.75W>088/036\r",
        h + "=/5L!!<*e7>7P[/A=001234\r",
        h + "/092345z/5L!!<*e7>{P3\r",
        h + "}N8CALL-2>S32UVT,TCPIP*:`(_fn\"Oj/Relayed\r",
        "N0CALL>S32UVT,WIDE1-1:`(_fn\"Oj/",
        "N0CALL>APRS:!4903.50N/07201.75W>088/036/A=-00079",
        "N0CALL>APRS:=/5L!!<*e7>7P[",
        "N42.30.50",
        "W112.07.74",
    };
}
