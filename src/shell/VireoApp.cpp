#include "shell/VireoApp.h"

#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QUrl>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "aprs/CoordinateText.h"
#include "aprs/Decoders.h"
#include "aprs/MonitorText.h"
#include "aprs/PacketDispatch.h"
#include "earth/KmlDocument.h"
#include "earth/NetworkLinkFile.h"
#include "earth/StyleFile.h"
#include "settings/SettingsApply.h"
#include "stations/StationFiles.h"
#include "text/Text.h"

namespace vireo {

namespace {

constexpr const char* kAgwErrorTitle = "Vireo Decoder - Errore collegamento con AGWPE";
constexpr const char* kSettingsFileName = "Vireo_Decoder.ini";
constexpr const char* kDefaultStyleFile = "Vireo_Decoder.xml";
constexpr const char* kStationsCaption = "Vireo Earth Decoder by Tamberlo - ";
constexpr const char* kHttpEnabledSuffix = " - Http server enabled";

// A file or folder name as the platform's file functions take it (the system code page).
std::string PathBytes(const QString& path) {
    return QFile::encodeName(QDir::toNativeSeparators(path)).toStdString();
}

std::string ToBytes(const QString& text) {
    return text.toLatin1().toStdString();
}

// The port of a port box: a whole number from 1 to 65535, blanks around it allowed.
std::optional<quint16> ParsePort(const std::string& text) {
    const std::string_view digits = TrimBlanks(text);
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || value == 0 ||
        value > 65535) {
        return std::nullopt;
    }
    return static_cast<quint16>(value);
}

}  // namespace

VireoApp::VireoApp(QString appFolder, MessageBoxes& boxes, Clock clock, QObject* parent)
    : QObject(parent),
      appFolder_(std::move(appFolder)),
      boxes_(boxes),
      clock_(std::move(clock)),
      openFile_([](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }),
      http_(*this),
      httpAddress_(QHostAddress::Any),
      monotonic_([] {
          static QElapsedTimer started = [] {
              QElapsedTimer t;
              t.start();
              return t;
          }();
          return started.elapsed();
      }) {
    tmrAGW_.setInterval(300);
    connect(&tmrAGW_, &QTimer::timeout, this, &VireoApp::tmrAGW_Timer);
    tmrTimeout_.setInterval(60000);
    connect(&tmrTimeout_, &QTimer::timeout, this, &VireoApp::tmrTimeout_Timer);
    // The send window: while it runs, Google Earth's polls get the document.
    tmrSendData_.setSingleShot(true);
    tmrSendData_.setInterval(6050);
    // The follow lock: while it runs, Google Earth is told to fly to the followed station.
    tmrFollow_.setSingleShot(true);
    tmrFollow_.setInterval(15000);
    kmlTimer_.setSingleShot(true);
    kmlTimer_.setInterval(0);
    connect(&kmlTimer_, &QTimer::timeout, this, &VireoApp::FlushKml);
    connect(&link_, &AgwLink::FrameReceived, this, &VireoApp::OnAgwFrame);
    connect(&link_, &AgwLink::Failed, this, &VireoApp::OnAgwFailed);
}

VireoApp::~VireoApp() = default;

void VireoApp::SetHttpEndpoint(const QHostAddress& address, quint16 port) {
    httpAddress_ = address;
    httpPort_ = port;
}

QString VireoApp::NetworkLinkPath() const {
    return QDir(appFolder_).filePath(QString::fromLatin1(kNetworkLinkFileName));
}

QString VireoApp::SettingsPath() const {
    return QDir(appFolder_).filePath(kSettingsFileName);
}

