// The two files that keep the station store between runs, in the application folder:
//
// "Positions.ini": one text line per station line, in list order: the 56-character line in
// double quotes, a comma, its track slot in decimal, CR LF.
//
// "Positions.dat": little-endian binary, one record per track slot from slot 0 up: a 16-bit
// dimension count (1 for a track, 0 for an empty slot); for a track a 32-bit point count, a
// 32-bit lower bound (0) and the points, each a 32-bit float longitude and latitude, a 16-bit
// altitude text length, the altitude text, and a 64-bit float OLE date.
//
// Names and contents are bytes throughout; nothing here touches Qt.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "stations/StationTypes.h"

namespace vireo {

inline constexpr const char* kPositionsIniName = "Positions.ini";
inline constexpr const char* kPositionsDatName = "Positions.dat";

struct StationFilesContent {
    std::vector<StationEntry> entries;  // in list order
    std::vector<Track> tracks;          // by slot
};

std::string FormatPositionsIni(const std::vector<StationEntry>& entries);
std::string FormatPositionsDat(const std::vector<Track>& tracks);

// Reads the two files' contents as they stand, without judging whether lines and tracks agree
// (the store's Restore repairs that). Damage never costs more than what it touches:
// - a line that is not a quoted text, a comma and a whole number is skipped;
// - slot records are read from slot 0 up to the highest slot named by a line, as far as the
//   data holds whole records; a record that runs past the end or has a dimension count other
//   than 0 or 1 ends the reading, and the slots from there on are missing.
// Nothing is allocated beyond what the bytes given can describe.
StationFilesContent ParseStationFiles(std::string_view ini, std::string_view dat);

}  // namespace vireo
