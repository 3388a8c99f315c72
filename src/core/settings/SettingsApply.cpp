#include "settings/SettingsApply.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace vireo {

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
