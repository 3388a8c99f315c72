#include "app/SettingsApply.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace vireo {

std::int32_t RoundHalfEven(double value) {
    if (!(value == value)) return 0;
    const double rounded = std::nearbyint(value);  // the default rounding mode is to even
    if (rounded >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (rounded <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(rounded);
}

std::string DecimalText(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::int32_t NormaliseRefreshBox(FormModel& m) {
    const std::int32_t seconds = std::clamp(RoundHalfEven(LeadingNumber(m.txtRefresh)), 4, 40);
    m.txtRefresh = std::to_string(seconds);
    return seconds * 1000 + 50;
}

DerivedSettings NormaliseSettingsBoxes(FormModel& m) {
    DerivedSettings d;

    auto timeout = [](std::string& box) {
        std::int32_t minutes = RoundHalfEven(LeadingNumber(box));
        if (minutes < 0) minutes = 30;
        box = std::to_string(minutes);
        return minutes;
    };
    d.StationTimeout = timeout(m.txtPosTime);
    d.TrackTimeout = timeout(m.txtTrackTime);

    m.txtTrackAngle =
        std::to_string(std::clamp(RoundHalfEven(LeadingNumber(m.txtTrackAngle)), 0, 85));
    m.txtTrackHead =
        std::to_string(std::clamp(RoundHalfEven(LeadingNumber(m.txtTrackHead)), 0, 360));

    // The follow lock runs at least one refresh interval and at most a minute; a minute means
    // Google Earth keeps flying to the station for as long as it is followed.
    double followLock = LeadingNumber(m.txtFollow);
    const double refresh = LeadingNumber(m.txtRefresh);
    if (refresh > followLock) {
        m.txtFollow = m.txtRefresh;
        followLock = refresh;
    }
    if (followLock > 60) {
        m.txtFollow = "60";
        followLock = 60;
    }
    d.FollowLockForever = followLock == 60;
    d.FollowLockMs = RoundHalfEven(followLock * 1000);

    const std::int32_t minRange = std::max(RoundHalfEven(LeadingNumber(m.txtMinRange)), 50);
    std::int32_t maxRange = RoundHalfEven(LeadingNumber(m.txtMaxRange));
    if (maxRange < minRange) maxRange = minRange + 300;
    d.RangeSlope = static_cast<float>((static_cast<double>(maxRange) - minRange) / 200.0);
    return d;
}

}  // namespace vireo
