// The one road from the monitor text of a heard packet to what the program does with it.
//
// Accepts any bytes as the text of a "U" or "T" frame (lines ended by carriage returns, one byte
// one character). Returns the monitor lines, the format the packet's data type chose, the
// details the decoder read as named values, and the position to store when the packet gives one.
// The program, vireo-aprs-decode, the corpus test and the fuzz target all decode through
// DecodePacket.
//
// What is refused and why:
// - fixed stations (house "-", digipeater "#"; weather "_" outside Mic-E), and packets too short
//   for their format or whose fields cannot hold a valid position: no call, no details;
// - a position at exactly 0 degrees latitude or longitude (a receiver without a fix): details
//   and call, no report;
// - a compressed position without course and speed: details, call and withoutCourseSpeed, no
//   report.
// Speeds are converted with 1 knot = 1.852 km/h. Nothing here words a label or a status line:
// that is the session's.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "aprs/PositionReport.h"

namespace vireo {

enum class PacketFormat { MicE, Compressed, Uncompressed };

// What a decoder read from a packet it kept. A field that is nullopt was not read by this format
// (what was shown for it stays); an engaged empty text means the format has nothing there.
struct PacketDetails {
    std::optional<std::string> latitude;    // "ddmm.hhN", as heard (blanks of ambiguity kept)
    std::optional<std::string> longitude;   // "dddmm.hhE"
    std::optional<std::string> message;     // Mic-E message text ("En Route", ...)
    std::optional<std::string> course;      // degrees, 3 digits, or "---"
    std::optional<std::string> speedKnots;  // knots, 3 digits, or "---"
    std::optional<std::string> speedKmh;    // one decimal with "." ("66.7"), or empty
    std::optional<std::string> altitude;    // whole metres, or "---"
    std::optional<std::string> comment;

    bool operator==(const PacketDetails&) const = default;
};

struct DecodedPacket {
    // The last two non-empty lines of the monitor text (header first), as views into it. A
    // heard packet has exactly two; only then does anything else follow.
    std::size_t lineCount = 0;
    std::string_view lines[2];

    // The decoder the data type chose, when one did.
    std::optional<PacketFormat> format;
    // Set when the decoder kept the packet (it was not dropped as a fixed station, too short or
    // malformed): the 9-character call of its sender, blank-filled.
    std::optional<std::string> call;
    PacketDetails details;
    // A compressed position without course and speed: shown, not stored.
    bool withoutCourseSpeed = false;
    // The position to store.
    std::optional<PositionReport> report;
};

// Decodes one monitor text. `scratch` is reused between calls for the rebuilt header of a relayed
// packet; the views in the result may point into it or into `monitorText`.
DecodedPacket DecodePacket(std::string_view monitorText, std::string& scratch);

// The same into `packet`, which is left as the function above would return it, whatever it held.
// For a stream of packets decoded into one result: it is cleared field by field rather than built
// anew, and a report's texts reuse the storage of the previous packet's.
void DecodePacket(std::string_view monitorText, std::string& scratch, DecodedPacket& packet);

}  // namespace vireo
