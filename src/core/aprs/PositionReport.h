// What every position decoder hands to the station store: five ready-formatted texts.
#pragma once

#include <string>

namespace vireo {

struct PositionReport {
    std::string Call;         // 9 characters, blank-filled
    std::string Position;     // "ddmm.hhN dddmm.hhW"
    std::string CourseSpeed;  // "ccc/sss": course in degrees, speed in km/h
    std::string Altitude;     // whole metres, or "---"
    std::string IconCode;     // two characters, "00" when the symbol has no icon

    bool operator==(const PositionReport&) const = default;
};

}  // namespace vireo