void VireoApp::Startup() {
    if (http_.Listen(httpAddress_, httpPort_)) model_.caption += kHttpEnabledSuffix;
    ServerUrl_ = http_.ServerUrl();

    tmrAGW_.start();
    const std::string iconsFolder = PathBytes(appFolder_ + "/Icons");
    const LoadedSettings loaded = LoadSettingsFile(PathBytes(SettingsPath()), iconsFolder);
    if (loaded.defaultsWriteFailed) {
        boxes_.Show(MessageIcon::Exclamation, "Vireo Decoder",
                    "The settings file " + ToBytes(QDir::toNativeSeparators(SettingsPath())) +
                        " cannot be written: settings will not be kept after this run.",
                    MessageButtons::Ok);
    }
    ApplySettingsRecord(loaded.record);
    cmdSetOK_Click();
    emit ModelChanged();

    if (model_.mnuAutoConnect) nmuConnect_Click();

    if (model_.StyleFile.empty()) model_.StyleFile = kDefaultStyleFile;
    if (model_.IconsFolder.empty()) model_.IconsFolder = PathBytes(appFolder_);
    LoadStyleFile();

    store_.SetTracksAllocated(model_.TracksAllocated);
    if (auto saved = LoadStationFiles(PathBytes(appFolder_))) {
        store_.Restore(std::move(saved->entries), std::move(saved->tracks));
        if (!store_.Empty()) ShowStationCount();
    }
    Exclusive([this] {
        TickNow();
        if (!model_.FollowedCall.empty()) {
            StartFollow();
            model_.txtTrackThis = model_.FollowedCall;
        }
        BuildKml();
    });
    WriteNetworkLinkFile();
    StartForcedSend(40000);
    emit ModelChanged();
}

void VireoApp::cmdSetOK_Click() {
    const std::string shownInterval =
        DecimalText((static_cast<double>(model_.RefreshMs) - 50) / 1000);
    const std::int32_t candidate = NormaliseRefreshBox(model_);
    if (candidate != model_.RefreshMs) {
        const MessageAnswer answer = boxes_.Show(
            MessageIcon::Exclamation, "Change Google Earth Refresh interval",
            "Google Earth refresh interval has been modifyed.\r\nVireo_Decoder.kml will be "
            "reloaded on Google Earth.\r\nProceed with new refresh interval (" +
                model_.txtRefresh + " sec) ?",
            MessageButtons::OkCancel);
        if (answer == MessageAnswer::Ok) {
            model_.RefreshMs = candidate;
            tmrSendData_.stop();
            tmrSendData_.setInterval(model_.RefreshMs);
            tmrSendData_.start();
            WriteNetworkLinkFile();
            if (openFile_) openFile_(NetworkLinkPath());
        } else {
            model_.txtRefresh = shownInterval;
        }
    }
    derived_ = NormaliseSettingsBoxes(model_);
    tmrFollow_.setInterval(derived_.FollowLockMs);
    if (!model_.FollowedCall.empty()) tmrFollow_.start();
    Exclusive([this] { kmlDirty_ = true; });
    HomeLatDeg_ = CoordinateToDegrees(model_.txtMyLat);
    HomeLonDeg_ = CoordinateToDegrees(model_.txtMyLon);
    ShowCompactLayout();
}

void VireoApp::ApplySettingsRecord(const SettingsRecord& r) {
    FormModel& m = model_;
    m.RefreshMs = r.RefreshMs;
    m.txtRefresh = DecimalText((static_cast<double>(r.RefreshMs) - 50) / 1000);
    m.txtAddr = r.AgwAddress;
    m.txtPort = r.AgwPort;
    m.txtPosTime = r.StationTimeout;
    m.txtTrackTime = r.TrackTimeout;
    m.txtTrackRange = r.ViewRange;
    m.txtTrackAngle = r.ViewTilt;
    m.txtTrackHead = r.ViewHeading;
    m.txtFollow = r.FollowLock;
    m.txtMyLat = r.HomeLat;
    m.txtMyLon = r.HomeLon;
    m.chkTrkBeep = r.MoveBeep;
    m.txtMinRange = r.MinRange;
    m.txtMaxRange = r.MaxRange;
    if (r.AutoIcon) mnuAutoIcon_Click();
    m.UseAltitude = m.mnuHeight = r.UseAltitude;
    m.FollowLinks = m.mnuLinkOn = r.FollowLinks;
    m.chkRangeProportional = r.RangeProportional;
    m.chkTrackHead = r.HeadingFromStation;
    m.geometry = {r.WindowLeft, r.WindowTop, r.WindowWidth, r.WindowHeight};
    m.mnuAutoConnect = r.AutoConnect;
    m.ShowTracks = m.mnuEnableTrack = r.ShowTracks;
    m.TracksAllocated = r.TracksAllocated;
    m.StyleFile = r.StyleFile;
    m.IconsFolder = r.IconsFolder;
    m.FollowedCall = r.FollowedCall;
}

