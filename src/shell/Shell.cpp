#include "shell/Shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QUrl>
#include <chrono>
#include <cstdio>

#include "shell/StationFilesCommit.h"

namespace vireo {

namespace {

// A path as the core keeps it: bytes in the system's code page.
std::string PathBytes(const QString& path) {
    return QFile::encodeName(QDir::toNativeSeparators(path)).toStdString();
}

QString PathText(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    QFile file(PathText(path));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    // A real settings, style or station file is far smaller; a huge file put in its place is
    // not read whole.
    constexpr qint64 kLimit = qint64{256} << 20;
    const QByteArray bytes = file.read(kLimit);
    if (file.error() != QFileDevice::NoError) return std::nullopt;
    return bytes.toStdString();
}

SessionPorts PortsFor(const ShellOptions& options) {
    SessionPorts ports;
    ports.readFile = &ReadWholeFile;
    ports.appFolder = PathBytes(options.appFolder);
    ports.defaultIconsFolder = PathBytes(options.iconsFolder);
    ports.resourcesFolder =
        PathBytes(options.resourcesFolder.isEmpty() ? options.appFolder : options.resourcesFolder);
    const QString point = QLocale::system().decimalPoint();
    if (point.size() == 1 && point[0].unicode() < 256) {
        ports.decimalPoint = static_cast<char>(point[0].unicode());
    }
    // The user's short date-and-time form, read once. The moment is already local: it is
    // formatted as it stands, without a time-zone lookup (a file check each time).
    ports.dateTimeText =
        [format = QLocale::system().dateTimeFormat(QLocale::ShortFormat)](const LocalDateTime& t) {
            const QDateTime moment(QDate(t.year, t.month, t.day),
                                   QTime(t.hour, t.minute, t.second, t.millisecond), Qt::UTC);
            return QLocale::system().toString(moment, format).toLatin1().toStdString();
        };
    return ports;
}

std::int64_t SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

ShellOptions WithSteadyClock(ShellOptions options) {
    if (!options.monotonicMs) options.monotonicMs = &SteadyMs;
    // The server ends the send window on the same clock.
    options.http.monotonicMs = options.monotonicMs;
    return options;
}

}  // namespace

Shell::Shell(ShellOptions options, MessageBoxes& boxes, QObject* parent)
    : QObject(parent),
      options_(WithSteadyClock(std::move(options))),
      boxes_(boxes),
      session_(PortsFor(options_)),
      http_(options_.http) {
    minuteTimer_.setInterval(60000);
    lampTimer_.setSingleShot(true);
    connect(&minuteTimer_, &QTimer::timeout, this,
            [this] { Carry(session_.TimerFired(TimerId::MinuteTick, Now())); });
    connect(&lampTimer_, &QTimer::timeout, this,
            [this] { Carry(session_.TimerFired(TimerId::ActivityLamp, Now())); });

    connect(&link_, &AgwLink::Connected, this, [this] { Carry(session_.TncConnected()); });
    connect(&link_, &AgwLink::ClosedByPeer, this, [this] { Carry(session_.TncClosedByPeer()); });
    connect(&link_, &AgwLink::Failed, this, [this](const QString& description) {
        Carry(session_.TncError(description.toLatin1().toStdString(), Now()));
    });
    connect(&link_, &AgwLink::DataReceived, this, [this](const QByteArray& bytes) {
        Carry(session_.TncData(std::string_view(bytes.constData(), bytes.size()), Now()));
        HoldBackTnc();
    });

    connect(&http_, &HttpServer::FollowRequested, this, [this](const QString& call) {
        Carry(session_.FollowRequested(call.toLatin1().toStdString(), Now()));
    });
    connect(&http_, &HttpServer::UnfollowRequested, this,
            [this] { Carry(session_.UnfollowRequested(Now())); });
    connect(&http_, &HttpServer::DocumentWanted, this,
            [this] { Carry(session_.DocumentWanted(Now())); });
}

Moment Shell::Now() const {
    QDateTime now;
    if (options_.clock) {
        now = options_.clock();
    } else {
        // Asking for the local time looks the zone up again each time (a file check with TZ
        // unset); under a flood that was most of the work. The offset is taken once a second.
        const qint64 utcMs = QDateTime::currentMSecsSinceEpoch();
        if (utcMs - offsetCheckedAtMs_ >= 1000 || utcMs < offsetCheckedAtMs_) {
            offsetFromUtcMs_ = qint64{QDateTime::currentDateTime().offsetFromUtc()} * 1000;
            offsetCheckedAtMs_ = utcMs;
        }
        now = QDateTime::fromMSecsSinceEpoch(utcMs + offsetFromUtcMs_, Qt::UTC);
    }
    const QDate d = now.date();
    const QTime t = now.time();
    return {options_.monotonicMs(),
            {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec()}};
}

void Shell::HoldBackTnc() {
    // A few megabytes waiting is many seconds of a busy channel: read more once they are handled.
    constexpr std::size_t kMaxBacklog = 4 << 20;
    link_.SetPaused(session_.TncBacklog() > kMaxBacklog);
}

QString Shell::ResourcesFolder() const {
    return options_.resourcesFolder.isEmpty() ? options_.appFolder : options_.resourcesFolder;
}

void Shell::Start() {
    RecoverStationFiles(options_.appFolder);  // a save a stop interrupted, before it is read
    const bool listening = http_.Listen(options_.httpAddress, options_.httpPort);
    Carry(session_.Start(listening, http_.ServerUrl().toLatin1().toStdString(), Now()));
}

void Shell::Shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    minuteTimer_.stop();
    lampTimer_.stop();
    http_.Close();
    Carry(session_.Shutdown());
    link_.Close();
}

