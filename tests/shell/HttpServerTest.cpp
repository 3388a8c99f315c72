#include "shell/HttpServer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include "TestSupport.h"

namespace vireo {
namespace {

using namespace test;

const std::string kPoll = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: */*\r\n\r\n";

// A server on an ephemeral loopback port.
struct Fixture {
    explicit Fixture(HttpServerOptions options = {}) : server(std::move(options)) {
        EXPECT_TRUE(server.Listen(QHostAddress::LocalHost, 0));
    }
    HttpServer server;
};

TEST(HttpServer, DocumentPollsGetThePublishedAnswerInsideTheSendWindowAnd204After) {
    std::int64_t nowMs = 1000;  // the send window runs on this clock
    HttpServerOptions options;
    options.monotonicMs = [&] { return nowMs; };
    Fixture f(options);
    EXPECT_EQ(Exchange(f.server.Port(), kPoll), NoContentAnswer());  // nothing published yet
    // More than a socket buffer takes, to ten clients at once; every other one shuts its sending
    // side right after the request.
    const auto big = std::make_shared<const std::string>(DocumentAnswer(std::string(200000, 'k')));
    f.server.Publish(big, 2000);
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < 10; ++i) {
        Client& c = *clients.emplace_back(std::make_unique<Client>(f.server.Port()));
        c.Send(kPoll);
        if (i % 2 == 1 && c.socket.waitForConnected(5000) && c.socket.waitForBytesWritten(5000)) {
            ::shutdown(static_cast<int>(c.socket.socketDescriptor()), SHUT_WR);
        }
    }
    for (auto& c : clients) EXPECT_TRUE(c->WaitClosed(20000) && c->received.toStdString() == *big);
    nowMs = 2000;  // the window's end
    EXPECT_EQ(Exchange(f.server.Port(), kPoll), NoContentAnswer());
    f.server.Publish(std::make_shared<const std::string>(DocumentAnswer("<kml/>")), 2001);
    EXPECT_EQ(Exchange(f.server.Port(), kPoll), DocumentAnswer("<kml/>"));
}

TEST(HttpServer, LinksAreReportedAfterTheirAnswerAndOtherRequestsGet501) {
    Fixture f;
    Client* current = nullptr;
    std::vector<std::string> reports;
    auto report = [&](const std::string& what) {
        const bool answered = WaitFor([&] { return current->closed; }, 2000);
        reports.push_back(what + (answered ? "" : " before its answer"));
    };
    QObject::connect(&f.server, &HttpServer::FollowRequested,
                     [&](const QString& call) { report("follow " + call.toStdString()); });
    QObject::connect(&f.server, &HttpServer::UnfollowRequested, [&] { report("unfollow"); });
    const std::pair<std::string, std::string> cases[] = {
        {"GET /track/N0CALL-9 HTTP/1.1\r\nHost: h\r\n\r\n", LinkPageAnswer(true, "N0CALL-9")},
        {"GET /untrack/<i>ANY</i> HTTP/1.1\r\n\r\n", LinkPageAnswer(false, "<i>ANY</i>")},
        {"GET /track/TOOLONGCALL HTTP/1.1\r\n\r\n", NotImplementedAnswer()},
    };
    for (const auto& [request, answer] : cases) {
        // The request line comes in two segments; the answer waits for the second.
        Client client(f.server.Port());
        current = &client;
        client.Send(request.substr(0, 9));
        EXPECT_FALSE(WaitFor([&] { return client.closed || !client.received.isEmpty(); }, 30));
        client.Send(request.substr(9));
        ASSERT_TRUE(client.WaitClosed()) << request;
        EXPECT_EQ(client.received.toStdString(), answer) << request;
    }
    EXPECT_EQ(reports, (std::vector<std::string>{"follow N0CALL-9", "unfollow"}));
}

TEST(HttpServer, ClosesOverlongSlowAndSilentClientsWithoutAnswer) {
    HttpServerOptions options;
    options.idleTimeout = std::chrono::milliseconds(1500);
    options.requestTimeout = std::chrono::milliseconds(300);
    Fixture f(options);
    Client silent(f.server.Port()), trickle(f.server.Port()), overlong(f.server.Port());
    // A request line begun must end within the request limit, however the bytes trickle in; an
    // overlong one is closed at once.
    trickle.Send("GET / HT");
    overlong.Send(std::string(kMaxHttpRequestLine + 10, 'A'));
    ASSERT_TRUE(overlong.WaitClosed());
    EXPECT_FALSE(trickle.closed);
    for (int i = 0; i < 100 && !trickle.closed; ++i) {
        trickle.Send("x");
        WaitFor([&] { return trickle.closed; }, 40);
    }
    EXPECT_TRUE(trickle.closed);
    EXPECT_FALSE(silent.closed);  // the idle limit is the longer one
    ASSERT_TRUE(silent.WaitClosed());
    for (const Client* c : {&silent, &trickle, &overlong}) EXPECT_TRUE(c->received.isEmpty());
    EXPECT_TRUE(WaitFor([&] { return f.server.Slots().BusyCount() == 0; }));
}

TEST(HttpServer, ClosesTheOldestWaitingAboveTheLimitReusesTheLowestSlotUnloadsOnlyTheTop) {
    double r = 0.99;  // below slot 31 nothing is unloaded
    HttpServerOptions options;
    options.maxOpen = 8;
    options.random = [&r] { return r; };
    Fixture f(options);
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < 8; ++i) {  // each one taken before the next: client i has slot i + 1
        clients.push_back(std::make_unique<Client>(f.server.Port()));
        ASSERT_TRUE(WaitFor([&] { return f.server.OpenConnections() == i + 1; }));
    }
    clients.push_back(std::make_unique<Client>(f.server.Port()));  // one too many
    ASSERT_TRUE(clients[0]->WaitClosed());
    for (std::size_t i = 1; i < clients.size(); ++i) EXPECT_FALSE(clients[i]->closed);
    // The newcomer took the lowest free slot, the one just freed.
    EXPECT_TRUE(WaitFor([&] { return f.server.Slots().IsBusy(1); }));
    EXPECT_EQ(f.server.Slots().UpperBound(), 8);

    r = 0.0;  // every slot above 5 goes when it is the top, but only the top
    clients[6]->socket.disconnectFromHost();  // slot 7
    ASSERT_TRUE(WaitFor([&] { return !f.server.Slots().IsBusy(7); }));
    EXPECT_EQ(f.server.Slots().UpperBound(), 8);
    clients[7]->socket.disconnectFromHost();  // slot 8
    EXPECT_TRUE(WaitFor([&] { return f.server.Slots().UpperBound() == 7; }));
    clients.back()->Send(kPoll);
    ASSERT_TRUE(clients.back()->WaitClosed());
    EXPECT_EQ(clients.back()->received.toStdString(), NoContentAnswer());
}

TEST(HttpServer, KeepsAcceptingAfterRunningOutOfFileDescriptors) {
    Fixture f;
    Client client(f.server.Port());
    client.Send(kPoll);
    ASSERT_TRUE(client.socket.waitForConnected(5000) && client.socket.waitForBytesWritten(5000));
    // Let the server try to accept with no descriptor left, then give them back.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int lowestFree = dup(0);
    close(lowestFree);
    const rlimit scarce{static_cast<rlim_t>(lowestFree), saved.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &scarce), 0);
    WaitFor([] { return false; }, 100);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
    EXPECT_EQ(f.server.OpenConnections(), 0);
    ASSERT_TRUE(client.WaitClosed());
    EXPECT_EQ(client.received.toStdString(), NoContentAnswer());
}

// Clients that ask for a large document and never read are closed once their unsent answers pass
// the cap; a real poll still gets the whole document.
TEST(HttpServer, SlowReadersAreClosedOnceTheirAnswersPassTheCap) {
    HttpServerOptions options;
    options.maxPendingBytes = 400000;
    options.protectedAge = std::chrono::milliseconds(0);
    Fixture f(options);
    const auto big = std::make_shared<const std::string>(DocumentAnswer(std::string(300000, 'k')));
    f.server.Publish(big, std::numeric_limits<std::int64_t>::max());
    std::vector<int> slow;  // plain sockets that never read
    for (int i = 0; i < 8; ++i) {
        slow.push_back(::socket(AF_INET, SOCK_STREAM, 0));
        sockaddr_in to{AF_INET, htons(f.server.Port()), {htonl(INADDR_LOOPBACK)}, {}};
        ASSERT_EQ(::connect(slow.back(), reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
        ASSERT_GT(::send(slow.back(), kPoll.data(), kPoll.size(), 0), 0);
        WaitFor([] { return false; }, 50);  // accepted and answered
    }
    EXPECT_LE(f.server.OpenConnections(), 4);
    EXPECT_EQ(Exchange(f.server.Port(), kPoll), *big);
    for (int fd : slow) ::close(fd);
}

}  // namespace
}  // namespace vireo