SettingsRecord VireoApp::RecordFromModel() const {
    const FormModel& m = model_;
    SettingsRecord r;
    r.AgwAddress = m.txtAddr;
    r.AgwPort = m.txtPort;
    r.RefreshMs = m.RefreshMs;
    r.StationTimeout = m.txtPosTime;
    r.TrackTimeout = m.txtTrackTime;
    r.WindowLeft = m.geometry.left;
    r.WindowTop = m.geometry.top;
    r.WindowWidth = m.geometry.width;
    r.WindowHeight = m.geometry.height;
    r.AutoConnect = m.mnuAutoConnect;
    r.ShowTracks = m.ShowTracks;
    r.UseAltitude = m.UseAltitude;
    r.StyleFile = m.StyleFile;
    r.AutoIcon = m.AutoIcon;
    r.ViewRange = m.txtTrackRange;
    r.ViewTilt = m.txtTrackAngle;
    r.ViewHeading = m.txtTrackHead;
    r.HeadingFromStation = m.chkTrackHead;
    r.FollowLock = m.txtFollow;
    r.FollowLinks = m.FollowLinks;
    r.IconsFolder = m.IconsFolder;
    r.FollowedCall = m.FollowedCall;
    r.HomeLat = m.txtMyLat;
    r.HomeLon = m.txtMyLon;
    r.MoveBeep = m.chkTrkBeep;
    r.RangeProportional = m.chkRangeProportional;
    r.MinRange = m.txtMinRange;
    r.MaxRange = m.txtMaxRange;
    r.TracksAllocated = m.TracksAllocated;
    return r;
}

void VireoApp::ShowCompactLayout() {
    model_.frmSetVisible = false;
    model_.mnuDebug = false;
    model_.geometry.width = kCompactWidth;
}

void VireoApp::Shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    tmrAGW_.stop();
    tmrTimeout_.stop();
    link_.Close();
    http_.Close();
    model_.TracksAllocated = store_.TracksAllocated();
    if (!SaveSettingsFile(PathBytes(SettingsPath()), RecordFromModel())) {
        std::fprintf(stderr, "vireo-decoder: cannot write %s\n",
                     QDir::toNativeSeparators(SettingsPath()).toLocal8Bit().constData());
    }
    // With an empty list the files of an earlier run stay as they are.
    if (!store_.Empty() &&
        !SaveStationFiles(PathBytes(appFolder_), store_.Entries(), store_.Tracks())) {
        std::fprintf(stderr, "vireo-decoder: cannot write the station files in %s\n",
                     QDir::toNativeSeparators(appFolder_).toLocal8Bit().constData());
    }
}

void VireoApp::nmuConnect_Click() {
    if (link_.state() != AgwLink::State::Closed) {
        link_.Close();
        ResetConnectCaption();
        return;
    }
    if (!model_.txtAddr.empty()) agwHost_ = TrimBlanks(model_.txtAddr);
    if (!model_.txtPort.empty()) {
        const auto port = ParsePort(model_.txtPort);
        if (!port) {
            boxes_.Show(MessageIcon::Exclamation, kAgwErrorTitle,
                        "Invalid port number - " + agwHost_ + ":" + model_.txtPort,
                        MessageButtons::Ok);
            return;
        }
        agwPort_ = *port;
    }
    model_.nmuConnect = kDisconnectCaption;
    emit ModelChanged();
    link_.Connect(QString::fromLatin1(agwHost_), agwPort_);
}

void VireoApp::mnuAutoConnect_Click() {
    model_.mnuAutoConnect = !model_.mnuAutoConnect;
    emit ModelChanged();
}

void VireoApp::mnuAutoIcon_Click() {
    model_.mnuAutoIcon = !model_.mnuAutoIcon;
    model_.AutoIcon = model_.mnuAutoIcon;
    emit ModelChanged();
}

void VireoApp::mnuDebug_Click() {
    if (model_.mnuDebug) {
        ShowCompactLayout();
    } else {
        model_.mnuDebug = true;
        model_.geometry.width = kInfoPanelWidth;
        model_.geometry.height = kInfoPanelHeight;
    }
    emit ModelChanged();
}

