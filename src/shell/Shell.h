// The Qt side of the running program: it owns the session and the things the session cannot
// touch itself (the TNC socket, the HTTP server, the timers, message boxes, files, the desktop),
// forwards every event to the session and carries out the effects it returns. It decides
// nothing; the window shows the session's state whenever ViewChanged() is emitted.
#pragma once

#include <QDateTime>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

#include "session/Session.h"
#include "shell/AgwLink.h"
#include "shell/HttpServer.h"
#include "shell/MessageBoxes.h"

namespace vireo {

struct ShellOptions {
    QString appFolder;        // the program's files
    QString iconsFolder;      // the icon set used when the settings name none
    QString resourcesFolder;  // the sound and the help file; empty: the application folder
    QHostAddress httpAddress = QHostAddress::Any;
    quint16 httpPort = 8008;
    HttpServerOptions http;
    // The local date and time; empty: the system clock, with the zone's offset looked up once a
    // second rather than at every event.
    std::function<QDateTime()> clock;
    // Milliseconds on a clock that only goes forward; empty: the steady clock.
    std::function<std::int64_t()> monotonicMs;
    // Opens a file with the desktop's handler for its type.
    std::function<void(const QString& path)> openFile;
    // Plays a wave file in the background.
    std::function<void(const QString& path)> playSound;
};

class Shell : public QObject {
    Q_OBJECT

  public:
    Shell(ShellOptions options, MessageBoxes& boxes, QObject* parent = nullptr);

    void Start();
    // Runs the shut-down once: the TNC link and the server close, the files are written.
    void Shutdown();
    void Run(Command command);
    // Hands the session one event of the window and carries out what it returns:
    // `event(session, now)`.
    void Handle(const std::function<Effects(Session&, const Moment&)>& event);
    void ChooseStyleFile(const QString& path);
    void WindowGeometryChanged(float left, float top, float width, float height);

    const Session& GetSession() const { return session_; }
    Moment Now() const;
    HttpServer& Http() { return http_; }
    MessageBoxes& Boxes() { return boxes_; }
    // The folder of the sound and the help file.
    QString ResourcesFolder() const;

  signals:
    void ViewChanged();

  private:
    void Carry(Effects effects);
    void Carry(const Effect& effect);
    void Write(const WriteFile& file);
    void HoldBackTnc();

    ShellOptions options_;
    MessageBoxes& boxes_;
    Session session_;
    AgwLink link_;
    HttpServer http_;
    QTimer minuteTimer_;
    QTimer lampTimer_;
    bool shutDown_ = false;
    bool continuePending_ = false;  // the next slice of TNC frames is scheduled
    mutable qint64 offsetCheckedAtMs_ = 0;
    mutable qint64 offsetFromUtcMs_ = 0;
};

}  // namespace vireo
