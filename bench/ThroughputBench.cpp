// The whole program under a flood: a stand-in TNC on loopback sends monitored frames of moving
// stations as fast as the socket takes them (the last case leaves 5,000 stations of 100 points),
// while a Google Earth stand-in polls the document over HTTP every 200 ms. Measures how many
// packets a second the program absorbs with the document built and served, how long the polls
// during the flood wait for their answer (median, 99th percentile, longest). The TNC stand-in
// runs on a thread of its own with the flood written before the clock starts; the Google Earth
// stand-in is a process of its own (this program started again with --poll PORT), as the real one
// is, so that its reading shares nothing with the program but the machine.
// (bench/peak_rss.sh measures the real program's memory.)
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "agwpe/AgwFrame.h"
#include "shell/MainWindow.h"
#include "shell/MessageBoxes.h"
#include "shell/Shell.h"

namespace {

// No box is expected: one that opens anyway is told and answered OK.
class NoBoxes : public vireo::MessageBoxes {
  public:
    void Show(const vireo::ShowMessage& message,
              std::function<void(vireo::MessageAnswer)> answered) override {
        std::fprintf(stderr, "box: %s\n", message.text.c_str());
        QTimer::singleShot(
            0, &context_, [answered = std::move(answered)] { answered(vireo::MessageAnswer::Ok); });
    }

  private:
    QObject context_;
};

// Packets `from` to `to` - 1: packet i is station i % `stations` on its own road, a little
// further on at each report. `lastInfo` gets the information field of the last packet.
std::string Flood(int from, int to, int stations, std::string& lastInfo) {
    std::string stream;
    char info[96];
    for (int i = from; i < to; ++i) {
        const int station = i % stations;
        const int step = i / stations;
        const int latHundredths = 4000 * 100 + station * 37 % 100000 + step * 3;  // 40 N on
        const int lonHundredths = 1000 * 100 + station * 53 + step * 2;  // 10 degrees east on
        std::snprintf(info, sizeof info, "=%02d%02d.%02dN/%03d%02d.%02dE>%03d/%03d/A=%06d",
                      latHundredths / 6000, latHundredths / 100 % 60, latHundredths % 100,
                      lonHundredths / 6000, lonHundredths / 100 % 60, lonHundredths % 100,
                      (station * 7) % 360, 20 + station % 80, 100 + step);
        std::string text = " 1:Fm B";
        text += std::to_string(station);
        text += "-9 To APRS Via WIDE1-1 <UI pid=F0 Len=50 >[12:00:00]\r";
        text += info;
        text += '\r';
        stream += vireo::MakeAgwFrame('U', text);
        lastInfo = info;
    }
    return stream;
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5)];
}

// Blocking loopback sockets of the stand-ins, which run on threads of their own as the real TNC
// and Google Earth run in processes of their own: the program's event loop does only its own work.
int ListenLoopback(quint16& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 8) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

bool SendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// One line per poll from the Google Earth stand-in: when it was sent and answered (the steady
// clock is the machine's, the same in both processes), whether a document came, and how many
// stations it held.
struct PollRecord {
    long long sentNs = 0, answeredNs = 0;
    int document = 0, points = 0;
};

// One poll on its own connection, read up to the server's close as it comes: whether it is a
// document and how many stations it shows. The answer is not kept, so that the stand-in does not
// time the growing of a buffer of many megabytes along with the program's answer.
void Poll(quint16 port, PollRecord& record) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in to{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0 &&
        SendAll(fd, "GET / HTTP/1.1\r\nHost: localhost\r\n\r\n")) {
        constexpr std::string_view kDocument = "HTTP/1.0 200", kPoint = "</Point>";
        // The end of the bytes before stays in front of the new ones, for a mark cut in two.
        static char buffer[(1 << 16) + kDocument.size()];
        std::size_t kept = 0;
        bool begun = false;
        for (ssize_t got; (got = ::recv(fd, buffer + kept, sizeof buffer - kept, 0)) > 0;) {
            const std::string_view bytes(buffer, kept + static_cast<std::size_t>(got));
            if (!begun && bytes.size() >= kDocument.size()) {
                record.document = bytes.starts_with(kDocument) ? 1 : 0;
                begun = true;
            }
            for (std::size_t at = 0; (at = bytes.find(kPoint, at)) != std::string_view::npos;
                 at += kPoint.size()) {
                ++record.points;
            }
            kept = begun ? std::min(bytes.size(), kPoint.size() - 1) : bytes.size();
            std::memmove(buffer, bytes.data() + bytes.size() - kept, kept);
        }
    }
    ::close(fd);
}

