// The settings file "Vireo_Decoder.ini": one line of 29 comma-separated fields, identified by
// position only. Texts are quoted (no escaping), whole numbers and window geometry are plain
// decimal with "." as the decimal point, Booleans are "#TRUE#" or "#FALSE#".
//
// Everything here works on bytes: one byte is one character, so files written by older
// versions in a single-byte code page read back unchanged. Nothing here touches Qt.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vireo {

// The 29 fields in file order, with the values of the defaults record.
struct SettingsRecord {
    std::string AgwAddress = "localhost";
    std::string AgwPort = "8000";
    std::int32_t RefreshMs = 6050;  // refresh interval in ms plus 50
    std::string StationTimeout = "30";
    std::string TrackTimeout = "60";
    float WindowLeft = 0;  // window geometry in twips
    float WindowTop = 0;
    float WindowWidth = 11050;
    float WindowHeight = 2650;
    bool AutoConnect = true;
    bool ShowTracks = true;
    bool UseAltitude = false;
    std::string StyleFile = "Vireo_Decoder.xml";
    bool AutoIcon = true;
    std::string ViewRange = "800";
    std::string ViewTilt = "40";
    std::string ViewHeading = "000";
    bool HeadingFromStation = true;
    std::string FollowLock = "20";
    bool FollowLinks = false;
    std::string IconsFolder;  // the defaults record has the application folder + "Icons"
    std::string FollowedCall;
    std::string HomeLat = "N42.00.00";
    std::string HomeLon = "E012.00.00";
    bool MoveBeep = false;
    bool RangeProportional = true;
    std::string MinRange = "350";
    std::string MaxRange = "7000";
    bool TracksAllocated = false;

    bool operator==(const SettingsRecord&) const = default;
};

// The defaults record; `iconsFolder` is the application folder followed by the "Icons" folder
// name, written with the platform's separator.
SettingsRecord DefaultSettings(std::string iconsFolder);

// The whole file content for `record`: the 29 fields and CR LF.
std::string FormatSettingsLine(const SettingsRecord& record);

// Reads the first 29 fields of `text`. Returns nothing when the text ends before the 29th field
// or a field lacks the form its position requires (a Boolean that is not "#TRUE#"/"#FALSE#",
// a number that is not a number or does not fit 32 bits).
std::optional<SettingsRecord> ParseSettingsText(std::string_view text);

enum class SettingsOrigin {
    File,             // the file was read as it stands
    CreatedDefaults,  // there was no file: the defaults record was written and read back
    ReplacedDamaged,  // the file was short or malformed: it was overwritten with the defaults
};

struct LoadedSettings {
    SettingsRecord record;
    SettingsOrigin origin = SettingsOrigin::File;
    bool defaultsWriteFailed = false;  // the defaults record could not be written to disk
};

// Reads the settings file at `path`, replacing a missing, short or malformed file by the
// defaults record (built with `defaultIconsFolder`). Always returns a usable record.
LoadedSettings LoadSettingsFile(const std::string& path, const std::string& defaultIconsFolder);

// Overwrites the file at `path` with `record`. Returns false when the file cannot be written;
// a failed write never leaves a truncated file behind in place of the old one.
bool SaveSettingsFile(const std::string& path, const SettingsRecord& record);

}  // namespace vireo
