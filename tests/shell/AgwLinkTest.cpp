#include "shell/AgwLink.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace vireo {
namespace {

using test::WaitFor;

struct LinkProbe {
    explicit LinkProbe(AgwLink& link) {
        QObject::connect(&link, &AgwLink::Connected, [this] { ++connected; });
        QObject::connect(&link, &AgwLink::DataReceived, [this](const QByteArray& b) { data += b; });
        QObject::connect(&link, &AgwLink::Failed, [this](const QString& d) { failures << d; });
        QObject::connect(&link, &AgwLink::ClosedByPeer, [this] { ++closedByPeer; });
    }
    int connected = 0;
    QByteArray data;
    QStringList failures;
    int closedByPeer = 0;
};

TEST(AgwLink, DeliversTheRawBytesInOrderAndAPeerCloseIsNoError) {
    test::FakeTnc tnc;
    AgwLink link;
    LinkProbe probe(link);
    link.Connect("127.0.0.1", tnc.Port());
    ASSERT_TRUE(WaitFor([&] { return probe.connected == 1 && tnc.client != nullptr; }));
    link.Send("m-and-R");
    ASSERT_TRUE(WaitFor([&] { return tnc.received == "m-and-R"; }));

    // Bytes come as they arrive, not cut into frames; a split frame stays split.
    std::string sent;
    for (int i = 0; i < 200; ++i) sent += test::Frame('U', "h\r" + std::to_string(i) + "\r");
    tnc.Send(sent.substr(0, 50));
    tnc.Send(sent.substr(50));
    tnc.client->disconnectFromHost();
    ASSERT_TRUE(WaitFor([&] { return probe.closedByPeer == 1; }));
    EXPECT_EQ(probe.data.toStdString(), sent);  // everything before the close came through
    EXPECT_TRUE(probe.failures.isEmpty());
    link.Close();
    QCoreApplication::processEvents();
    EXPECT_EQ(probe.closedByPeer, 1);
}

TEST(AgwLink, RefusedConnectionIsReportedOnce) {
    AgwLink link;
    LinkProbe probe(link);
    link.Connect("127.0.0.1", test::ClosedPort());
    ASSERT_TRUE(WaitFor([&] { return !probe.failures.isEmpty(); }));
    link.Close();
    WaitFor([] { return false; }, 100);
    EXPECT_EQ(probe.failures.size(), 1);
    EXPECT_EQ(probe.connected + probe.closedByPeer, 0);
}

}  // namespace
}  // namespace vireo
