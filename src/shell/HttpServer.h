// The built-in HTTP/1.0 server that Google Earth polls. One request per connection: the server
// waits for the request line, writes the answer and closes the connection when the answer has
// been written. What the answers say comes from HttpProtocol. A document request is answered from
// the snapshot last published (the document answer and the end of the send window), so answering
// never builds anything or opens a box; follow links are reported afterwards.
//
// Answers are never copied per connection: every connection holds the shared, immutable answer
// and hands it to its socket a chunk at a time as the socket drains. Clients that stop reading
// must not starve real polls nor pin old documents without bound, so:
// - the answer bytes not yet handed to sockets, summed over all connections, stay below
//   `maxPendingBytes`: before a new answer would pass it, slow readers are closed, the one
//   answered longest ago first;
// - when more than `maxOpen` connections are open a new one makes room by closing the slow
//   reader answered longest ago, or else the oldest connection still waiting for its request;
// - a connection younger than `protectedAge`, or one whose request bytes have not all been
//   read, is never the one closed. With nothing to close the server stops accepting until a
//   connection finishes (new clients wait in the system's queue).
//
// Connections live in numbered slots (HttpSlots): a new connection takes the lowest free slot and
// a finished one frees it, the topmost slot being unloaded by the random rule. A connection that
// sends no complete request line in time (HttpServerOptions) is closed without an answer.
//
// Everything runs on the thread of the Qt event loop that owns the server; no handler call is
// made from a nested event loop, and the server never runs one itself.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "earth/HttpProtocol.h"

class QTcpSocket;
class QTimer;

namespace vireo {

struct HttpServerOptions {
    // A connection that completes no request line within this time is closed; so is one whose
    // answer makes no progress for this long.
    std::chrono::milliseconds idleTimeout{10000};
    // Once the first bytes of a request arrived, the rest of its line must follow within this.
    std::chrono::milliseconds requestTimeout{5000};
    // Above this many open connections one is closed to make room (see above).
    int maxOpen = 256;
    // The answer bytes not yet handed to sockets, over all connections, stay below this; but a
    // single answer larger than the cap is still sent.
    std::size_t maxPendingBytes = std::size_t{16} << 20;
    // A connection this young is never closed to make room.
    std::chrono::milliseconds protectedAge{20};
    // The random numbers in [0, 1) for the slot unloading rule; empty: a clock-seeded generator.
    std::function<double()> random;
    // Milliseconds on the monotonic clock the send window's end is given in.
    std::function<std::int64_t()> monotonicMs;
};

class HttpServer : public QObject {
    Q_OBJECT

  public:
    explicit HttpServer(HttpServerOptions options, QObject* parent = nullptr);
    ~HttpServer() override;

    // Starts listening; false when the address or port cannot be bound. Port 0 takes a free port.
    bool Listen(const QHostAddress& address, quint16 port);
    bool IsListening() const { return listener_.isListening(); }
    // Stops listening and closes every connection (the program is ending).
    void Close();
    quint16 Port() const { return listener_.serverPort(); }
    // "http://" + host + ":" + port, with no trailing "/". The host is the bound address, or
    // 127.0.0.1 (::1 for an IPv6-only wildcard) when the server listens on all addresses: a client
    // on this machine reaches the listener there without a name lookup. Empty when not listening.
    QString ServerUrl() const;

    // What document requests get from now on: `answer` until `sendWindowUntilMs`, then 204. While
    // the answer is not `upToDate`, polls inside the window wait: DocumentWanted() asks for a
    // fresh one, and they are answered when it is published.
    void Publish(std::shared_ptr<const std::string> answer, std::int64_t sendWindowUntilMs,
                 bool upToDate = true);

    const HttpSlots& Slots() const { return slots_; }
    int OpenConnections() const { return static_cast<int>(connections_.size()); }

  signals:
    // A connection was closed and its slot given back.
    void ConnectionFinished(int slot);
    // Follow links, after their answer has been written: a call of 1 to 9 letters, digits or
    // "-" as sent, and the end of following.
    void FollowRequested(const QString& call);
    void UnfollowRequested();
    void DocumentWanted();

  private:
    struct Connection;

    void OnNewConnection();
    void OnReadyRead(Connection& c);
    void OnBytesWritten(Connection& c, qint64 bytes);
    void Answer(Connection& c, const HttpRequest& request);
    // Hands the answer on to the system as far as it takes it now, a chunk at a time, and closes
    // once all of it is out. `c` may be gone afterwards.
    void Pump(Connection& c);
    // Closes the connection that may best make room; false when none may be closed.
    bool CloseOneToMakeRoom();
    // Closes the connection (abort) and gives its slot back. `c` is gone afterwards.
    void Finish(Connection& c);

    HttpServerOptions options_;
    std::shared_ptr<const std::string> documentAnswer_;
    std::int64_t sendWindowUntilMs_ = 0;
    bool upToDate_ = true;
    bool documentRequested_ = false;  // DocumentWanted() was emitted and not yet answered
    QTcpServer listener_;
    HttpSlots slots_;
    std::map<int, std::unique_ptr<Connection>> connections_;  // by slot
    quint64 accepted_ = 0;
    quint64 answeredCount_ = 0;
    std::size_t pendingBytes_ = 0;  // answer bytes not yet handed to sockets
    QTimer* resumeTimer_ = nullptr;
};

}  // namespace vireo
