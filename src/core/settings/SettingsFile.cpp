#include "settings/SettingsFile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>
#include <vector>

#include "text/Text.h"

namespace vireo {
namespace {

constexpr std::size_t kFieldCount = 29;

// A real settings line is a few hundred bytes; anything past this is not read, so a huge file
// put in its place cannot exhaust memory. Only the first 29 fields matter anyway.
constexpr std::size_t kMaxFileBytes = std::size_t{1} << 20;

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

// Reads the file as bytes, at most kMaxFileBytes of it. Nothing when it cannot be opened or read.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string content;
    std::array<char, 4096> buf{};
    while (content.size() < kMaxFileBytes) {
        const std::size_t want = std::min(buf.size(), kMaxFileBytes - content.size());
        in.read(buf.data(), static_cast<std::streamsize>(want));
        const std::streamsize got = in.gcount();
        if (got > 0) content.append(buf.data(), static_cast<std::size_t>(got));
        if (!in) break;
    }
    if (in.bad()) return std::nullopt;
    return content;
}

}  // namespace

SettingsRecord DefaultSettings(std::string iconsFolder) {
    SettingsRecord record;
    record.IconsFolder = std::move(iconsFolder);
    return record;
}

std::string FormatSettingsLine(const SettingsRecord& r) {
    std::string out;
    out.reserve(256 + r.IconsFolder.size() + r.AgwAddress.size() + r.StyleFile.size());
    AppendText(out, r.AgwAddress);
    AppendText(out, r.AgwPort);
    AppendWhole(out, r.RefreshMs);
    AppendText(out, r.StationTimeout);
    AppendText(out, r.TrackTimeout);
    AppendReal(out, r.WindowLeft);
    AppendReal(out, r.WindowTop);
    AppendReal(out, r.WindowWidth);
    AppendReal(out, r.WindowHeight);
    AppendBool(out, r.AutoConnect);
    AppendBool(out, r.ShowTracks);
    AppendBool(out, r.UseAltitude);
    AppendText(out, r.StyleFile);
    AppendBool(out, r.AutoIcon);
    AppendText(out, r.ViewRange);
    AppendText(out, r.ViewTilt);
    AppendText(out, r.ViewHeading);
    AppendBool(out, r.HeadingFromStation);
    AppendText(out, r.FollowLock);
    AppendBool(out, r.FollowLinks);
    AppendText(out, r.IconsFolder);
    AppendText(out, r.FollowedCall);
    AppendText(out, r.HomeLat);
    AppendText(out, r.HomeLon);
    AppendBool(out, r.MoveBeep);
    AppendBool(out, r.RangeProportional);
    AppendText(out, r.MinRange);
    AppendText(out, r.MaxRange);
    AppendBool(out, r.TracksAllocated);
    out.back() = '\r';  // the last field's comma becomes the line end
    out += '\n';
    return out;
}

std::optional<SettingsRecord> ParseSettingsText(std::string_view text) {
    const std::vector<Field> fields = SplitFields(text, kFieldCount);
    if (fields.size() < kFieldCount) return std::nullopt;

    std::size_t next = 0;
    bool ok = true;
    auto str = [&](std::string& target) { target = std::string(fields[next++].content); };
    auto whole = [&](std::int32_t& target) {
        const auto value = ParseWhole(fields[next++].content);
        if (value) {
            target = *value;
        } else {
            ok = false;
        }
    };
    auto real = [&](float& target) {
        std::int32_t value = 0;
        whole(value);
        target = static_cast<float>(value);
    };
    // A Boolean is the bare literal; a quoted "#TRUE#" is a text, not a Boolean.
    auto boolean = [&](bool& target) {
        const Field& f = fields[next++];
        if (!f.quoted && f.content == "#TRUE#") {
            target = true;
        } else if (!f.quoted && f.content == "#FALSE#") {
            target = false;
        } else {
            ok = false;
        }
    };

    SettingsRecord r;
    str(r.AgwAddress);
    str(r.AgwPort);
    whole(r.RefreshMs);
    str(r.StationTimeout);
    str(r.TrackTimeout);
    real(r.WindowLeft);
    real(r.WindowTop);
    real(r.WindowWidth);
    real(r.WindowHeight);
    boolean(r.AutoConnect);
    boolean(r.ShowTracks);
    boolean(r.UseAltitude);
    str(r.StyleFile);
    boolean(r.AutoIcon);
    str(r.ViewRange);
    str(r.ViewTilt);
    str(r.ViewHeading);
    boolean(r.HeadingFromStation);
    str(r.FollowLock);
    boolean(r.FollowLinks);
    str(r.IconsFolder);
    str(r.FollowedCall);
    str(r.HomeLat);
    str(r.HomeLon);
    boolean(r.MoveBeep);
    boolean(r.RangeProportional);
    str(r.MinRange);
    str(r.MaxRange);
    boolean(r.TracksAllocated);
    if (!ok) return std::nullopt;
    return r;
}

LoadedSettings LoadSettingsFile(const std::string& path, const std::string& defaultIconsFolder) {
    const std::filesystem::path file(path);
    LoadedSettings loaded;

    const std::optional<std::string> content = ReadFileBytes(file);
    if (content) {
        if (auto record = ParseSettingsText(*content)) {
            loaded.record = std::move(*record);
            loaded.origin = SettingsOrigin::File;
            return loaded;
        }
    }

    std::error_code ec;
    const bool missing = !content && !std::filesystem::exists(file, ec) && !ec;
    loaded.record = DefaultSettings(defaultIconsFolder);
    loaded.origin = missing ? SettingsOrigin::CreatedDefaults : SettingsOrigin::ReplacedDamaged;
    if (!SaveSettingsFile(path, loaded.record)) {
        loaded.defaultsWriteFailed = true;
        return loaded;
    }
    if (missing) {
        // Read the new file back, so the run starts from exactly what is on disk.
        if (const auto written = ReadFileBytes(file)) {
            if (auto record = ParseSettingsText(*written)) loaded.record = std::move(*record);
        }
    }
    return loaded;
}

bool SaveSettingsFile(const std::string& path, const SettingsRecord& record) {
    const std::filesystem::path file(path);
    std::filesystem::path temp = file;
    temp += ".tmp";
    const std::string line = FormatSettingsLine(record);

    std::error_code ec;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(line.data(), static_cast<std::streamsize>(line.size()));
        out.close();
        if (!out) {
            std::filesystem::remove(temp, ec);
            return false;
        }
    }
    // Replacing by rename means the old file stays whole until the new one is complete.
    std::filesystem::rename(temp, file, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        return false;
    }
    return true;
}

}  // namespace vireo
