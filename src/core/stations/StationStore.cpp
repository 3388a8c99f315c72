#include "stations/StationStore.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <unordered_set>
#include <utility>

namespace vireo {
namespace {

constexpr double kDegToRad = 0.017453292519943278;
constexpr double kEarthRadius = 6378000.0;
constexpr double kMsPerDay = 86400000.0;
constexpr double kMinDate = -657434.0;     // 1 January 100
constexpr double kMaxDateEnd = 2958466.0;  // 1 January 10000

// `s` cut or blank-padded to exactly `n` characters.
std::string Fit(std::string_view s, std::size_t n) {
    std::string out(s.substr(0, n));
    out.resize(n, ' ');
    return out;
}

void AppendFit(std::string& out, std::string_view s, std::size_t n) {
    const std::size_t take = std::min(s.size(), n);
    out.append(s.data(), take);
    out.append(n - take, ' ');
}

std::string_view SubOrEmpty(std::string_view s, std::size_t offset, std::size_t length) {
    if (offset >= s.size()) return {};
    return s.substr(offset, length);
}

// The course and speed as the line shows them: "ccc/sss". A speed of four or more digits would
// push the icon code out of its columns, so it is shown as 999, the most the column can hold.
void AppendCourseSpeed(std::string& out, std::string_view cs) {
    if (cs.size() > kCourseSpeedField.length && cs[3] == '/') {
        AppendFit(out, cs.substr(0, 4), 4);
        out += "999";
    } else {
        AppendFit(out, cs, kCourseSpeedField.length);
    }
}

// A decimal number of a fixed-width field in which every blank stands for a 0 digit: "03.  "
// reads as 3.00, " 3.50" as 3.50. Reading stops at the first character that cannot continue
// the number; a field without digits reads as 0.
double ReadPlaceValues(std::string_view field) {
    double whole = 0;
    double fraction = 0;
    double scale = 1;
    bool point = false;
    for (char c : field) {
        if (c == ' ') c = '0';
        if (c >= '0' && c <= '9') {
            if (point) {
                scale /= 10;
                fraction += (c - '0') * scale;
            } else {
                whole = whole * 10 + (c - '0');
            }
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    return whole + fraction;
}

// Floor division for minute arithmetic on negative values too.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

std::int64_t MinuteOfDate(int year, int month, int day, int hour, int minute) {
    const auto days = static_cast<std::int64_t>(std::floor(ToOleDate({year, month, day})));
    return days * 1440 + hour * 60 + minute;
}

std::int64_t MinuteOf(const LocalDateTime& t) {
    return MinuteOfDate(t.year, t.month, t.day, t.hour, t.minute);
}

// The whole minute of an OLE date, cut as the clock shows it (to the millisecond first).
std::int64_t MinuteOf(double date) {
    if (!(date >= kMinDate)) date = kMinDate;
    if (date >= kMaxDateEnd) date = kMaxDateEnd;
    return FloorDiv(std::llround(date * kMsPerDay), 60000);
}

bool ValidPoint(const TrackPoint& p) {
    return std::isfinite(p.lon) && std::isfinite(p.lat) && p.time >= kMinDate &&
           p.time < kMaxDateEnd;
}

int TwoDigits(std::string_view s, std::size_t at) {
    const char a = s[at];
    const char b = s[at + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9') return -1;
    return (a - '0') * 10 + (b - '0');
}

struct StampFields {
    int day, month, year2, hour, minute;
};

std::optional<StampFields> ReadStamp(std::string_view s) {
    if (s.size() < kStampField.length || s[2] != '/' || s[5] != '/' || s[8] != ' ' ||
        s[11] != ':') {
        return std::nullopt;
    }
    const StampFields f{TwoDigits(s, 0), TwoDigits(s, 3), TwoDigits(s, 6), TwoDigits(s, 9),
                        TwoDigits(s, 12)};
    if (f.day < 1 || f.day > 31 || f.month < 1 || f.month > 12 || f.year2 < 0 || f.hour < 0 ||
        f.hour > 23 || f.minute < 0 || f.minute > 59) {
        return std::nullopt;
    }
    return f;
}

std::string CallOf(std::string_view text) {
    return Fit(kCallField.Of(text), kCallField.length);
}

// The followed call as a 9-character field, or empty when none is followed.
std::string FollowedField(const std::string& followed) {
    return followed.empty() ? std::string() : Fit(followed, kCallField.length);
}

}  // namespace

float Distance(float lat1, float lon1, float lat2, float lon2) {
    const double la1 = lat1 * kDegToRad;
    const double lo1 = lon1 * kDegToRad;
    const double la2 = lat2 * kDegToRad;
    const double lo2 = lon2 * kDegToRad;
    const double x = std::cos(la1) * std::cos(lo1) * std::cos(la2) * std::cos(lo2) +
                     std::sin(lo1) * std::cos(la1) * std::cos(la2) * std::sin(lo2) +
                     std::sin(la2) * std::sin(la1);
    double a = 0;
    // Rounding can carry the cosine just past 1 or -1, where arccos has no value: those count
    // as the same point and as antipodes. A NaN (from infinite input) counts as no distance.
    if (std::isnan(x) || x >= 1.0) {
        a = 0;
    } else if (x <= -1.0) {
        a = 4 * std::atan(1.0);
    } else {
        a = std::atan(-x / std::sqrt(1 - x * x)) + 2 * std::atan(1.0);
    }
    return static_cast<float>(a * kEarthRadius);
}

float ReadLatitude(std::string_view text) {
    const double value =
        ReadPlaceValues(SubOrEmpty(text, 0, 2)) + ReadPlaceValues(SubOrEmpty(text, 2, 5)) / 60;
    const bool north = text.size() > 7 && text[7] == 'N';
    return static_cast<float>(north ? value : -value);
}

float ReadLongitude(std::string_view text) {
    const double value =
        ReadPlaceValues(SubOrEmpty(text, 0, 3)) + ReadPlaceValues(SubOrEmpty(text, 3, 5)) / 60;
    const bool east = text.size() > 8 && text[8] == 'E';
    return static_cast<float>(east ? value : -value);
}

std::string FormatStamp(const LocalDateTime& t) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%02d %02d:%02d", t.day % 100, t.month % 100,
                  ((t.year % 100) + 100) % 100, t.hour % 100, t.minute % 100);
    return buf;
}

std::optional<std::int64_t> StampMinute(std::string_view stamp, const LocalDateTime& now) {
    const auto f = ReadStamp(stamp);
    if (!f) return std::nullopt;
    // The stamp holds dates of the present: take the century that puts it nearest to now.
    int year = now.year - ((now.year % 100) + 100) % 100 + f->year2;
    if (year > now.year + 50) year -= 100;
    if (year < now.year - 50) year += 100;
    return MinuteOfDate(year, f->month, f->day, f->hour, f->minute);
}

UpdateOutcome StationStore::UpdateStation(const PositionReport& report,
                                          const SettingsRecord& settings,
                                          const DerivedSettings& derived,
                                          const LocalDateTime& now) {
    UpdateOutcome outcome;
    const std::string call = Fit(report.Call, kCallField.length);
    const std::string followed = FollowedField(settings.FollowedCall);
    const bool isFollowed = !followed.empty() && call == followed;

    // The line without its code: stamp, two blanks, call, follow mark, blank, latitude, blank,
    // longitude, blank, course and speed.
    auto fill = [&](std::string& text) {
        text.clear();
        text += FormatStamp(now);
        text += "  ";
        text += call;
        text += isFollowed ? "* " : "  ";
        const std::string_view position = report.Position;
        AppendFit(text, SubOrEmpty(position, 0, kLatitudeField.length), kLatitudeField.length);
        text += ' ';
        AppendFit(text, SubOrEmpty(position, 9, kLongitudeField.length), kLongitudeField.length);
        text += ' ';
        AppendCourseSpeed(text, report.CourseSpeed);
        text += ' ';
    };

    Lines::iterator line;
    const auto found = byCall_.find(call);
    if (found != byCall_.end()) {
        // Take the line out and put it back at the bottom, keeping its slot. The node is reused,
        // so a refresh allocates nothing for the line.
        auto node = lines_.extract(found->second);
        std::string& text = node.mapped().text;
        const std::string code = settings.AutoIcon ? Fit(report.IconCode, kIconCodeField.length)
                                                   : Fit(kIconCodeField.Of(text), 2);
        fill(text);
        text += code;
        node.key() = nextSeq_++;
        found->second = node.key();
        line = lines_.insert(lines_.end(), std::move(node));
        const std::int32_t slot = line->second.slot;
        if (slot >= 0 && static_cast<std::size_t>(slot) < slotOwner_.size()) {
            slotOwner_[static_cast<std::size_t>(slot)] = line->first;
        }
    } else {
        StationEntry entry;
        fill(entry.text);
        entry.text += settings.AutoIcon ? Fit(report.IconCode, kIconCodeField.length) : "00";
        entry.slot = -1;
        const std::uint64_t seq = nextSeq_++;
        line = lines_.emplace_hint(lines_.end(), seq, std::move(entry));
        byCall_.emplace(call, seq);
        outcome.newStation = true;
    }
    outcome.lineIndex = lines_.size() - 1;
    UpdateTrack(line, report.Altitude, settings, derived, ToOleDate(now), outcome);
    ++version_;
    return outcome;
}

void StationStore::UpdateTrack(Lines::iterator line, const std::string& altitude,
                               const SettingsRecord& settings, const DerivedSettings& derived,
                               double now, UpdateOutcome& outcome) {
    StationEntry& entry = line->second;
    const float lat = ReadLatitude(kLatitudeField.Of(entry.text));
    const float lon = ReadLongitude(kLongitudeField.Of(entry.text));
    const std::string call = CallOf(entry.text);
    const std::string followed = FollowedField(settings.FollowedCall);
    const bool isFollowed = !followed.empty() && call == followed;
    if (isFollowed) {
        outcome.followedDistanceM = Distance(derived.homeLatDeg, derived.homeLonDeg, lat, lon);
        outcome.followedCall = call;
    }

    if (entry.slot < 0) {
        std::size_t slot = 0;
        if (!tracksAllocated_ || lines_.size() == 1) {
            // The first station of an empty list starts the array again at slot 0.
            tracks_.assign(1, Track{});
            slotOwner_.assign(1, line->first);
            marks_.assign(1, NewMark());
        } else {
            slot = tracks_.size();
            tracks_.emplace_back();
            slotOwner_.push_back(line->first);
            marks_.push_back(NewMark());
        }
        tracksAllocated_ = true;
        tracks_[slot].push_back(TrackPoint{lon, lat, altitude, now});
        entry.slot = static_cast<std::int32_t>(slot);
        outcome.pointAppended = true;
        outcome.restartFollowLock = isFollowed;
        return;
    }

    const auto slot = static_cast<std::size_t>(entry.slot);
    Track& track = tracks_[slot];
    TrackPoint& newest = track.back();
    if (newest.lon == lon && newest.lat == lat) {
        newest.time = now;  // the same position: only confirm it
        return;
    }
    const float d = Distance(newest.lat, newest.lon, lat, lon);
    if (d >= kJumpLimit) return;  // taken for a bad report: the track stays as it is
    if (track.size() >= kMaxTrackPoints) DropFront(slot, kMaxTrackPoints / 8);
    track.push_back(TrackPoint{lon, lat, altitude, now});
    outcome.pointAppended = true;
    if (!isFollowed || d <= kMoveThreshold) return;
    outcome.restartFollowLock = true;
    outcome.playMoveSound = true;
}

void StationStore::DropFront(std::size_t slot, std::size_t count) {
    Track& track = tracks_[slot];
    track.erase(track.begin(), track.begin() + static_cast<std::ptrdiff_t>(count));
    marks_[slot].dropped += count;
}

void StationStore::RemoveLine(Lines::iterator line) {
    const std::int32_t s = line->second.slot;
    byCall_.erase(CallOf(line->second.text));
    lines_.erase(line);
    // With the list empty the slots are left as they are: no line refers to them, and the next
    // station starts the array again at slot 0.
    if (lines_.empty() || s < 0 || static_cast<std::size_t>(s) >= tracks_.size()) return;
    const std::size_t freed = static_cast<std::size_t>(s);
    const std::size_t last = tracks_.size() - 1;
    if (freed != last) {
        // Keep the slots dense: the highest slot's track moves into the freed one.
        const std::uint64_t owner = slotOwner_[last];
        tracks_[freed] = std::move(tracks_[last]);
        marks_[freed] = marks_[last];
        slotOwner_[freed] = owner;
        const auto ownerLine = lines_.find(owner);
        if (ownerLine != lines_.end()) ownerLine->second.slot = s;
    }
    tracks_.pop_back();
    marks_.pop_back();
    slotOwner_.pop_back();
}

ExpiryOutcome StationStore::ExpireStations(const SettingsRecord& settings,
                                           const DerivedSettings& derived,
                                           const LocalDateTime& now) {
    ExpiryOutcome outcome;
    const std::int64_t nowMinute = MinuteOf(now);
    const std::string followed = FollowedField(settings.FollowedCall);
    auto isFollowed = [&](const StationEntry& e) {
        return !followed.empty() && CallOf(e.text) == followed;
    };

    // Station expiry, from the top where the oldest lines stand. The followed station stays.
    while (!lines_.empty()) {
        auto candidate = lines_.begin();
        if (isFollowed(candidate->second)) {
            if (lines_.size() == 1) break;
            ++candidate;
        }
        // A stamp that cannot be read cannot be kept up to date either: it goes.
        const auto stamp = StampMinute(kStampField.Of(candidate->second.text), now);
        if (stamp && nowMinute - *stamp <= derived.stationTimeoutMinutes) break;
        RemoveLine(candidate);
        outcome.changed = true;
    }

    for (auto& [seq, entry] : lines_) {
        const char mark = isFollowed(entry) ? '*' : ' ';
        char& column = entry.text[kFollowMarkField.offset];
        if (column != mark) {
            column = mark;
            outcome.changed = true;
        }
    }

    if (lines_.empty()) {
        tracksAllocated_ = false;
        outcome.empty = true;
        if (outcome.changed) ++version_;
        return outcome;
    }

    // Track expiry: cut every point older than TrackTimeout minutes, but never the newest.
    for (std::size_t slot = 0; slot < tracks_.size(); ++slot) {
        const Track& track = tracks_[slot];
        if (track.size() < 2) continue;
        const std::size_t n = track.size() - 1;
        std::size_t k = n + 1;  // none found
        for (std::size_t j = n + 1; j-- > 0;) {
            if (nowMinute - MinuteOf(track[j].time) > derived.trackTimeoutMinutes) {
                k = j;
                break;
            }
        }
        if (k > n) continue;
        if (k == n) k = n - 1;
        DropFront(slot, k + 1);
        outcome.changed = true;
    }
    if (outcome.changed) ++version_;
    return outcome;
}

std::size_t StationStore::Restore(std::vector<StationEntry> entries, std::vector<Track> tracks) {
    const bool allocated = tracksAllocated_;
    Clear();

    // Decide from the bottom up, so that of two lines with the same call or slot the later one,
    // the more recent report, is kept.
    std::vector<bool> keep(entries.size(), false);
    std::unordered_set<std::string> calls;
    std::vector<bool> slotTaken(tracks.size(), false);
    std::vector<bool> slotChecked(tracks.size(), false);
    std::vector<bool> slotValid(tracks.size(), false);
    bool markSeen = false;
    for (std::size_t i = entries.size(); i-- > 0;) {
        StationEntry& e = entries[i];
        if (e.text.size() != kStationLineLength || !ReadStamp(e.text) ||
            e.text.find_first_of("\"\r\n") != std::string::npos) {
            continue;
        }
        if (e.slot < 0 || static_cast<std::size_t>(e.slot) >= tracks.size()) continue;
        const auto slot = static_cast<std::size_t>(e.slot);
        if (slotTaken[slot]) continue;
        if (!slotChecked[slot]) {
            slotChecked[slot] = true;
            const Track& t = tracks[slot];
            slotValid[slot] = !t.empty() && std::all_of(t.begin(), t.end(), ValidPoint);
        }
        if (!slotValid[slot] || !calls.insert(CallOf(e.text)).second) continue;
        slotTaken[slot] = true;
        keep[i] = true;
        // At most one follow mark survives; the next expiry run puts it where it belongs.
        char& mark = e.text[kFollowMarkField.offset];
        if (mark != '*' || markSeen) mark = ' ';
        if (mark == '*') markSeen = true;
    }

    // Renumber the kept slots densely, in their saved order.
    std::vector<std::int32_t> renumbered(tracks.size(), -1);
    for (std::size_t s = 0; s < tracks.size(); ++s) {
        if (slotTaken[s]) {
            renumbered[s] = static_cast<std::int32_t>(tracks_.size());
            tracks_.push_back(std::move(tracks[s]));
            marks_.push_back(NewMark());
            Track& t = tracks_.back();
            if (t.size() > kMaxTrackPoints) t.erase(t.begin(), t.end() - kMaxTrackPoints);
        }
    }
    slotOwner_.assign(tracks_.size(), 0);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!keep[i]) continue;
        StationEntry& e = entries[i];
        e.slot = renumbered[static_cast<std::size_t>(e.slot)];
        const std::uint64_t seq = nextSeq_++;
        slotOwner_[static_cast<std::size_t>(e.slot)] = seq;
        byCall_.emplace(CallOf(e.text), seq);
        lines_.emplace_hint(lines_.end(), seq, std::move(e));
    }
    tracksAllocated_ = lines_.empty() ? allocated : true;
    ++version_;
    return entries.size() - lines_.size();
}

