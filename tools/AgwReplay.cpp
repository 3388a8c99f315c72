// vireo-agw-replay: an AGWPE-compatible TNC on the loopback interface that plays a log of packets
// (see ReplayLog.h) to its clients as monitored "U" frames, as a TNC hearing them on the air
// would, so that Vireo Decoder can be tried and tested without a radio.
//
// It answers "R" (version) and takes "m", which switches the monitoring of the client that sent
// it on and off again; every other request is ignored. Several clients may be connected; a client
// that goes away, or stops reading, is dropped and the play goes on. The play starts when the
// first client switches monitoring on and then runs on the clock, whoever is listening.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTime>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "ReplayLog.h"

namespace {

using namespace vireo::replay;

constexpr const char* kUsage =
    "usage: vireo-agw-replay [--port N] [--speed X] [--loop] [--check] LOG\n"
    "Plays LOG, one packet a line in TNC2 text (SRC>DEST,PATH:info) with an optional leading\n"
    "time stamp (ISO 8601 or Unix seconds) that sets the pace, as an AGWPE-compatible TNC on\n"
    "127.0.0.1 (and ::1).\n"
    "  --port N   AGWPE port to listen on (default 8000)\n"
    "  --speed X  play X times faster than the time stamps say (default 1)\n"
    "  --loop     start again after the last packet, until stopped\n"
    "  --check    only check LOG and print when each packet would be sent, in seconds\n";

// A client that has this much unsent data is not reading: it is dropped.
constexpr qint64 kMaxUnsent = 4 * 1024 * 1024;

struct Options {
    quint16 port = 8000;
    double speed = 1;
    bool loop = false;
    bool check = false;
    QString log;
};

// One line of what the TNC does, on standard output.
void Say(const QByteArray& line) {
    std::fputs(line.constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// The options, or nothing when the program is to stop at once (exit status in `status`).
std::optional<Options> ParseOptions(const QStringList& args, int& status) {
    Options options;
    status = 2;
    for (int i = 1; i < args.size(); ++i) {
        QString arg = args[i];
        bool ok = true;
        if ((arg == "--port" || arg == "--speed") && i + 1 < args.size()) {
            const QString value = args[++i];
            if (arg == "--port") {
                const uint port = value.toUInt(&ok);
                ok = ok && port > 0 && port <= 65535;
                options.port = static_cast<quint16>(port);
            } else {
                options.speed = value.toDouble(&ok);
                ok = ok && options.speed > 0 && options.speed <= 1e6;
            }
            arg += " " + value;
        } else if (arg == "--loop") {
            options.loop = true;
        } else if (arg == "--check") {
            options.check = true;
        } else if (arg == "--help") {
            std::fputs(kUsage, stdout);
            status = 0;
            return std::nullopt;
        } else if (!arg.startsWith("--") && options.log.isEmpty()) {
            options.log = arg;
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "vireo-agw-replay: bad argument \"%s\"\n%s",
                         arg.toLocal8Bit().constData(), kUsage);
            return std::nullopt;
        }
    }
    if (options.log.isEmpty()) {
        std::fputs(kUsage, stderr);
        return std::nullopt;
    }
    return options;
}

class ReplayServer {
  public:
    ReplayServer(std::vector<LogPacket> packets, const Options& options)
        : packets_(std::move(packets)),
          schedule_(PlaySchedule(packets_, options.speed)),
          cycleSeconds_(schedule_.back() + kDefaultGapSeconds / options.speed),
          loop_(options.loop) {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { PlayDue(); });
    }

    bool Listen(quint16 port) {
        auto v4 = std::make_unique<QTcpServer>();
        if (!v4->listen(QHostAddress::LocalHost, port)) {
            std::fprintf(stderr, "vireo-agw-replay: cannot listen on 127.0.0.1:%u: %s\n", port,
                         v4->errorString().toLocal8Bit().constData());
            return false;
        }
        servers_.push_back(std::move(v4));
        // Clients that resolve "localhost" to ::1 find the TNC there too, where IPv6 is on.
        auto v6 = std::make_unique<QTcpServer>();
        if (v6->listen(QHostAddress::LocalHostIPv6, port)) servers_.push_back(std::move(v6));
        for (auto& server : servers_) {
            QTcpServer* s = server.get();
            QObject::connect(s, &QTcpServer::newConnection, [this, s] {
                while (QTcpSocket* socket = s->nextPendingConnection()) Accept(socket);
            });
        }
        return true;
    }

  private:
    struct Client {
        QByteArray pending;  // request bytes not yet handled
        bool monitoring = false;
        QByteArray name;
    };

    void Accept(QTcpSocket* socket) {
        Client& client = clients_[socket];
        client.name = (socket->peerAddress().toString() + ":" + QString::number(socket->peerPort()))
                          .toLocal8Bit();
        Say("client " + client.name + " connected");
        QObject::connect(socket, &QTcpSocket::readyRead, [this, socket] { Read(socket); });
        QObject::connect(socket, &QTcpSocket::disconnected,
                         [this, socket] { Drop(socket, "left"); });
        QObject::connect(socket, &QTcpSocket::errorOccurred, [this, socket] {
            if (socket->error() != QAbstractSocket::RemoteHostClosedError) Drop(socket, "lost");
        });
    }

    void Drop(QTcpSocket* socket, const char* why) {
        const auto found = clients_.find(socket);
        if (found == clients_.end()) return;
        Say("client " + found->second.name + " " + why);
        clients_.erase(found);
        socket->disconnect();
        socket->abort();
        socket->deleteLater();
    }

    void Read(QTcpSocket* socket) {
        const auto found = clients_.find(socket);
        if (found == clients_.end()) return;
        Client& client = found->second;
        client.pending += socket->readAll();
        for (;;) {
            const std::size_t size = CompleteRequestSize(std::string_view(
                client.pending.constData(), static_cast<std::size_t>(client.pending.size())));
            if (size == 0) return;
            if (size == kBadRequest) {
                Drop(socket, "dropped: it does not speak AGWPE");
                return;
            }
            const char kind = client.pending[4];
            client.pending.remove(0, static_cast<qsizetype>(size));
            if (kind == 'R') {
                Send(socket, VersionFrame(VIREO_VERSION_MAJOR, VIREO_VERSION_MINOR));
            } else if (kind == 'm') {
                // As TNCs do, a second "m" switches monitoring off again.
                client.monitoring = !client.monitoring;
                Say("client " + client.name +
                    (client.monitoring ? " monitoring" : " stopped monitoring"));
                if (client.monitoring && !clock_.isValid()) StartPlay();
            }
            if (!clients_.contains(socket)) return;
        }
    }

    void Send(QTcpSocket* socket, const std::string& frame) {
        if (socket->bytesToWrite() > kMaxUnsent) {
            Drop(socket, "dropped: it does not read what it is sent");
            return;
        }
        socket->write(frame.data(), static_cast<qint64>(frame.size()));
    }

    void StartPlay() {
        Say("playing " + QByteArray::number(static_cast<qulonglong>(packets_.size())) +
            " packets over " + QByteArray::number(cycleSeconds_, 'f', 1) + " s");
        clock_.start();
        cycleStart_ = 0;
        PlayDue();
    }

    // Sends every packet whose time has come, then sleeps until the next one.
    void PlayDue() {
        const double now = static_cast<double>(clock_.nsecsElapsed()) / 1e9;
        while (next_ < packets_.size() && cycleStart_ + schedule_[next_] <= now) {
            const QByteArray time = QTime::currentTime().toString("HH:mm:ss").toLatin1();
            const std::string frame = MonitorFrame(packets_[next_].tnc2, time.toStdString());
            std::vector<QTcpSocket*> listeners;
            for (const auto& [socket, client] : clients_) {
                if (client.monitoring) listeners.push_back(socket);
            }
            for (QTcpSocket* socket : listeners) Send(socket, frame);
            ++next_;
        }
        if (next_ == packets_.size()) {
            if (!loop_) {
                Finish();
                return;
            }
            Say("end of the log: playing it again");
            next_ = 0;
            cycleStart_ += cycleSeconds_;
        }
        const double wait = cycleStart_ + schedule_[next_] - now;
        timer_.start(static_cast<int>(std::min(std::max(wait, 0.0) * 1000.0, 3.6e6)));
    }

    // The last packet went out: let every client have it, then leave.
    void Finish() {
        Say("end of the log");
        std::vector<QTcpSocket*> sockets;
        for (const auto& [socket, client] : clients_) sockets.push_back(socket);
        for (QTcpSocket* socket : sockets) socket->disconnectFromHost();
        QTimer::singleShot(sockets.empty() ? 0 : 500, [] { QCoreApplication::quit(); });
    }

    std::vector<LogPacket> packets_;
    std::vector<double> schedule_;
    double cycleSeconds_;
    bool loop_;
    std::vector<std::unique_ptr<QTcpServer>> servers_;
    std::map<QTcpSocket*, Client> clients_;
    QElapsedTimer clock_;
    double cycleStart_ = 0;
    std::size_t next_ = 0;
    QTimer timer_;
};

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    int status = 0;
    const auto options = ParseOptions(QCoreApplication::arguments(), status);
    if (!options) return status;