void Shell::Run(Command command) {
    Carry(session_.Menu(command, Now()));
}

void Shell::Handle(const std::function<Effects(Session&, const Moment&)>& event) {
    if (!shutDown_) Carry(event(session_, Now()));
}

void Shell::ChooseStyleFile(const QString& path) {
    const QFileInfo chosen(path);
    Carry(session_.StyleFileChosen(PathBytes(chosen.absolutePath()), PathBytes(chosen.fileName()),
                                   Now()));
}

void Shell::WindowGeometryChanged(float left, float top, float width, float height) {
    session_.WindowGeometryChanged(left, top, width, height);
}

void Shell::Carry(Effects effects) {
    for (const Effect& effect : effects) Carry(effect);
    emit ViewChanged();
}

void Shell::Carry(const Effect& effect) {
    if (const auto* message = std::get_if<ShowMessage>(&effect)) {
        boxes_.Show(*message, [this, id = message->id](MessageAnswer answer) {
            if (!shutDown_) Carry(session_.Answer(id, answer, Now()));
        });
    } else if (const auto* timer = std::get_if<StartTimer>(&effect)) {
        QTimer& t = timer->id == TimerId::MinuteTick ? minuteTimer_ : lampTimer_;
        if (!shutDown_) t.start(timer->ms);
    } else if (const auto* connect = std::get_if<ConnectTnc>(&effect)) {
        link_.Connect(QString::fromLatin1(connect->host), connect->port);
    } else if (std::holds_alternative<CloseTnc>(effect)) {
        link_.Close();
    } else if (const auto* send = std::get_if<SendToTnc>(&effect)) {
        link_.Send(QByteArray::fromStdString(send->bytes));
    } else if (const auto* file = std::get_if<WriteFile>(&effect)) {
        Write(*file);
    } else if (const auto* stations = std::get_if<WriteStationFiles>(&effect)) {
        if (!CommitStationFiles(PathText(stations->folder), stations->ini, stations->dat)) {
            std::fprintf(stderr, "vireo-decoder: cannot write the station files in %s\n",
                         stations->folder.c_str());
        }
    } else if (const auto* problem = std::get_if<ReportProblem>(&effect)) {
        std::fprintf(stderr, "vireo-decoder: %s\n", problem->text.c_str());
    } else if (const auto* open = std::get_if<OpenWithDesktop>(&effect)) {
        if (options_.openFile) {
            options_.openFile(PathText(open->path));
        } else {
            QDesktopServices::openUrl(QUrl::fromLocalFile(PathText(open->path)));
        }
    } else if (const auto* sound = std::get_if<PlaySound>(&effect)) {
        if (options_.playSound) options_.playSound(PathText(sound->path));
    } else if (const auto* publish = std::get_if<PublishDocument>(&effect)) {
        http_.Publish(publish->answer, publish->sendWindowUntilMs, publish->upToDate);
    } else if (std::holds_alternative<ContinueTnc>(effect)) {
        if (!continuePending_ && !shutDown_) {
            continuePending_ = true;
            QTimer::singleShot(0, this, [this] {
                continuePending_ = false;
                if (shutDown_) return;
                Carry(session_.TncContinue(Now()));
                HoldBackTnc();
            });
        }
    }
}

void Shell::Write(const WriteFile& file) {
    QSaveFile out(PathText(file.path));
    const bool written = out.open(QIODevice::WriteOnly) &&
                         out.write(file.bytes.data(), static_cast<qint64>(file.bytes.size())) ==
                             static_cast<qint64>(file.bytes.size()) &&
                         out.commit();
    if (written) return;
    if (file.reportFailure && !shutDown_) {
        Carry(session_.FileWriteFailed(file.path));
    } else {
        std::fprintf(stderr, "vireo-decoder: cannot write %s\n", file.path.c_str());
    }
}

}  // namespace vireo
