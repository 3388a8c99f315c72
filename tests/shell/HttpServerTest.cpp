#include "shell/HttpServer.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QTcpSocket>
#include <QUrl>
#include <algorithm>
#include <memory>
#include <vector>

#include "TestSupport.h"

namespace vireo {
namespace {

using namespace std::chrono_literals;
using test::WaitFor;

class FakeHandler : public HttpHandler {
  public:
    bool SendWindowOpen() override { return window; }
    std::string_view Document() override { return document; }
    void Track(std::string call) override { tracks.push_back(std::move(call)); }
    void Untrack(std::string call) override { untracks.push_back(std::move(call)); }

    bool window = false;
    std::string document = "<kml>45\xC2\xB0 N</kml>";
    std::vector<std::string> tracks;
    std::vector<std::string> untracks;
};

// A browser stand-in: connects at once, sends what it is told, keeps all it receives and notes
// when the server closes.
class Client {
  public:
    Client(const QString& host, quint16 port) {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] { received += socket.readAll(); });
        QObject::connect(&socket, &QTcpSocket::disconnected, [this] { closed = true; });
        socket.connectToHost(host, port);
    }
    explicit Client(quint16 port) : Client(QStringLiteral("127.0.0.1"), port) {}

    void Send(const std::string& bytes) {
        socket.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    bool WaitClosed(int ms = 5000) {
        return WaitFor([this] { return closed; }, ms);
    }
    std::string Answer() const { return received.toStdString(); }

    QTcpSocket socket;
    QByteArray received;
    bool closed = false;
};

// One connection, one request, the whole answer up to the server's close.
std::string Exchange(quint16 port, const std::string& request) {
    Client client(port);
    client.Send(request);
    if (!client.WaitClosed()) return "(not closed)";
    return client.Answer();
}

struct Fixture {
    explicit Fixture(HttpServerOptions options = {}) : server(handler, std::move(options)) {
        EXPECT_TRUE(server.Listen(QHostAddress::LocalHost, 0));
    }
    quint16 port() const { return server.Port(); }
    bool AllFree() {
        return WaitFor(
            [this] { return server.OpenConnections() == 0 && server.Slots().BusyCount() == 0; });
    }

