#include "shell/VireoApp.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>

#include "TestSupport.h"

namespace vireo {
namespace {

using test::FakeTnc;
using test::WaitFor;

const QDateTime kNow(QDate(2026, 5, 17), QTime(14, 3, 9));

class VireoAppTest : public ::testing::Test {
  protected:
    VireoAppTest() {
        app.SetHttpEndpoint(QHostAddress::LocalHost, 0);
        app.SetFileOpener([](const QString&) {});
    }

    // A settings file in the temporary application folder, pointing at the fake TNC.
    void WriteSettings(const std::function<void(SettingsRecord&)>& edit = {}) {
        SettingsRecord record = DefaultSettings("icons");
        record.AgwAddress = "127.0.0.1";
        record.AgwPort = std::to_string(tnc.port());
        if (edit) edit(record);
        ASSERT_TRUE(SaveSettingsFile(SettingsFile(), record));
    }
    std::string SettingsFile() const {
        return QDir(folder.path()).filePath("Vireo_Decoder.ini").toStdString();
    }
    std::string ReadSettingsFile() const {
        QFile file(QString::fromStdString(SettingsFile()));
        file.open(QIODevice::ReadOnly);
        return file.readAll().toStdString();
    }
    void ConnectAndAnswerVersion() {
        WriteSettings();
        app.Startup();
        ASSERT_TRUE(WaitFor([&] { return tnc.received.size() >= 72; }));
        tnc.Send(FakeTnc::Frame('R', std::string("\x01\0\0\0\x17\0\0\0", 8)));
        ASSERT_TRUE(WaitFor([&] { return app.Model().lblAGW == "Connesso ad AGWPE v1.23"; }));
    }