    QFile file(options->log);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "vireo-agw-replay: cannot read %s: %s\n",
                     options->log.toLocal8Bit().constData(),
                     file.errorString().toLocal8Bit().constData());
        return 1;
    }
    const QByteArray text = file.readAll();
    ReplayLog log =
        ParseReplayLog(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
    const QByteArray name = options->log.toLocal8Bit();
    for (const LogError& error : log.errors) {
        std::fprintf(stderr, "%s:%d: %s\n", name.constData(), error.lineNumber,
                     error.reason.c_str());
    }
    if (!log.errors.empty() || log.packets.empty()) {
        std::fprintf(stderr, "vireo-agw-replay: %s: %s; nothing is played\n", name.constData(),
                     log.errors.empty() ? "no packets" : "bad lines (see above)");
        return 1;
    }
    if (options->check) {
        const std::vector<double> at = PlaySchedule(log.packets, options->speed);
        for (std::size_t i = 0; i < at.size(); ++i) {
            std::printf("%.3f %s\n", at[i], log.packets[i].tnc2.c_str());
        }
        return 0;
    }

    ReplayServer server(std::move(log.packets), *options);
    if (!server.Listen(options->port)) return 1;
    Say("vireo-agw-replay: AGWPE TNC on 127.0.0.1:" + QByteArray::number(options->port) +
        ", waiting for a client to switch monitoring on");
    return application.exec();
}
