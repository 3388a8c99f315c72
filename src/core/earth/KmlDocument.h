// The live KML document served to Google Earth: every station as a placemark turned to its
// course, optionally its track, and, while a station is followed, a network link named after it
// with a camera view on it. The document is rebuilt whole from the station store each time; the
// coordinates of track points an earlier document showed are copied from it rather than written
// again.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/Settings.h"
#include "stations/StationTypes.h"

namespace vireo {

// One station as the document reads it: its list line and its track (null when the line's slot
// indexes no track).
struct KmlStation {
    std::string_view line;
    const Track* track = nullptr;
    TrackMark mark = {};  // of the track; id 0: nothing to copy from an earlier document
};

// The coordinates of one track as a document wrote them: `points` points from the mark on, at
// `offset` in the document, `length` bytes.
struct KmlTrackText {
    TrackMark mark;
    std::size_t points = 0;
    bool absolute = false;  // with altitudes
    std::size_t offset = 0;
    std::size_t length = 0;
};

// What the document depends on besides the stations and the settings.
struct KmlState {
    bool followLockRunning = false;  // Google Earth is still to fly to the followed station
    std::string_view styleText;      // the icon style block, inserted as it is
    std::string_view serverUrl;      // base of the follow links, no trailing "/"
    // An earlier document and its tracks by id (as KmlBuild gives them), to copy from.
    std::string_view earlierDocument = {};
    std::span<const KmlTrackText> earlierTracks = {};
};

struct KmlBuild {
    bool ok = false;       // false: the build was abandoned
    std::string document;  // the whole document, UTF-8; empty when the build failed
    // The range written into the ViewRange box for the followed station while the range is
    // proportional to its speed; set even when the build failed later on.
    std::optional<std::string> viewRange;
    std::vector<KmlTrackText> tracks;  // the tracks written, by id
};

// Builds the document from the stations in list order (top of the list first). Texts of the
// settings are single-byte, as shown in their boxes; the document converts them to UTF-8. Fails
// on a non-numeric MinRange while the range is proportional and a followed station is shown, and on
// a station without a track of at least one point.
// `buffer` is written over: passing the document of an earlier build saves allocating and
// touching a new multi-megabyte buffer each time. A failed build hands it back, empty.
KmlBuild BuildKml(std::span<const KmlStation> stations, const SettingsRecord& settings,
                  const DerivedSettings& derived, const KmlState& state, std::string buffer = {});

}  // namespace vireo
