// The running program's decisions, told as a user's story: events in with a fake clock and
// in-memory files, effects and the view out. No event loop, no sockets.
#include "session/Session.h"

#include <gtest/gtest.h>

#include "SessionFixture.h"
#include "stations/StationFiles.h"

namespace vireo {
namespace {

using namespace test;

TEST_F(SessionTest, FirstStartWritesTheDefaultsConnectsAndOpensAFortySecondWindow) {
    const Effects effects = Keep(Start());
    const auto writes = All<WriteFile>(effects);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0],
              (WriteFile{kSettingsPath, FormatSettingsLine(DefaultSettings("/app/Icons")), true}));
    EXPECT_EQ(writes[1].path, kLinkPath);
    EXPECT_NE(writes[1].bytes.find("<refreshInterval>6</refreshInterval>"), std::string::npos);
    EXPECT_EQ(All<ConnectTnc>(effects), (std::vector<ConnectTnc>{{"localhost", 8000}}));
    EXPECT_EQ(published.sendWindowUntilMs, now.monotonicMs + 40000);
    EXPECT_EQ(session.GetView().caption,
              "Vireo Earth Decoder for mobile APRS stations by Tamberlo - Http server enabled");
    EXPECT_EQ(session.GetView().clockLine, "Data 06/12/26   Ora 10:00");

    // A settings file the program cannot write is said once, in a box.
    EXPECT_NE(Box(session.FileWriteFailed(kSettingsPath)).find("cannot be written"),
              std::string::npos);
}

TEST_F(SessionTest, StartUpWaitsForTheRefreshQuestion) {
    for (const MessageAnswer answer : {MessageAnswer::Ok, MessageAnswer::Cancel}) {
        Settings([](SettingsRecord& r) { r.RefreshMs = 7000; });
        Session s(Ports());
        const Effects asked = s.Start(true, "url", now);
        EXPECT_EQ(Box(asked),
                  "Google Earth refresh interval has been modifyed.\r\nVireo_Decoder.kml will be "
                  "reloaded on Google Earth.\r\nProceed with new refresh interval (7 sec) ?");
        EXPECT_TRUE(All<ConnectTnc>(asked).empty());  // nothing goes on behind the question

        const Effects rest = s.Answer(QuestionId::RefreshChange, answer, now);
        EXPECT_EQ(All<ConnectTnc>(rest).size(), 1u);
        const bool ok = answer == MessageAnswer::Ok;
        EXPECT_EQ(s.Settings().RefreshMs, ok ? 7050 : 7000);
        EXPECT_EQ(s.GetView().refreshBox, ok ? "7" : "6.95");
        EXPECT_EQ(All<OpenWithDesktop>(rest).size(), ok ? 1u : 0u);
    }
}

TEST_F(SessionTest, HeardPacketsReachTheViewTheStoreAndTheDocumentAsDoMenuToggles) {
    Start();
    Keep(session.TncData(
        MakeAgwFrame('R', std::string("\xd5\x07\0\0\x7f\0\0\0", 8)) + MakeAgwFrame('X', "junk"),
        now));
    EXPECT_EQ(session.GetView().tncStatus, "Connesso ad AGWPE v2005.127");  // two-byte numbers

    Hear("N0CALL-9", "=4903.50N/07201.75W>088/036/A=001234 hello");
    const View& v = session.GetView();
    EXPECT_TRUE(v.lampLit && v.monitorLines.size() == 2);
    EXPECT_EQ(v.tncStatus + "|" + v.latitude + v.longitude + v.course + v.speedKnots + "|" +
                  v.speedKmh + "|" + v.altitude + "|" + v.status + "|" + v.caption,
              "N0CALL-9  @0|4903.50N07201.75W088036|66,7|376|Prima posizione|"
              "Vireo Earth Decoder by Tamberlo - 1 stations");
    EXPECT_TRUE(Served());
    EXPECT_FALSE(published.upToDate);  // built when a poll wants it, not per packet
    const auto built = published.answer;
    EXPECT_NE(Poll().find("N0CALL-9"), std::string::npos);
    EXPECT_NE(published.answer, built);
    Keep(session.DocumentWanted(now));  // nothing changed since: no new build
    EXPECT_EQ(published.answer.get(), &Poll());

    Hear("N0CALL-9", "=4903.60N/07201.75W>088/036");
    EXPECT_EQ(session.GetView().status, "Aggiornata posizione");
    EXPECT_EQ(session.Store().Count(), 1u);
    // Only the compressed road knows a position without course and speed.
    Hear("N1CALL", "!/5L!!<*e7>{?!");
    EXPECT_EQ(session.GetView().status, "** NO CSE / SPD **");
    EXPECT_EQ(session.Store().Count(), 1u);

    Keep(session.TimerFired(TimerId::ActivityLamp, now));
    EXPECT_FALSE(session.GetView().lampLit);

    // Menu toggles change the settings, and the document with them.
    const auto before = &Poll();
    Keep(session.Menu(Command::ToggleTracks, now));
    EXPECT_FALSE(session.Settings().ShowTracks);
    EXPECT_NE(&Poll(), before);
    Keep(session.Menu(Command::ToggleInfoPanel, now));
    EXPECT_TRUE(session.GetView().infoPanel);
    EXPECT_EQ(session.Settings().WindowWidth, kInfoPanelWidth);
    Keep(session.Menu(Command::ToggleInfoPanel, now));
    EXPECT_EQ(session.Settings().WindowWidth, kCompactWidth);
}

