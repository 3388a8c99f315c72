// Inside the decoders: the three formats' entry points as DecodePacket calls them, and the
// pieces they share. Each decoder takes the header line and the part of the information field
// the data type chose; for a packet it keeps it fills the call, the details and, when the
// position is to be stored, the report of `packet`, and it leaves `packet` untouched for a
// packet it drops.
#pragma once

#include <cstddef>
#include <string_view>

#include "aprs/Decode.h"

namespace vireo::detail {

// Mic-E: the whole information field. The destination call (after " To " in the header) must
// begin with six characters from 0-9, A-L, P-Z, with no "A"-"K" in the 4th and 6th (they would
// leave the position without hemisphere letters), and a latitude whose hidden (blank) digits are
// all at its end; the longitude, speed and course bytes must lie in the ranges the format uses,
// the course must not exceed 360 and the symbol table must be "/", "\", "A"-"Z" or "0"-"9".
void DecodeMicE(std::string_view header, std::string_view info, DecodedPacket& packet);

// Compressed: the field from the symbol table identifier on (at least 12 characters). The eight
// position characters must be base-91 digits ("!" to "{"). A course byte above 89 or below 0, a
// speed byte outside "!" to "{", or a compression type saying the two bytes carry an altitude
// means no course and speed.
void DecodeCompressed(std::string_view header, std::string_view info, DecodedPacket& packet);

// Uncompressed: the field from the latitude on. Only "ddmm.hhN" and "dddmm.hhE" positions in
// range with the "ccc/sss" course/speed extension (three digits each, course at most 360) are
// used. Blanks may hide the last digits (position ambiguity) when both coordinates hide the same
// places; they are kept in the texts and read as 0.
void DecodeUncompressed(std::string_view header, std::string_view info, DecodedPacket& packet);

// The 9-character call field of the header (blank-filled or cut). Returns where " To " begins,
// or npos (and no call) when the header has no "Fm " ... " To ".
std::size_t CallField(std::string_view header, char (&call)[9]);

// Altitude from "/A=" in `field` searched from `from` on, written into `out` (room for 24);
// returns its length. "---" when there is none.
std::size_t AltitudeFromComment(std::string_view field, std::size_t from, char* out);

// The speeds of the formats are whole knots, 0 to a few thousand. Their km/h are worked out in
// whole numbers: knots x 1852 in thousandths, rounded half up. For every speed below 5,000,000
// knots that gives what rounding knots x 1.852 in double precision gives, ties included.

// Writes the speed in km/h with one decimal ("66.7") as the details' km/h text.
void PutSpeedKmh(DecodedPacket& packet, long long knots);

// Sets the details' comment; every decoder does for a packet it keeps, with its call. A comment
// left engaged in a reused result (see Clear in Decode.cpp) is written over, keeping its storage.
void PutComment(DecodedPacket& packet, std::string_view comment);

// A report being put together in fixed buffers; copied into the packet at the end only.
struct ReportTexts {
    char call[9];
    char position[18];
    char courseSpeed[48];
    std::size_t courseSpeedLength = 0;
    char altitude[24];
    std::size_t altitudeLength = 0;
    std::string_view iconCode;

    // Writes "ccc/sss" (speed in whole km/h).
    void PutCourseSpeed(long long course, long long knots);
    // Engages the packet's report with these texts (written into the one engaged, if any).
    void Store(DecodedPacket& packet) const;
};

}  // namespace vireo::detail
