// The road of a packet through the application object: heard from the TNC, decoded, stored,
// built into the document and served over HTTP; and the send window, following, the station
// files and the document's failure path around it.
#include <gtest/gtest.h>

#include <QFile>

#include "TestSupport.h"
#include "shell/VireoApp.h"
#include "stations/StationFiles.h"

namespace vireo {
namespace {

using test::FakeTnc;
using test::HttpExchange;
using test::WaitFor;

const std::string kHeader = " 1:Fm N3CALL-5 To APDR16 Via WIDE1-1 <UI pid=F0 Len=43 >[09:38:22]";

std::string Packet(const std::string& info, const std::string& header = kHeader) {
    return FakeTnc::Frame('U', header + "\r" + info + "\r");
}

class StationPipelineTest : public ::testing::Test {
  protected:
    StationPipelineTest() {
        Prepare(app);
        QObject::connect(&app, &VireoApp::MonitorFrameHandled, [this] { ++handled; });
    }

    void Prepare(VireoApp& a) {
        a.SetHttpEndpoint(QHostAddress::LocalHost, 0);
        a.SetFileOpener([this](const QString& path) { opened << path; });
        a.SetMonotonicClock([this] { return monotonicMs; });
    }
    void WriteSettings(const std::function<void(SettingsRecord&)>& edit = {}) {
        SettingsRecord record = DefaultSettings("icons");
        record.AgwAddress = "127.0.0.1";
        record.AgwPort = std::to_string(tnc.port());
        if (edit) edit(record);
        ASSERT_TRUE(SaveSettingsFile(
            QDir(folder.path()).filePath("Vireo_Decoder.ini").toStdString(), record));
    }
    void Start(const std::function<void(SettingsRecord&)>& edit = {}) {
        WriteSettings(edit);
        app.Startup();
        ASSERT_TRUE(WaitFor([&] { return tnc.received.size() >= 72; }));
    }
    // Sends one packet and waits until it has been handled and the document built.
    void Hear(const std::string& frame, std::size_t stations) {
        const int before = handled;
        tnc.Send(frame);
        ASSERT_TRUE(WaitFor([&] { return handled > before; }));
        app.FlushKml();
        EXPECT_EQ(app.Store().Count(), stations);
    }
    std::string Get(const std::string& path) {
        return HttpExchange(app.Sck().Port(), "GET " + path + " HTTP/1.1\r\nHost: x\r\n\r\n");
    }

