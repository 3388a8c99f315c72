// The running program: one object that holds the whole state (settings, station store, TNC link
// state, followed station, follow lock, send window, the current document) and decides what
// happens next. It takes events and returns effects (Effects.h); it never waits, never calls Qt
// and reads the clock only through the moments it is given.
//
// Time: every event carries a Moment, the monotonic milliseconds (which never go back, not even at
// midnight) and the local date and time. The send window and the follow lock are deadlines on the
// monotonic clock.
//
// The window shows View(), Settings() (check marks, box texts, geometry) and Store() (the station
// list); the shell shows them again after each event.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "agwpe/AgwFrame.h"
#include "aprs/Decode.h"
#include "earth/KmlDocument.h"
#include "session/Effects.h"
#include "settings/Settings.h"
#include "stations/OleDate.h"
#include "stations/StationStore.h"

namespace vireo {

inline constexpr std::string_view kMainCaption =
    "Vireo Earth Decoder for mobile APRS stations by Tamberlo";
inline constexpr std::string_view kConnectCaption = "&Connect AGWPE";
inline constexpr std::string_view kDisconnectCaption = "&Disconnect AGWPE";

// Window widths and heights of the layouts, in twips.
inline constexpr float kCompactWidth = 5600;
inline constexpr float kInfoPanelWidth = 11050;
inline constexpr float kInfoPanelHeight = 2650;

struct Moment {
    std::int64_t monotonicMs = 0;
    LocalDateTime local;
};

// What the program learns from its surroundings once, when it is made.
struct SessionPorts {
    // Reads a whole file; nothing when it is missing or cannot be read.
    std::function<std::optional<std::string>(const std::string& path)> readFile;
    std::string appFolder;           // where the program's files live
    std::string defaultIconsFolder;  // the icon set used when the settings name none
    std::string resourcesFolder;     // the movement sound
    char decimalPoint = '.';         // the user's decimal separator
    // The user's short date-and-time text of a moment ("06/12/2026 14:03").
    std::function<std::string(const LocalDateTime&)> dateTimeText;
};

// The menu commands that need no answer from a panel.
enum class Command {
    ToggleConnection,
    ToggleAutoConnect,
    ToggleInfoPanel,
    ToggleTracks,
    ToggleAutoIcon,
    ToggleAltitude,
    ToggleFollowLinks,
    ForceRefresh,    // a 30 s send window
    RunNetworkLink,  // open the network-link file with Google Earth, then a 30 s window
    Spacer,          // the blank menu item: a 20 s send window
};

// What the window shows besides the settings and the station list.
struct View {
    std::string caption{kMainCaption};
    std::string connectCaption{kConnectCaption};
    bool infoPanel = false;  // the information panel layout is shown
    std::string clockLine = "Data 00/00/00  Ora 00:00";
    std::string followCaption = "&Follow a station";
    std::string unfollowCaption;  // "&Stop following " and the call, while one is followed
    bool unfollowVisible = false;
    std::string followBox;   // the call in the follow box
    std::string refreshBox;  // the refresh interval box, in seconds
    std::string tncStatus;   // the TNC status line: link state or the last decoded station

    // The settings panel and the follow panel are shown; each focus request (a new number)
    // puts the focus into the panel's field and selects its text.
    bool settingsPanel = false;
    bool followPanel = false;
    std::string followStatus;  // which station is followed, under the follow box
    int followFocus = 0;
    // The pressed station's menu items: its track cut and its icon editor.
    std::string deleteTrackCaption = "Delete selected station track";
    bool deleteTrackVisible = false;
    std::string iconCaption = "&Change selected station icon (Ctrl-D)";
    bool iconVisible = false;
    // The icon editor: the station's call (9 characters) and the code field.
    bool iconEditor = false;
    std::string iconEditorCall = "--------------";
    std::string iconEditorCode;
    int iconFocus = 0;

    // The information panel: the last decoded packet.
    std::string latitude, longitude, message, course, speedKnots, speedKmh = "000.0",
                                                                  altitude = "+0000", comment;
    std::string status;
    std::vector<std::string> monitorLines;  // the lines of the last monitored frame
    bool lampLit = false;                   // activity lamp: packets are coming in
};

// What typing into the follow box leaves: letters in capitals, digits and "-"; nothing else.
std::string CallTyped(std::string_view typed);
// An icon code field as the line takes it: upper case, right-aligned in two places.
std::string IconCodeText(std::string_view typed);

class Session {
  public:
    explicit Session(SessionPorts ports);

    // Start-up: the HTTP listener's outcome, the settings file (the defaults written when it is
    // missing or damaged), the refresh question when the saved interval is not one the box can
    // show, the TNC connection, the icon styles, the saved stations, one expiry run, the followed
    // station, the first document, the network-link file and a 40-second send window.
    Effects Start(bool httpListening, std::string serverUrl, const Moment& now);
    // Shut-down: closes the TNC link and saves the settings and, when the list is not empty, the
    // station files. Runs once; later calls return nothing.
    Effects Shutdown();

    Effects TncConnected();
    Effects TncClosedByPeer();
    Effects TncError(std::string_view description, const Moment& now);
    // Bytes from the TNC. Frames are handled a slice at a time, so that polls and the window are
    // served during a flood; ContinueTnc asks for the next slice. Nothing is lost or reordered.
    Effects TncData(std::string_view bytes, const Moment& now);
    Effects TncContinue(const Moment& now);
    // A poll inside the send window found the published document out of date: it is built now,
    // once for all polls waiting.
    Effects DocumentWanted(const Moment& now);

    Effects TimerFired(TimerId timer, const Moment& now);
    Effects Menu(Command command, const Moment& now);
    Effects Answer(QuestionId question, MessageAnswer answer, const Moment& now);
    Effects FileWriteFailed(const std::string& path);

