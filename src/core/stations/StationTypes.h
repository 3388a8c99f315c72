// The shapes the station store is made of, shared by the store, the station files and the KML
// document.
//
// A station line is the 56-character fixed-column text of one line of the station list; every
// reader takes its fields by column. Its track slot is the index of its track in the track array.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vireo {

// One point of a track.
struct TrackPoint {
    float lon = 0;    // decimal degrees, east positive
    float lat = 0;    // decimal degrees, north positive
    std::string alt;  // metres as whole-number text, or "---"
    double time = 0;  // local date and time as an OLE date (days since 30 Dec 1899)

    bool operator==(const TrackPoint&) const = default;
};

using Track = std::vector<TrackPoint>;  // oldest point first, newest (current position) last

// Which track this is and how far along: `id` is given when the track starts (never 0) and goes
// with it from slot to slot; `dropped` counts the points cut from its front since. A track only
// loses points at the front and gains them at the back (its newest point may get a new time), so
// the point at index i is the same in every look at a track of one id that shows dropped + i.
struct TrackMark {
    std::uint64_t id = 0;
    std::uint64_t dropped = 0;

    bool operator==(const TrackMark&) const = default;
};

// One line of the station list with its track slot (-1 while it has none).
struct StationEntry {
    std::string text;  // exactly kStationLineLength characters
    std::int32_t slot = -1;

    bool operator==(const StationEntry&) const = default;
};

inline constexpr std::size_t kStationLineLength = 56;

// Fields of a station line: 0-based offset and length.
struct LineField {
    std::size_t offset;
    std::size_t length;

    std::string_view Of(std::string_view line) const {
        if (offset >= line.size()) return {};
        return line.substr(offset, length);
    }
};

inline constexpr LineField kStampField{0, 14};        // dd/mm/yy hh:nn
inline constexpr LineField kCallField{16, 9};         // blank-padded call with SSID
inline constexpr LineField kFollowMarkField{25, 1};   // "*" on the followed station's line
inline constexpr LineField kLatitudeField{27, 8};     // ddmm.hhN
inline constexpr LineField kLongitudeField{36, 9};    // dddmm.hhE
inline constexpr LineField kCourseField{46, 3};       // whole degrees
inline constexpr LineField kCourseSpeedField{46, 7};  // ccc/sss
inline constexpr LineField kSpeedField{50, 3};        // km/h
inline constexpr LineField kIconCodeField{54, 2};     // two characters, "00" for none

}  // namespace vireo