    QTemporaryDir folder;
    FakeTnc tnc;
    test::ScriptedBoxes boxes;
    VireoApp app{folder.path(), boxes, [] { return kNow; }};
};

TEST_F(VireoAppTest, FirstStartWritesDefaultsAndShowsThem) {
    app.Startup();
    EXPECT_EQ(ReadSettingsFile(),
              FormatSettingsLine(DefaultSettings(
                  QDir::toNativeSeparators(folder.path() + "/Icons").toStdString())));
    const FormModel& m = app.Model();
    EXPECT_EQ(m.txtAddr, "localhost");
    EXPECT_EQ(m.txtPort, "8000");
    EXPECT_EQ(m.txtRefresh, "6");
    EXPECT_EQ(m.txtTrackHead, "0");  // the settings are applied: numbers are written back
    EXPECT_TRUE(m.mnuAutoConnect);
    EXPECT_TRUE(m.mnuAutoIcon && m.AutoIcon);
    EXPECT_TRUE(m.mnuEnableTrack && m.ShowTracks);
    EXPECT_FALSE(m.mnuHeight || m.mnuLinkOn || m.mnuDebug || m.frmSetVisible);
    EXPECT_EQ(m.geometry, (WindowGeometry{0, 0, 5600, 2650}));
    EXPECT_EQ(m.StyleFile, "Vireo_Decoder.xml");
    // The defaults connect at once; the attempt is under way without waiting for its outcome.
    EXPECT_EQ(m.nmuConnect, "&Disconnect AGWPE");
    app.Shutdown();
}

TEST_F(VireoAppTest, SettingsSurviveARunAndTheWindowsState) {
    WriteSettings([](SettingsRecord& r) {
        r.AutoConnect = false;
        r.RefreshMs = 10050;
        r.IconsFolder = "C:\\Radio, APRS\\Icons";
        r.WindowLeft = 300;
        r.StyleFile = "";
    });
    app.Startup();
    EXPECT_EQ(app.Model().txtRefresh, "10");
    EXPECT_EQ(app.Model().nmuConnect, "&Connect AGWPE");
    EXPECT_EQ(tnc.connections, 0);
    app.mnuAutoConnect_Click();
    app.SetWindowGeometry({150, 75.5f, 5600, 3000});
    app.Shutdown();
    app.Shutdown();  // a second call changes nothing

    const auto saved = ParseSettingsText(ReadSettingsFile());
    ASSERT_TRUE(saved);
    EXPECT_TRUE(saved->AutoConnect);
    EXPECT_EQ(saved->RefreshMs, 10050);
    EXPECT_EQ(saved->IconsFolder, "C:\\Radio, APRS\\Icons");
    EXPECT_EQ(saved->StyleFile, "Vireo_Decoder.xml");  // an empty style file name is filled in
    EXPECT_EQ(saved->WindowLeft, 150);
    EXPECT_EQ(saved->WindowTop, 76);  // read back as a whole number of twips
    EXPECT_EQ(saved->WindowHeight, 3000);
    EXPECT_EQ(saved->AgwPort, std::to_string(tnc.port()));
}

TEST_F(VireoAppTest, VersionMonitorTextLampAndStatusLine) {
    ConnectAndAnswerVersion();
    EXPECT_EQ(app.Model().nmuConnect, "&Disconnect AGWPE");
    int handled = 0;
    QObject::connect(&app, &VireoApp::MonitorFrameHandled, [&] { ++handled; });

    const std::string header =
        " 1:Fm N3CALL-5 To APDR16 Via WIDE1-1,WIDE2-1 <UI pid=F0 Len=43 PF=0 >[09:38:22]";
    // An unknown kind, a header-only frame and an "I" frame in front change nothing.
    tnc.Send(FakeTnc::Frame('x', "zzz") + MakeAgwRequest('U') + FakeTnc::Frame('I', "a\rb\r") +
             FakeTnc::Frame('U', header + "\r=4237.14N/07120.83W>088/036/A=001234 Mobile\r" +
                                     std::string(1, '\0')));
    ASSERT_TRUE(WaitFor([&] { return handled == 1; }));
    const FormModel& m = app.Model();
    ASSERT_EQ(m.List2.size(), 2u);
    EXPECT_EQ(m.List2[0], header);
    EXPECT_EQ(m.List2[1], "=4237.14N/07120.83W>088/036/A=001234 Mobile");
    EXPECT_TRUE(m.Shape1Lit);
    EXPECT_EQ(m.lblAGW,
              "N3CALL-5  @" + QLocale::system().toString(kNow, QLocale::ShortFormat).toStdString());
    ASSERT_TRUE(WaitFor([&] { return !app.Model().Shape1Lit; }, 2000));

    // A header alone: one line, nothing decoded, the lamp stays dark.
    tnc.Send(FakeTnc::Frame('U', header + "\r"));
    ASSERT_TRUE(WaitFor([&] { return handled == 2; }));
    EXPECT_EQ(m.List2.size(), 1u);
    EXPECT_FALSE(m.Shape1Lit);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(VireoAppTest, MenuClickWhileConnectingClosesAndOneAfterPeerCloseOnlyResets) {
    WriteSettings([](SettingsRecord& r) { r.AutoConnect = false; });
    app.Startup();
    app.nmuConnect_Click();
    app.nmuConnect_Click();
    EXPECT_EQ(app.Model().nmuConnect, "&Connect AGWPE");
    EXPECT_EQ(app.Model().lblAGW, "Connessione ad AGWPE chiusa");

    test::RunEvents(50);
    EXPECT_TRUE(tnc.received.isEmpty());  // the attempt was abandoned before it sent anything
    const int earlier = tnc.connections;

    app.nmuConnect_Click();
    ASSERT_TRUE(WaitFor([&] { return tnc.received.size() >= 72; }));
    tnc.client->disconnectFromHost();
    ASSERT_TRUE(WaitFor([&] { return app.Winsock1().state() == AgwLink::State::ClosedByPeer; }));
    EXPECT_EQ(app.Model().nmuConnect, "&Disconnect AGWPE");  // a closing TNC goes unnoticed
    app.nmuConnect_Click();
    EXPECT_EQ(app.Model().nmuConnect, "&Connect AGWPE");
    EXPECT_EQ(app.Model().lblAGW, "Connessione ad AGWPE chiusa");
    test::RunEvents(50);
    EXPECT_EQ(tnc.connections, earlier + 1);
    app.nmuConnect_Click();
    ASSERT_TRUE(WaitFor([&] { return tnc.connections == earlier + 2; }));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(VireoAppTest, ConnectionErrorIsShownThenTheLinkIsClosed) {
    const quint16 closed = test::ClosedPort();
    WriteSettings([&](SettingsRecord& r) {
        r.AgwAddress = "  127.0.0.1 ";  // blanks around the host are trimmed
        r.AgwPort = std::to_string(closed);
    });
    app.Startup();
    ASSERT_TRUE(WaitFor([&] { return !boxes.shown.empty(); }));
    const test::ShownBox& box = boxes.shown[0];
    EXPECT_EQ(box.icon, MessageIcon::Exclamation);
    EXPECT_EQ(box.title, "Vireo Decoder - Errore collegamento con AGWPE");
    const std::string suffix = " - 127.0.0.1:" + std::to_string(closed);
    ASSERT_GT(box.text.size(), suffix.size());
    EXPECT_EQ(box.text.substr(box.text.size() - suffix.size()), suffix);
    EXPECT_EQ(app.Model().nmuConnect, "&Connect AGWPE");
    EXPECT_EQ(app.Model().lblAGW, "Connessione ad AGWPE chiusa");
    EXPECT_EQ(app.Winsock1().state(), AgwLink::State::Closed);
    test::RunEvents(50);
    EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST_F(VireoAppTest, EmptyHostBeforeTheFirstConnectFailsThroughTheErrorBox) {
    WriteSettings([](SettingsRecord& r) { r.AgwAddress = ""; });
    app.Startup();
    ASSERT_TRUE(WaitFor([&] { return !boxes.shown.empty(); }));
    EXPECT_EQ(boxes.shown[0].title, "Vireo Decoder - Errore collegamento con AGWPE");
    EXPECT_EQ(app.Model().nmuConnect, "&Connect AGWPE");
}

TEST_F(VireoAppTest, PortThatIsNoNumberIsRefusedWithoutConnecting) {
    for (const char* port : {"80x0", "70000", "0", " "}) {
        WriteSettings([&](SettingsRecord& r) { r.AgwPort = port; });
        test::ScriptedBoxes localBoxes;
        VireoApp local(folder.path(), localBoxes);
        local.Startup();
        EXPECT_EQ(local.Model().nmuConnect, "&Connect AGWPE") << port;
        EXPECT_EQ(local.Winsock1().state(), AgwLink::State::Closed);
        ASSERT_EQ(localBoxes.shown.size(), 1u) << port;
        EXPECT_NE(localBoxes.shown[0].text.find(std::string(":") + port), std::string::npos);
        local.Shutdown();
    }
    test::RunEvents(50);
    EXPECT_EQ(tnc.connections, 0);
}

}  // namespace
}  // namespace vireo
