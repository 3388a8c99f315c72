// Helpers of the tests that run the Qt shell: bounded waits on the event loop, a scripted message
// box, a fake TNC and an HTTP client on ephemeral loopback ports, and a shell in a temporary
// application folder.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "agwpe/AgwFrame.h"
#include "settings/Settings.h"
#include "shell/MessageBoxes.h"
#include "shell/Shell.h"

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

// Records every box and answers it with `answer` from the event loop, as a window-modal box does.
class ScriptedBoxes : public MessageBoxes {
  public:
    void Show(const ShowMessage& message, std::function<void(MessageAnswer)> answered) override {
        shown.push_back(message);
        QTimer::singleShot(0, &context_, [this, answered = std::move(answered)] {
            ++answers;
            answered(answer);
        });
    }
    std::vector<ShowMessage> shown;
    MessageAnswer answer = MessageAnswer::Ok;
    int answers = 0;

  private:
    QObject context_;
};

// An AGW frame of `kind` carrying `data`.
inline std::string Frame(char kind, const std::string& data) {
    std::string header = MakeAgwRequest(kind);
    header[28] = static_cast<char>(data.size() & 0xff);
    header[29] = static_cast<char>(data.size() >> 8);
    return header + data;
}

// A TNC stand-in on an ephemeral loopback port: records what its last client sends.
class FakeTnc {
  public:
    FakeTnc() {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = server.nextPendingConnection()) {
                client = s;
                received.clear();
                QObject::connect(s, &QTcpSocket::readyRead, [this, s] { received += s->readAll(); });
            }
        });
    }
    quint16 Port() const { return server.serverPort(); }
    void Send(const std::string& bytes) {
        client->write(bytes.data(), static_cast<qint64>(bytes.size()));
    }

    QTcpServer server;
    QTcpSocket* client = nullptr;
    QByteArray received;
};

// A port on which nothing listens: bound once, then released.
inline quint16 ClosedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// An HTTP client: connects at once, sends what it is told, keeps all it receives and notes when
// the server closes.
class Client {
  public:
    explicit Client(quint16 port, const QString& host = QStringLiteral("127.0.0.1")) {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] { received += socket.readAll(); });
        QObject::connect(&socket, &QTcpSocket::disconnected, [this] { closed = true; });
        socket.connectToHost(host, port);
    }
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
inline std::string Exchange(quint16 port, const std::string& request) {
    Client client(port);
    client.Send(request);
    return client.WaitClosed() ? client.Answer() : "(not closed)";
}

inline std::string ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("(none)");
}

// The settings file of `folder`, pointing at the TNC on 127.0.0.1:`tncPort`.
inline void WriteSettings(const QString& folder, quint16 tncPort,
                          const std::function<void(SettingsRecord&)>& edit = {}) {
    SettingsRecord record = DefaultSettings("Icons");
    record.AgwAddress = "127.0.0.1";
    record.AgwPort = std::to_string(tncPort);
    if (edit) edit(record);
    QFile file(QDir(folder).filePath(QString::fromLatin1(kSettingsFileName)));
    if (file.open(QIODevice::WriteOnly)) file.write(FormatSettingsLine(record).c_str());
}

// The shell on a temporary application folder, its HTTP server on an ephemeral loopback port.
inline ShellOptions TestOptions(const QTemporaryDir& folder) {
    ShellOptions options;
    options.appFolder = folder.path();
    options.iconsFolder = folder.filePath("Icons");
    options.httpAddress = QHostAddress::LocalHost;
    options.httpPort = 0;
    options.openFile = [](const QString&) {};
    return options;
}

}  // namespace vireo::test
