// The application object: owns the window's model, the TNC link and the timers, and runs the
// start-up and shut-down sequences and the menu commands. It has no widgets; the main window
// mirrors Model() whenever ModelChanged() is emitted and forwards user commands here.
//
// Everything runs on the one event-loop thread. Frames are handled strictly one after the other:
// a frame that arrives while another is being handled (for example while a message box is open)
// is queued and handled afterwards.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <optional>

#include "aprs/Decoders.h"
#include "settings/FormModel.h"
#include "settings/MessageBoxes.h"
#include "settings/SettingsApply.h"
#include "settings/SettingsFile.h"
#include "shell/AgwLink.h"
#include "shell/HttpServer.h"
#include "stations/StationStore.h"

namespace vireo {

class VireoApp : public QObject, private HttpHandler {
    Q_OBJECT

  public:
    using Clock = std::function<QDateTime()>;
    // Opens a file with the desktop's handler for its type (the network-link file: Google Earth).
    using FileOpener = std::function<void(const QString& path)>;
    // Milliseconds on a clock that only goes forward (not reset at midnight).
    using MonotonicClock = std::function<qint64()>;
    // Plays a sound file in the background.
    using SoundPlayer = std::function<void(const QString& path)>;

    static constexpr quint16 kHttpPort = 8008;

    // `appFolder` holds the program's files (the settings file and all others).
    VireoApp(QString appFolder, MessageBoxes& boxes, Clock clock = &QDateTime::currentDateTime,
             QObject* parent = nullptr);
    ~VireoApp() override;

    const FormModel& Model() const { return model_; }
    const StationStore& Store() const { return store_; }
    AgwLink& Winsock1() { return link_; }
    HttpServer& Sck() { return http_; }
    QString SettingsPath() const;
    QString NetworkLinkPath() const;
    const std::string& KmlDocument() const { return KmlDocument_; }
    const std::string& StyleText() const { return StyleText_; }
    const QString& ServerUrl() const { return ServerUrl_; }
    // Whether Google Earth's poll gets the document now (the document brought up to date first).
    bool SendWindowOpen() override;
    // Builds the document now when reports are waiting for it.
    void FlushKml();
    bool FollowLockOn() const { return tmrFollow_.isActive() || derived_.FollowLockForever; }
    int SendWindowInterval() const { return tmrSendData_.interval(); }

    void SetFileOpener(FileOpener opener) { openFile_ = std::move(opener); }
    void SetSoundPlayer(SoundPlayer player) { playSound_ = std::move(player); }
    void SetMonotonicClock(MonotonicClock clock) { monotonic_ = std::move(clock); }
    // Where the HTTP server listens (tests use an ephemeral loopback port); before Startup().
    void SetHttpEndpoint(const QHostAddress& address, quint16 port);

    // Runs the start-up sequence: HTTP listener, settings, connection to the TNC, icon styles,
    // saved stations, the first expiry run and document, the network-link file and a first
    // 40-second send window.
    void Startup();
    // Closes the connections and saves the settings and the stations. Runs once; later calls do
    // nothing.
    void Shutdown();

    // Opens a send window of `ms` milliseconds.
    void StartForcedSend(int ms);
    // The once-a-minute housekeeping: clock line, expiry, the send window's reopening.
    void tmrTimeout_Timer();

    // Menu commands.
    void nmuConnect_Click();
    void mnuAutoConnect_Click();
    void mnuAutoIcon_Click();
    void mnuDebug_Click();
    void mnuEnableTrack_Click();
    void mnuHeight_Click();
    void mnuLinkOn_Click();
    void mnuForceSend_Click();
    void mnuKml_Click();
    void mnuDummy_Click();
    // A style file picked by the user (full path).
    void SetStyleFile(const QString& path);

    // The window reports its position and size (twips) whenever they change.
    void SetWindowGeometry(const WindowGeometry& geometry);

  signals:
    void ModelChanged();
    // A monitored frame ("U" or "T") has been split into the monitor lines and dispatched.
    void MonitorFrameHandled();

  private:
    // HTTP requests.
    std::string_view Document() override;
    void Track(std::string call) override;
    void Untrack(std::string call) override;

    void ApplySettingsRecord(const SettingsRecord& record);
    void cmdSetOK_Click();
    StoreContext Context() const;
    LocalDateTime Now() const;
    void ApplyReport(const PositionReport& report);
    void ExpireStations();
    void BuildKml();
    void ShowStationCount();
    void WriteNetworkLinkFile();
    void LoadStyleFile();
    // Runs `work` now, or after the piece of work that is still open.
    void Exclusive(std::function<void()> work);
    void TickNow();
    void DocumentSettingChanged();
    // Makes FollowedCall the followed station, or stops following.
    void StartFollow();
    void StopFollow();
    SettingsRecord RecordFromModel() const;
    void ShowCompactLayout();

    void OnAgwFrame(const AgwFrame& frame);
    void ProcessAgwFrame(const AgwFrame& frame);
    void ProcessMonitorText(const std::string& data);
    void ShowPanelLabels(const PanelLabels& labels);
    void OnAgwFailed(const QString& description);
    void ResetConnectCaption();
    void tmrAGW_Timer();

    QString appFolder_;
    MessageBoxes& boxes_;
    Clock clock_;
    FileOpener openFile_;
    SoundPlayer playSound_;
    FormModel model_;
    StationStore store_;
    DerivedSettings derived_;
    float HomeLatDeg_ = 0;
    float HomeLonDeg_ = 0;
    AgwLink link_;
    HttpServer http_;
    QHostAddress httpAddress_;
    quint16 httpPort_ = kHttpPort;
    QString ServerUrl_;
    QTimer tmrAGW_;
    QTimer tmrTimeout_;
    QTimer tmrSendData_;
    QTimer tmrFollow_;
    QTimer kmlTimer_;
    bool ForcedSend_ = false;

    std::string StyleText_;
    std::string KmlDocument_;
    std::string LastChangedKml_;
    float KmlChangedAt_ = 0;  // seconds since midnight of the last change
    MonotonicClock monotonic_;
    std::optional<qint64> kmlChangedMonotonic_;  // the same moment on the monotonic clock

    // Work that changes the store or the document runs one piece at a time: what comes up while
    // a piece is still open (a message box of it is showing) waits until it is done.
    bool storeBusy_ = false;
    bool kmlDirty_ = false;

    std::string agwHost_;  // as used at the last connect
    quint16 agwPort_ = 0;

    std::deque<std::function<void()>> deferred_;
    bool shutDown_ = false;
};

}  // namespace vireo
