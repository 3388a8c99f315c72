// End-to-end check of the application object against a real AGWPE-compatible TNC (direwolf fed
// with generated audio by direwolf_e2e.sh, which runs this program). Without the environment
// below the test is skipped.
//
//   VIREO_E2E_AGW_PORT  the TNC's AGW port on 127.0.0.1
//   VIREO_E2E_WORK      the driver's work folder. This program writes "ready" there once the TNC
//                       has answered the version request; the driver then plays the packets to
//                       the TNC, writes "decoded.txt" (the packets the TNC reports as decoded,
//                       SRC>DEST,PATH:INFO one a line) and then "fed". This program waits until
//                       the link has been quiet for a second, writes "received.txt" (the monitor
//                       lines of every frame it handled) and compares.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/MessageBoxes.h"
#include "app/SettingsFile.h"
#include "app/VireoApp.h"

namespace vireo {
namespace {

using namespace std::chrono_literals;

// Answers every box with its first button and remembers it: no box is expected in this run.
class RecordingBoxes : public MessageBoxes {
  public:
    MessageAnswer Show(MessageIcon, const std::string& title, const std::string& text,
                       MessageButtons buttons) override {
        shown.push_back(title + ": " + text);
        return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    }

    std::vector<std::string> shown;
};

// Runs the event loop until `done` holds or `timeout` has passed; returns done().
bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    if (done()) return true;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start();
    deadline.start(timeout);
    loop.exec();
    return done();
}

// One packet as the TNC logs it: SRC>DEST,PATH:INFO.
struct DecodedPacket {
    std::string text;
    std::string source;
    std::string destination;
    std::string info;
};

std::vector<DecodedPacket> ReadDecodedPackets(const QString& path) {
    std::vector<DecodedPacket> packets;
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto gt = line.find('>');
        const auto colon = line.find(':');
        if (gt == std::string::npos || colon == std::string::npos || colon < gt) {
            ADD_FAILURE() << "unexpected line in decoded.txt: " << line;
            continue;
        }
        const auto destinationEnd = std::min(line.find(',', gt), colon);
        packets.push_back({line, line.substr(0, gt), line.substr(gt + 1, destinationEnd - gt - 1),
                           line.substr(colon + 1)});
    }
    return packets;
}

// Non-printable bytes as \xNN, carriage returns as \r, so that every frame stays on one line.
std::string Printable(const std::string& bytes) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\r') {
            out += "\\r";
        } else if (u < 0x20 || u >= 0x7f || c == '\\') {
            out += "\\x";
            out += kHex[u >> 4];
            out += kHex[u & 15];
        } else {
            out += c;
        }
    }
    return out;
}

TEST(DirewolfE2e, MonitorsEveryPacketTheTncDecodes) {
    const QString port = qEnvironmentVariable("VIREO_E2E_AGW_PORT");
    const QString work = qEnvironmentVariable("VIREO_E2E_WORK");
    if (port.isEmpty() || work.isEmpty()) {
        GTEST_SKIP() << "VIREO_E2E_AGW_PORT / VIREO_E2E_WORK not set: run direwolf_e2e.sh";
    }
    const QDir workDir(work);

    QTemporaryDir appFolder;
    ASSERT_TRUE(appFolder.isValid());
    SettingsRecord settings =
        DefaultSettings(QDir::toNativeSeparators(appFolder.filePath("Icons")).toStdString());
    settings.AgwAddress = "127.0.0.1";
    settings.AgwPort = port.toStdString();
    settings.AutoConnect = true;
    ASSERT_TRUE(SaveSettingsFile(appFolder.filePath("Vireo_Decoder.ini").toStdString(), settings));

    RecordingBoxes boxes;
    VireoApp app(appFolder.path(), boxes);

    std::vector<AgwFrame> frames;                   // every frame, as received
    std::vector<std::vector<std::string>> monitor;  // the monitor lines after each handled frame
    QElapsedTimer quiet;                            // time since the last frame
    quiet.start();
    QObject::connect(&app.Winsock1(), &AgwLink::FrameReceived, &app, [&](const AgwFrame& frame) {
        frames.push_back(frame);
        quiet.restart();
    });
    QObject::connect(&app, &VireoApp::MonitorFrameHandled, &app,
                     [&] { monitor.push_back(app.Model().List2); });
    const auto framesOfKind = [&](char kind) {
        return std::count_if(frames.begin(), frames.end(),
                             [kind](const AgwFrame& f) { return f.kind == kind; });
    };

    app.Startup();
    ASSERT_TRUE(RunUntil([&] { return framesOfKind('R') > 0; }, 15s))
        << "no version reply from the TNC on port " << port.toStdString();
    // Nothing has been played to the TNC yet, so the caption is the one the version reply set.
    EXPECT_EQ(app.Model().lblAGW, "Connesso ad AGWPE v2005.127");
    {
        QFile ready(workDir.filePath("ready"));
        ASSERT_TRUE(ready.open(QIODevice::WriteOnly));
    }

    ASSERT_TRUE(RunUntil([&] { return workDir.exists("fed"); }, 60s))
        << "the driver did not report the audio as played";
    quiet.restart();
    EXPECT_TRUE(RunUntil([&] { return quiet.elapsed() >= 1000; }, 20s))
        << "frames kept coming for 20 s";

    {
        std::ofstream out(workDir.filePath("received.txt").toStdString(), std::ios::binary);
        for (const AgwFrame& frame : frames) {
            out << frame.kind << ' ' << Printable(frame.data) << '\n';
        }
        out << "-- monitor lines after each handled frame\n";
        for (const auto& lines : monitor) {
            for (const auto& line : lines) out << "  " << Printable(line) << '\n';
            out << '\n';
        }
    }

    const std::vector<DecodedPacket> decoded = ReadDecodedPackets(workDir.filePath("decoded.txt"));
    ASSERT_FALSE(decoded.empty()) << "the TNC decoded nothing";
    // No transmissions here, so every handled frame is a heard ("U") one; the TNC sends one per
    // decoded packet.
    EXPECT_EQ(framesOfKind('U'), static_cast<std::ptrdiff_t>(decoded.size()));
    EXPECT_EQ(monitor.size(), decoded.size());

    auto unmatched = monitor;
    for (const DecodedPacket& packet : decoded) {
        const std::string fromTo = "Fm " + packet.source + " To " + packet.destination + " ";
        const auto match = std::find_if(
            unmatched.begin(), unmatched.end(), [&](const std::vector<std::string>& l) {
                return l.size() == 2 && l[0].find(fromTo) != std::string::npos &&
                       l[1] == packet.info;
            });
        if (match == unmatched.end()) {
            ADD_FAILURE() << "no monitor lines for " << packet.text;
        } else {
            unmatched.erase(match);
        }
    }
    for (const auto& lines : unmatched) {
        std::string text;
        for (const auto& line : lines) text += "\n  " + Printable(line);
        ADD_FAILURE() << "monitor lines of no decoded packet:" << text;
    }

    EXPECT_EQ(app.Winsock1().state(), AgwLink::State::Connected);
    for (const std::string& box : boxes.shown) ADD_FAILURE() << "message box shown: " << box;
    app.Shutdown();
}

}  // namespace
}  // namespace vireo

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
