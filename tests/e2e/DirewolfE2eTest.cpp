// The shell against a real AGWPE-compatible TNC: direwolf, fed with generated audio by
// direwolf_e2e.sh, which runs this program with
//   VIREO_E2E_AGW_PORT  the TNC's AGW port on 127.0.0.1
//   VIREO_E2E_WORK      the driver's work folder. This program writes "ready" there once the TNC
//                       has answered the version request; the driver then plays the packets,
//                       writes "decoded.txt" (what the TNC decoded, SRC>DEST,PATH:INFO a line)
//                       and then "fed".
// Without them the test is skipped.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "../shell/TestSupport.h"

namespace vireo {
namespace {

using test::WaitFor;

TEST(DirewolfE2e, TakesEveryPacketTheTncDecodes) {
    const QString port = qEnvironmentVariable("VIREO_E2E_AGW_PORT");
    const QDir work(qEnvironmentVariable("VIREO_E2E_WORK"));
    if (port.isEmpty() || !qEnvironmentVariableIsSet("VIREO_E2E_WORK")) {
        GTEST_SKIP() << "run by direwolf_e2e.sh";
    }
    test::Rig rig(port.toUShort());
    const Session& session = rig.shell.GetSession();
    rig.shell.Start();
    ASSERT_TRUE(WaitFor(
        [&] { return session.GetView().tncStatus == "Connesso ad AGWPE v2005.127"; }, 15000))
        << "no version reply on " << port.toStdString() << ": " << session.GetView().tncStatus;
    QFile(work.filePath("ready")).open(QIODevice::WriteOnly);
    ASSERT_TRUE(WaitFor([&] { return work.exists("fed"); }, 60000)) << "the audio was not played";

    // The last packet decoded is the last one on the monitor, with the TNC's header.
    std::ifstream decoded(work.filePath("decoded.txt").toStdString(), std::ios::binary);
    std::vector<std::string> packets;
    for (std::string line; std::getline(decoded, line);) packets.push_back(line);
    ASSERT_FALSE(packets.empty());
    const std::string& last = packets.back();
    const auto& monitor = session.GetView().monitorLines;
    EXPECT_TRUE(WaitFor(
        [&] {
            return monitor.size() == 2 && monitor[1] == last.substr(last.find(':') + 1) &&
                   monitor[0].find("Fm " + last.substr(0, last.find('>')) + " To ") !=
                       std::string::npos;
        },
        20000))
        << last;

    // Every moving station heard is in the list and in the document.
    std::set<std::string> calls;
    for (const StationEntry& entry : session.Store().Entries()) {
        std::string call = entry.text.substr(kCallField.offset, kCallField.length);
        calls.insert(call.erase(call.find_last_not_of(' ') + 1));
    }
    EXPECT_EQ(calls,
              (std::set<std::string>{"N0CALL-9", "N1CALL-7", "N2CALL-9", "N3CALL-14", "N5CALL-7"}));
    const std::string served = test::Exchange(rig.shell.Http().Port(), "GET / HTTP/1.0\r\n\r\n");
    for (const auto& call : calls) {
        EXPECT_NE(served.find("<name>" + call + "</name>"), std::string::npos) << call;
    }
    EXPECT_TRUE(rig.boxes.shown.empty());
    rig.shell.Shutdown();
}

}  // namespace
}  // namespace vireo
