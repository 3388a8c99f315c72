// The fixture of the session's story tests: a session on a fake clock and in-memory files, fed
// heard packets, with its effects kept or picked out.
#pragma once

#include <gtest/gtest.h>

#include <map>

#include "session/Session.h"

namespace vireo::test {

inline constexpr std::string_view kDir = "/app";
inline const std::string kSettingsPath = "/app/Vireo_Decoder.ini";
inline const std::string kLinkPath = "/app/Vireo_Decoder.kml";

inline std::string Heard(const std::string& call, const std::string& info) {
    return MakeAgwFrame('U',
                        " 1:Fm " + call + " To APRS <UI pid=F0 Len=30 >[09:38:22]\r" + info + "\r");
}

template <class E>
std::vector<E> All(const Effects& effects) {
    std::vector<E> found;
    for (const Effect& e : effects) {
        if (const auto* x = std::get_if<E>(&e)) found.push_back(*x);
    }
    return found;
}

// The text of the one message box among `effects`, or how many boxes there are.
inline std::string Box(const Effects& effects) {
    const auto boxes = All<ShowMessage>(effects);
    return boxes.size() == 1 ? boxes[0].text : std::to_string(boxes.size()) + " boxes";
}

class SessionTest : public ::testing::Test {
  protected:
    SessionTest() : session(Ports()) {}

    SessionPorts Ports() {
        SessionPorts ports;
        ports.readFile = [this](const std::string& path) {
            return files.contains(path) ? std::optional(files[path]) : std::nullopt;
        };
        ports.appFolder = kDir;
        ports.defaultIconsFolder = "/app/Icons";
        ports.decimalPoint = ',';
        ports.dateTimeText = [](const LocalDateTime& t) { return std::to_string(t.minute); };
        return ports;
    }
    void Settings(const std::function<void(SettingsRecord&)>& edit) {
        SettingsRecord record = DefaultSettings("/app/Icons");
        edit(record);
        files[kSettingsPath] = FormatSettingsLine(record);
    }
    // Moves both clocks on by `ms`.
    Moment Later(std::int64_t ms) {
        now.monotonicMs += ms;
        const std::int64_t minutes = now.local.hour * 60 + now.local.minute + ms / 60000;
        now.local.hour = static_cast<int>(minutes / 60 % 24);
        now.local.minute = static_cast<int>(minutes % 60);
        return now;
    }
    Effects Start() {
        Effects effects = session.Start(true, "http://127.0.0.1:8008", now);
        Keep(session.TncConnected());
        return effects;
    }
    Effects Hear(const std::string& call, const std::string& info, std::int64_t afterMs = 1000) {
        return Keep(session.TncData(Heard(call, info), Later(afterMs)));
    }
    Effects Keep(Effects effects) {
        for (const auto& p : All<PublishDocument>(effects)) published = p;
        return effects;
    }
    // Checks that `ask` shows one box with `text` and answers it.
    void Asked(const Effects& ask, const std::string& text, MessageAnswer answer) {
        EXPECT_EQ(Box(ask), text);
        if (!All<ShowMessage>(ask).empty())
            Keep(session.Answer(All<ShowMessage>(ask)[0].id, answer, now));
    }
    // The station line of `call`, "" when it is not listed.
    std::string Line(const std::string& call) const {
        const StationEntry* entry = session.Store().FindCall(call);
        return entry ? entry->text : std::string();
    }
    bool Served() const { return now.monotonicMs < published.sendWindowUntilMs; }
    // A poll inside the window: the document is built when the picture changed since.
    const std::string& Poll() {
        if (!published.upToDate) Keep(session.DocumentWanted(now));
        EXPECT_TRUE(published.upToDate);
        return *published.answer;
    }

    std::map<std::string, std::string> files;
    Moment now{1000000, {2026, 12, 6, 10, 0, 0, 0}};
    Session session;
    PublishDocument published;
};

}  // namespace vireo::test
