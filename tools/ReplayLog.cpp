#include "ReplayLog.h"

#include <algorithm>
#include <charconv>
#include <chrono>

#include "agwpe/AgwFrame.h"
#include "aprs/Tnc2Text.h"

namespace vireo::replay {

namespace {

// AX.25 carries at most 256 bytes of information; a TNC hears nothing longer.
constexpr std::size_t kMaxInfo = 256;
// A call with SSID ("IZ0ABC-15") has at most 9 characters.
constexpr std::size_t kMaxCall = 9;
// Requests carry little or no data; anything claiming more is not an AGWPE client.
constexpr std::size_t kMaxRequestData = 65535;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

// The whole number made of exactly `count` digits at `at`, or -1.
int Digits(std::string_view s, std::size_t at, std::size_t count) {
    if (at + count > s.size()) return -1;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (s[i] < '0' || s[i] > '9') return -1;
        value = value * 10 + (s[i] - '0');
    }
    return value;
}

// "[.fraction]" at the head of `s`: its value, and `s` advanced past it.
double Fraction(std::string_view& s) {
    if (s.empty() || s.front() != '.') return 0;
    std::size_t end = 1;
    double value = 0, weight = 0.1;
    for (; end < s.size() && s[end] >= '0' && s[end] <= '9'; ++end, weight /= 10) {
        value += (s[end] - '0') * weight;
    }
    s.remove_prefix(end);
    return value;
}

std::optional<double> ParseUnixSeconds(std::string_view s) {
    long long whole = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), whole);
    if (error != std::errc{} || end == s.data() || whole < 0) return std::nullopt;
    s.remove_prefix(static_cast<std::size_t>(end - s.data()));
    const double fraction = Fraction(s);
    if (!s.empty()) return std::nullopt;
    return static_cast<double>(whole) + fraction;
}

// YYYY-MM-DD(T| )hh:mm[:ss[.f]][Z|+hh:mm|-hh:mm|+hhmm|-hhmm]
std::optional<double> ParseIso8601(std::string_view s) {
    using namespace std::chrono;
    const int y = Digits(s, 0, 4), mo = Digits(s, 5, 2), d = Digits(s, 8, 2);
    if (y < 0 || mo < 0 || d < 0 || s[4] != '-' || s[7] != '-' || s.size() < 16 ||
        (s[10] != 'T' && s[10] != ' ')) {
        return std::nullopt;
    }
    const year_month_day date{year{y}, month{static_cast<unsigned>(mo)},
                              day{static_cast<unsigned>(d)}};
    const int h = Digits(s, 11, 2), mi = Digits(s, 14, 2);
    if (!date.ok() || h < 0 || h > 23 || mi < 0 || mi > 59 || s[13] != ':') return std::nullopt;
    s.remove_prefix(16);
    int sec = 0;
    double fraction = 0;
    if (!s.empty() && s.front() == ':') {
        sec = Digits(s, 1, 2);
        if (sec < 0 || sec > 60) return std::nullopt;
        s.remove_prefix(3);
        fraction = Fraction(s);
    }
    int offsetMinutes = 0;
    if (s == "Z") {
        s = {};
    } else if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        const int sign = s.front() == '+' ? 1 : -1;
        const std::size_t mAt = s.size() == 6 && s[3] == ':' ? 4 : 3;
        const int oh = Digits(s, 1, 2), om = Digits(s, mAt, 2);
        if (oh < 0 || om < 0 || s.size() != mAt + 2) return std::nullopt;
        offsetMinutes = sign * (oh * 60 + om);
        s = {};
    }
    if (!s.empty()) return std::nullopt;
    const auto days = sys_days{date}.time_since_epoch().count();
    return static_cast<double>(days) * 86400.0 + h * 3600 + mi * 60 + sec - offsetMinutes * 60 +
           fraction;
}

bool IsDate(std::string_view s) {
    return s.size() == 10 && Digits(s, 0, 4) >= 0 && s[4] == '-' && Digits(s, 5, 2) >= 0 &&
           s[7] == '-' && Digits(s, 8, 2) >= 0;
}

}  // namespace

std::optional<double> ParseTimeStamp(std::string_view text) {
    if (text.find('-', 1) != std::string_view::npos) return ParseIso8601(text);
    return ParseUnixSeconds(text);
}