void StationStore::Clear() {
    lines_.clear();
    byCall_.clear();
    slotOwner_.clear();
    tracks_.clear();
    marks_.clear();
    tracksAllocated_ = false;
    ++version_;
}

bool StationStore::CutTrack(std::string_view call) {
    const auto found = byCall_.find(Fit(call, kCallField.length));
    if (found == byCall_.end()) return false;
    const StationEntry& entry = lines_.at(found->second);
    if (entry.slot < 0 || static_cast<std::size_t>(entry.slot) >= tracks_.size()) return false;
    const auto slot = static_cast<std::size_t>(entry.slot);
    if (tracks_[slot].size() > 1) DropFront(slot, tracks_[slot].size() - 1);
    ++version_;
    return true;
}

ExpiryOutcome StationStore::CutAllTracks(const SettingsRecord& settings,
                                         const DerivedSettings& derived, const LocalDateTime& now) {
    DerivedSettings noTrackTime = derived;
    noTrackTime.trackTimeoutMinutes = 0;
    return ExpireStations(settings, noTrackTime, now);
}

bool StationStore::SetIconCode(std::string_view call, std::string_view code) {
    const auto found = byCall_.find(Fit(call, kCallField.length));
    if (found == byCall_.end()) return false;
    lines_.at(found->second)
        .text.replace(kIconCodeField.offset, kIconCodeField.length,
                      Fit(code, kIconCodeField.length));
    ++version_;
    return true;
}

