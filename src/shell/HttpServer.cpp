#include "shell/HttpServer.h"

#include <QMetaObject>
#include <QTcpSocket>
#include <QTimer>
#include <chrono>
#include <memory>
#include <random>
#include <vector>

namespace vireo {
namespace {

constexpr std::chrono::milliseconds kAcceptRetry{500};

}  // namespace

struct HttpServer::Connection {
    int slot = 0;
    quint64 order = 0;  // acceptance order, to find the oldest
    QTcpSocket* socket = nullptr;
    QTimer* timer = nullptr;  // child of the socket
    std::string received;
    bool answered = false;
    bool waitingForDocument = false;  // a poll parked until a fresh document is published
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
    while (QTcpSocket* socket = listener_.nextPendingConnection()) {
        if (OpenConnections() >= options_.maxOpen) CloseOldestWaiting();

        auto owned = std::make_unique<Connection>();
        Connection& c = *owned;
        c.slot = slots_.Acquire();
        c.order = ++accepted_;
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
    std::string answer;
    std::string_view bytes;
    switch (request.kind) {
        case HttpRequestKind::Document:
            if (!documentAnswer_ || options_.monotonicMs() >= sendWindowUntilMs_) {
                answer = NoContentAnswer();
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
                bytes = *documentAnswer_;
            }
            break;
        case HttpRequestKind::Follow:
            answer = LinkPageAnswer(true, request.call);
            break;
        case HttpRequestKind::Unfollow:
            answer = LinkPageAnswer(false, request.call);
            break;
        default:
            answer = NotImplementedAnswer();
    }
    if (bytes.empty()) bytes = answer;
    c.answered = true;
    std::string().swap(c.received);
    c.timer->start(options_.idleTimeout);
    c.socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
    // Hand the answer to the system now: a client that has already shut its sending side would
    // otherwise be seen as gone, and the answer dropped, before the socket's next write turn.
    c.socket->flush();

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

void HttpServer::OnBytesWritten(Connection& c, qint64 /*bytes*/) {
    if (!c.answered) return;
    c.timer->start(options_.idleTimeout);  // a slow reader is fine while it keeps reading
    if (c.socket->bytesToWrite() > 0) return;
    // All of the answer is out: close. Reading what is left first lets the close end with a
    // FIN rather than a reset that could cost the client the end of the answer.
    c.socket->readAll();
    c.socket->disconnectFromHost();  // emits disconnected(), which finishes the connection
}

void HttpServer::Close() {
    listener_.close();
    while (!connections_.empty()) Finish(*connections_.begin()->second);
}

void HttpServer::CloseOldestWaiting() {
    Connection* oldest = nullptr;
    for (auto& [slot, c] : connections_) {
        if (!c->answered && (oldest == nullptr || c->order < oldest->order)) oldest = c.get();
    }
    if (oldest != nullptr) Finish(*oldest);
}

void HttpServer::Finish(Connection& c) {
    QTcpSocket* socket = c.socket;
    const int slot = c.slot;
    c.timer->stop();
    QObject::disconnect(socket, nullptr, socket, nullptr);
    QObject::disconnect(c.timer, nullptr, socket, nullptr);
    socket->abort();
    socket->deleteLater();
    connections_.erase(slot);
    slots_.Release(slot, options_.random());
    emit ConnectionFinished(slot);
}

}  // namespace vireo