void VireoApp::SetWindowGeometry(const WindowGeometry& geometry) {
    model_.geometry = geometry;
}

void VireoApp::OnAgwFailed(const QString& description) {
    // Suppress errors that arrive while the box of an earlier one is still open.
    if (link_.state() == AgwLink::State::Closed) return;
    const std::string host = ToBytes(link_.remoteHost());
    const std::string text =
        ToBytes(description) + " - " + host + ":" + std::to_string(link_.remotePort());
    link_.Close();
    boxes_.Show(MessageIcon::Exclamation, kAgwErrorTitle, text, MessageButtons::Ok);
    ResetConnectCaption();
}

void VireoApp::ResetConnectCaption() {
    model_.nmuConnect = kConnectCaption;
    model_.lblAGW = kAgwClosedText;
    emit ModelChanged();
}

void VireoApp::OnAgwFrame(const AgwFrame& frame) {
    Exclusive([this, frame] { ProcessAgwFrame(frame); });
}

void VireoApp::Exclusive(std::function<void()> work) {
    deferred_.push_back(std::move(work));
    if (storeBusy_) return;
    storeBusy_ = true;
    while (!deferred_.empty()) {
        const std::function<void()> next = std::move(deferred_.front());
        deferred_.pop_front();
        next();
    }
    storeBusy_ = false;
    // One document for all reports of an arrival: built once the arrival has been handled, or
    // earlier when Google Earth asks for it.
    if (kmlDirty_ && !kmlTimer_.isActive()) kmlTimer_.start();
}

void VireoApp::FlushKml() {
    if (kmlDirty_)
        Exclusive([this] {
            if (kmlDirty_) BuildKml();
        });
}

bool VireoApp::SendWindowOpen() {
    FlushKml();
    return tmrSendData_.isActive();
}

std::string_view VireoApp::Document() {
    FlushKml();
    return KmlDocument_;
}

void VireoApp::ProcessAgwFrame(const AgwFrame& frame) {
    switch (frame.kind) {
        case 'U':
        case 'T':
            ProcessMonitorText(frame.data);
            break;
        case 'R':
            if (auto caption = AgwVersionCaption(frame.data)) {
                model_.lblAGW = *caption;
                emit ModelChanged();
            }
            break;
        default:
            break;
    }
}

void VireoApp::ProcessMonitorText(const std::string& data) {
    model_.List2 = SplitMonitorText(data);
    const PacketDispatch dispatch = DispatchPacket(model_.List2);
    if (dispatch.lightLamp) {
        model_.Shape1Lit = true;
        if (!tmrAGW_.isActive()) tmrAGW_.start();
    }
    if (dispatch.call) {
        const DecodeResult result = RunDecoder(*dispatch.call);
        if (result.statusCall) {
            model_.lblAGW = *result.statusCall + " @" +
                            ToBytes(QLocale::system().toString(clock_(), QLocale::ShortFormat));
        }
        ShowPanelLabels(result.labels);
        if (result.report) ApplyReport(*result.report);
    }
    emit ModelChanged();
    emit MonitorFrameHandled();
}

void VireoApp::ShowPanelLabels(const PanelLabels& labels) {
    auto show = [](std::string& label, const std::optional<std::string>& text) {
        if (text) label = *text;
    };
    show(model_.lblLat, labels.lblLat);
    show(model_.lblLon, labels.lblLon);
    show(model_.lblCourse, labels.lblCourse);
    show(model_.lblSpeed, labels.lblSpeed);
    show(model_.lblAlt, labels.lblAlt);
    show(model_.lblMsg, labels.lblMsg);
    show(model_.lblComment, labels.lblComment);
    show(model_.lblStatus, labels.lblStatus);
    if (labels.lblSpeedKmh) {
        // The km/h figure is shown with the user's decimal separator.
        std::string kmh = *labels.lblSpeedKmh;
        const QString separator = QLocale::system().decimalPoint();
        if (separator.size() == 1 && separator[0].unicode() < 256) {
            std::replace(kmh.begin(), kmh.end(), '.', static_cast<char>(separator[0].unicode()));
        }
        model_.lblSpeedKmh = kmh;
    }
}

