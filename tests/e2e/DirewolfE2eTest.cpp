// The application object against a real AGWPE-compatible TNC: direwolf, fed with generated
// audio by direwolf_e2e.sh, which runs this program with
//   VIREO_E2E_AGW_PORT  the TNC's AGW port on 127.0.0.1
//   VIREO_E2E_WORK      the driver's work folder. This program writes "ready" there once the TNC
//                       has answered the version request; the driver then plays the packets,
//                       writes "decoded.txt" (what the TNC decoded, SRC>DEST,PATH:INFO a line)
//                       and then "fed".
// Without them the test is skipped.
#include <gtest/gtest.h>

#include <QFile>
#include <fstream>

#include "../shell/TestSupport.h"
#include "settings/SettingsFile.h"
#include "shell/VireoApp.h"

namespace vireo {
namespace {

using test::WaitFor;

TEST(DirewolfE2e, MonitorsEveryPacketTheTncDecodes) {
    const QString port = qEnvironmentVariable("VIREO_E2E_AGW_PORT");
    const QDir work(qEnvironmentVariable("VIREO_E2E_WORK"));
    if (port.isEmpty() || !qEnvironmentVariableIsSet("VIREO_E2E_WORK")) {
        GTEST_SKIP() << "run by direwolf_e2e.sh";
    }

    QTemporaryDir folder;
    SettingsRecord settings = DefaultSettings("Icons");
    settings.AgwAddress = "127.0.0.1";
    settings.AgwPort = port.toStdString();
    ASSERT_TRUE(SaveSettingsFile(folder.filePath("Vireo_Decoder.ini").toStdString(), settings));

    test::ScriptedBoxes boxes;
    VireoApp app(folder.path(), boxes);
    app.SetHttpEndpoint(QHostAddress::LocalHost, 0);
    app.SetFileOpener([](const QString&) {});
    int frames = 0;
    QElapsedTimer quiet;  // time since the last frame
    quiet.start();
    QObject::connect(&app.Winsock1(), &AgwLink::FrameReceived, [&] {
        ++frames;
        quiet.restart();
    });
    std::vector<std::vector<std::string>> monitor;  // the monitor lines after each "U"/"T" frame
    QObject::connect(&app, &VireoApp::MonitorFrameHandled,
                     [&] { monitor.push_back(app.Model().List2); });

    app.Startup();
    ASSERT_TRUE(WaitFor([&] { return frames > 0; }, 15000))
        << "no version reply on " << port.toStdString();
    EXPECT_EQ(app.Model().lblAGW, "Connesso ad AGWPE v2005.127");
    QFile(work.filePath("ready")).open(QIODevice::WriteOnly);

    ASSERT_TRUE(WaitFor([&] { return work.exists("fed"); }, 60000)) << "the audio was not played";
    quiet.restart();
    EXPECT_TRUE(WaitFor([&] { return quiet.elapsed() >= 1000; }, 20000));

    // One "U" frame per decoded packet, with the TNC's header and the information field.
    std::ifstream decoded(work.filePath("decoded.txt").toStdString(), std::ios::binary);
    std::size_t packets = 0;
    for (std::string line; std::getline(decoded, line); ++packets) {
        const auto gt = line.find('>');
        const auto colon = line.find(':');
        ASSERT_LT(gt, colon) << line;
        const auto destinationEnd = std::min(line.find(',', gt), colon);
        const std::string fromTo = "Fm " + line.substr(0, gt) + " To " +
                                   line.substr(gt + 1, destinationEnd - gt - 1) + " ";
        const auto match = std::find_if(monitor.begin(), monitor.end(), [&](const auto& lines) {
            return lines.size() == 2 && lines[0].find(fromTo) != std::string::npos &&
                   lines[1] == line.substr(colon + 1);
        });
        EXPECT_NE(match, monitor.end()) << "no monitor lines for " << line;
    }
    EXPECT_GT(packets, 0u);
    EXPECT_EQ(monitor.size(), packets);
    EXPECT_EQ(frames, static_cast<int>(packets) + 1);  // and the version reply
    EXPECT_EQ(app.Winsock1().state(), AgwLink::State::Connected);
    EXPECT_TRUE(boxes.shown.empty());
    app.Shutdown();
}

}  // namespace
}  // namespace vireo