    QTemporaryDir folder;
    FakeTnc tnc;
    test::ScriptedBoxes boxes;
    QDateTime now{QDate(2026, 12, 5), QTime(14, 7, 0)};
    qint64 monotonicMs = 1000;
    int handled = 0;
    QStringList opened;
    VireoApp app{folder.path(), boxes, [this] { return now; }};
};

TEST_F(StationPipelineTest, AReportReachesTheListTheWindowAndTheServedDocument) {
    Start();
    EXPECT_TRUE(app.Model().caption.ends_with(" - Http server enabled"));
    EXPECT_TRUE(app.ServerUrl().startsWith("http://"));
    Hear(Packet("=4903.50N/07201.75W>088/036/A=001234 Test"), 1);
    const FormModel& m = app.Model();
    EXPECT_EQ(m.caption, "Vireo Earth Decoder by Tamberlo - 1 stations");
    EXPECT_EQ(m.lblStatus, "Prima posizione");
    EXPECT_EQ(m.lblLat, "4903.50N");
    EXPECT_EQ(app.Store().LineAt(0)->text,
              "05/12/26 14:07  N3CALL-5   4903.50N 07201.75W 088/067 CA");

    // The start-up window is open: the poll gets the document with the station in it.
    const std::string answer = Get("/");
    ASSERT_TRUE(answer.starts_with("HTTP/1.0 200 OK\r\n")) << answer.substr(0, 80);
    const std::string body = answer.substr(answer.find("\r\n\r\n") + 4);
    EXPECT_EQ(body, app.KmlDocument());
    EXPECT_NE(answer.find("Content-Length: " + std::to_string(body.size()) + "\r\n"),
              std::string::npos);
    EXPECT_NE(body.find("<name>N3CALL-5</name>"), std::string::npos);
    EXPECT_NE(body.find("-72.02917,49.05833"), std::string::npos);

    // The same station again, moved: its line is refreshed, not repeated.
    now = now.addSecs(60);
    Hear(Packet("=4903.60N/07201.75W>090/036"), 1);
    EXPECT_EQ(app.Model().lblStatus, "Aggiornata posizione");
    EXPECT_EQ(app.Store().Tracks()[0].size(), 2u);

    // The menu toggles change the document at once.
    ASSERT_NE(app.KmlDocument().find("<LineString>"), std::string::npos);
    app.mnuEnableTrack_Click();
    app.mnuLinkOn_Click();
    app.FlushKml();
    EXPECT_EQ(app.KmlDocument().find("<LineString>"), std::string::npos);
    EXPECT_NE(app.KmlDocument().find(app.ServerUrl().toStdString() + "/track/N3CALL-5"),
              std::string::npos);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(StationPipelineTest, SendWindowAfterChangesForcedWindowsAndOncePerMinute) {
    Start();
    EXPECT_TRUE(app.SendWindowOpen());
    EXPECT_EQ(app.SendWindowInterval(), 40000);
    EXPECT_EQ(opened.size(), 0);  // the network-link file is written, not opened, at start-up
    EXPECT_TRUE(QFile::exists(app.NetworkLinkPath()));

    // The first tick after a forced window closes it and goes back to the refresh interval.
    app.tmrTimeout_Timer();
    EXPECT_FALSE(app.SendWindowOpen());
    EXPECT_EQ(app.SendWindowInterval(), 6050);
    EXPECT_EQ(Get("/"), "HTTP/1.0 204 No Content\r\nServer: Vireo Server v0.2 by Tamberlo\r\n\r\n");

    // A change opens a window of one refresh interval.
    Hear(Packet("=4903.50N/07201.75W>088/036"), 1);
    EXPECT_TRUE(app.SendWindowOpen());
    for (int poll = 0; poll < 10; ++poll) ASSERT_TRUE(Get("/").starts_with("HTTP/1.0 200 OK"));
    ASSERT_TRUE(WaitFor([&] { return !app.SendWindowOpen(); }, 8000));

    // No change for more than a minute: the tick opens a window, also past midnight.
    monotonicMs += 59000;
    app.tmrTimeout_Timer();
    EXPECT_FALSE(app.SendWindowOpen());
    monotonicMs += 1001;
    now = QDateTime(QDate(2026, 12, 6), QTime(0, 0, 30));
    app.tmrTimeout_Timer();
    EXPECT_TRUE(app.SendWindowOpen());
    EXPECT_EQ(app.Model().mnuTime, "Data 06/12/26   Ora 00:00");

    app.mnuKml_Click();
    EXPECT_EQ(opened, QStringList{app.NetworkLinkPath()});
    EXPECT_EQ(app.SendWindowInterval(), 30000);
}

TEST_F(StationPipelineTest, APickedStyleFileMovesTheIconsFolderAndFeedsTheDocument) {
    Start();
    QTemporaryDir other;
    const QString path = QDir(other.path()).filePath("Mine.xml");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "<?xml version=\"1.0\"?>\n<Document>\n<Style id=\"CA\"><IconStyle><Icon>"
        "<href>car.png</href></Icon></IconStyle></Style>\n</Document>\n");
    file.close();
    app.SetStyleFile(path);
    EXPECT_EQ(app.Model().StyleFile, "Mine.xml");
    EXPECT_EQ(app.Model().IconsFolder, QFile::encodeName(other.path()).toStdString());
    EXPECT_NE(app.StyleText().find("<href>" + app.Model().IconsFolder + "/car.png</href>"),
              std::string::npos);
    Hear(Packet("=4903.50N/07201.75W>088/036"), 1);
    EXPECT_NE(app.KmlDocument().find(app.StyleText()), std::string::npos);
}

TEST_F(StationPipelineTest, FollowLinksFollowAndTheFollowedCallIsSaved) {
    Start();
    Hear(Packet("=4903.50N/07201.75W>088/036"), 1);
    const std::string page = Get("/track/N3CALL-5");
    EXPECT_NE(page.find("Now Following N3CALL-5 on Google Earth"), std::string::npos);
    ASSERT_TRUE(WaitFor([&] { return app.Model().FollowedCall == "N3CALL-5 "; }));
    EXPECT_EQ(app.Model().txtTrackThis, "N3CALL-5 ");
    EXPECT_EQ(app.Model().mnuTime, "Following N3CALL-5 ");
    EXPECT_TRUE(app.FollowLockOn());
    EXPECT_EQ(app.Store().LineAt(0)->text[25], '*');
    EXPECT_NE(app.KmlDocument().find("<name>** N3CALL-5  FOLLOWING **</name>"), std::string::npos);

    // A call that could carry anything into the settings file is refused and changes nothing.
    EXPECT_TRUE(Get("/track/AB%22CD").starts_with("HTTP/1.0 501"));
    EXPECT_TRUE(Get("/track/ABCDEFGHIJ").starts_with("HTTP/1.0 501"));
    EXPECT_EQ(app.Model().FollowedCall, "N3CALL-5 ");

    // The distance from home follows each report of the followed station.
    Hear(Packet("=4903.50N/07201.75W>088/036"), 1);
    EXPECT_TRUE(app.Model().mnuTime.ends_with(" Km from N3CALL-5 ")) << app.Model().mnuTime;

    app.Shutdown();
    const auto saved = ParseSettingsText([&] {
        QFile file(QDir(folder.path()).filePath("Vireo_Decoder.ini"));
        file.open(QIODevice::ReadOnly);
        return file.readAll().toStdString();
    }());
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->FollowedCall, "N3CALL-5 ");
}

TEST_F(StationPipelineTest, UntrackStopsFollowingAndOpensAWindow) {
    Start();
    Hear(Packet("=4903.50N/07201.75W>088/036"), 1);
    Get("/track/N3CALL-5");
    app.tmrTimeout_Timer();  // ends the start-up window
    ASSERT_TRUE(WaitFor([&] { return !app.SendWindowOpen(); }, 8000));
    const std::string page = Get("/untrack/SOMEONE");
    EXPECT_NE(page.find("Stopped Following SOMEONE"), std::string::npos);
    ASSERT_TRUE(WaitFor([&] { return app.Model().FollowedCall.empty(); }));
    EXPECT_TRUE(app.SendWindowOpen());
    EXPECT_EQ(app.Store().LineAt(0)->text[25], ' ');
    EXPECT_TRUE(app.Model().mnuTime.starts_with("Data "));
}

TEST_F(StationPipelineTest, StationsSurviveARestartAndStaleOnesGoAtStartUp) {
    Start();
    Hear(Packet("=4903.50N/07201.75W>088/036"), 1);
    Hear(Packet("=4803.50N/07201.75W>088/036",
                " 1:Fm K1ABC-9 To APRS <UI pid=F0 Len=30 >[09:38:22]"),
         2);
    app.Shutdown();
    ASSERT_TRUE(LoadStationFiles(QFile::encodeName(folder.path()).toStdString()));

    // Ten minutes later both are back; forty minutes later both have expired.
    {
        test::ScriptedBoxes otherBoxes;
        QDateTime later = now.addSecs(600);
        VireoApp again(folder.path(), otherBoxes, [&] { return later; });
        Prepare(again);
        again.Startup();
        EXPECT_EQ(again.Store().Count(), 2u);
        EXPECT_EQ(again.Model().caption, "Vireo Earth Decoder by Tamberlo - 2 stations");
        again.Shutdown();
    }
    test::ScriptedBoxes otherBoxes;
    VireoApp late(folder.path(), otherBoxes, [&] { return now.addSecs(40 * 60); });
    Prepare(late);
    late.Startup();
    EXPECT_EQ(late.Store().Count(), 0u);
    std::string why;
    EXPECT_TRUE(late.Store().CheckInvariants(&why)) << why;
    late.Shutdown();
}

// A message box that keeps the event loop running while it is open, as a modal dialog does, and
// lets the test act meanwhile.
class ModalBoxes : public MessageBoxes {
  public:
    std::function<void()> whileOpen;
    int shown = 0;

