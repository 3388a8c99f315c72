// The whole program under a flood: a stand-in TNC on loopback sends monitored frames of moving
// stations as fast as the socket takes them (the last case leaves 5,000 stations of 100 points),
// while a Google Earth stand-in polls the document over HTTP every 200 ms. Measures how many
// packets a second the program absorbs with the document built and served, how long the polls
// during the flood wait for their answer (median, 99th percentile, longest), and the process's peak
// memory.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
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

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5)];
}

void BM_FloodOverLoopback(benchmark::State& state) {
    const int packets = static_cast<int>(state.range(0));
    const int stations = static_cast<int>(state.range(1));
    std::vector<double> waits;  // ms, of the polls answered during the flood
    std::string lastInfo;
    Flood(packets - 1, packets, stations, lastInfo);
    double polls = 0;
    double documentsServed = 0;

    for (auto _ : state) {
        QTemporaryDir folder;
        QTcpServer tnc;
        tnc.listen(QHostAddress::LocalHost, 0);
        vireo::SettingsRecord record = vireo::DefaultSettings("icons");
        record.AgwAddress = "127.0.0.1";
        record.AgwPort = std::to_string(tnc.serverPort());
        QFile settings(folder.filePath(QString::fromLatin1(vireo::kSettingsFileName)));
        if (!settings.open(QIODevice::WriteOnly) ||
            settings.write(vireo::FormatSettingsLine(record).c_str()) < 0) {
            state.SkipWithError("cannot write the settings file");
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
        bool handled = false;
        QObject::connect(&shell, &vireo::Shell::ViewChanged,
                         [&] { handled = monitor.size() == 2 && monitor[1] == lastInfo; });
        shell.Start();
        window.show();

        QElapsedTimer clock;
        QTcpSocket* client = nullptr;
        QObject::connect(&tnc, &QTcpServer::newConnection, [&] {
            client = tnc.nextPendingConnection();
            clock.start();
            // Written as the socket drains, so the stand-in's own memory stays small.
            auto sent = std::make_shared<int>(0);
            auto more = [&, sent] {
                while (*sent < packets && client->bytesToWrite() < (1 << 20)) {
                    std::string unused;
                    const int to = std::min(packets, *sent + 2000);
                    const std::string chunk = Flood(*sent, to, stations, unused);
                    client->write(chunk.data(), static_cast<qint64>(chunk.size()));
                    *sent = to;
                }
            };
            QObject::connect(client, &QTcpSocket::bytesWritten, more);
            more();
        });

        // Google Earth's part, thirty times as eager: a poll every 200 ms, each on its own
        // connection.
        int open = 0;
        QByteArray lastDocument;
        QTimer poller;
        QObject::connect(&poller, &QTimer::timeout, [&] {
            ++open;
            auto* socket = new QTcpSocket;
            auto* sent = new QElapsedTimer;
            sent->start();
            auto* answer = new QByteArray;
            QObject::connect(socket, &QTcpSocket::connected, [socket] {
                socket->write("GET / HTTP/1.1\r\nHost: localhost\r\n\r\n");
            });
            QObject::connect(socket, &QTcpSocket::readyRead,
                             [socket, answer] { *answer += socket->readAll(); });
            QObject::connect(socket, &QTcpSocket::disconnected, [&, socket, answer, sent] {
                --open;
                ++polls;
                if (!handled) waits.push_back(static_cast<double>(sent->nsecsElapsed()) / 1e6);
                delete sent;
                *answer += socket->readAll();
                if (answer->startsWith("HTTP/1.0 200")) {
                    ++documentsServed;
                    lastDocument = *answer;
                }
                delete answer;
                socket->deleteLater();
            });
            socket->connectToHost(QHostAddress::LocalHost, shell.Http().Port());
        });
        poller.start(200);

        QElapsedTimer limit;  // a flood that stalls ends the run instead of hanging it
        limit.start();
        while (!handled && limit.elapsed() < 120000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        if (!handled) state.SkipWithError("the flood was not handled within two minutes");
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        poller.stop();
        // One more poll after the flood: it must see every station.
        poller.setSingleShot(true);
        poller.start(0);
        QElapsedTimer drain;
        drain.start();
        while ((open > 0 || poller.isActive()) && drain.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        if (shell.GetSession().Store().Count() != static_cast<std::size_t>(stations) ||
            lastDocument.count("</Point>") != stations) {
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
    state.counters["peak_rss_MB"] = static_cast<double>(PeakKilobytes()) / 1024.0;
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
    ->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
