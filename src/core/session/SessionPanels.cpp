// The session's panels and list actions: the settings panel, following from the window, the
// track cuts and the icon editor. Every question asked here comes back through PanelAnswer.
#include <utility>

#include "session/Session.h"

namespace vireo {

namespace {

constexpr std::string_view kProgramTitle = "Vireo Decoder";

// The Call field of a station line, or nothing when the line is too short to hold one.
std::string CallOfLine(std::string_view line) {
    if (line.size() < kCallField.offset + kCallField.length) return {};
    return std::string(kCallField.Of(line));
}

std::string Padded(std::string_view call) {
    std::string padded(call.substr(0, kCallField.length));
    padded.resize(kCallField.length, ' ');
    return padded;
}

}  // namespace

std::string CallTyped(std::string_view typed) {
    std::string call;
    for (char c : typed) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-') call += c;
    }
    if (call.size() > kCallField.length) call.resize(kCallField.length);
    return call;
}

std::string IconCodeText(std::string_view typed) {
    std::string code(typed.substr(0, kIconCodeField.length));
    for (char& c : code) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    code.insert(0, kIconCodeField.length - code.size(), ' ');
    return code;
}

// ---- The settings panel ----

Effects Session::OpenSettings(const Moment& now) {
    view_.settingsPanel = true;
    view_.infoPanel = false;
    settings_.WindowWidth = kCompactWidth;
    return Finish(now);
}

Effects Session::SettingsOk(const SettingsRecord& boxes, std::string refreshText,
                            const Moment& now) {
    for (const SettingsBox& box : kSettingsBoxes) {
        if (box.member) settings_.*box.member = boxes.*box.member;
    }
    for (const SettingsCheck& check : kSettingsChecks) {
        settings_.*check.member = boxes.*check.member;
    }
    view_.refreshBox = std::move(refreshText);
    AskRefreshOrApply(false, now);
    return Finish(now);
}

Effects Session::SettingsCancel(const Moment& now) {
    // The boxes are filled from the settings each time the panel opens, so what was typed is
    // simply not taken.
    ShowCompactLayout();
    return Finish(now);
}

// ---- Following ----

void Session::Follow(std::string call, bool restartLock, const Moment& now) {
    if (restartLock) followLockUntil_ = now.monotonicMs + derived_.followLockMs;
    view_.followBox = call;
    settings_.FollowedCall = std::move(call);
    StartFollow(now);
}

Effects Session::OpenFollowPanel(const Moment& now) {
    view_.followPanel = true;
    view_.followStatus = settings_.FollowedCall.empty()
                             ? "No station currently followed"
                             : "Station currenlty followed: " + settings_.FollowedCall;
    ++view_.followFocus;
    return Finish(now);
}

Effects Session::FollowTyped(std::string_view typed, const Moment& now) {
    const std::string call = Padded(typed);
    view_.followBox = call;
    if (store_.FindCall(call)) {
        Follow(call, true, now);
        view_.followPanel = false;
    } else {
        askedCall_ = call;
        Ask(QuestionId::FollowNotFound, MessageIcon::Question, std::string(kProgramTitle),
            call + " not found in current list.\r\nDo you want to enter another station ?",
            MessageButtons::YesNoCancel);
    }
    return Finish(now);
}

Effects Session::CloseFollowPanel(const Moment& now) {
    view_.followPanel = false;
    return Finish(now);
}

Effects Session::StopFollowing(const Moment& now) {
    StopFollow(now);
    return Finish(now);
}

Effects Session::LineDoubleClicked(std::string_view line, const Moment& now) {
    askedCall_ = CallOfLine(line);
    if (askedCall_.empty()) return {};
    const bool followed = askedCall_ == settings_.FollowedCall;
    Ask(followed ? QuestionId::UnfollowConfirm : QuestionId::FollowConfirm, MessageIcon::Question,
        "Tracking",
        (followed ? "Conferma CANCELLAZIONE Following di " : "Conferma ATTIVAZIONE Following di ") +
            askedCall_ + " ?",
        MessageButtons::OkCancel);
    return Finish(now);
}

// ---- The station list ----

Effects Session::LinePressed(std::string_view line, const Moment& now) {
    const std::string call = CallOfLine(line);
    if (call.empty()) return {};
    view_.followBox = call;
    view_.deleteTrackCaption = "Delete " + call + " track";
    view_.deleteTrackVisible = true;
    view_.iconCaption = "Change " + call + " icon (Ctrl-D)";
    view_.iconVisible = true;
    return Finish(now);
}

Effects Session::DeleteTrackChosen(std::string_view line, const Moment& now) {
    askedCall_ = CallOfLine(line);
    if (askedCall_.empty()) return {};
    Ask(QuestionId::DeleteTrack, MessageIcon::Question, "Delete Track",
        "Delete " + askedCall_ + " track ?", MessageButtons::OkCancel);
    return Finish(now);
}

Effects Session::DeleteAllTracksChosen(const Moment& now) {
    Ask(QuestionId::DeleteAllTracks, MessageIcon::Question, "Confirm Delete Tracks",
        "Delete All Tracks ?", MessageButtons::YesNo);
    return Finish(now);
}

Effects Session::OpenIconEditor(std::string_view line, const Moment& now) {
    const std::string call = CallOfLine(line);
    if (call.empty()) return {};
    view_.iconEditor = true;
    view_.iconEditorCall = call;
    view_.iconEditorCode = std::string(kIconCodeField.Of(line));
    ++view_.iconFocus;
    return Finish(now);
}

Effects Session::SetIconCode(std::string_view typed, const Moment& now) {
    if (!view_.iconEditor) return {};
    // The station may have expired while the editor was open: then nothing is written.
    store_.SetIconCode(view_.iconEditorCall, IconCodeText(typed));
    view_.iconEditor = false;
    PictureChanged(now);
    return Finish(now);
}

// ---- Answers ----

void Session::PanelAnswer(QuestionId question, MessageAnswer answer, const Moment& now) {
    switch (question) {
        case QuestionId::FollowNotFound:
            if (answer == MessageAnswer::Yes) {
                ++view_.followFocus;
                return;
            }
            if (answer == MessageAnswer::No) {
                Follow(askedCall_, false, now);
            } else {
                view_.followBox.clear();
            }
            view_.followPanel = false;
            break;
        case QuestionId::FollowConfirm:
            if (answer == MessageAnswer::Ok) Follow(askedCall_, true, now);
            break;
        case QuestionId::UnfollowConfirm:
            if (answer == MessageAnswer::Ok) StopFollow(now);
            break;
        case QuestionId::DeleteTrack:
            if (answer == MessageAnswer::Ok && store_.CutTrack(askedCall_)) PictureChanged(now);
            break;
        case QuestionId::DeleteAllTracks:
            if (answer != MessageAnswer::Yes) break;
            if (store_.CutAllTracks(settings_, derived_, now.local).changed) ShowStationCount();
            PictureChanged(now);
            break;
        default:
            break;
    }
}

}  // namespace vireo
