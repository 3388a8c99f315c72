// Station lines, tracks and settings of the sample stations the KML tests build documents from.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "earth/KmlDocument.h"
#include "stations/OleDate.h"
#include "stations/StationTypes.h"

namespace vireo::test {

// A 56-column station line.
inline std::string Line(std::string_view stamp, std::string_view call9,
                        std::string_view courseSpeed, std::string_view code,
                        bool followed = false) {
    std::string line;
    line += stamp;
    line += "  ";
    line += call9;
    line += followed ? "* " : "  ";
    line += "4903.50N 07201.75W ";
    line += courseSpeed;
    line += ' ';
    line += code;
    return line;
}

inline double At(int hour, int minute) {
    return ToOleDate({2026, 12, 5, hour, minute, 0, 0});
}

// The sample store: N3CALL-5 at the top of the list, N0CALL-9 (four points) below it.
struct SampleStore {
    std::vector<std::string> lines = {
        Line("05/12/26 14:05", "N3CALL-5 ", "270/036", "TR"),
        Line("05/12/26 14:07", "N0CALL-9 ", "088/067", "CA", true),
    };
    std::vector<Track> tracks = {
        {{-71.5f, 42.625f, "376", At(14, 5)}},
        {{-72.0f, 49.0f, "---", At(13, 52)},
         {-72.01f, 49.02f, "---", At(13, 57)},
         {-72.02f, 49.04f, "---", At(14, 2)},
         {-72.029167f, 49.058333f, "---", At(14, 7)}},
    };

    std::vector<KmlStation> Stations() const {
        std::vector<KmlStation> stations;
        for (std::size_t i = 0; i < lines.size(); ++i) stations.push_back({lines[i], &tracks[i]});
        return stations;
    }
};

inline KmlSettings FollowingN0Call() {
    KmlSettings settings;
    settings.FollowedCall = "N0CALL-9 ";
    settings.followLockRunning = true;
    settings.StyleText =
        "<Style id=\"CA\"><IconStyle><Icon><href>/icons/car.png</href></Icon></IconStyle></Style>";
    settings.ServerUrl = "http://host:8008";
    return settings;
}

}  // namespace vireo::test