TEST_F(SessionTest, SendWindowsOpenOnChangeForcedAndOncePerMinute) {
    Start();
    // The first tick ends the forced start-up window and goes back to the refresh interval.
    Keep(session.TimerFired(TimerId::MinuteTick, Later(60000)));
    EXPECT_FALSE(Served());
    Hear("N0CALL-9", "=4903.50N/07201.75W>088/036");
    EXPECT_EQ(published.sendWindowUntilMs, now.monotonicMs + 6050);
    Later(7000);
    EXPECT_FALSE(Served());

    // A minute without change: the tick opens a window anyway, on the monotonic clock alone.
    Keep(session.TimerFired(TimerId::MinuteTick, Later(53000)));
    EXPECT_TRUE(Served());

    const std::tuple<Command, int, std::size_t> forced[] = {{Command::ForceRefresh, 30000, 0},
                                                            {Command::RunNetworkLink, 30000, 1},
                                                            {Command::Spacer, 20000, 0}};
    for (const auto& [command, ms, linksOpened] : forced) {
        const Effects effects = Keep(session.Menu(command, Later(10000)));
        EXPECT_EQ(published.sendWindowUntilMs, now.monotonicMs + ms);
        EXPECT_EQ(All<OpenWithDesktop>(effects).size(), linksOpened);
        EXPECT_EQ(All<StartTimer>(effects),
                  (std::vector<StartTimer>{{TimerId::MinuteTick, 60000}}));
    }
}

// A flood is taken a slice at a time, with the event loop served in between; bytes that arrive
// meanwhile queue behind the frames already waiting. Nothing is lost or reordered.
TEST_F(SessionTest, AFloodIsHandledInSlicesInOrder) {
    Start();
    std::string flood;
    for (int i = 0; i < 600; ++i)
        flood += Heard(std::string("N").append(std::to_string(i)), "=4903.50N/07201.75W>088/036");
    int slices = 1;
    Effects effects = session.TncData(flood, now);
    while (!All<ContinueTnc>(effects).empty()) {
        EXPECT_LT(session.Store().Count(), 600u);
        if (slices == 1) {
            const std::string late = Heard("LAST", "=4903.50N/07201.75W>088/036");
            EXPECT_TRUE(All<ContinueTnc>(session.TncData(late, now)).empty());
        }
        effects = session.TncContinue(now);
        ++slices;
    }
    EXPECT_EQ(slices, 3);
    ASSERT_EQ(session.Store().Count(), 601u);
    EXPECT_EQ(session.Store().LineAt(600)->text.substr(16, 9), "LAST     ");
    EXPECT_EQ(session.Store().LineAt(599)->text.substr(16, 9), "N599     ");
}

