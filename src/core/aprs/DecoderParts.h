// Pieces the three position decoders share: the call field, the altitude texts and the
// assembly of the report from fixed character buffers.
#pragma once

#include <cstddef>
#include <string_view>

#include "aprs/Decoders.h"

namespace vireo::detail {

// The 9-character call field of the header (blank-filled or cut); false when the header has no
// "Fm " ... " To ".
bool CallField(std::string_view header, char (&call)[9]);

// Altitude from "/A=" in `field` searched from `from` on, written into `out` (room for 24);
// returns its length. "---" when there is none.
std::size_t AltitudeFromCommentInto(std::string_view field, std::size_t from, char* out);

// A report being put together; texts are copied into the PositionReport at the end only.
struct ReportTexts {
    char call[9];
    char position[18];
    char courseSpeed[48];
    std::size_t courseSpeedLength = 0;
    char altitude[24];
    std::size_t altitudeLength = 0;
    std::string_view iconCode;

    void Into(PositionReport& report) const;
};

// Writes "ccc/sss" (speed in km/h from whole knots) into `texts`.
void PutCourseSpeed(ReportTexts& texts, long long course, double speedKnots);

bool DecodeMicEInto(std::string_view header, std::string_view info, DecodeResult* full,
                    PositionReport* report);
bool DecodeCompressedInto(std::string_view header, std::string_view info, DecodeResult* full,
                          PositionReport* report);
bool DecodeUncompressedInto(std::string_view header, std::string_view info, DecodeResult* full,
                            PositionReport* report);

}  // namespace vireo::detail
