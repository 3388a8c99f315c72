// The program's settings in one shape: the record of the 29 fields of the settings file
// "Vireo_Decoder.ini", the field table that drives reading, writing and the defaults, the values
// derived from the record, and the corrections the settings panel's OK applies to its boxes.
//
// The file is one line of 29 comma-separated fields identified by position only. Texts are
// quoted (no escaping), whole numbers and window geometry plain decimal with "." as the decimal
// point, Booleans "#TRUE#" or "#FALSE#". Everything works on bytes, one byte a character, so files
// written by older versions in a single-byte code page read back unchanged.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace vireo {

inline constexpr std::string_view kSettingsFileName = "Vireo_Decoder.ini";
inline constexpr std::string_view kDefaultStyleFileName = "Vireo_Decoder.xml";

// The 29 fields in file order. Their defaults are in the field table, not here: a record made
// by DefaultSettings() has them.
struct SettingsRecord {
    std::string AgwAddress;
    std::string AgwPort;
    std::int32_t RefreshMs = 0;  // refresh interval in ms plus 50
    std::string StationTimeout;  // minutes, as typed
    std::string TrackTimeout;    // minutes, as typed
    float WindowLeft = 0;        // window geometry in twips
    float WindowTop = 0;
    float WindowWidth = 0;
    float WindowHeight = 0;
    bool AutoConnect = false;
    bool ShowTracks = false;
    bool UseAltitude = false;
    std::string StyleFile;
    bool AutoIcon = false;
    std::string ViewRange;
    std::string ViewTilt;
    std::string ViewHeading;
    bool HeadingFromStation = false;
    std::string FollowLock;  // seconds, as typed
    bool FollowLinks = false;
    std::string IconsFolder;
    std::string FollowedCall;  // 9 characters, blank-padded, or empty
    std::string HomeLat;       // dotted coordinate text, "N42.00.00"
    std::string HomeLon;
    bool MoveBeep = false;
    bool RangeProportional = false;
    std::string MinRange;
    std::string MaxRange;
    bool TracksAllocated = false;

    bool operator==(const SettingsRecord&) const = default;
};

// One field of the file: its name, the member it fills and its default as the file writes it.
// A text member is a quoted text, an int32 member a whole number, a float member a geometry
// value (read as a whole number), a bool member a Boolean.
struct SettingsField {
    std::string_view name;
    std::variant<std::string SettingsRecord::*, std::int32_t SettingsRecord::*,
                 float SettingsRecord::*, bool SettingsRecord::*>
        member;
    std::string_view defaultValue;
};

// The field table in file order. The icons folder's default is the application folder's
// "Icons" folder, given to DefaultSettings().
extern const std::array<SettingsField, 29> kSettingsFields;

// The settings panel: its text boxes and check boxes in the order they are laid out, with their
// labels, units and tool tips, and the field each one edits. The refresh box has no text field:
// it shows RefreshMs in seconds, and `member` is null for it. A check box names the box it
// overrides (disables while ticked) by that box's index.
struct SettingsBox {
    std::string_view label;
    std::string_view unit;
    std::string_view toolTip;
    std::string SettingsRecord::*member;
};
struct SettingsCheck {
    std::string_view label;
    std::string_view toolTip;
    bool SettingsRecord::*member;
    int overrides;  // index into kSettingsBoxes
};
inline constexpr std::size_t kSettingsBoxCount = 13;
inline constexpr std::size_t kRefreshBox = 12;
extern const std::array<SettingsBox, kSettingsBoxCount> kSettingsBoxes;
extern const std::array<SettingsCheck, 3> kSettingsChecks;

// The defaults record.
SettingsRecord DefaultSettings(std::string_view iconsFolder);

// The whole file content for `record`: the 29 fields and CR LF.
std::string FormatSettingsLine(const SettingsRecord& record);

// Reads the first 29 fields of `text`. Nothing when the text ends before the 29th field or a field
// lacks the form its kind requires (a Boolean that is not a bare "#TRUE#"/"#FALSE#", a number that
// is not a number or does not fit 32 bits).
std::optional<SettingsRecord> ParseSettingsText(std::string_view text);

// What the program works with besides the record's texts, computed from the record alone.
struct DerivedSettings {
    int stationTimeoutMinutes = 30;
    int trackTimeoutMinutes = 60;
    std::int32_t followLockMs = 20000;
    bool followLockForever = false;  // a lock of 60 seconds never runs out
    float rangeSlope = 33.25f;       // metres of view range per km/h
    float homeLatDeg = 0;
    float homeLonDeg = 0;

    bool operator==(const DerivedSettings&) const = default;
};

DerivedSettings DeriveSettings(const SettingsRecord& record);

// The refresh box's text for a refresh interval: the seconds it stands for ("6", "5.95").
std::string RefreshText(std::int32_t refreshMs);

// The interval the refresh box asks for: its text read as whole seconds clamped to 4-40, written
// back into `refreshText`, as milliseconds plus 50.
std::int32_t RefreshFromText(std::string& refreshText);

// The rest of what OK does to the boxes once the refresh interval is settled: timeouts as whole
// minutes (negative ones become 30), tilt clamped to 0-85 and heading to 0-360 whole degrees, the
// follow lock at least the refresh interval (`refreshText`) and at most 60 seconds.
void CorrectSettingsTexts(SettingsRecord& record, std::string_view refreshText);

}  // namespace vireo