TEST_F(SessionTest, FollowingFromGoogleEarth) {
    Start();
    Hear("N0CALL-9", "=4203.00N/01200.00E>088/036");
    Keep(session.FollowRequested("N0CALL-9", now));
    const View& v = session.GetView();
    EXPECT_EQ(session.Settings().FollowedCall, "N0CALL-9 ");
    EXPECT_TRUE(v.unfollowVisible);
    EXPECT_EQ(v.unfollowCaption + "|" + v.clockLine,
              "&Stop following N0CALL-9 |Following N0CALL-9 ");
    EXPECT_TRUE(session.FollowLockRunning(Later(19000)));
    EXPECT_FALSE(session.FollowLockRunning(Later(2000)));

    // Each report of the followed station gives its distance from home and renews the lock.
    Hear("N0CALL-9", "=4206.00N/01200.00E>088/036");
    EXPECT_EQ(v.clockLine, "11,1 Km from N0CALL-9 ");
    EXPECT_TRUE(session.FollowLockRunning(now));
    EXPECT_NE(Poll().find("<flyToView>1</flyToView>"), std::string::npos);

    Keep(session.TimerFired(TimerId::MinuteTick, Later(60000)));
    Keep(session.UnfollowRequested(Later(1000)));
    EXPECT_TRUE(session.Settings().FollowedCall.empty());
    EXPECT_FALSE(v.unfollowVisible);
    EXPECT_EQ(v.followCaption, "&Follow a station");
    EXPECT_TRUE(Served());
}

TEST_F(SessionTest, StationsSurviveARestartAndStaleOnesExpire) {
    Start();
    Hear("K1ABC-9", "=4903.50N/07201.75W>088/036");
    Hear("K2ABC-9", "=4903.50N/07201.75W>088/036", 20 * 60000);
    const Effects shutdown = session.Shutdown();
    for (const WriteFile& file : All<WriteFile>(shutdown)) files[file.path] = file.bytes;
    const auto saved = All<WriteStationFiles>(shutdown);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_TRUE(session.Shutdown().empty());
    files["/app/Positions.ini"] = saved[0].ini;
    files["/app/Positions.dat"] = saved[0].dat;

    // Forty minutes after the first report only the second station is left.
    Later(20 * 60000);
    Session restarted(Ports());
    Keep(restarted.Start(true, "url", now));
    EXPECT_EQ(restarted.Store().Count(), 1u);
    EXPECT_TRUE(restarted.Store().FindCall("K2ABC-9  "));
    EXPECT_TRUE(restarted.Settings().TracksAllocated);
}

TEST_F(SessionTest, TncErrorsAreShownOnceAndResetTheLink) {
    Start();
    const Effects effects = session.TncError("Connection refused", now);
    EXPECT_EQ(Box(effects), "Connection refused - localhost:8000");
    EXPECT_EQ(All<CloseTnc>(effects).size(), 1u);
    EXPECT_EQ(session.GetView().connectCaption + "|" + session.GetView().tncStatus,
              "&Connect AGWPE|Connessione ad AGWPE chiusa");
    EXPECT_TRUE(session.TncError("again", now).empty());
    // Data of a closed link is not read.
    Keep(session.TncData(Heard("N0CALL", "=4903.50N/07201.75W>088/036"), now));
    EXPECT_EQ(session.Store().Count(), 0u);

    Settings([](SettingsRecord& r) { r.AgwPort = "80x0"; });
    Session badPort(Ports());
    EXPECT_EQ(Box(badPort.Start(true, "url", now)), "Invalid port number - localhost:80x0");
    EXPECT_FALSE(badPort.TncOpen());
}

TEST_F(SessionTest, AFailedBuildShowsABoxAndKeepsTheLastDocument) {
    Settings([](SettingsRecord& r) {
        r.MinRange = "far";
        r.FollowedCall = "N0CALL-9 ";
    });
    Start();
    Hear("N1CALL-9", "=4903.50N/07201.75W>088/036");
    const auto kept = &Poll();
    Hear("N0CALL-9", "=4903.50N/07201.75W>088/036");
    const Effects effects = Keep(session.DocumentWanted(now));
    ASSERT_EQ(All<ShowMessage>(effects).size(), 1u);
    EXPECT_EQ(All<ShowMessage>(effects)[0].title, "KML error");
    EXPECT_EQ(published.answer.get(), kept);
    EXPECT_TRUE(session.DocumentWanted(now).size() == 1u);  // no second box until a change
    EXPECT_EQ(session.Store().Count(), 2u);
}

}  // namespace
}  // namespace vireo
