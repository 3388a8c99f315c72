#include "shell/AgwLink.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace vireo {
namespace {

using test::FakeTnc;
using test::WaitFor;

struct LinkProbe {
    explicit LinkProbe(AgwLink& link) {
        QObject::connect(&link, &AgwLink::FrameReceived,
                         [this](const AgwFrame& f) { frames.push_back(f); });
        QObject::connect(&link, &AgwLink::Failed, [this](const QString& d) { failures << d; });
        QObject::connect(&link, &AgwLink::Connected, [this] { ++connected; });
    }
    std::vector<AgwFrame> frames;
    QStringList failures;
    int connected = 0;
};

TEST(AgwLink, SwitchesMonitoringOnAndDeliversFramesSplitAnywhere) {
    FakeTnc tnc;
    AgwLink link;
    LinkProbe probe(link);
    link.Connect("127.0.0.1", tnc.port());
    EXPECT_EQ(link.state(), AgwLink::State::Connecting);
    ASSERT_TRUE(WaitFor([&] { return tnc.received.size() >= 72; }));
    const std::string requests = MakeAgwRequest('m') + MakeAgwRequest('R');
    EXPECT_EQ(tnc.received.toStdString(), requests);
    EXPECT_EQ(link.state(), AgwLink::State::Connected);
    EXPECT_EQ(probe.connected, 1);

    const std::string stream = FakeTnc::Frame('R', std::string("\xd5\x07\0\0\x7f\0\0\0", 8)) +
                               FakeTnc::Frame('U', "h\rone\r") + FakeTnc::Frame('T', "h\rtwo\r");
    tnc.Send(stream.substr(0, 40));
    test::RunEvents(50);
    EXPECT_TRUE(probe.frames.empty());
    tnc.Send(stream.substr(40, 50));
    tnc.Send(stream.substr(90));
    ASSERT_TRUE(WaitFor([&] { return probe.frames.size() == 3; }));
    EXPECT_EQ(probe.frames[0].kind, 'R');
    EXPECT_EQ(probe.frames[1], (AgwFrame{'U', "h\rone\r"}));
    EXPECT_EQ(probe.frames[2], (AgwFrame{'T', "h\rtwo\r"}));
    EXPECT_TRUE(probe.failures.empty());
}

TEST(AgwLink, RefusedConnectionIsReportedOnce) {
    AgwLink link;
    LinkProbe probe(link);
    link.Connect("127.0.0.1", test::ClosedPort());
    ASSERT_TRUE(WaitFor([&] { return !probe.failures.empty(); }));
    test::RunEvents(50);
    EXPECT_EQ(probe.failures.size(), 1);
    EXPECT_EQ(link.remoteHost(), "127.0.0.1");
    link.Close();
    EXPECT_EQ(link.state(), AgwLink::State::Closed);
}

TEST(AgwLink, PeerClosingMidFrameIsNoErrorAndDropsTheHalfFrame) {
    FakeTnc tnc;
    AgwLink link;
    LinkProbe probe(link);
    link.Connect("127.0.0.1", tnc.port());
    ASSERT_TRUE(WaitFor([&] { return tnc.received.size() >= 72; }));
    tnc.Send(FakeTnc::Frame('U', "h\rwhole\r") + FakeTnc::Frame('U', "h\rhalf\r").substr(0, 40));
    tnc.client->disconnectFromHost();
    ASSERT_TRUE(WaitFor([&] { return link.state() == AgwLink::State::ClosedByPeer; }));
    test::RunEvents(50);
    ASSERT_EQ(probe.frames.size(), 1u);
    EXPECT_EQ(probe.frames[0].data, "h\rwhole\r");
    EXPECT_TRUE(probe.failures.empty());
}

// A receiver that opens a modal dialog runs a nested event loop; frames arriving meanwhile are
// delivered once it returns, with no further traffic needed to wake the link.
TEST(AgwLink, FramesArrivingDuringANestedEventLoopAreNotStranded) {
    FakeTnc tnc;
    AgwLink link;
    std::vector<std::string> texts;
    QObject::connect(&link, &AgwLink::FrameReceived, [&](const AgwFrame& frame) {
        texts.push_back(frame.data);
        if (texts.size() == 1) {
            tnc.Send(FakeTnc::Frame('U', "second"));
            test::RunEvents(200);
        }
    });
    link.Connect("127.0.0.1", tnc.port());
    ASSERT_TRUE(WaitFor([&] { return tnc.received.size() >= 72; }));
    tnc.Send(FakeTnc::Frame('U', "first"));
    ASSERT_TRUE(WaitFor([&] { return texts.size() == 2; }, 2000));
    EXPECT_EQ(texts[1], "second");
}

}  // namespace
}  // namespace vireo
