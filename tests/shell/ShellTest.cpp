// The shell wired to a fake TNC and a real HTTP client over loopback.
#include "shell/Shell.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "earth/HttpProtocol.h"
#include "stations/StationFiles.h"

namespace vireo {
namespace {

using test::WaitFor;

TEST(Shell, TakesAStationFromTheTncServesItAndSavesEverythingAtShutdown) {
    test::FakeTnc tnc;
    test::Rig rig(tnc.Port());
    const Session& session = rig.shell.GetSession();
    rig.shell.Start();
    // Connected: monitoring on, then the version.
    ASSERT_TRUE(WaitFor(
        [&] { return tnc.received.toStdString() == MakeAgwRequest('m') + MakeAgwRequest('R'); }));
    tnc.Send(test::Frame('U',
                         " 1:Fm N3CALL-5 To APDR16 <UI pid=F0 Len=28 PF=0 >[09:38:22]\r"
                         "=4903.50N/07201.75W>088/036\r" +
                             std::string(1, '\0')));
    ASSERT_TRUE(WaitFor([&] { return session.Store().Count() == 1; }));

    // Inside the start-up send window a poll gets the document with the station in it, and a
    // follow link clicked in Google Earth reaches the session.
    const std::string answer = test::Exchange(rig.shell.Http().Port(), "GET / HTTP/1.1\r\n\r\n");
    EXPECT_EQ(answer, DocumentAnswer(session.Document()));
    EXPECT_NE(answer.find("<name>N3CALL-5</name>"), std::string::npos);
    test::Exchange(rig.shell.Http().Port(), "GET /track/N3CALL-5 HTTP/1.1\r\n\r\n");
    ASSERT_TRUE(WaitFor([&] { return session.Settings().FollowedCall == "N3CALL-5 "; }));

    rig.shell.Shutdown();
    EXPECT_FALSE(rig.shell.Http().IsListening());
    EXPECT_TRUE(WaitFor([&] { return tnc.client->state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(rig.Read(kSettingsFileName), FormatSettingsLine(session.Settings()));
    EXPECT_EQ(rig.Read(kPositionsIniName), FormatPositionsIni(session.Store().Entries()));
    EXPECT_EQ(rig.Read(kPositionsDatName), FormatPositionsDat(session.Store().Tracks()));
    EXPECT_TRUE(rig.boxes.shown.empty());
}

TEST(Shell, ARefusedConnectionIsAnsweredInTheErrorBoxAndCanBeRetried) {
    const quint16 closed = test::ClosedPort();
    test::Rig rig(closed);
    rig.shell.Start();
    ASSERT_TRUE(WaitFor([&] { return rig.boxes.shown.size() == 1; }));
    EXPECT_EQ(rig.boxes.shown[0].id, QuestionId::TncError);
    EXPECT_TRUE(rig.boxes.shown[0].text.ends_with(" - 127.0.0.1:" + std::to_string(closed)));
    EXPECT_EQ(rig.shell.GetSession().GetView().connectCaption, kConnectCaption);

    rig.shell.Run(Command::ToggleConnection);  // the link is ready for another attempt
    ASSERT_TRUE(WaitFor([&] { return rig.boxes.shown.size() == 2; }));
}

}  // namespace
}  // namespace vireo