    // Follow links clicked in Google Earth (after their answer has been sent).
    Effects FollowRequested(std::string_view call, const Moment& now);
    Effects UnfollowRequested(const Moment& now);

    // The settings panel (SessionPanels.cpp). OK takes the panel's fields from `boxes` (the other
    // fields are ignored) and the refresh box's text; Cancel drops what was typed.
    Effects OpenSettings(const Moment& now);
    Effects SettingsOk(const SettingsRecord& boxes, std::string refreshText, const Moment& now);
    Effects SettingsCancel(const Moment& now);

    // The follow panel and the other ways of following from the window. A station line is given
    // whole; its Call field is what counts.
    Effects OpenFollowPanel(const Moment& now);
    Effects FollowTyped(std::string_view typed, const Moment& now);
    Effects CloseFollowPanel(const Moment& now);
    Effects StopFollowing(const Moment& now);
    Effects LineDoubleClicked(std::string_view line, const Moment& now);

    // The station list: a press on a line, the track cuts and the icon editor.
    Effects LinePressed(std::string_view line, const Moment& now);
    Effects DeleteTrackChosen(std::string_view line, const Moment& now);
    Effects DeleteAllTracksChosen(const Moment& now);
    Effects OpenIconEditor(std::string_view line, const Moment& now);
    Effects SetIconCode(std::string_view typed, const Moment& now);

    // A style file picked by the user.
    Effects StyleFileChosen(std::string folder, std::string file, const Moment& now);
    // The window was moved or resized by the user (twips).
    void WindowGeometryChanged(float left, float top, float width, float height);

    const View& GetView() const { return view_; }
    const SettingsRecord& Settings() const { return settings_; }
    const StationStore& Store() const { return store_; }
    // The document last built (the body of the published answer).
    std::string_view Document() const;
    bool SendWindowOpen(const Moment& now) const { return now.monotonicMs < sendWindowUntil_; }
    bool FollowLockRunning(const Moment& now) const;
    bool TncOpen() const { return tnc_ != TncState::Closed; }
    // Bytes from the TNC received and not yet handled.
    std::size_t TncBacklog() const { return cutter_.Pending(); }
    std::string SettingsPath() const;
    std::string NetworkLinkPath() const;

  private:
    enum class TncState { Closed, Connecting, Connected, ClosedByPeer };

    // Work on `out_`, the effects of the event being handled.
    Effects Finish(const Moment& now);
    void ReadSettingsFile();
    void AskRefreshOrApply(bool startingUp, const Moment& now);
    void ApplyPanel(const Moment& now);
    void ContinueStartup(const Moment& now);
    void Connect();
    void ResetConnection();
    void HandleFrame(const AgwFrame& frame, const Moment& now);
    void HandleMonitorText(std::string_view text, const Moment& now);
    void ApplyReport(const PositionReport& report, const Moment& now);
    void ShowStationCount();
    void MinuteTick(const Moment& now);
    void ExpireStations(const Moment& now);
    void StartFollow(const Moment& now);
    void StopFollow(const Moment& now);
    void HandleFrames(const Moment& now);
    void PictureChanged(const Moment& now);
    bool DocumentStale(const Moment& now) const;
    void BuildDocument(const Moment& now);
    void OpenSendWindow(const Moment& now);
    void StartForcedSend(int ms, const Moment& now);
    void LoadStyleFile();
    void WriteNetworkLinkFile();
    void ShowCompactLayout();
    void PanelAnswer(QuestionId question, MessageAnswer answer, const Moment& now);
    void Follow(std::string call, bool restartLock, const Moment& now);
    template <class E>
    void Emit(E effect) {
        out_.emplace_back(std::in_place_type<E>, std::move(effect));
    }
    void Ask(QuestionId id, MessageIcon icon, std::string title, std::string text,
             MessageButtons buttons);

    SessionPorts ports_;
    SettingsRecord settings_;
    DerivedSettings derived_;
    StationStore store_;
    View view_;
    Effects out_;

    bool started_ = false;
    bool startupWaiting_ = false;  // the rest of start-up runs after the refresh question
    bool shutDown_ = false;
    std::int32_t askedRefreshMs_ = 0;  // the interval the refresh question offers
    std::string shownRefresh_;         // the box's text before it was corrected

    TncState tnc_ = TncState::Closed;
    std::string tncHost_;  // as used at the last connect
    std::uint16_t tncPort_ = 0;
    AgwFrameCutter cutter_;
    bool slicePending_ = false;  // ContinueTnc was asked for and has not come yet
    std::string decodeScratch_;

    std::string serverUrl_;
    std::string styleText_;
    // The published HTTP answer carrying the document, and the one before it, whose buffer is
    // reused once no connection holds it any more.
    std::shared_ptr<std::string> answer_;
    std::shared_ptr<std::string> spareAnswer_;
    std::size_t answerHeaderSize_ = 0;
    std::vector<KmlTrackText> answerTracks_;  // where the answer's document has each track
    // The picture changes with every report, expiry, toggle and follow change; the document is
    // rebuilt only when a poll finds it older than the picture.
    std::uint64_t pictureVersion_ = 0;
    std::uint64_t builtVersion_ = 0;
    bool builtWithFollowLock_ = false;
    bool published_ = false;  // the answer, its freshness or the send window changed
    std::optional<std::int64_t> documentChangedAtMs_;
    std::int64_t sendWindowUntil_ = 0;
    std::int32_t sendWindowMs_ = 6050;
    bool forcedSend_ = false;
    std::int64_t followLockUntil_ = 0;
    std::string askedCall_;  // the call a follow or track question is about
};

}  // namespace vireo