StoreContext VireoApp::Context() const {
    StoreContext c;
    c.AutoIcon = model_.AutoIcon;
    c.FollowedCall = model_.FollowedCall;
    c.HomeLatDeg = HomeLatDeg_;
    c.HomeLonDeg = HomeLonDeg_;
    c.StationTimeout = derived_.StationTimeout;
    c.TrackTimeout = derived_.TrackTimeout;
    return c;
}

LocalDateTime VireoApp::Now() const {
    const QDateTime now = clock_();
    const QDate d = now.date();
    const QTime t = now.time();
    return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec()};
}

void VireoApp::ApplyReport(const PositionReport& report) {
    const UpdateOutcome outcome = store_.UpdateStation(report, Context(), Now());
    model_.lblStatus = outcome.Status;
    if (outcome.FollowedDistanceM) {
        // Kilometres rounded to one decimal, written as a number in the user's form ("12,3").
        const double km = std::round(static_cast<double>(*outcome.FollowedDistanceM) / 100) / 10;
        model_.mnuTime =
            ToBytes(QLocale::system().toString(km, 'g', 15)) + " Km from " + outcome.FollowedCall;
    }
    if (outcome.RestartFollowLock) tmrFollow_.start();
    if (outcome.PlayMoveSound && model_.chkTrkBeep && playSound_) {
        playSound_(QDir(appFolder_).filePath("move.wav"));
    }
    kmlDirty_ = true;
    ShowStationCount();
}

void VireoApp::ShowStationCount() {
    model_.caption = kStationsCaption + std::to_string(store_.Count()) + " stations";
}

void VireoApp::ExpireStations() {
    const ExpiryOutcome outcome = store_.ExpireStations(Context(), Now());
    if (outcome.Empty || outcome.Changed) BuildKml();
    if (outcome.Changed) ShowStationCount();
    emit ModelChanged();
}

void VireoApp::BuildKml() {
    kmlDirty_ = false;
    std::vector<KmlStation> stations;
    stations.reserve(store_.Count());
    store_.ForEachTopDown([&](const std::string& text, std::int32_t, const vireo::Track& track) {
        stations.push_back({text, &track});
    });
    KmlSettings settings;
    settings.ShowTracks = model_.ShowTracks;
    settings.UseAltitude = model_.UseAltitude;
    settings.FollowLinks = model_.FollowLinks;
    settings.ViewRange = model_.txtTrackRange;
    settings.ViewTilt = model_.txtTrackAngle;
    settings.ViewHeading = model_.txtTrackHead;
    settings.MinRange = model_.txtMinRange;
    settings.MaxRange = model_.txtMaxRange;
    settings.HeadingFromStation = model_.chkTrackHead;
    settings.RangeProportional = model_.chkRangeProportional;
    settings.RangeSlope = derived_.RangeSlope;
    settings.FollowLockForever = derived_.FollowLockForever;
    settings.followLockRunning = tmrFollow_.isActive();
    settings.FollowedCall = model_.FollowedCall;
    settings.StyleText = StyleText_;
    const std::string serverUrl = ToBytes(ServerUrl_);
    settings.ServerUrl = serverUrl;

    KmlBuild build = vireo::BuildKml(stations, settings);
    if (build.viewRange) model_.txtTrackRange = *build.viewRange;
    if (!build.ok) {
        boxes_.Show(MessageIcon::Critical, "KML error", "Error creating KML data",
                    MessageButtons::Ok);
        return;
    }
    KmlDocument_ = std::move(build.document);
    if (KmlDocument_ != LastChangedKml_) {
        // A new picture: open a full send window from now so Google Earth's next poll gets it.
        tmrSendData_.stop();
        tmrSendData_.start();
        const QTime time = clock_().time();
        KmlChangedAt_ = static_cast<float>(time.msecsSinceStartOfDay()) / 1000.0f;
        kmlChangedMonotonic_ = monotonic_();
        LastChangedKml_ = KmlDocument_;
    }
}

void VireoApp::StartForcedSend(int ms) {
    ForcedSend_ = true;
    tmrTimeout_.stop();
    tmrTimeout_.start();
    tmrSendData_.stop();
    tmrSendData_.setInterval(ms);
    tmrSendData_.start();
}

