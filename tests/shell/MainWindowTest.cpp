#include "shell/MainWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QListWidget>

#include "TestSupport.h"
#include "shell/VireoApp.h"

namespace vireo {
namespace {

using test::FakeTnc;
using test::WaitFor;

TEST(MainWindow, MirrorsTheModelAndForwardsCommands) {
    QTemporaryDir folder;
    FakeTnc tnc;
    SettingsRecord record = DefaultSettings("icons");
    record.AgwAddress = "127.0.0.1";
    record.AgwPort = std::to_string(tnc.port());
    record.AutoConnect = false;
    const QString ini = QDir(folder.path()).filePath("Vireo_Decoder.ini");
    ASSERT_TRUE(SaveSettingsFile(ini.toStdString(), record));

    test::ScriptedBoxes boxes;
    VireoApp app(folder.path(), boxes);
    app.SetHttpEndpoint(QHostAddress::LocalHost, 0);
    app.SetFileOpener([](const QString&) {});
    MainWindow window(app);
    app.Startup();
    window.show();

    EXPECT_EQ(window.windowTitle(),
              "Vireo Earth Decoder for mobile APRS stations by Tamberlo - Http server enabled");
    EXPECT_EQ(window.nmuConnect()->text(), "&Connect AGWPE");
    EXPECT_FALSE(window.mnuAutoConnect()->isChecked());
    EXPECT_EQ(window.List2()->toolTip(), "Agw Packet Engine Monitor Window");

    // The window shows the model's changes at the next pass of the event loop.
    window.mnuAutoConnect()->trigger();
    EXPECT_TRUE(app.Model().mnuAutoConnect);
    ASSERT_TRUE(WaitFor([&] { return window.mnuAutoConnect()->isChecked(); }));

    window.nmuConnect()->trigger();
    ASSERT_TRUE(WaitFor([&] { return window.nmuConnect()->text() == "&Disconnect AGWPE"; }));
    ASSERT_TRUE(WaitFor([&] { return tnc.received.size() >= 72; }));
    // A Latin-1 byte in the monitor text shows as its character.
    tnc.Send(FakeTnc::Frame('U', " 1:Fm N0CALL To APRS <UI>\r>Caf\xe9\r"));
    ASSERT_TRUE(WaitFor([&] { return window.List2()->count() == 2; }));
    EXPECT_EQ(window.List2()->item(1)->text(), QString::fromUtf8(">Caf\u00e9"));

    // A position: its line in the station list, its details in the information panel.
    tnc.Send(FakeTnc::Frame('U', " 1:Fm N0CALL-9 To APRS <UI>\r=4903.50N/07201.75W>088/036\r"));
    ASSERT_TRUE(WaitFor([&] { return window.lstDataSent()->count() == 1; }));
    EXPECT_EQ(window.lstDataSent()->item(0)->text().mid(16, 40),
              "N0CALL-9   4903.50N 07201.75W 088/067 CA");
    EXPECT_EQ(window.lblLat()->text(), "4903.50N");
    EXPECT_EQ(window.lblStatus()->text(), "Prima posizione");
    EXPECT_EQ(window.windowTitle(), "Vireo Earth Decoder by Tamberlo - 1 stations");

    // The information panel uncovers the monitor by moving the station list right.
    EXPECT_EQ(window.frmDataSent()->x(), 0);
    window.mnuDebug()->trigger();
    EXPECT_TRUE(window.mnuDebug()->isChecked());
    EXPECT_TRUE(WaitFor([&] {
        return window.frmDataSent()->x() > window.List2()->x() + window.List2()->width() - 20;
    }));

    // Showing the window does not round the geometry the settings gave; a move by the user does.
    test::RunEvents(50);
    EXPECT_EQ(app.Model().geometry, (WindowGeometry{0, 0, 11050, 2650}));
    window.move(window.x() + 10, window.y());
    EXPECT_GT(app.Model().geometry.left, 0);
    EXPECT_EQ(app.Model().geometry.width, 11050);

    // Closing the window runs the shut-down: the settings are saved with the new check mark.
    QFile::remove(ini);
    window.close();
    const auto saved = LoadSettingsFile(ini.toStdString(), "icons");
    EXPECT_EQ(saved.origin, SettingsOrigin::File);
    EXPECT_TRUE(saved.record.AutoConnect);
    EXPECT_EQ(app.Winsock1().state(), AgwLink::State::Closed);
}

}  // namespace
}  // namespace vireo
