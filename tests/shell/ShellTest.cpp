// The shell and its window wired to a fake TNC and a real HTTP client over loopback.
#include "shell/Shell.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QListWidget>

#include "shell/StationListModel.h"

#include "TestSupport.h"
#include "shell/MainWindow.h"
#include "stations/StationFiles.h"

namespace vireo {
namespace {

using test::WaitFor;

TEST(Shell, TakesAStationFromTheTncShowsAndServesItAndSavesEverythingWhenTheWindowCloses) {
    test::FakeTnc tnc;
    test::Rig rig(tnc.Port(), false);
    const Session& session = rig.shell.GetSession();
    MainWindow window(rig.shell);
    rig.shell.Start();
    window.show();
    EXPECT_EQ(window.clockLabel()->text(), "Data 17/05/26   Ora 14:03");

    // Each menu item sends its command; its check mark follows the setting, whoever changes it.
    const std::tuple<QAction*, Command, bool SettingsRecord::*> toggles[] = {
        {window.autoConnectAction(), Command::ToggleAutoConnect, &SettingsRecord::AutoConnect},
        {window.tracksAction(), Command::ToggleTracks, &SettingsRecord::ShowTracks},
        {window.autoIconAction(), Command::ToggleAutoIcon, &SettingsRecord::AutoIcon},
        {window.altitudeAction(), Command::ToggleAltitude, &SettingsRecord::UseAltitude},
        {window.followLinksAction(), Command::ToggleFollowLinks, &SettingsRecord::FollowLinks},
    };
    for (const auto& [action, command, setting] : toggles) {
        const bool before = session.Settings().*setting;
        EXPECT_EQ(action->isChecked(), before) << action->text().toStdString();
        action->trigger();
        EXPECT_EQ(session.Settings().*setting, !before) << action->text().toStdString();
        rig.shell.Run(command);
        EXPECT_TRUE(WaitFor([&] { return action->isChecked() == before; }));
    }

    // Connected from the menu: monitoring on, then the version.
    window.connectAction()->trigger();
    ASSERT_TRUE(WaitFor(
        [&] { return tnc.received.toStdString() == MakeAgwRequest('m') + MakeAgwRequest('R'); }));
    EXPECT_TRUE(WaitFor([&] { return window.connectAction()->text() == "&Disconnect AGWPE"; }));
    tnc.Send(MakeAgwFrame('U',
                          " 1:Fm N3CALL-5 To APDR16 <UI pid=F0 Len=28 PF=0 >[09:38:22]\r"
                          "=4903.50N/07201.75W>088/036\r" +
                              std::string(1, '\0')));
    // The packet: its line in the station list, its details in the information panel.
    ASSERT_TRUE(WaitFor([&] { return window.stations().rowCount() == 1; }));
    EXPECT_EQ(QString::fromLatin1(window.stations().Line(0)).mid(16, 40),
              "N3CALL-5   4903.50N 07201.75W 088/067 CA");
    EXPECT_EQ(window.monitorLines()->count(), 2);
    EXPECT_EQ(window.latitudeLabel()->text(), "4903.50N");
    EXPECT_EQ(window.statusLabel()->text(), "Prima posizione");

    // A follow link clicked in Google Earth reaches the session.
    test::Exchange(rig.shell.Http().Port(), "GET /track/N3CALL-5 HTTP/1.1\r\n\r\n");
    ASSERT_TRUE(WaitFor([&] { return session.Settings().FollowedCall == "N3CALL-5 "; }));

    // Closing the window runs the shut-down: server and link closed, every file written.
    window.close();
    EXPECT_FALSE(rig.shell.Http().IsListening());
    EXPECT_TRUE(WaitFor([&] { return tnc.client->state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(rig.Read(kSettingsFileName), FormatSettingsLine(session.Settings()));
    EXPECT_EQ(rig.Read(kPositionsIniName), FormatPositionsIni(session.Store().Entries()));
    EXPECT_EQ(rig.Read(kPositionsDatName), FormatPositionsDat(session.Store().Tracks()));
    EXPECT_TRUE(rig.boxes.shown.empty());
}

// A refused connection is answered in the error box; a TNC that closes the connection is not.
TEST(Shell, ARefusedConnectionIsAnErrorAPeerClosingTheLinkIsNot) {
    quint16 port = 0;  // a port on which nothing listens: bound once, then released
    if (QTcpServer probe; probe.listen(QHostAddress::LocalHost, 0)) port = probe.serverPort();
    test::Rig rig(port);
    rig.shell.Start();
    ASSERT_TRUE(WaitFor([&] { return rig.boxes.shown.size() == 1; }));
    EXPECT_EQ(rig.boxes.shown[0].id, QuestionId::TncError);
    EXPECT_TRUE(rig.boxes.shown[0].text.ends_with(" - 127.0.0.1:" + std::to_string(port)));
    EXPECT_EQ(rig.shell.GetSession().GetView().connectCaption, kConnectCaption);

    test::FakeTnc tnc(port);
    rig.shell.Run(Command::ToggleConnection);  // the link is ready for another attempt
    ASSERT_TRUE(WaitFor([&] { return tnc.received.size() == 2 * kAgwHeaderSize; }));
    tnc.client->disconnectFromHost();
    WaitFor([] { return false; }, 200);  // a box would come meanwhile
    EXPECT_EQ(rig.boxes.shown.size(), 1u);
}

}  // namespace
}  // namespace vireo
