// Helpers of the tests that run the Qt shell: bounded waits on the event loop, a scripted message
// box, a fake TNC and an HTTP client on ephemeral loopback ports, and a shell in a temporary
// application folder.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include "shell/Shell.h"

namespace vireo::test {

// The bytes of a file, "(none)" when it cannot be read.
inline std::string ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "(none)";
}

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

// Records every box and answers it from the event loop, as a window-modal box does: with the
// next answer of `answers`, OK when none is left.
struct ScriptedBoxes : MessageBoxes {
    void Show(const ShowMessage& message, std::function<void(MessageAnswer)> answered) override {
        shown.push_back(message);
        MessageAnswer answer = MessageAnswer::Ok;
        if (!answers.empty()) {
            answer = answers.front();
            answers.erase(answers.begin());
        }
        QTimer::singleShot(0, &context,
                           [answer, answered = std::move(answered)] { answered(answer); });
    }
    std::vector<ShowMessage> shown;
    std::vector<MessageAnswer> answers;
    QObject context;  // drops the answers not yet given with the boxes
};

// A TNC stand-in on a loopback port (an ephemeral one by default): records what its last client
// sends.
struct FakeTnc {
    explicit FakeTnc(quint16 port = 0) {
        server.listen(QHostAddress::LocalHost, port);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            client = server.nextPendingConnection();
            QObject::connect(client, &QTcpSocket::readyRead,
                             [this, s = client] { received += s->readAll(); });
        });
    }
    quint16 Port() const { return server.serverPort(); }
    void Send(const std::string& bytes) { client->write(bytes.data(), std::ssize(bytes)); }

    QTcpServer server;
    QTcpSocket* client = nullptr;
    QByteArray received;
};

// An HTTP client: connects at once, sends what it is told, keeps all it receives and notes when
// the server closes.
struct Client {
    explicit Client(quint16 port) {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] { received += socket.readAll(); });
        QObject::connect(&socket, &QTcpSocket::disconnected, [this] { closed = true; });
        socket.connectToHost(QHostAddress::LocalHost, port);
    }
    void Send(const std::string& bytes) { socket.write(bytes.data(), std::ssize(bytes)); }
    bool WaitClosed(int ms = 5000) {
        return WaitFor([this] { return closed; }, ms);
    }

    QTcpSocket socket;
    QByteArray received;
    bool closed = false;
};

// One connection, one request, the whole answer up to the server's close.
inline std::string Exchange(quint16 port, const std::string& request) {
    Client client(port);
    client.Send(request);
    return client.WaitClosed() ? client.received.toStdString() : "(not closed)";
}

// A shell on a temporary application folder, whose settings file points at the TNC on
// 127.0.0.1:`tncPort` (connecting at start-up when `autoConnect`), with its HTTP server on an
// ephemeral loopback port and its clock at `now`.
struct Rig {
    explicit Rig(quint16 tncPort, bool autoConnect = true) {
        SettingsRecord record = DefaultSettings("Icons");
        record.AgwAddress = "127.0.0.1";
        record.AgwPort = std::to_string(tncPort);
        record.AutoConnect = autoConnect;
        QFile file(folder.filePath(QString::fromLatin1(kSettingsFileName)));
        if (file.open(QIODevice::WriteOnly)) file.write(FormatSettingsLine(record).c_str());
    }
    ShellOptions Options() {
        ShellOptions options;
        options.appFolder = folder.path();
        options.httpAddress = QHostAddress::LocalHost;
        options.httpPort = 0;
        options.clock = [this] { return now; };
        options.openFile = [](const QString&) {};
        return options;
    }
    std::string Read(std::string_view name) const {
        return ReadFile(folder.filePath(QString::fromLatin1(name)));
    }

    QTemporaryDir folder;
    QDateTime now{QDate(2026, 5, 17), QTime(14, 3, 9)};
    ScriptedBoxes boxes;
    Shell shell{Options(), boxes};
};

}  // namespace vireo::test
