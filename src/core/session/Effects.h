// What the session asks the shell to do. Every session call returns a list of effects; the shell
// carries them out in order and reports back what it learns as new events (the answer to a
// question, a timer that fired, a file that could not be written). Texts are bytes, one byte a
// character; paths are bytes in the system's code page.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace vireo {

enum class TimerId {
    MinuteTick,    // 60 s, repeating: clock line, expiry, send-window upkeep
    ActivityLamp,  // 300 ms, once: the lamp goes dark again
};

// The message boxes the session opens. The answer comes back with the same id.
enum class QuestionId {
    SettingsUnwritable,  // the settings file cannot be written (OK)
    RefreshChange,       // the refresh interval is about to change (OK / Cancel)
    TncError,            // the TNC link failed (OK)
    KmlError,            // the document could not be built (OK)
    FollowNotFound,      // the typed call is not listed (Yes: another, No: follow it, Cancel)
    FollowConfirm,       // follow the double-clicked station (OK / Cancel)
    UnfollowConfirm,     // stop following the double-clicked station (OK / Cancel)
    DeleteTrack,         // cut the pressed station's track (OK / Cancel)
    DeleteAllTracks,     // cut every track (Yes / No)
    HelpMissing,         // the help file is not there (OK)
};

enum class MessageIcon { Exclamation, Question, Information, Critical };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct ShowMessage {
    QuestionId id;
    MessageIcon icon;
    std::string title;
    std::string text;
    MessageButtons buttons;

    bool operator==(const ShowMessage&) const = default;
};

// Starts the timer, or restarts it from now when it runs.
struct StartTimer {
    TimerId id;
    int ms;

    bool operator==(const StartTimer&) const = default;
};

struct ConnectTnc {
    std::string host;
    std::uint16_t port;

    bool operator==(const ConnectTnc&) const = default;
};

struct CloseTnc {
    bool operator==(const CloseTnc&) const = default;
};

// Bytes to write to the TNC connection.
struct SendToTnc {
    std::string bytes;

    bool operator==(const SendToTnc&) const = default;
};

// Replaces the file at `path` with `bytes` whole (the old file stays until the new one is
// complete). When `reportFailure` is set a failed write comes back as FileWriteFailed; otherwise
// the shell says so on stderr.
struct WriteFile {
    std::string path;
    std::string bytes;
    bool reportFailure = false;

    bool operator==(const WriteFile&) const = default;
};

// Replaces the station files Positions.ini and Positions.dat in `folder` as one pair: a stop at
// any moment leaves either both old files or both new ones. A failure is said on stderr.
struct WriteStationFiles {
    std::string folder;
    std::string ini;
    std::string dat;

    bool operator==(const WriteStationFiles&) const = default;
};

// A problem the user is told of on stderr, without a box: one line naming the file and what was
// done about it.
struct ReportProblem {
    std::string text;

    bool operator==(const ReportProblem&) const = default;
};

// Opens a file with the desktop's handler for its type (the network-link file: Google Earth).
struct OpenWithDesktop {
    std::string path;

    bool operator==(const OpenWithDesktop&) const = default;
};

struct PlaySound {
    std::string path;

    bool operator==(const PlaySound&) const = default;
};

// What Google Earth's polls get from now on: the document answer while the send window is open
// (until `sendWindowUntilMs` on the monotonic clock), "204 No Content" after it. `answer` is the
// whole HTTP answer, shared and never changed. When it is not `upToDate` the picture has changed
// since: a poll inside the window asks for the document (Session::DocumentWanted) and is answered
// from the next publication.
struct PublishDocument {
    std::shared_ptr<const std::string> answer;
    std::int64_t sendWindowUntilMs = 0;
    bool upToDate = true;

    bool operator==(const PublishDocument&) const = default;
};

// More frames from the TNC are waiting: call Session::TncContinue once the event loop has served
// whatever else is waiting (polls, the window).
struct ContinueTnc {
    bool operator==(const ContinueTnc&) const = default;
};

using Effect = std::variant<ShowMessage, StartTimer, ConnectTnc, CloseTnc, SendToTnc, WriteFile,
                            WriteStationFiles, ReportProblem, OpenWithDesktop, PlaySound,
                            PublishDocument, ContinueTnc>;
using Effects = std::vector<Effect>;

}  // namespace vireo
