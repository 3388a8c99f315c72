// The window's panels and list actions, told as a user's story: the settings panel's OK and
// Cancel, following from the panel and by double-click, cutting tracks.
#include <gtest/gtest.h>

#include "SessionFixture.h"

namespace vireo {
namespace {

using namespace test;

TEST_F(SessionTest, SettingsPanelCorrectsTheBoxesAndAsksBeforeANewRefresh) {
    Start();
    session.OpenSettings(now);
    EXPECT_TRUE(session.GetView().settingsPanel);
    SettingsRecord boxes = session.Settings();
    boxes.ViewTilt = "-10";
    boxes.MoveBeep = true;
    boxes.StyleFile = "other.xml";  // not a panel field: left alone
    const Effects ok = session.SettingsOk(boxes, "12.5", now);
    EXPECT_TRUE(session.GetView().settingsPanel);  // open until the question is answered
    Asked(ok,
          "Google Earth refresh interval has been modifyed.\r\nVireo_Decoder.kml will be reloaded "
          "on Google Earth.\r\nProceed with new refresh interval (12 sec) ?",
          MessageAnswer::Cancel);
    const SettingsRecord& s = session.Settings();
    EXPECT_EQ(std::tie(s.ViewTilt, s.MoveBeep, s.StyleFile, s.RefreshMs),
              std::tuple("0", true, "Vireo_Decoder.xml", 6050));
    EXPECT_EQ(session.GetView().refreshBox, "6");
    EXPECT_FALSE(session.GetView().settingsPanel);
}

TEST_F(SessionTest, FollowingFromThePanelAndByDoubleClick) {
    Start();
    Hear("KW1AW", "=4903.50N/07201.75W>088/036");
    session.OpenFollowPanel(now);
    EXPECT_EQ(session.GetView().followStatus, "No station currently followed");
    // W1AW is only part of KW1AW's call: not listed. Yes lets the user type another; No follows
    // it all the same, and its line gets the mark and the lock when it is first heard.
    const std::string notFound =
        "W1AW      not found in current list.\r\nDo you want to enter another station ?";
    const int focus = session.GetView().followFocus;
    Asked(session.FollowTyped("W1AW", now), notFound, MessageAnswer::Yes);
    EXPECT_TRUE(session.GetView().followPanel);
    EXPECT_EQ(session.GetView().followFocus, focus + 1);
    Asked(session.FollowTyped("W1AW", now), notFound, MessageAnswer::No);
    EXPECT_EQ(session.GetView().clockLine, "Following W1AW     ");
    EXPECT_FALSE(session.FollowLockRunning(now));
    Hear("W1AW", "=4903.50N/07201.75W>088/036");
    EXPECT_EQ(Line("W1AW")[25], '*');
    EXPECT_TRUE(session.FollowLockRunning(now));

    // A double-click on the followed line stops following.
    Asked(session.LineDoubleClicked(Line("W1AW"), now),
          "Conferma CANCELLAZIONE Following di W1AW      ?", MessageAnswer::Ok);
    EXPECT_EQ(Line("W1AW")[25], ' ');
    EXPECT_EQ(session.GetView().clockLine.substr(0, 5), "Data ");

    // Cancel in the not-found question empties the box.
    session.FollowTyped("NOBODY", now);
    session.Answer(QuestionId::FollowNotFound, MessageAnswer::Cancel, now);
    EXPECT_EQ(std::tie(session.GetView().followBox, session.Settings().FollowedCall),
              std::tie("", ""));
}

TEST_F(SessionTest, TrackCutsAskFirstAndKeepTheNewestPoints) {
    Start();
    Hear("N0CALL-9", "=4903.50N/07201.75W>088/036");
    Hear("N0CALL-9", "=4903.60N/07201.75W>088/036");
    Hear("N0CALL", "=4803.50N/07201.75W>088/036");
    Hear("N0CALL", "=4803.60N/07201.75W>088/036");
    const std::string question = "Delete N0CALL-9  track ?";
    Asked(session.DeleteTrackChosen(Line("N0CALL-9"), now), question, MessageAnswer::Cancel);
    EXPECT_EQ(session.Store().TrackOfCall("N0CALL-9")->size(), 2u);
    Asked(session.DeleteTrackChosen(Line("N0CALL-9"), now), question, MessageAnswer::Ok);
    EXPECT_EQ(session.Store().TrackOfCall("N0CALL-9")->size(), 1u);
    EXPECT_EQ(session.Store().TrackOfCall("N0CALL")->size(), 2u);

    // All tracks: points of the present minute stay, older ones go but the newest.
    Asked(session.DeleteAllTracksChosen(now), "Delete All Tracks ?", MessageAnswer::No);
    Asked(session.DeleteAllTracksChosen(now), "Delete All Tracks ?", MessageAnswer::Yes);
    EXPECT_EQ(session.Store().TrackOfCall("N0CALL")->size(), 2u);
    Hear("N0CALL", "=4803.70N/07201.75W>088/036", 60000);
    session.Answer(QuestionId::DeleteAllTracks, MessageAnswer::Yes, now);
    EXPECT_EQ(session.Store().TrackOfCall("N0CALL")->size(), 1u);
}

}  // namespace
}  // namespace vireo
