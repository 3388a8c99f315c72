#include "stations/StationFiles.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <limits>

namespace vireo {
namespace {

constexpr std::size_t kPointFixedBytes = 18;  // Lon, Lat, Alt length, Time
constexpr std::size_t kSlotHeaderBytes = 10;  // dimension count, point count, lower bound

void PutU16(std::string& out, std::uint16_t v) {
    out += static_cast<char>(v & 0xff);
    out += static_cast<char>(v >> 8);
}

void PutU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xff);
}

void PutU64(std::string& out, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) out += static_cast<char>((v >> (8 * i)) & 0xff);
}

// Reads little-endian values from a byte string; every read checks what is left first.
class ByteReader {
  public:
    explicit ByteReader(std::string_view data) : data_(data) {}

    std::size_t Left() const { return data_.size() - pos_; }

    std::uint64_t Unsigned(std::size_t bytes) {
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < bytes; ++i) {
            v |= std::uint64_t{static_cast<unsigned char>(data_[pos_ + i])} << (8 * i);
        }
        pos_ += bytes;
        return v;
    }
    std::string Text(std::size_t bytes) {
        std::string s(data_.substr(pos_, bytes));
        pos_ += bytes;
        return s;
    }

  private:
    std::string_view data_;
    std::size_t pos_ = 0;
};

// One slot record; nothing when it runs past the end or is not a record at all.
std::optional<Track> ReadSlot(ByteReader& in) {
    if (in.Left() < 2) return std::nullopt;
    const auto dims = in.Unsigned(2);
    if (dims == 0) return Track{};
    if (dims != 1 || in.Left() < kSlotHeaderBytes - 2) return std::nullopt;
    const auto count = in.Unsigned(4);
    in.Unsigned(4);  // lower bound: the points are kept in array order whatever it is
    // A count that the remaining bytes cannot hold is damage, not a reason to allocate.
    if (count > in.Left() / kPointFixedBytes) return std::nullopt;
    Track track;
    track.reserve(static_cast<std::size_t>(count));
    for (std::uint64_t i = 0; i < count; ++i) {
        if (in.Left() < kPointFixedBytes) return std::nullopt;
        TrackPoint p;
        p.lon = std::bit_cast<float>(static_cast<std::uint32_t>(in.Unsigned(4)));
        p.lat = std::bit_cast<float>(static_cast<std::uint32_t>(in.Unsigned(4)));
        const auto altLength = static_cast<std::size_t>(in.Unsigned(2));
        if (in.Left() < altLength + 8) return std::nullopt;
        p.alt = in.Text(altLength);
        p.time = std::bit_cast<double>(in.Unsigned(8));
        track.push_back(std::move(p));
    }
    return track;
}

// One line of "Positions.ini": a quoted text, a comma and a whole number, blanks allowed around
// the comma and the number.
bool ParseIniLine(std::string_view line, StationEntry& entry) {
    auto skipBlanks = [&line] {
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
    };
    skipBlanks();
    if (line.empty() || line.front() != '"') return false;
    line.remove_prefix(1);
    const std::size_t close = line.find('"');
    if (close == std::string_view::npos) return false;
    entry.text = std::string(line.substr(0, close));
    line.remove_prefix(close + 1);
    skipBlanks();
    if (line.empty() || line.front() != ',') return false;
    line.remove_prefix(1);
    skipBlanks();
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    std::int32_t slot = 0;
    const auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), slot);
    if (line.empty() || ec != std::errc() || end != line.data() + line.size()) return false;
    entry.slot = slot;
    return true;
}

}  // namespace

std::string FormatPositionsIni(const std::vector<StationEntry>& entries) {
    std::string out;
    out.reserve(entries.size() * (kStationLineLength + 8));
    for (const StationEntry& e : entries) {
        out += '"';
        // The form has no escape, and a line ends the record: characters that would break the
        // record are written as blanks, keeping the line's columns.
        for (char c : e.text) out += (c == '"' || c == '\r' || c == '\n') ? ' ' : c;
        out += "\",";
        std::array<char, 16> buf{};
        const auto result = std::to_chars(buf.data(), buf.data() + buf.size(), e.slot);
        out.append(buf.data(), result.ptr);
        out += "\r\n";
    }
    return out;
}

std::string FormatPositionsDat(const std::vector<Track>& tracks) {
    std::string out;
    for (const Track& track : tracks) {
        if (track.empty()) {
            PutU16(out, 0);
            continue;
        }
        PutU16(out, 1);
        PutU32(out, static_cast<std::uint32_t>(track.size()));
        PutU32(out, 0);
        for (const TrackPoint& p : track) {
            PutU32(out, std::bit_cast<std::uint32_t>(p.lon));
            PutU32(out, std::bit_cast<std::uint32_t>(p.lat));
            const std::size_t length =
                std::min<std::size_t>(p.alt.size(), std::numeric_limits<std::uint16_t>::max());
            PutU16(out, static_cast<std::uint16_t>(length));
            out.append(p.alt, 0, length);
            PutU64(out, std::bit_cast<std::uint64_t>(p.time));
        }
    }
    return out;
}

StationFilesContent ParseStationFiles(std::string_view ini, std::string_view dat) {
    StationFilesContent content;
    std::int32_t highest = 0;
    while (!ini.empty()) {
        const std::size_t end = ini.find('\n');
        std::string_view line = ini.substr(0, end);
        ini.remove_prefix(end == std::string_view::npos ? ini.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        StationEntry entry;
        if (!ParseIniLine(line, entry)) continue;
        highest = std::max(highest, entry.slot);
        content.entries.push_back(std::move(entry));
    }

    ByteReader in(dat);
    const auto wanted = static_cast<std::size_t>(highest) + 1;
    // Every record takes at least two bytes, so the data bounds the slots as well.
    content.tracks.reserve(std::min(wanted, dat.size() / 2));
    while (content.tracks.size() < wanted) {
        auto track = ReadSlot(in);
        if (!track) break;
        content.tracks.push_back(std::move(*track));
    }
    return content;
}

}  // namespace vireo
