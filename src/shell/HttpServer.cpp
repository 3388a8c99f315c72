#include "shell/HttpServer.h"

#include <QMetaObject>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <memory>
#include <random>
#include <vector>

namespace vireo {
namespace {

constexpr std::chrono::milliseconds kAcceptRetry{500};
// What a socket is given of its answer at a time, and holds unsent at most; and what the
// connections share in one turn of the event loop, each at least the second.
constexpr std::size_t kChunkBytes = 64 * 1024;
constexpr std::size_t kTurnBytes = 4 * 1024 * 1024;
constexpr std::size_t kTurnBytesEach = 1024 * 1024;

}  // namespace

struct HttpServer::Connection {
    int slot = 0;
    quint64 order = 0;  // acceptance order, to find the oldest
    QTcpSocket* socket = nullptr;
    QTimer* timer = nullptr;  // child of the socket
    std::int64_t acceptedAtMs = 0;
    std::string received;
    bool answered = false;
    bool waitingForDocument = false;  // a poll parked until a fresh document is published
    quint64 answerOrder = 0;  // answering order, to find the slow reader answered longest ago
    std::shared_ptr<const std::string> answer;  // shared with every other connection given it
    std::size_t handedOut = 0;                  // bytes of `answer` given to the socket
    std::int64_t progressAtMs = 0;              // when the reader last took answer bytes
    bool pumping = false;                       // inside Pump()
};

HttpServer::HttpServer(HttpServerOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {
    if (!options_.monotonicMs) {
        options_.monotonicMs = [] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now().time_since_epoch())
                .count();
        };
    }
    if (!options_.random) {
        auto generator = std::make_shared<std::mt19937>(static_cast<std::mt19937::result_type>(
            std::chrono::steady_clock::now().time_since_epoch().count()));
        options_.random = [generator] {
            return std::uniform_real_distribution<double>(0.0, 1.0)(*generator);
        };
    }
    connect(&listener_, &QTcpServer::newConnection, this, &HttpServer::OnNewConnection);
    // A failed accept (for example out of file descriptors) makes the listener pause; the
    // shortage is mostly passing (idle connections time out), so try again a little later
    // instead of serving nothing for the rest of the run.
    connect(&listener_, &QTcpServer::acceptError, this, [this] {
        QTimer::singleShot(kAcceptRetry, this, [this] { listener_.resumeAccepting(); });
    });
    // Accepting paused for want of a connection that may be closed: try again soon.
    resumeTimer_ = new QTimer(this);
    resumeTimer_->setSingleShot(true);
    resumeTimer_->setInterval(options_.protectedAge);
    connect(resumeTimer_, &QTimer::timeout, this, [this] {
        listener_.resumeAccepting();
        OnNewConnection();
    });
}

HttpServer::~HttpServer() {
    // The sockets are children of this object and would report their closing to connections
    // that no longer exist: cut them loose first.
    for (auto& [slot, c] : connections_) {
        QObject::disconnect(c->socket, nullptr, c->socket, nullptr);
        QObject::disconnect(c->timer, nullptr, c->socket, nullptr);
        delete c->socket;
    }
    connections_.clear();
}

void HttpServer::Publish(std::shared_ptr<const std::string> answer, std::int64_t sendWindowUntilMs,
                         bool upToDate) {
    documentAnswer_ = std::move(answer);
    sendWindowUntilMs_ = sendWindowUntilMs;
    upToDate_ = upToDate;
    if (!upToDate_) return;
    documentRequested_ = false;
    // Answering may finish a connection (and take it out of the map): collect them first.
    std::vector<int> waiting;
    for (const auto& [slot, c] : connections_) {
        if (c->waitingForDocument) waiting.push_back(slot);
    }
    for (const int slot : waiting) {
        const auto c = connections_.find(slot);
        if (c == connections_.end() || !c->second->waitingForDocument) continue;
        c->second->waitingForDocument = false;
        Answer(*c->second, HttpRequest{HttpRequestKind::Document, {}});
    }
}

bool HttpServer::Listen(const QHostAddress& address, quint16 port) {
    // A burst of clients that reconnect as fast as they are dropped must not fill the system's
    // queue of new connections, or a real poll's connection attempt waits a second to retry.
    listener_.setListenBacklogSize(1024);
    listener_.setMaxPendingConnections(1024);
    return listener_.listen(address, port);
}

QString HttpServer::ServerUrl() const {
    if (!IsListening()) return {};
    const QHostAddress bound = listener_.serverAddress();
    QString host;
    if (bound == QHostAddress(QHostAddress::Any) || bound == QHostAddress(QHostAddress::AnyIPv4)) {
        host = QStringLiteral("127.0.0.1");
    } else if (bound == QHostAddress(QHostAddress::AnyIPv6)) {
        host = QStringLiteral("[::1]");
    } else if (bound.protocol() == QAbstractSocket::IPv6Protocol) {
        host = QLatin1Char('[') + bound.toString() + QLatin1Char(']');
    } else {
        host = bound.toString();
    }
    return QStringLiteral("http://") + host + QLatin1Char(':') + QString::number(Port());
}

