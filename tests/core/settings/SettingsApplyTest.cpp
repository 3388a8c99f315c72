#include "settings/SettingsApply.h"
#include "text/Text.h"

#include <gtest/gtest.h>

#include <tuple>

namespace vireo {
namespace {

TEST(SettingsApplyTest, NumbersOfTheBoxes) {
    EXPECT_EQ(LeadingNumber("+3"), 3);
    EXPECT_EQ(LeadingNumber("1.2.3"), 1.2);
    EXPECT_EQ(LeadingNumber(".5"), 0.5);
    EXPECT_EQ(LeadingNumber("-"), 0);
    EXPECT_EQ(RoundHalfEven(12.5), 12);
    EXPECT_EQ(RoundHalfEven(13.5), 14);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(1e300), 2147483647);
}

TEST(SettingsApplyTest, RefreshIsClampedAndWrittenBack) {
    FormModel m;
    for (const auto& [typed, shown, ms] : {std::tuple{"2", "4", 4050},
                                           {"100", "40", 40050},
                                           {"12.5", "12", 12050},
                                           {"letters", "4", 4050},
                                           {" 6 ", "6", 6050}}) {
        m.txtRefresh = typed;
        EXPECT_EQ(NormaliseRefreshBox(m), ms) << typed;
        EXPECT_EQ(m.txtRefresh, shown);
    }
}

TEST(SettingsApplyTest, DerivedValuesAndWriteBack) {
    FormModel m;
    m.txtRefresh = "8";
    m.txtPosTime = "-1";
    m.txtTrackTime = "-1";
    m.txtTrackAngle = "-10";
    m.txtTrackHead = "000";
    m.txtFollow = "5";
    m.txtMinRange = "10";
    m.txtMaxRange = "20";
    DerivedSettings d = NormaliseSettingsBoxes(m);
    EXPECT_EQ(d.StationTimeout, 30);
    EXPECT_EQ(d.TrackTimeout, 30);
    EXPECT_EQ(m.txtPosTime, "30");
    EXPECT_EQ(m.txtTrackAngle, "0");
    EXPECT_EQ(m.txtTrackHead, "0");
    EXPECT_EQ(m.txtFollow, "8");
    EXPECT_EQ(d.FollowLockMs, 8000);
    EXPECT_FALSE(d.FollowLockForever);
    EXPECT_FLOAT_EQ(d.RangeSlope, 1.5f);
    EXPECT_EQ(m.txtMinRange, "10");  // the range boxes keep what was typed

    m.txtTrackHead = "400";
    m.txtFollow = "90";
    m.txtMinRange = "350";
    m.txtMaxRange = "7000";
    d = NormaliseSettingsBoxes(m);
    EXPECT_EQ(m.txtTrackHead, "360");
    EXPECT_EQ(m.txtFollow, "60");
    EXPECT_TRUE(d.FollowLockForever);
    EXPECT_EQ(d.FollowLockMs, 60000);
    EXPECT_FLOAT_EQ(d.RangeSlope, 33.25f);
}

}  // namespace
}  // namespace vireo
