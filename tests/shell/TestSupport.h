// Helpers shared by the tests that run the Qt shell: bounded waits on the event loop, a scripted
// message box, a fake TNC on an ephemeral loopback port, and temporary application folders.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <functional>
#include <string>
#include <vector>

#include "agwpe/AgwFrame.h"
#include "settings/MessageBoxes.h"

namespace vireo::test {

// Runs the event loop until `done` holds or `ms` pass; returns whether `done` held.
inline bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Lets the event loop run for `ms` whatever happens.
inline void RunEvents(int ms) {
    WaitFor([] { return false; }, ms);
}

struct ShownBox {
    MessageIcon icon;
    std::string title;
    std::string text;
    MessageButtons buttons;
};

// Answers every box with Ok and records what was shown.
class ScriptedBoxes : public MessageBoxes {
  public:
    std::vector<ShownBox> shown;

    MessageAnswer Show(MessageIcon icon, const std::string& title, const std::string& text,
                       MessageButtons buttons) override {
        shown.push_back({icon, title, text, buttons});
        return MessageAnswer::Ok;
    }
};

// A TNC stand-in: accepts connections on an ephemeral loopback port, records what the client
// sends and sends what the test asks.
class FakeTnc {
  public:
    FakeTnc() {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = server.nextPendingConnection()) {
                ++connections;
                client = s;
                QObject::connect(s, &QTcpSocket::readyRead,
                                 [this, s] { received += s->readAll(); });
            }
        });
    }

    quint16 port() const { return server.serverPort(); }

    void Send(const std::string& bytes) {
        client->write(bytes.data(), static_cast<qint64>(bytes.size()));
        client->flush();
    }

    static std::string Frame(char kind, const std::string& data) {
        std::string header = MakeAgwRequest(kind);
        header[28] = static_cast<char>(data.size() & 0xff);
        header[29] = static_cast<char>(data.size() >> 8);
        return header + data;
    }

    QTcpServer server;
    QTcpSocket* client = nullptr;
    QByteArray received;
    int connections = 0;
};

// Sends `request` to the loopback port and returns everything answered until the server closes.
inline std::string HttpExchange(quint16 port, const std::string& request, int ms = 5000) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!WaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }, ms)) return {};
    socket.write(request.data(), static_cast<qint64>(request.size()));
    QByteArray answer;
    WaitFor(
        [&] {
            answer += socket.readAll();
            return socket.state() == QAbstractSocket::UnconnectedState;
        },
        ms);
    answer += socket.readAll();
    return answer.toStdString();
}

// A port on which nothing listens: bound once, then released.
inline quint16 ClosedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

}  // namespace vireo::test