// The Google Earth stand-in's process: a poll every 200 ms until its standard input closes.
int PollEvery200Ms(quint16 port) {
    for (auto next = std::chrono::steady_clock::now();;) {
        next += std::chrono::milliseconds(200);
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
            next - std::chrono::steady_clock::now());
        pollfd input{STDIN_FILENO, POLLIN, 0};
        if (::poll(&input, 1, static_cast<int>(std::max<long long>(0, wait.count()))) != 0) {
            return 0;
        }
        PollRecord r;
        r.sentNs = NowNs();
        Poll(port, r);
        r.answeredNs = NowNs();
        std::printf("%lld %lld %d %d\n", r.sentNs, r.answeredNs, r.document, r.points);
        std::fflush(stdout);
    }
}

// Starts the stand-in; `input` closes to stop it, its records come on `output`.
pid_t StartPoller(quint16 port, int& input, int& output) {
    int toChild[2], fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0) return -1;
    if (::pipe2(fromChild, O_CLOEXEC) != 0) {
        ::close(toChild[0]);
        ::close(toChild[1]);
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    std::string self = "/proc/self/exe", flag = "--poll", portText = std::to_string(port);
    char* argv[] = {self.data(), flag.data(), portText.data(), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, self.c_str(), &actions, nullptr, argv, environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(toChild[0]);
    ::close(fromChild[1]);
    input = toChild[1];
    output = fromChild[0];
    return pid;
}

void BM_FloodOverLoopback(benchmark::State& state) {
    const int packets = static_cast<int>(state.range(0));
    const int stations = static_cast<int>(state.range(1));
    std::vector<double> waits;  // ms, of the polls answered during the flood
    std::string lastInfo;
    // Written before the clock starts, so that the stand-in TNC costs the machine next to nothing.
    std::vector<std::string> chunks;
    for (int sent = 0; sent < packets; sent += 2000)
        chunks.push_back(Flood(sent, std::min(packets, sent + 2000), stations, lastInfo));
    double polls = 0;
    double documentsServed = 0;

    for (auto _ : state) {
        QTemporaryDir folder;
        quint16 tncPort = 0;
        const int tncListener = ListenLoopback(tncPort);
        vireo::SettingsRecord record = vireo::DefaultSettings("icons");
        record.AgwAddress = "127.0.0.1";
        record.AgwPort = std::to_string(tncPort);
        QFile settings(folder.filePath(QString::fromLatin1(vireo::kSettingsFileName)));
        if (tncListener < 0 || !settings.open(QIODevice::WriteOnly) ||
            settings.write(vireo::FormatSettingsLine(record).c_str()) < 0) {
            state.SkipWithError("cannot listen or write the settings file");
            break;
        }
        settings.close();
        NoBoxes boxes;
        vireo::ShellOptions options;
        options.appFolder = folder.path();
        options.httpAddress = QHostAddress::LocalHost;
        options.httpPort = 0;
        options.openFile = [](const QString&) {};
        vireo::Shell shell(options, boxes);
        vireo::MainWindow window(shell);
        // Every packet has been handled once the last one is on the monitor.
        const auto& monitor = shell.GetSession().GetView().monitorLines;
        std::atomic<bool> handled = false, stop = false;
        std::int64_t handledNs = 0;
        QObject::connect(&shell, &vireo::Shell::ViewChanged, [&] {
            if (handled || monitor.size() != 2 || monitor[1] != lastInfo) return;
            handledNs = NowNs();
            handled = true;
        });
        shell.Start();
        window.show();
        const quint16 httpPort = shell.Http().Port();

        // The TNC: the flood from the program's connection on, written as the socket drains so
        // that the stand-in's own memory stays small.
        std::atomic<std::int64_t> startNs = 0;
        std::thread tnc([&] {
            pollfd waiting{tncListener, POLLIN, 0};
            while (!stop && ::poll(&waiting, 1, 50) == 0) {
            }
            const int client = stop ? -1 : ::accept(tncListener, nullptr, nullptr);
            startNs = NowNs();
            for (std::size_t i = 0; client >= 0 && i < chunks.size() && !stop; ++i) {
                if (!SendAll(client, chunks[i])) break;
            }
            while (!stop) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (client >= 0) ::close(client);
        });

        // Google Earth's part, thirty times as eager: a poll every 200 ms, each on its own
        // connection; the first one after the flood must see every station.
        int toPoller = -1, fromPoller = -1;
        const pid_t poller = StartPoller(httpPort, toPoller, fromPoller);
        if (poller < 0) {
            state.SkipWithError("cannot start the Google Earth stand-in");
            stop = true;
            tnc.join();
            break;
        }
        std::mutex mutex;
        std::vector<PollRecord> records;
        std::thread reader([&] {
            FILE* lines = ::fdopen(fromPoller, "r");
            PollRecord r;
            while (std::fscanf(lines, "%lld %lld %d %d", &r.sentNs, &r.answeredNs, &r.document,
                               &r.points) == 4) {
                const std::lock_guard lock(mutex);
                records.push_back(r);
            }
            std::fclose(lines);
        });

        QElapsedTimer limit;  // a flood that stalls ends the run instead of hanging it
        limit.start();
        while (!handled && limit.elapsed() < 120000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        if (!handled) state.SkipWithError("the flood was not handled within two minutes");
        state.SetIterationTime(static_cast<double>(NowNs() - startNs) / 1e9);
        const auto polled = [&] {
            const std::lock_guard lock(mutex);
            return std::any_of(records.begin(), records.end(),
                               [&](const PollRecord& r) { return r.sentNs >= handledNs; });
        };
        while (!polled() && limit.elapsed() < 130000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        stop = true;
        ::close(toPoller);
        // A poll under way needs the event loop to end.
        auto joined = std::async(std::launch::async, [&] {
            ::waitpid(poller, nullptr, 0);
            reader.join();
            tnc.join();
        });
        while (joined.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        int finalPoints = -1;
        for (const PollRecord& r : records) {
            polls += 1;
            documentsServed += r.document;
            if (r.sentNs < handledNs) {
                waits.push_back(static_cast<double>(r.answeredNs - r.sentNs) / 1e6);
            } else if (finalPoints < 0) {
                finalPoints = r.points;
            }
        }
        ::close(tncListener);
        if (shell.GetSession().Store().Count() != static_cast<std::size_t>(stations) ||
            finalPoints != stations) {
            state.SkipWithError("the last document does not hold every station");
        }
        shell.Shutdown();
        QCoreApplication::processEvents();
    }
    state.counters["packets_per_s"] =
        benchmark::Counter(static_cast<double>(packets) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    state.counters["polls"] = polls;
    state.counters["documents_served"] = documentsServed;
    state.counters["poll_wait_p50_ms"] = Percentile(waits, 0.5);
    state.counters["poll_wait_p99_ms"] = Percentile(waits, 0.99);
    state.counters["poll_wait_max_ms"] = Percentile(waits, 1.0);
}
BENCHMARK(BM_FloodOverLoopback)
    ->ArgNames({"packets", "stations"})
    ->Args({20000, 2000})
    ->Args({200000, 2000})
    ->Args({500000, 5000})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--poll") == 0) {
        return PollEvery200Ms(static_cast<quint16>(std::atoi(argv[2])));
    }
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