void HttpServer::OnNewConnection() {
    while (listener_.hasPendingConnections()) {
        if (OpenConnections() >= options_.maxOpen && !CloseOneToMakeRoom()) {
            listener_.pauseAccepting();
            resumeTimer_->start();
            return;
        }
        QTcpSocket* socket = listener_.nextPendingConnection();
        if (socket == nullptr) return;
        auto owned = std::make_unique<Connection>();
        Connection& c = *owned;
        c.slot = slots_.Acquire();
        c.order = ++accepted_;
        c.acceptedAtMs = options_.monotonicMs();
        c.socket = socket;
        socket->setParent(this);
        c.timer = new QTimer(socket);
        c.timer->setSingleShot(true);
        connections_[c.slot] = std::move(owned);

        // Every connection uses the socket as context, so that Finish() can cut them all at once.
        connect(c.timer, &QTimer::timeout, socket, [this, &c] { Finish(c); });
        connect(socket, &QTcpSocket::readyRead, socket, [this, &c] { OnReadyRead(c); });
        connect(socket, &QTcpSocket::bytesWritten, socket,
                [this, &c](qint64 bytes) { OnBytesWritten(c, bytes); });
        connect(socket, &QTcpSocket::disconnected, socket, [this, &c] { Finish(c); });
        connect(socket, &QTcpSocket::errorOccurred, socket,
                [this, &c](QAbstractSocket::SocketError error) {
                    // The peer's close is followed by disconnected(), after what is still to be
                    // written has gone out.
                    if (error != QAbstractSocket::RemoteHostClosedError) Finish(c);
                });

        c.timer->start(options_.idleTimeout);
        // Bytes that came with the connection may already be waiting.
        if (socket->bytesAvailable() > 0) OnReadyRead(c);
    }
}

void HttpServer::OnReadyRead(Connection& c) {
    const QByteArray bytes = c.socket->readAll();
    // One request per connection: what follows the request line (headers, body) is ignored.
    if (c.answered) return;
    const bool first = c.received.empty();
    c.received.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));

    const HttpRequest request = ClassifyHttpRequest(c.received);
    if (request.kind != HttpRequestKind::Incomplete) {
        Answer(c, request);
        return;
    }
    if (c.received.size() > kMaxHttpRequestLine) {
        Finish(c);
        return;
    }
    // A request line begun must be finished soon, however slowly its bytes trickle in.
    if (first && !c.received.empty() &&
        c.timer->remainingTimeAsDuration() > options_.requestTimeout) {
        c.timer->start(options_.requestTimeout);
    }
}

void HttpServer::Answer(Connection& c, const HttpRequest& request) {
    std::shared_ptr<const std::string> answer;
    switch (request.kind) {
        case HttpRequestKind::Document:
            if (!documentAnswer_ || options_.monotonicMs() >= sendWindowUntilMs_) {
                answer = std::make_shared<const std::string>(NoContentAnswer());
            } else if (!upToDate_) {
                // The picture changed since the last document: have it built, once for every
                // poll waiting, from the event loop rather than inside this socket's signal.
                c.waitingForDocument = true;
                if (!documentRequested_) {
                    documentRequested_ = true;
                    QMetaObject::invokeMethod(
                        this, [this] { emit DocumentWanted(); }, Qt::QueuedConnection);
                }
                return;
            } else {
                answer = documentAnswer_;
            }
            break;
        case HttpRequestKind::Follow:
            answer = std::make_shared<const std::string>(LinkPageAnswer(true, request.call));
            break;
        case HttpRequestKind::Unfollow:
            answer = std::make_shared<const std::string>(LinkPageAnswer(false, request.call));
            break;
        default:
            answer = std::make_shared<const std::string>(NotImplementedAnswer());
    }
    // Room for this answer: slow readers go first. `c` itself is not answered yet, so it is
    // never the one closed.
    while (pendingBytes_ > 0 && pendingBytes_ + answer->size() > options_.maxPendingBytes &&
           CloseOneToMakeRoom()) {
    }
    c.answered = true;
    c.answerOrder = ++answeredCount_;
    std::string().swap(c.received);
    c.timer->start(options_.idleTimeout);
    c.answer = std::move(answer);
    c.progressAtMs = options_.monotonicMs();
    pendingBytes_ += c.answer->size();
    // Handed to the system at once: a client that has already shut its sending side would
    // otherwise be seen as gone, and the answer dropped, before the socket's next write turn.
    Pump(c);  // may finish `c`

    // Following changes the document: let that run from the event loop, not from inside this
    // socket's signal.
    if (request.kind == HttpRequestKind::Follow) {
        QMetaObject::invokeMethod(
            this, [this, call = QString::fromLatin1(request.call)] { emit FollowRequested(call); },
            Qt::QueuedConnection);
    } else if (request.kind == HttpRequestKind::Unfollow) {
        QMetaObject::invokeMethod(
            this, [this] { emit UnfollowRequested(); }, Qt::QueuedConnection);
    }
}

