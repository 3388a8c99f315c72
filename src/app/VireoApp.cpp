#include "app/VireoApp.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <charconv>
#include <cstdio>

#include "aprs/Decoders.h"
#include "aprs/MonitorText.h"
#include "aprs/PacketDispatch.h"
#include "app/SettingsApply.h"

namespace vireo {

namespace {

constexpr const char* kAgwErrorTitle = "Vireo Decoder - Errore collegamento con AGWPE";
constexpr const char* kSettingsFileName = "Vireo_Decoder.ini";
constexpr const char* kDefaultStyleFile = "Vireo_Decoder.xml";

// A file or folder name as the platform's file functions take it (the system code page).
std::string PathBytes(const QString& path) {
    return QFile::encodeName(QDir::toNativeSeparators(path)).toStdString();
}

std::string ToBytes(const QString& text) {
    return text.toLatin1().toStdString();
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The port of a port box: a whole number from 1 to 65535, blanks around it allowed.
std::optional<quint16> ParsePort(const std::string& text) {
    const std::string digits = Trim(text);
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
    : QObject(parent), appFolder_(std::move(appFolder)), boxes_(boxes), clock_(std::move(clock)) {
    tmrAGW_.setInterval(300);
    connect(&tmrAGW_, &QTimer::timeout, this, &VireoApp::tmrAGW_Timer);
    connect(&link_, &AgwLink::FrameReceived, this, &VireoApp::OnAgwFrame);
    connect(&link_, &AgwLink::Failed, this, &VireoApp::OnAgwFailed);
}

QString VireoApp::SettingsPath() const {
    return QDir(appFolder_).filePath(kSettingsFileName);
}

void VireoApp::Startup() {
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
    ShowCompactLayout();
    emit ModelChanged();

    if (model_.mnuAutoConnect) nmuConnect_Click();

    if (model_.StyleFile.empty()) model_.StyleFile = kDefaultStyleFile;
    if (model_.IconsFolder.empty()) model_.IconsFolder = PathBytes(appFolder_);
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
    link_.Close();
    if (!SaveSettingsFile(PathBytes(SettingsPath()), RecordFromModel())) {
        std::fprintf(stderr, "vireo-decoder: cannot write %s\n",
                     QDir::toNativeSeparators(SettingsPath()).toLocal8Bit().constData());
    }
}

void VireoApp::nmuConnect_Click() {
    if (link_.state() != AgwLink::State::Closed) {
        link_.Close();
        ResetConnectCaption();
        return;
    }
    if (!model_.txtAddr.empty()) agwHost_ = Trim(model_.txtAddr);
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
    pendingFrames_.push_back(frame);
    if (handlingFrames_) return;
    handlingFrames_ = true;
    while (!pendingFrames_.empty()) {
        const AgwFrame next = std::move(pendingFrames_.front());
        pendingFrames_.pop_front();
        ProcessAgwFrame(next);
    }
    handlingFrames_ = false;
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
    }
    emit ModelChanged();
    emit MonitorFrameHandled();
}

void VireoApp::tmrAGW_Timer() {
    tmrAGW_.stop();
    model_.Shape1Lit = false;
    emit ModelChanged();
}

}  // namespace vireo
