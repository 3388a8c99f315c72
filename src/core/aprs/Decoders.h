// The three position decoders' entry points, as the dispatch calls them.
//
// Each takes the header line and the part of the information field the dispatch chose. Packets
// of fixed stations (house "-", digipeater "#"; weather "_" for the non-Mic-E formats) are
// dropped before anything is shown, and so are packets too short for their format or whose
// fields cannot hold a valid position (see each decoder). For a packet that is kept,
// `statusCall` is the 9-character call for the status line of the last decoded station;
// `report` is the position to store.
//
// Speeds are converted with 1 knot = 1.852 km/h. The km/h label (`lblSpeedKmh`, one decimal) is
// written with "." as decimal point; the window shows it with the user's decimal separator.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "aprs/PacketDispatch.h"
#include "aprs/PositionReport.h"

namespace vireo {

// Texts of the information panel labels a decoder writes. A label left empty (nullopt) keeps
// what it showed; an engaged empty string clears it.
struct PanelLabels {
    std::optional<std::string> lblLat, lblLon, lblCourse, lblSpeed, lblSpeedKmh, lblAlt, lblMsg,
        lblComment, lblStatus;

    bool operator==(const PanelLabels&) const = default;
};

struct DecodeResult {
    std::optional<std::string> statusCall;  // 9-character call for the status line
    PanelLabels labels;
    std::optional<PositionReport> report;  // the position to store
};

// Mic-E: the whole information field. The destination call (after " To " in the header) must
// begin with six characters from 0-9, A-L, P-Z, with no "A"-"K" in the 4th and 6th (they would
// leave the position without hemisphere letters), and a latitude whose hidden (blank) digits are
// all at its end; the longitude, speed and course bytes must lie in the ranges the format uses,
// the course must not exceed 360 and the symbol table must be "/", "\", "A"-"Z" or "0"-"9".
// Positions at exactly 0 degrees latitude or longitude are shown but not stored.
DecodeResult DecodeMicE(std::string_view header, std::string_view info);

// Compressed: the field from the symbol table identifier on (at least 12 characters). The eight
// position characters must be base-91 digits ("!" to "{"). A course byte above 89 or below 0, a
// speed byte outside "!" to "{", or a compression type saying the two bytes carry an altitude
// means no course and speed: shown as "---", not stored.
DecodeResult DecodeCompressed(std::string_view header, std::string_view info);

// Uncompressed: the field from the latitude on. Only "ddmm.hhN" and "dddmm.hhE" positions in
// range with the "ccc/sss" course/speed extension (three digits each, course at most 360) are
// used; hidden digits (position ambiguity) drop the packet.
DecodeResult DecodeUncompressed(std::string_view header, std::string_view info);

// Runs the decoder `call` names.
DecodeResult RunDecoder(const DecoderCall& call);
DecodeResult RunDecoder(PositionDecoder decoder, std::string_view header, std::string_view info);

// Only the position the decoder would store, without panel labels: the fast road.
std::optional<PositionReport> DecodeReport(PositionDecoder decoder, std::string_view header,
                                           std::string_view info);

// The whole road from the monitor text of one heard packet to the position to store: line
// splitting, relayed-packet unwrapping, data type dispatch and decoding. `scratch` is reused for
// rebuilt headers between calls.
std::optional<PositionReport> DecodeMonitorText(std::string_view monitorText, std::string& scratch);

// Mic-E sub-steps, each a pure function of its arguments.

// Latitude digit of a destination character: "0"-"9", " " for a hidden digit ("K", "L", "Z"),
// or "" for a character with no meaning.
std::string_view MicEDigit(char c);
std::string_view MicELatHemisphere(char c);  // 4th character: "N", "S" or ""
int MicELonOffset(char c);                   // 5th character: 100 or 0
std::string_view MicELonHemisphere(char c);  // 6th character: "W", "E" or ""
// Message text of the first three destination characters ("En Route", "Custom-1", ...).
std::string_view MicEMessage(std::string_view destination);
// "dddmm.hh" from information field positions 2-4, or "" when the field is shorter.
std::string MicELongitude(std::string_view info, int lonOffset);

struct MicECourseSpeedValue {
    int course = 0;      // degrees
    int speedKnots = 0;  // knots
    bool operator==(const MicECourseSpeedValue&) const = default;
};
// Course and speed from positions 5-7; zeros when the field is shorter.
MicECourseSpeedValue MicECourseSpeed(std::string_view info);

struct MicEAltitudeComment {
    std::string altitude;      // whole metres, or "---"
    std::string_view comment;  // the status text after the altitude (or all of it)
};
// Altitude ("xyz}" at positions 10-13 or 11-14, base-91 metres above -10000) and comment.
// Characters outside the base-91 digits give "---".
MicEAltitudeComment MicEAltitude(std::string_view info);

// Altitude from "/A=" and the 6 characters after it, searched from `from` (0-based) on: whole
// metres, or "---" when there is none or it is not a number.
std::string AltitudeFromComment(std::string_view field, std::size_t from);

}  // namespace vireo
