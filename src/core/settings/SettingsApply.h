// What the OK button of the settings panel does to the boxes, as plain functions on the model:
// numbers are read with the leading-number rule, clamped, written back into their boxes, and the
// derived values the rest of the program works with are returned. The question about a changed
// refresh interval, the timers and the home position are the caller's.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/FormModel.h"
#include "text/Text.h"

namespace vireo {

// Reads the refresh box as whole seconds clamped to 4-40, writes the seconds back and returns the
// candidate interval in milliseconds (seconds * 1000 + 50).
std::int32_t NormaliseRefreshBox(FormModel& m);

struct DerivedSettings {
    int StationTimeout = 30;  // minutes
    int TrackTimeout = 60;    // minutes
    int FollowLockMs = 20000;
    bool FollowLockForever = false;
    float RangeSlope = 33.25f;  // metres of view range per km/h
};

// The remaining steps of OK after the refresh interval: timeouts, view angles, follow lock and
// range, with the corrected texts written back into their boxes.
DerivedSettings NormaliseSettingsBoxes(FormModel& m);

}  // namespace vireo