    FakeHandler handler;
    HttpServer server;
};

// Opens `n` more connections, each one registered by the server before the next.
void Connect(Fixture& f, std::vector<std::unique_ptr<Client>>& clients, int n) {
    for (int i = 0; i < n; ++i) {
        const int before = f.server.OpenConnections();
        clients.push_back(std::make_unique<Client>(f.port()));
        ASSERT_TRUE(WaitFor([&] { return f.server.OpenConnections() == before + 1; }));
    }
}

TEST(HttpServer, EveryPollInsideTheWindowGetsTheCurrentDocument) {
    Fixture f;
    const std::string poll = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: */*\r\n\r\n";
    EXPECT_EQ(Exchange(f.port(), poll), NoContentAnswer());
    f.handler.window = true;
    EXPECT_EQ(Exchange(f.port(), poll), DocumentAnswer(f.handler.document));
    for (int i = 0; i < 10; ++i) {
        f.handler.document = "<kml>" + std::to_string(i) + "</kml>";
        EXPECT_EQ(Exchange(f.port(), poll), DocumentAnswer(f.handler.document));
    }
    f.handler.window = false;
    EXPECT_EQ(Exchange(f.port(), poll), NoContentAnswer());
    EXPECT_TRUE(f.AllFree());
}

TEST(HttpServer, ClientThatShutsItsSendingSideStillGetsTheAnswer) {
    Fixture f;
    f.handler.window = true;
    for (int i = 0; i < 20; ++i) {
        Client client(f.port());
        ASSERT_TRUE(client.socket.waitForConnected(5000));
        client.Send("GET / HTTP/1.0\r\n\r\n");
        ASSERT_TRUE(client.socket.waitForBytesWritten(5000));
        ::shutdown(static_cast<int>(client.socket.socketDescriptor()), SHUT_WR);
        ASSERT_TRUE(client.WaitClosed());
        EXPECT_EQ(client.Answer(), DocumentAnswer(f.handler.document));
    }
}

TEST(HttpServer, LinkRequestsCallTheHandlerAfterTheAnswerAndOthersGet501) {
    Fixture f;
    f.handler.window = true;
    // Which requests are refused is decided by ClassifyHttpRequest; one of each kind here.
    for (const char* request :
         {"GET /index.html HTTP/1.1\r\n\r\n", "GET /track/TOOLONGCALL HTTP/1.1\r\n\r\n",
          "GET /untrack/N0CALL\r\n\r\n"}) {
        EXPECT_EQ(Exchange(f.port(), request), NotImplementedAnswer()) << request;
    }
    EXPECT_EQ(Exchange(f.port(), "GET /track/N0CALL-9 HTTP/1.1\r\nHost: h\r\n\r\n"),
              LinkPageAnswer(true, "N0CALL-9"));
    EXPECT_EQ(Exchange(f.port(), "GET /untrack/<i>ANY</i> HTTP/1.1\r\n\r\n"),
              LinkPageAnswer(false, "<i>ANY</i>"));
    ASSERT_TRUE(WaitFor([&] { return f.handler.untracks.size() == 1; }));
    EXPECT_EQ(f.handler.untracks[0], "<i>ANY</i>");
    EXPECT_EQ(f.handler.tracks, std::vector<std::string>{"N0CALL-9"});
}

TEST(HttpServer, RequestLineSplitOverSeveralSegmentsIsAnsweredWhole) {
    Fixture f;
    Client client(f.port());
    for (const char* piece : {"GE", "T /tr", "ack/N0C", "ALL-9 HT"}) {
        client.Send(piece);
        test::RunEvents(30);
        EXPECT_TRUE(client.received.isEmpty());
        EXPECT_FALSE(client.closed);
    }
    client.Send("TP/1.1\r\nHost: h\r\n\r\n");
    ASSERT_TRUE(client.WaitClosed());
    EXPECT_EQ(client.Answer(), LinkPageAnswer(true, "N0CALL-9"));
    EXPECT_TRUE(WaitFor([&] { return f.handler.tracks == std::vector<std::string>{"N0CALL-9"}; }));
}

TEST(HttpServer, ClosesSilentSlowAndOverlongClientsWithoutAnswer) {
    HttpServerOptions options;
    options.idleTimeout = 1500ms;
    options.requestTimeout = 400ms;
    Fixture f(options);
    f.handler.window = true;

    Client silent(f.port());
    Client slow(f.port());
    slow.Send("GET / HT");
    Client flood(f.port());
    flood.Send(std::string(kMaxHttpRequestLine + 10, 'A'));
    ASSERT_TRUE(flood.WaitClosed(300));  // at once, not after a timeout
    ASSERT_TRUE(slow.WaitClosed());
    EXPECT_FALSE(silent.closed);  // the request limit is shorter than the idle limit
    ASSERT_TRUE(silent.WaitClosed());
    EXPECT_TRUE(silent.received.isEmpty());
    EXPECT_TRUE(slow.received.isEmpty());
    EXPECT_TRUE(flood.received.isEmpty());
    EXPECT_TRUE(f.AllFree());

    // A trickle of bytes does not keep the connection alive past the request limit.
    Client trickle(f.port());
    QElapsedTimer clock;
    clock.start();
    while (!trickle.closed && clock.elapsed() < 3000) {
        trickle.Send("x");
        test::RunEvents(40);
    }
    EXPECT_TRUE(trickle.closed);
    EXPECT_LT(clock.elapsed(), 1300);
}

TEST(HttpServer, ReusesTheLowestFreeSlotAndUnloadsOnlyTheTop) {
    double r = 0.99;  // below slot 31 nothing is unloaded
    HttpServerOptions options;
    options.random = [&r] { return r; };
    Fixture f(options);
    std::vector<int> finished;
    QObject::connect(&f.server, &HttpServer::ConnectionFinished,
                     [&](int s) { finished.push_back(s); });

    std::vector<std::unique_ptr<Client>> clients;
    ASSERT_NO_FATAL_FAILURE(Connect(f, clients, 8));
    EXPECT_EQ(f.server.Slots().UpperBound(), 8);

    // Client 2 (slot 3) leaves; the next connection takes that slot.
    clients[2]->socket.disconnectFromHost();
    ASSERT_TRUE(WaitFor([&] { return f.server.OpenConnections() == 7; }));
    EXPECT_FALSE(f.server.Slots().IsBusy(3));
    clients[2] = std::make_unique<Client>(f.port());
    ASSERT_TRUE(WaitFor([&] { return f.server.Slots().IsBusy(3); }));
    EXPECT_EQ(f.server.Slots().UpperBound(), 8);

    // With r = 0 every slot above 5 goes when it is the top, but only the top.
    r = 0.0;
    clients[6]->socket.disconnectFromHost();  // slot 7, below the top
    ASSERT_TRUE(WaitFor([&] { return !f.server.Slots().IsBusy(7); }));
    EXPECT_EQ(f.server.Slots().UpperBound(), 8);
    clients[7]->socket.disconnectFromHost();  // slot 8, the top
    ASSERT_TRUE(WaitFor([&] { return f.server.Slots().UpperBound() == 7; }));
    EXPECT_EQ(finished.back(), 8);

    // A served request frees its slot the same way.
    Client client(f.port());
    client.Send("GET / HTTP/1.0\r\n\r\n");
    ASSERT_TRUE(client.WaitClosed());
    ASSERT_TRUE(WaitFor([&] { return f.server.Slots().UpperBound() == 6; }));  // took 7, unloaded
    clients.clear();
    EXPECT_TRUE(f.AllFree());
    EXPECT_EQ(f.server.Slots().UpperBound(), 5);  // 6 unloaded as the top; 1 to 5 stay
}

TEST(HttpServer, ManyConcurrentPollsAreAllAnswered) {
    Fixture f;
    f.handler.window = true;
    f.handler.document = std::string(200000, 'k');  // more than one socket buffer
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < 50; ++i) {
        clients.push_back(std::make_unique<Client>(f.port()));
        clients.back()->Send("GET / HTTP/1.1\r\n\r\n");
    }
    ASSERT_TRUE(WaitFor(
        [&] {
            return std::all_of(clients.begin(), clients.end(), [](auto& c) { return c->closed; });
        },
        20000));
    const std::string expected = DocumentAnswer(f.handler.document);
    for (const auto& c : clients) EXPECT_TRUE(c->Answer() == expected);
    EXPECT_TRUE(f.AllFree());
    EXPECT_LE(f.server.Slots().UpperBound(), 50);
}

TEST(HttpServer, AboveTheLimitTheOldestWaitingConnectionIsClosed) {
    HttpServerOptions options;
    options.maxOpen = 4;
    Fixture f(options);
    std::vector<std::unique_ptr<Client>> clients;
    ASSERT_NO_FATAL_FAILURE(Connect(f, clients, 4));
    clients.push_back(std::make_unique<Client>(f.port()));
    ASSERT_TRUE(clients[0]->WaitClosed());
    EXPECT_EQ(f.server.OpenConnections(), 4);
    for (std::size_t i = 1; i < clients.size(); ++i) EXPECT_FALSE(clients[i]->closed);
    EXPECT_TRUE(f.server.Slots().IsBusy(1));  // the newcomer took the slot just freed

    clients.back()->Send("GET / HTTP/1.0\r\n\r\n");
    ASSERT_TRUE(clients.back()->WaitClosed());
    EXPECT_EQ(clients.back()->Answer(), NoContentAnswer());
}

TEST(HttpServer, KeepsAcceptingAfterRunningOutOfFileDescriptors) {
    Fixture f;
    Client client(f.port());
    ASSERT_TRUE(client.socket.waitForConnected(5000));
    client.Send("GET / HTTP/1.0\r\n\r\n");
    ASSERT_TRUE(client.socket.waitForBytesWritten(5000));

    // Let the server try to accept with no descriptor left, then give them back.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int lowestFree = dup(0);
    ASSERT_GE(lowestFree, 0);
    close(lowestFree);
    rlimit scarce = saved;
    scarce.rlim_cur = static_cast<rlim_t>(lowestFree);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &scarce), 0);
    test::RunEvents(100);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
    EXPECT_EQ(f.server.OpenConnections(), 0);

    ASSERT_TRUE(client.WaitClosed());
    EXPECT_EQ(client.Answer(), NoContentAnswer());
}

TEST(HttpServer, ServerUrlReachesTheListener) {
    FakeHandler handler;
    HttpServer any(handler);
    ASSERT_TRUE(any.Listen(QHostAddress::Any, 0));
    EXPECT_TRUE(any.IsListening());
    const QUrl url(any.ServerUrl());
    EXPECT_EQ(url.scheme(), "http");
    EXPECT_EQ(url.port(), any.Port());
    EXPECT_EQ(url.path(), "");
    Client client(url.host(), static_cast<quint16>(url.port()));
    client.Send("GET / HTTP/1.0\r\n\r\n");
    ASSERT_TRUE(client.WaitClosed());
    EXPECT_EQ(client.Answer(), NoContentAnswer());

    HttpServer local(handler);
    ASSERT_TRUE(local.Listen(QHostAddress::LocalHost, 0));
    EXPECT_EQ(local.ServerUrl(), QStringLiteral("http://127.0.0.1:%1").arg(local.Port()));

    // A port already taken: no listener, no address, and the program goes on.
    HttpServer taken(handler);
    EXPECT_FALSE(taken.Listen(QHostAddress::LocalHost, local.Port()));
    EXPECT_FALSE(taken.IsListening());
    EXPECT_TRUE(taken.ServerUrl().isEmpty());
}

}  // namespace
}  // namespace vireo