void StationStore::SetTracksAllocated(bool value) {
    tracksAllocated_ = value || !lines_.empty();
}

const Track& StationStore::TrackOf(const StationEntry& entry) const {
    static const Track kNone;
    if (entry.slot < 0 || static_cast<std::size_t>(entry.slot) >= tracks_.size()) return kNone;
    return tracks_[static_cast<std::size_t>(entry.slot)];
}

TrackMark StationStore::MarkOf(std::int32_t slot) const {
    if (slot < 0 || static_cast<std::size_t>(slot) >= marks_.size()) return {};
    return marks_[static_cast<std::size_t>(slot)];
}

const StationEntry* StationStore::LineAt(std::size_t index) const {
    if (index >= lines_.size()) return nullptr;
    return &std::next(lines_.begin(), static_cast<std::ptrdiff_t>(index))->second;
}

long StationStore::IndexOfCall(std::string_view call) const {
    const auto found = byCall_.find(Fit(call, kCallField.length));
    if (found == byCall_.end()) return -1;
    return static_cast<long>(std::distance(lines_.begin(), lines_.find(found->second)));
}

const StationEntry* StationStore::FindCall(std::string_view call) const {
    const auto found = byCall_.find(Fit(call, kCallField.length));
    if (found == byCall_.end()) return nullptr;
    const auto line = lines_.find(found->second);
    return line == lines_.end() ? nullptr : &line->second;
}

