#include "shell/AgwLink.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace vireo {
namespace {

using test::WaitFor;

TEST(AgwLink, ReportsARefusalOnceThenDeliversRawBytesInOrderAndAPeerCloseIsNoError) {
    AgwLink link;
    int connected = 0, closedByPeer = 0;
    QByteArray data;
    QStringList failures;
    QObject::connect(&link, &AgwLink::Connected, [&] { ++connected; });
    QObject::connect(&link, &AgwLink::DataReceived, [&](const QByteArray& b) { data += b; });
    QObject::connect(&link, &AgwLink::Failed, [&](const QString& d) { failures << d; });
    QObject::connect(&link, &AgwLink::ClosedByPeer, [&] { ++closedByPeer; });

    link.Connect("127.0.0.1", test::ClosedPort());
    ASSERT_TRUE(WaitFor([&] { return !failures.isEmpty(); }));
    WaitFor([] { return false; }, 100);  // a second report would come meanwhile
    EXPECT_EQ(failures.size(), 1);

    test::FakeTnc tnc;
    link.Connect("127.0.0.1", tnc.Port());
    ASSERT_TRUE(WaitFor([&] { return connected == 1 && tnc.client != nullptr; }));
    link.Send("m-and-R");
    ASSERT_TRUE(WaitFor([&] { return tnc.received == "m-and-R"; }));
    // Bytes come as they arrive, not cut into frames, all of them before the close.
    std::string sent;
    for (int i = 0; i < 200; ++i) sent += test::Frame('U', "h\r" + std::to_string(i) + "\r");
    tnc.Send(sent.substr(0, 50));
    tnc.Send(sent.substr(50));
    tnc.client->disconnectFromHost();
    ASSERT_TRUE(WaitFor([&] { return closedByPeer == 1; }));
    EXPECT_EQ(data.toStdString(), sent);
    EXPECT_EQ(failures.size(), 1);
}

}  // namespace
}  // namespace vireo
