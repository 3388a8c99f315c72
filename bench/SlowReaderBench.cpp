// Slow readers against real polls: 200 clients ask for a 5 MB document and never read the answer
// (reconnecting whenever the server drops them), while a Google Earth stand-in polls every 200 ms
// for 10 s. Prints how many polls got the whole document, their latency (median, p99) and the
// process's memory while idle and at its peak, in documents. Goal: every poll answered, p99 at
// most 50 ms, peak memory within 2 documents of idle.
//
//   slow_reader_bench [seconds]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "earth/HttpProtocol.h"
#include "shell/HttpServer.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSlowReaders = 200;
constexpr char kPoll[] = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";

long RssKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return 0;
}

int Connect(quint16 port, int receiveBuffer) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (receiveBuffer > 0) {
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    }
    timeval timeout{2, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::send(fd, kPoll, sizeof kPoll - 1, MSG_NOSIGNAL) < 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Keeps kSlowReaders connections that asked for the document and read nothing.
void SlowReaders(quint16 port, const std::atomic<bool>& stop) {
    std::vector<int> fds(kSlowReaders, -1);
    while (!stop) {
        for (int& fd : fds) {
            if (fd >= 0) {
                pollfd p{fd, POLLRDHUP, 0};
                if (::poll(&p, 1, 0) == 0) continue;
                ::close(fd);
            }
            fd = Connect(port, 4096);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    for (int fd : fds) ::close(fd);
}

// One poll: the milliseconds until the whole answer was read, or -1.
double Poll(quint16 port, std::size_t answerSize) {
    const auto start = Clock::now();
    const int fd = Connect(port, 0);
    if (fd < 0) return -1;
    std::size_t got = 0;
    static char buffer[1 << 16];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
        got += static_cast<std::size_t>(n);
    ::close(fd);
    if (got != answerSize) return -1;
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    vireo::HttpServer server(vireo::HttpServerOptions{});
    if (!server.Listen(QHostAddress::LocalHost, 0)) return 1;
    const quint16 port = server.Port();
    auto answer =
        std::make_shared<const std::string>(vireo::DocumentAnswer(std::string(5 << 20, 'x')));
    server.Publish(answer, std::numeric_limits<std::int64_t>::max());
    const std::size_t answerSize = answer->size();
    // Idle: the document published, one poll served.
    std::thread([&] { Poll(port, answerSize); }).detach();
    QTimer::singleShot(500, &application, [] { QCoreApplication::exit(); });
    application.exec();
    const long idleKb = RssKb();

    std::atomic<bool> stop{false};
    long peakKb = idleKb;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] { peakKb = std::max(peakKb, RssKb()); });
    sampler.start(50);
    std::thread attack(SlowReaders, port, std::cref(stop));
    std::vector<double> latencies;
    int failed = 0;
    std::thread poller([&] {
        std::this_thread::sleep_for(std::chrono::seconds(1));  // the slow readers in place
        const auto end = Clock::now() + std::chrono::seconds(seconds);
        for (auto next = Clock::now(); next < end;) {
            next += std::chrono::milliseconds(200);
            const double ms = Poll(port, answerSize);
            if (ms < 0)
                ++failed;
            else
                latencies.push_back(ms);
            std::this_thread::sleep_until(next);
        }
        stop = true;
        QMetaObject::invokeMethod(&application, [] { QCoreApplication::exit(); });
    });
    application.exec();
    poller.join();
    attack.join();

    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double q) {
        return latencies.empty()
                   ? -1.0
                   : latencies[std::min(
                         latencies.size() - 1,
                         static_cast<std::size_t>(q * static_cast<double>(latencies.size())))];
    };
    const double documents =
        static_cast<double>(peakKb - idleKb) * 1024 / static_cast<double>(answerSize);
    std::printf("polls answered %zu of %zu; latency median %.1f ms, p99 %.1f ms\n",
                latencies.size(), latencies.size() + failed, at(0.5), at(0.99));
    std::printf("RSS idle %ld kB, peak %ld kB: %.2f documents over idle\n", idleKb, peakKb,
                documents);
    const bool met = failed == 0 && at(0.99) <= 50 && documents <= 2;
    std::printf("%s\n", met ? "goal met" : "goal NOT met");
    return met ? 0 : 1;
}