void VireoApp::tmrTimeout_Timer() {
    Exclusive([this] { TickNow(); });
}

void VireoApp::TickNow() {
    if (model_.FollowedCall.empty()) {
        const QDateTime now = clock_();
        model_.mnuTime = ToBytes(now.toString("'Data 'dd/MM/yy'   Ora 'HH:mm"));
    }
    ExpireStations();
    // Once a minute without a change, a window opens anyway. Measured on a clock that does not
    // go back at midnight, so the reopening keeps working through the night.
    if (kmlChangedMonotonic_ && monotonic_() - *kmlChangedMonotonic_ > 59000 &&
        !tmrSendData_.isActive()) {
        tmrSendData_.start();
    }
    if (ForcedSend_) {
        tmrSendData_.stop();
        tmrSendData_.setInterval(model_.RefreshMs);
        ForcedSend_ = false;
    }
    emit ModelChanged();
}

void VireoApp::StartFollow() {
    model_.mnuFollow = "&Follow a new station";
    model_.mnuUnfollow = "&Stop following " + model_.FollowedCall;
    model_.mnuUnfollowVisible = true;
    ExpireStations();
    model_.mnuTime = "Following " + model_.FollowedCall;
    emit ModelChanged();
}

void VireoApp::StopFollow() {
    model_.mnuFollow = "&Follow a station";
    model_.mnuUnfollowVisible = false;
    model_.FollowedCall.clear();
    TickNow();
}

void VireoApp::Track(std::string call) {
    Exclusive([this, call = std::move(call)] {
        tmrFollow_.start();
        std::string padded = call.substr(0, 9);
        padded.resize(9, ' ');
        model_.txtTrackThis = padded;
        model_.FollowedCall = padded;
        StartFollow();
    });
}

void VireoApp::Untrack(std::string) {
    Exclusive([this] {
        StopFollow();
        if (!tmrSendData_.isActive()) tmrSendData_.start();
    });
}

void VireoApp::mnuEnableTrack_Click() {
    model_.ShowTracks = !model_.ShowTracks;
    model_.mnuEnableTrack = model_.ShowTracks;
    DocumentSettingChanged();
}

void VireoApp::mnuHeight_Click() {
    model_.mnuHeight = !model_.mnuHeight;
    model_.UseAltitude = model_.mnuHeight;
    DocumentSettingChanged();
}

void VireoApp::mnuLinkOn_Click() {
    model_.mnuLinkOn = !model_.mnuLinkOn;
    model_.FollowLinks = model_.mnuLinkOn;
    DocumentSettingChanged();
}

void VireoApp::DocumentSettingChanged() {
    // Rebuilt once the store is free: after the work still open, if any.
    Exclusive([this] { kmlDirty_ = true; });
    emit ModelChanged();
}

void VireoApp::mnuForceSend_Click() {
    StartForcedSend(30000);
}

void VireoApp::mnuKml_Click() {
    if (openFile_) openFile_(NetworkLinkPath());
    StartForcedSend(30000);
}

void VireoApp::mnuDummy_Click() {
    StartForcedSend(20000);
}

void VireoApp::SetStyleFile(const QString& path) {
    const QFileInfo chosen(path);
    model_.StyleFile = PathBytes(chosen.fileName());
    model_.IconsFolder = PathBytes(chosen.absolutePath());
    LoadStyleFile();
    emit ModelChanged();
}

void VireoApp::LoadStyleFile() {
    StyleText_ = LoadStyleText(model_.IconsFolder, model_.StyleFile);
}

void VireoApp::WriteNetworkLinkFile() {
    const std::string text = NetworkLinkText(ToBytes(ServerUrl_), model_.txtRefresh);
    QFile file(NetworkLinkPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size())) {
        std::fprintf(stderr, "vireo-decoder: cannot write %s\n",
                     QDir::toNativeSeparators(NetworkLinkPath()).toLocal8Bit().constData());
    }
}

void VireoApp::tmrAGW_Timer() {
    tmrAGW_.stop();
    model_.Shape1Lit = false;
    emit ModelChanged();
}

}  // namespace vireo
