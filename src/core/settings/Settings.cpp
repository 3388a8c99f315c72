#include "settings/Settings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "aprs/CoordinateText.h"
#include "text/Text.h"

namespace vireo {

using R = SettingsRecord;

const std::array<SettingsField, 29> kSettingsFields = {{
    {"AgwAddress", &R::AgwAddress, "\"localhost\""},
    {"AgwPort", &R::AgwPort, "\"8000\""},
    {"RefreshMs", &R::RefreshMs, "6050"},
    {"StationTimeout", &R::StationTimeout, "\"30\""},
    {"TrackTimeout", &R::TrackTimeout, "\"60\""},
    {"WindowLeft", &R::WindowLeft, "0"},
    {"WindowTop", &R::WindowTop, "0"},
    {"WindowWidth", &R::WindowWidth, "11050"},
    {"WindowHeight", &R::WindowHeight, "2650"},
    {"AutoConnect", &R::AutoConnect, "#TRUE#"},
    {"ShowTracks", &R::ShowTracks, "#TRUE#"},
    {"UseAltitude", &R::UseAltitude, "#FALSE#"},
    {"StyleFile", &R::StyleFile, "\"Vireo_Decoder.xml\""},
    {"AutoIcon", &R::AutoIcon, "#TRUE#"},
    {"ViewRange", &R::ViewRange, "\"800\""},
    {"ViewTilt", &R::ViewTilt, "\"40\""},
    {"ViewHeading", &R::ViewHeading, "\"000\""},
    {"HeadingFromStation", &R::HeadingFromStation, "#TRUE#"},
    {"FollowLock", &R::FollowLock, "\"20\""},
    {"FollowLinks", &R::FollowLinks, "#FALSE#"},
    {"IconsFolder", &R::IconsFolder, "\"\""},
    {"FollowedCall", &R::FollowedCall, "\"\""},
    {"HomeLat", &R::HomeLat, "\"N42.00.00\""},
    {"HomeLon", &R::HomeLon, "\"E012.00.00\""},
    {"MoveBeep", &R::MoveBeep, "#FALSE#"},
    {"RangeProportional", &R::RangeProportional, "#TRUE#"},
    {"MinRange", &R::MinRange, "\"350\""},
    {"MaxRange", &R::MaxRange, "\"7000\""},
    {"TracksAllocated", &R::TracksAllocated, "#FALSE#"},
}};

const std::array<SettingsBox, kSettingsBoxCount> kSettingsBoxes = {{
    {"AGW IP Address:", "", "AgwPE TCP address (usually localhost)", &R::AgwAddress},
    {"Port:", "", "AgwPE TCP port (default 8000)", &R::AgwPort},
    {"Stations Timeout:", "min.", "Stations Timeout", &R::StationTimeout},
    {"Track Timeout", "min.", "Tracks Timeout", &R::TrackTimeout},
    {"Google range (m.)", "", "Altitude of GoogleEarth view", &R::ViewRange},
    {"angle", "", "Tilt angle of GoogleEarth view", &R::ViewTilt},
    {"head", "", "Heading of GoogleEarth view", &R::ViewHeading},
    {"Follow lock", "sec.", "After this time GoogleEarth view will unkock following of station",
     &R::FollowLock},
    {"Latitude (APRS) :", "", "Home Latitude in APRS format: N/Sdd.mm.cc", &R::HomeLat},
    {"Longitude", "", "Home Longitude in APRS format: E/Wddd.mm.cc", &R::HomeLon},
    {"Min.", "", "Altitude at speed of 0 Km/h", &R::MinRange},
    {"Max.", "m. (200Km/h)", "Altitude at 200 Km/h", &R::MaxRange},
    {"Refresh", "sec.", "Google Earth refresh interval. If changed a new kml file will be loaded.",
     nullptr},
}};

const std::array<SettingsCheck, 3> kSettingsChecks = {{
    {"Station Heading",
     "Check if you want GoogleEarth view heading to be the same of followed station",
     &R::HeadingFromStation, 6},
    {"Proportional to speed",
     "Check to automatically set GoogleEarth view altitude proportional to station speed",
     &R::RangeProportional, 4},
    {"Sound on moving", "Check if you want a beep when followed station moves", &R::MoveBeep, -1},
}};

namespace {

// Each Append* writes one field followed by its comma.
void AppendText(std::string& out, const std::string& text) {
    out += '"';
    // The form has no escape: a double quote inside would end the field early and shift every
    // field after it, so it is left out. Neither a host name nor a Windows path can hold one.
    for (char c : text) {
        if (c != '"') out += c;
    }
    out += "\",";
}

void AppendWhole(std::string& out, std::int32_t value) {
    std::array<char, 16> buf{};
    const auto result = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    out.append(buf.data(), result.ptr);
    out.push_back(',');
}

void AppendReal(std::string& out, float value) {
    // The reader takes geometry into a 32-bit integer and rejects the whole file when it does not
    // fit, so values it could not take back are written as the nearest value it can.
    constexpr float kLargestBelow2Pow31 = 2147483520.0f;
    constexpr float kMin = -2147483648.0f;
    if (!std::isfinite(value) || value == 0.0f) {
        value = 0.0f;  // also turns -0 into 0
    } else if (value > kLargestBelow2Pow31) {
        value = kLargestBelow2Pow31;
    } else if (value < kMin) {
        value = kMin;
    }
    std::array<char, 64> buf{};
    const auto result =
        std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::fixed);
    out.append(buf.data(), result.ptr);
    out.push_back(',');
}

void AppendBool(std::string& out, bool value) {
    out += value ? "#TRUE#," : "#FALSE#,";
}

struct Field {
    std::string_view content;
    bool quoted = false;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsSeparator(char c) {
    return c == ',' || c == '\r' || c == '\n';
}

// Splits `text` into at most `wanted` fields. A field ends at a comma or a line end (CR, LF or
// CR LF); the text's end ends the last field.
std::vector<Field> SplitFields(std::string_view text, std::size_t wanted) {
    std::vector<Field> fields;
    std::size_t pos = 0;
    const std::size_t n = text.size();
    while (fields.size() < wanted && pos < n) {
        while (pos < n && IsBlank(text[pos])) ++pos;
        Field field;
        if (pos < n && text[pos] == '"') {
            const std::size_t start = pos + 1;
            std::size_t close = text.find('"', start);
            if (close == std::string_view::npos) close = n;
            field.content = text.substr(start, close - start);
            field.quoted = true;
            pos = close < n ? close + 1 : n;
            while (pos < n && !IsSeparator(text[pos])) ++pos;  // stray text after the quote
        } else {
            const std::size_t start = pos;
            while (pos < n && !IsSeparator(text[pos])) ++pos;
            field.content = TrimBlanks(text.substr(start, pos - start));
        }
        fields.push_back(field);
        if (pos < n) {
            const char sep = text[pos++];
            if (sep == '\r' && pos < n && text[pos] == '\n') ++pos;
        }
    }
    return fields;
}

// A decimal number ("-12", "1234.5", "1.5E+3") rounded to a whole number, halves to even.
// Nothing when it is not a number or does not fit 32 bits.
std::optional<std::int32_t> ParseWhole(std::string_view s) {
    if (s.starts_with('+')) s.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    value = std::nearbyint(value);  // the default rounding mode rounds halves to even
    if (!(value >= std::numeric_limits<std::int32_t>::min() &&
          value <= std::numeric_limits<std::int32_t>::max())) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

// Reads one field into its member; false when the field lacks the form of its kind.
bool ReadField(const SettingsField& field, const Field& text, SettingsRecord& record) {
    struct Reader {
        const Field& text;
        SettingsRecord& record;
        bool operator()(std::string SettingsRecord::*member) const {
            record.*member = std::string(text.content);
            return true;
        }
        bool operator()(std::int32_t SettingsRecord::*member) const {
            const auto value = ParseWhole(text.content);
            if (value) record.*member = *value;
            return value.has_value();
        }
        bool operator()(float SettingsRecord::*member) const {
            const auto value = ParseWhole(text.content);
            if (value) record.*member = static_cast<float>(*value);
            return value.has_value();
        }
        // A Boolean is the bare literal; a quoted "#TRUE#" is a text, not a Boolean.
        bool operator()(bool SettingsRecord::*member) const {
            if (text.quoted || (text.content != "#TRUE#" && text.content != "#FALSE#"))
                return false;
            record.*member = text.content == "#TRUE#";
            return true;
        }
    };
    return std::visit(Reader{text, record}, field.member);
}

void WriteField(const SettingsField& field, const SettingsRecord& record, std::string& out) {
    struct Writer {
        const SettingsRecord& record;
        std::string& out;
        void operator()(std::string SettingsRecord::*member) const {
            AppendText(out, record.*member);
        }
        void operator()(std::int32_t SettingsRecord::*member) const {
            AppendWhole(out, record.*member);
        }
        void operator()(float SettingsRecord::*member) const { AppendReal(out, record.*member); }
        void operator()(bool SettingsRecord::*member) const { AppendBool(out, record.*member); }
    };
    std::visit(Writer{record, out}, field.member);
}

}  // namespace

SettingsRecord DefaultSettings(std::string_view iconsFolder) {
    SettingsRecord record;
    for (const SettingsField& field : kSettingsFields) {
        const std::vector<Field> text = SplitFields(field.defaultValue, 1);
        ReadField(field, text.front(), record);
    }
    record.IconsFolder = std::string(iconsFolder);
    return record;
}

std::string FormatSettingsLine(const SettingsRecord& record) {
    std::string out;
    out.reserve(256 + record.IconsFolder.size() + record.AgwAddress.size() +
                record.StyleFile.size());
    for (const SettingsField& field : kSettingsFields) WriteField(field, record, out);
    out.back() = '\r';  // the last field's comma becomes the line end
    out += '\n';
    return out;
}

std::optional<SettingsRecord> ParseSettingsText(std::string_view text) {
    const std::vector<Field> fields = SplitFields(text, kSettingsFields.size());
    if (fields.size() < kSettingsFields.size()) return std::nullopt;
    SettingsRecord record;
    for (std::size_t i = 0; i < kSettingsFields.size(); ++i) {
        if (!ReadField(kSettingsFields[i], fields[i], record)) return std::nullopt;
    }
    return record;
}

DerivedSettings DeriveSettings(const SettingsRecord& r) {
    DerivedSettings d;
    auto minutes = [](std::string_view box) {
        const std::int32_t value = RoundHalfEven(LeadingNumber(box));
        return value < 0 ? 30 : value;
    };
    d.stationTimeoutMinutes = minutes(r.StationTimeout);
    d.trackTimeoutMinutes = minutes(r.TrackTimeout);
    const double followLock = std::min(LeadingNumber(r.FollowLock), 60.0);
    d.followLockForever = followLock == 60;
    d.followLockMs = RoundHalfEven(followLock * 1000);
    const std::int32_t minRange = std::max(RoundHalfEven(LeadingNumber(r.MinRange)), 50);
    std::int32_t maxRange = RoundHalfEven(LeadingNumber(r.MaxRange));
    if (maxRange < minRange) {  // saturated: a minimum near the top of the range must not wrap
        maxRange = static_cast<std::int32_t>(std::min<std::int64_t>(
            std::int64_t{minRange} + 300, std::numeric_limits<std::int32_t>::max()));
    }
    d.rangeSlope = static_cast<float>((static_cast<double>(maxRange) - minRange) / 200.0);
    d.homeLatDeg = CoordinateToDegrees(r.HomeLat);
    d.homeLonDeg = CoordinateToDegrees(r.HomeLon);
    return d;
}

std::string RefreshText(std::int32_t refreshMs) {
    return DecimalText((static_cast<double>(refreshMs) - 50) / 1000);
}

std::int32_t RefreshFromText(std::string& refreshText) {
    const std::int32_t seconds = std::clamp(RoundHalfEven(LeadingNumber(refreshText)), 4, 40);
    refreshText = std::to_string(seconds);
    return seconds * 1000 + 50;
}

void CorrectSettingsTexts(SettingsRecord& r, std::string_view refreshText) {
    auto whole = [](std::string& box, std::int32_t low, std::int32_t high) {
        box = std::to_string(std::clamp(RoundHalfEven(LeadingNumber(box)), low, high));
    };
    for (std::string* box : {&r.StationTimeout, &r.TrackTimeout}) {
        const std::int32_t minutes = RoundHalfEven(LeadingNumber(*box));
        *box = std::to_string(minutes < 0 ? 30 : minutes);
    }
    whole(r.ViewTilt, 0, 85);
    whole(r.ViewHeading, 0, 360);
    // The follow lock runs at least one refresh interval and at most a minute; a minute means
    // Google Earth keeps flying to the station for as long as it is followed.
    if (LeadingNumber(refreshText) > LeadingNumber(r.FollowLock)) r.FollowLock = refreshText;
    if (LeadingNumber(r.FollowLock) > 60) r.FollowLock = "60";
}

}  // namespace vireo