    MessageAnswer Show(MessageIcon, const std::string&, const std::string&,
                       MessageButtons) override {
        ++shown;
        if (whileOpen) whileOpen();
        return MessageAnswer::Ok;
    }
};

TEST_F(StationPipelineTest, ReportsArrivingWhileABoxIsOpenWaitForItAndAreAppliedAfter) {
    ModalBoxes modal;
    VireoApp boxed(folder.path(), modal, [this] { return now; });
    Prepare(boxed);
    WriteSettings([](SettingsRecord& r) {
        r.RangeProportional = true;
        r.MinRange = "abc";  // every document with the followed station fails
        r.FollowedCall = "N3CALL-5 ";
    });
    boxed.Startup();
    ASSERT_TRUE(WaitFor([&] { return tnc.received.size() >= 72; }));
    std::size_t countWhileOpen = 99;
    modal.whileOpen = [&] {
        if (modal.shown > 1) return;
        tnc.Send(Packet("=4803.50N/07201.75W>088/036",
                        " 1:Fm K1ABC-9 To APRS <UI pid=F0 Len=30 >[09:38:22]"));
        test::RunEvents(300);  // the second report arrives while the box is open
        countWhileOpen = boxed.Store().Count();
    };
    tnc.Send(Packet("=4903.50N/07201.75W>088/036"));
    ASSERT_TRUE(WaitFor([&] { return boxed.Store().Count() == 2; }));
    EXPECT_EQ(countWhileOpen, 1u);
    std::string why;
    EXPECT_TRUE(boxed.Store().CheckInvariants(&why, "N3CALL-5 ")) << why;
    boxed.Shutdown();
}

TEST_F(StationPipelineTest, AFailedBuildKeepsTheLastDocumentAndLaterReportsStillCount) {
    Start([](SettingsRecord& r) {
        r.RangeProportional = true;
        r.MinRange = "abc";
        r.FollowedCall = "N3CALL-5 ";
    });
    const std::string before = app.KmlDocument();
    Hear(Packet("=4903.50N/07201.75W>088/036"), 1);
    ASSERT_FALSE(boxes.shown.empty());
    EXPECT_EQ(boxes.shown.back().title, "KML error");
    EXPECT_EQ(boxes.shown.back().text, "Error creating KML data");
    EXPECT_EQ(boxes.shown.back().icon, MessageIcon::Critical);
    EXPECT_EQ(app.KmlDocument(), before);
    Hear(Packet("=4803.50N/07201.75W>088/036",
                " 1:Fm K1ABC-9 To APRS <UI pid=F0 Len=30 >[09:38:22]"),
         2);
}

}  // namespace
}  // namespace vireo
