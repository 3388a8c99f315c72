#include "session/Session.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

#include "earth/HttpProtocol.h"
#include "earth/KmlDocument.h"
#include "earth/NetworkLinkFile.h"
#include "earth/StyleFile.h"
#include "stations/StationFiles.h"
#include "text/Text.h"

namespace vireo {

namespace {

constexpr std::string_view kTncErrorTitle = "Vireo Decoder - Errore collegamento con AGWPE";
constexpr std::string_view kTncClosedText = "Connessione ad AGWPE chiusa";
constexpr std::string_view kStationsCaption = "Vireo Earth Decoder by Tamberlo - ";
constexpr std::string_view kHttpEnabledSuffix = " - Http server enabled";
constexpr std::string_view kMoveSoundName = "move.wav";
constexpr int kMinuteMs = 60000;
constexpr int kLampMs = 300;

// The port of a port box: a whole number from 1 to 65535, blanks around it allowed.
std::optional<std::uint16_t> ParsePort(std::string_view text) {
    const std::string_view digits = TrimBlanks(text);
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || value == 0 ||
        value > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

// "Data dd/mm/yy   Ora hh:mm", from the station lines' stamp "dd/mm/yy hh:mm".
std::string ClockLine(const LocalDateTime& t) {
    const std::string stamp = FormatStamp(t);
    return "Data " + stamp.substr(0, 8) + "   Ora " + stamp.substr(9, 5);
}

// A number written with "." as decimal point, shown with the user's separator.
std::string WithDecimalPoint(std::string text, char decimalPoint) {
    std::replace(text.begin(), text.end(), '.', decimalPoint);
    return text;
}

std::string PathIn(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
    path += name;
    return path;
}

void Show(std::string& shown, const std::optional<std::string>& decoded) {
    if (decoded) shown = *decoded;
}

}  // namespace

Session::Session(SessionPorts ports)
    : ports_(std::move(ports)),
      settings_(DefaultSettings(ports_.defaultIconsFolder)),
      answer_(std::make_shared<std::string>(DocumentAnswer({}))),
      answerHeaderSize_(answer_->size()) {}

std::string_view Session::Document() const {
    return std::string_view(*answer_).substr(answerHeaderSize_);
}

std::string Session::SettingsPath() const {
    return PathIn(ports_.appFolder, kSettingsFileName);
}

std::string Session::NetworkLinkPath() const {
    return PathIn(ports_.appFolder, kNetworkLinkFileName);
}

bool Session::FollowLockRunning(const Moment& now) const {
    return now.monotonicMs < followLockUntil_;
}

Effects Session::Finish(const Moment& now) {
    if (published_) {
        Emit(PublishDocument{answer_, sendWindowUntil_, !DocumentStale(now)});
        published_ = false;
    }
    return std::exchange(out_, {});
}

void Session::Ask(QuestionId id, MessageIcon icon, std::string title, std::string text,
                  MessageButtons buttons) {
    Emit(ShowMessage{id, icon, std::move(title), std::move(text), buttons});
}

// ---- Start-up and shut-down ----

Effects Session::Start(bool httpListening, std::string serverUrl, const Moment& now) {
    if (started_) return {};
    started_ = true;
    if (httpListening) view_.caption += kHttpEnabledSuffix;
    serverUrl_ = std::move(serverUrl);
    ReadSettingsFile();
    view_.refreshBox = RefreshText(settings_.RefreshMs);
    AskRefreshOrApply(true, now);
    if (!startupWaiting_) ContinueStartup(now);
    return Finish(now);
}

void Session::ReadSettingsFile() {
    const std::optional<std::string> text = ports_.readFile(SettingsPath());
    if (text) {
        if (auto record = ParseSettingsText(*text)) {
            settings_ = std::move(*record);
            return;
        }
    }
    // Missing, short or damaged: the defaults take its place, on disk too.
    if (text) Emit(ReportProblem{SettingsPath() + ": damaged, replaced by the defaults"});
    settings_ = DefaultSettings(ports_.defaultIconsFolder);
    Emit(WriteFile{SettingsPath(), FormatSettingsLine(settings_), true});
}

void Session::ContinueStartup(const Moment& now) {
    startupWaiting_ = false;
    if (settings_.AutoConnect) Connect();
    if (settings_.StyleFile.empty()) settings_.StyleFile = kDefaultStyleFileName;
    if (settings_.IconsFolder.empty()) settings_.IconsFolder = ports_.appFolder;
    LoadStyleFile();

    store_.SetTracksAllocated(settings_.TracksAllocated);
    const auto ini = ports_.readFile(PathIn(ports_.appFolder, kPositionsIniName));
    const auto dat = ports_.readFile(PathIn(ports_.appFolder, kPositionsDatName));
    if (ini && dat) {
        StationFilesContent saved = ParseStationFiles(*ini, *dat);
        const std::size_t dropped =
            store_.Restore(std::move(saved.entries), std::move(saved.tracks));
        if (dropped > 0) {
            Emit(ReportProblem{PathIn(ports_.appFolder, kPositionsIniName) + ": " +
                               std::to_string(dropped) + " damaged station line(s) dropped"});
        }
        if (!store_.Empty()) ShowStationCount();
    }
    MinuteTick(now);
    if (!settings_.FollowedCall.empty()) {
        StartFollow(now);
        view_.followBox = settings_.FollowedCall;
    }
    BuildDocument(now);
    WriteNetworkLinkFile();
    StartForcedSend(40000, now);
}

Effects Session::Shutdown() {
    if (shutDown_ || !started_) return {};
    shutDown_ = true;
    if (tnc_ != TncState::Closed) Emit(CloseTnc{});
    tnc_ = TncState::Closed;
    settings_.TracksAllocated = store_.TracksAllocated();
    Emit(WriteFile{SettingsPath(), FormatSettingsLine(settings_), false});
    // With an empty list the files of an earlier run stay as they are.
    if (!store_.Empty()) {
        Emit(WriteStationFiles{ports_.appFolder, FormatPositionsIni(store_.Entries()),
                               FormatPositionsDat(store_.Tracks())});
    }
    return std::exchange(out_, {});
}

Effects Session::FileWriteFailed(const std::string& path) {
    if (path == SettingsPath()) {
        Ask(QuestionId::SettingsUnwritable, MessageIcon::Exclamation, "Vireo Decoder",
            "The settings file " + path +
                " cannot be written: settings will not be kept after this run.",
            MessageButtons::Ok);
    }
    return std::exchange(out_, {});
}

// ---- The settings panel's OK ----

// The refresh box first: a changed interval is only taken after the user agrees.
void Session::AskRefreshOrApply(bool startingUp, const Moment& now) {
    shownRefresh_ = RefreshText(settings_.RefreshMs);
    askedRefreshMs_ = RefreshFromText(view_.refreshBox);
    if (askedRefreshMs_ != settings_.RefreshMs) {
        startupWaiting_ = startingUp;
        Ask(QuestionId::RefreshChange, MessageIcon::Exclamation,
            "Change Google Earth Refresh interval",
            "Google Earth refresh interval has been modifyed.\r\nVireo_Decoder.kml will be "
            "reloaded on Google Earth.\r\nProceed with new refresh interval (" +
                view_.refreshBox + " sec) ?",
            MessageButtons::OkCancel);
        return;
    }
    ApplyPanel(now);
}

void Session::ApplyPanel(const Moment& now) {
    CorrectSettingsTexts(settings_, view_.refreshBox);
    derived_ = DeriveSettings(settings_);
    if (!settings_.FollowedCall.empty()) followLockUntil_ = now.monotonicMs + derived_.followLockMs;
    PictureChanged(now);
    ShowCompactLayout();
}

void Session::ShowCompactLayout() {
    view_.infoPanel = false;
    view_.settingsPanel = false;
    settings_.WindowWidth = kCompactWidth;
}

Effects Session::Answer(QuestionId question, MessageAnswer answer, const Moment& now) {
    if (question == QuestionId::RefreshChange) {
        if (answer == MessageAnswer::Ok) {
            settings_.RefreshMs = askedRefreshMs_;
            sendWindowMs_ = settings_.RefreshMs;
            forcedSend_ = false;
            OpenSendWindow(now);
            WriteNetworkLinkFile();
            Emit(OpenWithDesktop{NetworkLinkPath()});
        } else {
            view_.refreshBox = shownRefresh_;
        }
        const bool startingUp = startupWaiting_;
        ApplyPanel(now);
        if (startingUp) ContinueStartup(now);
    }
    PanelAnswer(question, answer, now);
    return Finish(now);
}

// ---- The TNC link ----

void Session::Connect() {
    if (!settings_.AgwAddress.empty()) tncHost_ = std::string(TrimBlanks(settings_.AgwAddress));
    if (!settings_.AgwPort.empty()) {
        const auto port = ParsePort(settings_.AgwPort);
        if (!port) {
            Ask(QuestionId::TncError, MessageIcon::Exclamation, std::string(kTncErrorTitle),
                "Invalid port number - " + tncHost_ + ":" + settings_.AgwPort, MessageButtons::Ok);
            return;
        }
        tncPort_ = *port;
    }
    view_.connectCaption = kDisconnectCaption;
    tnc_ = TncState::Connecting;
    cutter_.Clear();
    slicePending_ = false;
    Emit(ConnectTnc{tncHost_, tncPort_});
}

void Session::ResetConnection() {
    tnc_ = TncState::Closed;
    view_.connectCaption = kConnectCaption;
    view_.tncStatus = kTncClosedText;
}

Effects Session::TncConnected() {
    tnc_ = TncState::Connected;
    // Monitoring on, then the version.
    Emit(SendToTnc{MakeAgwRequest('m') + MakeAgwRequest('R')});
    return std::exchange(out_, {});
}

Effects Session::TncClosedByPeer() {
    // Not reported: the link just stops delivering frames until it is closed.
    if (tnc_ != TncState::Closed) tnc_ = TncState::ClosedByPeer;
    return {};
}

Effects Session::TncError(std::string_view description, const Moment& now) {
    // An error of a link already closed (its box may still be open) is not shown again.
    if (tnc_ == TncState::Closed) return {};
    Emit(CloseTnc{});
    Ask(QuestionId::TncError, MessageIcon::Exclamation, std::string(kTncErrorTitle),
        std::string(description) + " - " + tncHost_ + ":" + std::to_string(tncPort_),
        MessageButtons::Ok);
    ResetConnection();
    return Finish(now);
}

Effects Session::TncData(std::string_view bytes, const Moment& now) {
    if (tnc_ != TncState::Connected && tnc_ != TncState::ClosedByPeer) return {};
    cutter_.Append(bytes);
    // While a slice is scheduled, new bytes only queue up behind the frames already waiting.
    if (!slicePending_) HandleFrames(now);
    return Finish(now);
}

Effects Session::TncContinue(const Moment& now) {
    slicePending_ = false;
    if (tnc_ == TncState::Closed) return {};
    HandleFrames(now);
    return Finish(now);
}

void Session::HandleFrames(const Moment& now) {
    // A few hundred frames take about a millisecond: then the event loop gets a turn.
    constexpr int kFramesPerSlice = 256;
    for (int handled = 0; handled < kFramesPerSlice; ++handled) {
        auto frame = cutter_.Next();
        if (!frame) return;
        HandleFrame(*frame, now);
    }
    slicePending_ = true;
    Emit(ContinueTnc{});
}

void Session::HandleFrame(const AgwFrame& frame, const Moment& now) {
    switch (frame.kind) {
        case 'U':
        case 'T':
            HandleMonitorText(frame.data, now);
            break;
        case 'R':
            if (auto caption = AgwVersionCaption(frame.data)) view_.tncStatus = *caption;
            break;
        default:
            break;
    }
}

void Session::HandleMonitorText(std::string_view text, const Moment& now) {
    const DecodedPacket packet = DecodePacket(text, decodeScratch_);
    view_.monitorLines.assign(packet.lines, packet.lines + packet.lineCount);
    if (packet.lineCount == 2 && !view_.lampLit) {
        view_.lampLit = true;
        Emit(StartTimer{TimerId::ActivityLamp, kLampMs});
    }
    if (!packet.call) return;
    view_.tncStatus = *packet.call + " @" + ports_.dateTimeText(now.local);
    const PacketDetails& d = packet.details;
    Show(view_.latitude, d.latitude);
    Show(view_.longitude, d.longitude);
    Show(view_.message, d.message);
    Show(view_.course, d.course);
    Show(view_.speedKnots, d.speedKnots);
    Show(view_.altitude, d.altitude);
    Show(view_.comment, d.comment);
    if (d.speedKmh) view_.speedKmh = WithDecimalPoint(*d.speedKmh, ports_.decimalPoint);
    if (packet.withoutCourseSpeed) {
        view_.status = "** NO CSE / SPD **";
    } else if (packet.format == PacketFormat::Uncompressed) {
        view_.status = "Uncompressed";
    }
    if (packet.report) ApplyReport(*packet.report, now);
}

void Session::ApplyReport(const PositionReport& report, const Moment& now) {
    const UpdateOutcome outcome = store_.UpdateStation(report, settings_, derived_, now.local);
    view_.status = outcome.newStation ? "Prima posizione" : "Aggiornata posizione";
    if (outcome.followedDistanceM) {
        // Kilometres with one decimal, in the user's form ("12,3").
        const double km = std::round(static_cast<double>(*outcome.followedDistanceM) / 100) / 10;
        view_.clockLine = WithDecimalPoint(DecimalText(km), ports_.decimalPoint) + " Km from " +
                          outcome.followedCall;
    }
    if (outcome.restartFollowLock) followLockUntil_ = now.monotonicMs + derived_.followLockMs;
    if (outcome.playMoveSound && settings_.MoveBeep) {
        Emit(PlaySound{PathIn(ports_.resourcesFolder, kMoveSoundName)});
    }
    PictureChanged(now);
    ShowStationCount();
}

void Session::ShowStationCount() {
    view_.caption = std::string(kStationsCaption) + std::to_string(store_.Count()) + " stations";
}

// ---- Timers and the send window ----

Effects Session::TimerFired(TimerId timer, const Moment& now) {
    switch (timer) {
        case TimerId::MinuteTick:
            MinuteTick(now);
            break;
        case TimerId::ActivityLamp:
            view_.lampLit = false;
            break;
    }
    return Finish(now);
}

void Session::MinuteTick(const Moment& now) {
    if (settings_.FollowedCall.empty()) view_.clockLine = ClockLine(now.local);
    ExpireStations(now);
    // Once a minute without a change a window opens anyway.
    if (documentChangedAtMs_ && now.monotonicMs - *documentChangedAtMs_ > 59000 &&
        !SendWindowOpen(now)) {
        OpenSendWindow(now);
    }
    if (forcedSend_) {
        sendWindowUntil_ = 0;
        sendWindowMs_ = settings_.RefreshMs;
        forcedSend_ = false;
        published_ = true;
    }
}

void Session::ExpireStations(const Moment& now) {
    const ExpiryOutcome outcome = store_.ExpireStations(settings_, derived_, now.local);
    if (outcome.changed) {
        PictureChanged(now);
        ShowStationCount();
    }
}

void Session::OpenSendWindow(const Moment& now) {
    sendWindowUntil_ = now.monotonicMs + sendWindowMs_;
    published_ = true;
}

void Session::StartForcedSend(int ms, const Moment& now) {
    forcedSend_ = true;
    Emit(StartTimer{TimerId::MinuteTick, kMinuteMs});
    sendWindowMs_ = ms;
    OpenSendWindow(now);
}

// ---- The document ----

// A new picture: a full send window from now, so that Google Earth's next poll gets it.
void Session::PictureChanged(const Moment& now) {
    ++pictureVersion_;
    OpenSendWindow(now);
    documentChangedAtMs_ = now.monotonicMs;
}

bool Session::DocumentStale(const Moment& now) const {
    return builtVersion_ != pictureVersion_ ||
           (!settings_.FollowedCall.empty() && builtWithFollowLock_ != FollowLockRunning(now));
}

Effects Session::DocumentWanted(const Moment& now) {
    if (DocumentStale(now)) BuildDocument(now);
    published_ = true;  // the polls waiting are answered from what is published now
    return Finish(now);
}

void Session::BuildDocument(const Moment& now) {
    // A failed build is not tried again before the next change: one box, not one per poll.
    builtVersion_ = pictureVersion_;
    builtWithFollowLock_ = FollowLockRunning(now);
    std::vector<KmlStation> stations;
    stations.reserve(store_.Count());
    store_.ForEachTopDown([&](const std::string& line, std::int32_t slot, const Track& track) {
        stations.push_back({line, &track, store_.MarkOf(slot)});
    });
    // The buffer of the answer before last, unless a connection still sends it.
    std::string buffer;
    if (spareAnswer_ && spareAnswer_.use_count() == 1) buffer = std::move(*spareAnswer_);
    spareAnswer_.reset();
    // Track points the last document showed are copied from it.
    const KmlState state{builtWithFollowLock_, styleText_, serverUrl_, Document(), answerTracks_};
    KmlBuild build = BuildKml(stations, settings_, derived_, state, std::move(buffer));
    if (build.viewRange) settings_.ViewRange = *build.viewRange;
    if (!build.ok) {
        Ask(QuestionId::KmlError, MessageIcon::Critical, "KML error", "Error creating KML data",
            MessageButtons::Ok);
        return;
    }
    const std::string header = DocumentAnswerHeader(build.document.size());
    build.document.insert(0, header);
    spareAnswer_ = std::move(answer_);
    answer_ = std::make_shared<std::string>(std::move(build.document));
    answerHeaderSize_ = header.size();
    answerTracks_ = std::move(build.tracks);
    published_ = true;
}

// ---- Menu commands ----

Effects Session::Menu(Command command, const Moment& now) {
    switch (command) {
        case Command::ToggleConnection:
            if (tnc_ != TncState::Closed) {
                Emit(CloseTnc{});
                ResetConnection();
            } else {
                Connect();
            }
            break;
        case Command::ToggleAutoConnect:
            settings_.AutoConnect = !settings_.AutoConnect;
            break;
        case Command::ToggleInfoPanel:
            if (view_.infoPanel) {
                ShowCompactLayout();
            } else {
                view_.infoPanel = true;
                settings_.WindowWidth = kInfoPanelWidth;
                settings_.WindowHeight = kInfoPanelHeight;
            }
            break;
        case Command::ToggleTracks:
            settings_.ShowTracks = !settings_.ShowTracks;
            PictureChanged(now);
            break;
        case Command::ToggleAutoIcon:
            settings_.AutoIcon = !settings_.AutoIcon;
            break;
        case Command::ToggleAltitude:
            settings_.UseAltitude = !settings_.UseAltitude;
            PictureChanged(now);
            break;
        case Command::ToggleFollowLinks:
            settings_.FollowLinks = !settings_.FollowLinks;
            PictureChanged(now);
            break;
        case Command::ForceRefresh:
            StartForcedSend(30000, now);
            break;
        case Command::RunNetworkLink:
            Emit(OpenWithDesktop{NetworkLinkPath()});
            StartForcedSend(30000, now);
            break;
        case Command::Spacer:
            StartForcedSend(20000, now);
            break;
    }
    return Finish(now);
}

void Session::WindowGeometryChanged(float left, float top, float width, float height) {
    settings_.WindowLeft = left;
    settings_.WindowTop = top;
    settings_.WindowWidth = width;
    settings_.WindowHeight = height;
}

// ---- Following ----

Effects Session::FollowRequested(std::string_view call, const Moment& now) {
    followLockUntil_ = now.monotonicMs + derived_.followLockMs;
    std::string padded(call.substr(0, 9));
    padded.resize(9, ' ');
    view_.followBox = padded;
    settings_.FollowedCall = padded;
    StartFollow(now);
    return Finish(now);
}

Effects Session::UnfollowRequested(const Moment& now) {
    StopFollow(now);
    if (!SendWindowOpen(now)) OpenSendWindow(now);
    return Finish(now);
}

void Session::StartFollow(const Moment& now) {
    view_.followCaption = "&Follow a new station";
    view_.unfollowCaption = "&Stop following " + settings_.FollowedCall;
    view_.unfollowVisible = true;
    ExpireStations(now);
    PictureChanged(now);
    view_.clockLine = "Following " + settings_.FollowedCall;
}

void Session::StopFollow(const Moment& now) {
    view_.followCaption = "&Follow a station";
    view_.unfollowVisible = false;
    settings_.FollowedCall.clear();
    PictureChanged(now);
    MinuteTick(now);
}

// ---- Files ----

Effects Session::StyleFileChosen(std::string folder, std::string file, const Moment& now) {
    settings_.StyleFile = std::move(file);
    settings_.IconsFolder = std::move(folder);
    LoadStyleFile();
    PictureChanged(now);
    return Finish(now);
}

void Session::LoadStyleFile() {
    const auto content = ports_.readFile(PathIn(settings_.IconsFolder, settings_.StyleFile));
    styleText_ = content ? StyleTextFromContent(*content, settings_.IconsFolder) : std::string();
}

void Session::WriteNetworkLinkFile() {
    Emit(WriteFile{NetworkLinkPath(), NetworkLinkText(serverUrl_, view_.refreshBox), false});
}

}  // namespace vireo