void HttpServer::Pump(Connection& c) {
    // A flush below reports the bytes it wrote from inside this loop: the loop takes them.
    if (c.pumping) return;
    c.pumping = true;
    const int slot = c.slot;
    const Connection* self = &c;
    const std::string& answer = *c.answer;
    const std::size_t share = std::max(kTurnBytesEach, kTurnBytes / connections_.size());
    for (std::size_t turn = 0; c.handedOut < answer.size();) {
        const std::size_t n = std::min(kChunkBytes, answer.size() - c.handedOut);
        const qint64 written = c.socket->write(answer.data() + c.handedOut, static_cast<qint64>(n));
        if (written <= 0) break;
        c.handedOut += static_cast<std::size_t>(written);
        pendingBytes_ -= static_cast<std::size_t>(written);
        // Enough for one turn of the event loop: the socket writes what it holds, and asks for
        // more, at its next turn.
        if ((turn += static_cast<std::size_t>(written)) >= share) break;
        // Straight on to the system while it takes the bytes, rather than a chunk a turn.
        const bool moved = c.socket->flush();
        const auto still = connections_.find(slot);  // a failed write finishes the connection
        if (still == connections_.end() || still->second.get() != self) return;
        if (moved) {
            c.timer->start(options_.idleTimeout);
            c.progressAtMs = options_.monotonicMs();
        }
        if (c.socket->bytesToWrite() > 0) break;  // the system is full: wait until it takes them
    }
    c.pumping = false;
    if (c.handedOut < answer.size() || c.socket->bytesToWrite() > 0) return;
    // All of the answer is out: close. Reading what is left first lets the close end with a
    // FIN rather than a reset that could cost the client the end of the answer.
    c.socket->readAll();
    c.socket->disconnectFromHost();  // emits disconnected(), which finishes the connection
}

void HttpServer::OnBytesWritten(Connection& c, qint64 /*bytes*/) {
    if (!c.answered || c.pumping) return;
    c.timer->start(options_.idleTimeout);  // a slow reader is fine while it keeps reading
    c.progressAtMs = options_.monotonicMs();
    Pump(c);
}

void HttpServer::Close() {
    listener_.close();
    while (!connections_.empty()) Finish(*connections_.begin()->second);
}

bool HttpServer::CloseOneToMakeRoom() {
    const std::int64_t now = options_.monotonicMs();
    const std::int64_t young = options_.protectedAge.count();
    // The slow reader answered longest ago, one that stopped reading before one still reading;
    // else the oldest connection that sent nothing yet.
    Connection* slowest = nullptr;
    Connection* idlest = nullptr;
    const auto before = [now, young](const Connection& a, const Connection& b) {
        const bool aStalled = now - a.progressAtMs >= young;
        const bool bStalled = now - b.progressAtMs >= young;
        return aStalled != bStalled ? aStalled : a.answerOrder < b.answerOrder;
    };
    for (auto& [slot, c] : connections_) {
        if (now - c->acceptedAtMs < young || c->socket->bytesAvailable() > 0) continue;
        if (c->answered) {
            if (!slowest || before(*c, *slowest)) slowest = c.get();
        } else if (c->received.empty() && (!idlest || c->order < idlest->order)) {
            idlest = c.get();
        }
    }
    Connection* victim = slowest ? slowest : idlest;
    if (!victim) return false;
    Finish(*victim);
    return true;
}

void HttpServer::Finish(Connection& c) {
    QTcpSocket* socket = c.socket;
    const int slot = c.slot;
    c.timer->stop();
    if (c.answer) pendingBytes_ -= c.answer->size() - c.handedOut;
    QObject::disconnect(socket, nullptr, socket, nullptr);
    QObject::disconnect(c.timer, nullptr, socket, nullptr);
    socket->abort();
    socket->deleteLater();
    connections_.erase(slot);
    slots_.Release(slot, options_.random());
    emit ConnectionFinished(slot);
    if (resumeTimer_->isActive()) {
        resumeTimer_->stop();
        listener_.resumeAccepting();
        QMetaObject::invokeMethod(this, &HttpServer::OnNewConnection, Qt::QueuedConnection);
    }
}

}  // namespace vireo