std::string Tnc2Problem(std::string_view tnc2) {
    const auto colon = tnc2.find(':');
    const auto gt = tnc2.substr(0, colon).find('>');
    if (colon == std::string_view::npos || gt == std::string_view::npos) {
        return "not a packet in TNC2 form (SRC>DEST,PATH:info)";
    }
    const std::string_view addresses = tnc2.substr(0, colon);
    if (std::any_of(addresses.begin(), addresses.end(),
                    [](char c) { return c <= ' ' || c >= 0x7f; })) {
        return "blank or control character among the addresses";
    }
    const std::string_view source = addresses.substr(0, gt);
    const std::string_view destination = addresses.substr(gt + 1, addresses.find(',') - gt - 1);
    if (source.empty() || destination.empty()) return "empty source or destination call";
    if (source.size() > kMaxCall || destination.size() > kMaxCall) {
        return "call longer than 9 characters";
    }
    const std::string_view info = tnc2.substr(colon + 1);
    if (info.find('\r') != std::string_view::npos) return "carriage return inside the packet";
    if (info.size() > kMaxInfo) return "information field longer than 256 characters";
    return {};
}

ReplayLog ParseReplayLog(std::string_view text) {
    ReplayLog log;
    int lineNumber = 0;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // byte order mark
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        line = TrimLeft(line);
        if (line.empty() || line.front() == '#') continue;

        LogPacket packet{lineNumber, std::nullopt, {}};
        auto blank = std::find_if(line.begin(), line.end(), IsBlank) - line.begin();
        std::string_view first = line.substr(0, static_cast<std::size_t>(blank));
        if (first.find('>') == std::string_view::npos) {
            // A time stamp, its date and time perhaps apart.
            std::string_view rest = TrimLeft(line.substr(first.size()));
            std::string joined(first);
            if (IsDate(first)) {
                const auto timeEnd = std::find_if(rest.begin(), rest.end(), IsBlank) - rest.begin();
                joined += ' ';
                joined += rest.substr(0, static_cast<std::size_t>(timeEnd));
                rest = TrimLeft(rest.substr(static_cast<std::size_t>(timeEnd)));
            }
            packet.stamp = ParseTimeStamp(joined);
            if (!packet.stamp) {
                log.errors.push_back(
                    {lineNumber, "\"" + joined + "\" is neither a packet nor a time stamp"});
                continue;
            }
            line = rest;
        }
        if (std::string problem = Tnc2Problem(line); !problem.empty()) {
            log.errors.push_back({lineNumber, std::move(problem)});
            continue;
        }
        packet.tnc2 = std::string(line);
        log.packets.push_back(std::move(packet));
    }
    return log;
}

std::vector<double> PlaySchedule(const std::vector<LogPacket>& packets, double speed) {
    std::vector<double> at;
    at.reserve(packets.size());
    double now = 0;
    for (std::size_t i = 0; i < packets.size(); ++i) {
        if (i > 0) {
            const auto& before = packets[i - 1].stamp;
            const auto& stamp = packets[i].stamp;
            now += (before && stamp ? std::max(0.0, *stamp - *before) : kDefaultGapSeconds) / speed;
        }
        at.push_back(now);
    }
    return at;
}

std::string MonitorFrame(std::string_view tnc2, std::string_view time) {
    const auto gt = tnc2.find('>');
    const auto toEnd = tnc2.find_first_of(",:", gt);
    std::string text = Tnc2ToMonitorText(tnc2, time).value_or(std::string{});
    text += '\0';
    return MakeAgwFrame('U', text, tnc2.substr(0, gt), tnc2.substr(gt + 1, toEnd - gt - 1));
}

std::string VersionFrame(int major, int minor) {
    std::string data(8, '\0');
    data[0] = static_cast<char>(major & 0xff);
    data[1] = static_cast<char>((major >> 8) & 0xff);
    data[4] = static_cast<char>(minor & 0xff);
    data[5] = static_cast<char>((minor >> 8) & 0xff);
    return MakeAgwFrame('R', data);
}

std::size_t CompleteRequestSize(std::string_view bytes) {
    if (bytes.size() < kAgwHeaderSize) return 0;
    std::size_t length = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        length |= static_cast<std::size_t>(static_cast<unsigned char>(bytes[28 + i])) << (8 * i);
    }
    if (length > kMaxRequestData) return kBadRequest;
    const std::size_t size = kAgwHeaderSize + length;
    return bytes.size() >= size ? size : 0;
}

}  // namespace vireo::replay