const Track* StationStore::TrackOfCall(std::string_view call) const {
    const StationEntry* entry = FindCall(call);
    return entry ? &TrackOf(*entry) : nullptr;
}

std::vector<StationEntry> StationStore::Entries() const {
    std::vector<StationEntry> out;
    out.reserve(lines_.size());
    for (const auto& [seq, entry] : lines_) out.push_back(entry);
    return out;
}

bool StationStore::CheckInvariants(std::string* why,
                                   std::optional<std::string_view> followedCall) const {
    auto fail = [&](std::string message) {
        if (why) *why = std::move(message);
        return false;
    };
    if (byCall_.size() != lines_.size()) return fail("call index and lines differ in number");
    if (lines_.empty()) return true;
    if (!tracksAllocated_) return fail("lines exist while TracksAllocated is false");
    if (tracks_.size() != lines_.size() || slotOwner_.size() != tracks_.size() ||
        marks_.size() != tracks_.size()) {
        return fail("there are " + std::to_string(tracks_.size()) + " slots for " +
                    std::to_string(lines_.size()) + " lines");
    }
    const std::string followed =
        followedCall && !followedCall->empty() ? Fit(*followedCall, kCallField.length) : "";
    std::vector<bool> seen(tracks_.size(), false);
    std::size_t marks = 0;
    std::size_t index = 0;
    for (const auto& [seq, entry] : lines_) {
        const std::string where = "line " + std::to_string(index++) + ": ";
        if (entry.text.size() != kStationLineLength) return fail(where + "not 56 characters");
        const std::string call = CallOf(entry.text);
        const auto indexed = byCall_.find(call);
        if (indexed == byCall_.end() || indexed->second != seq) {
            return fail(where + "call not indexed to this line (repeated call?)");
        }
        if (entry.slot < 0 || static_cast<std::size_t>(entry.slot) >= tracks_.size()) {
            return fail(where + "slot " + std::to_string(entry.slot) + " out of range");
        }
        const auto slot = static_cast<std::size_t>(entry.slot);
        if (seen[slot]) return fail(where + "slot " + std::to_string(slot) + " shared");
        seen[slot] = true;
        if (slotOwner_[slot] != seq) return fail(where + "slot owner not this line");
        if (tracks_[slot].empty()) return fail(where + "empty track");
        const char mark = entry.text[kFollowMarkField.offset];
        if (mark != ' ' && mark != '*') return fail(where + "follow mark is neither * nor blank");
        if (mark == '*') ++marks;
        if (followedCall && (mark == '*') != (!followed.empty() && call == followed)) {
            return fail(where + "follow mark does not match the followed call");
        }
    }
    if (marks > 1) return fail("more than one follow mark");
    return true;
}

}  // namespace vireo
