#include "shell/MainWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QListWidget>

#include "shell/StationListModel.h"

#include "TestSupport.h"

namespace vireo {
namespace {

using test::WaitFor;

TEST(MainWindow, ForwardsCommandsShowsPacketsAndShutsDownOnClose) {
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

    // A packet: its line in the station list, its details in the information panel.
    window.connectAction()->trigger();
    ASSERT_TRUE(WaitFor([&] { return tnc.received.size() >= 72; }));
    EXPECT_EQ(window.connectAction()->text(), "&Disconnect AGWPE");
    window.infoPanelAction()->trigger();
    tnc.Send(test::Frame('U', " 1:Fm N0CALL-9 To APRS <UI>\r=4903.50N/07201.75W>088/036\r"));
    ASSERT_TRUE(WaitFor([&] { return window.stations().rowCount() == 1; }));
    EXPECT_EQ(QString::fromLatin1(window.stations().Line(0)).mid(16, 40),
              "N0CALL-9   4903.50N 07201.75W 088/067 CA");
    EXPECT_EQ(window.monitorLines()->count(), 2);
    EXPECT_EQ(window.latitudeLabel()->text(), "4903.50N");
    EXPECT_EQ(window.statusLabel()->text(), "Prima posizione");
    EXPECT_TRUE(window.infoPanelAction()->isChecked());

    // Closing the window runs the shut-down, which saves the settings.
    window.close();
    EXPECT_FALSE(rig.shell.Http().IsListening());
    EXPECT_EQ(rig.Read(kSettingsFileName), FormatSettingsLine(session.Settings()));
    EXPECT_TRUE(rig.boxes.shown.empty());
}

}  // namespace
}  // namespace vireo
