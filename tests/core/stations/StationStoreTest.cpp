// The station store against a plain model of the list (a vector of lines searched from the top
// and erased from the middle) over long random runs of reports, clock steps, expiry runs and
// follow changes; then what the model cannot tell: restoring damaged lists, and the readers and
// clock arithmetic the model shares with the store.
#include "stations/StationStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <random>

namespace vireo {
namespace {

struct Model {
    std::vector<StationEntry> lines;
    std::vector<Track> tracks;
    bool allocated = false;

    static std::string Call(const StationEntry& e) { return e.text.substr(16, 9); }

    UpdateOutcome Update(const PositionReport& r, const SettingsRecord& s, const DerivedSettings& d,
                         const LocalDateTime& now) {
        UpdateOutcome out;
        const bool followed = r.Call == s.FollowedCall;
        const std::string courseSpeed =
            r.CourseSpeed.size() > 7 ? r.CourseSpeed.substr(0, 4) + "999" : r.CourseSpeed;
        auto known = std::find_if(lines.begin(), lines.end(),
                                  [&r](const StationEntry& e) { return Call(e) == r.Call; });
        out.newStation = known == lines.end();
        const std::int32_t slot = out.newStation ? -1 : known->slot;
        std::string code = out.newStation ? "00" : known->text.substr(54);
        if (s.AutoIcon) code = r.IconCode;
        if (!out.newStation) lines.erase(known);
        lines.push_back({FormatStamp(now) + "  " + r.Call + (followed ? "* " : "  ") + r.Position +
                             " " + courseSpeed + " " + code,
                         slot});

        const TrackPoint p{ReadLongitude(r.Position.substr(9)), ReadLatitude(r.Position),
                           r.Altitude, ToOleDate(now)};
        if (followed) out.followedDistanceM = Distance(d.homeLatDeg, d.homeLonDeg, p.lat, p.lon);
        if (slot < 0) {
            if (!allocated) tracks.clear();  // an emptied list's tracks are stale
            allocated = out.pointAppended = true;
            out.restartFollowLock = followed;
            lines.back().slot = static_cast<std::int32_t>(tracks.size());
            tracks.push_back({p});
            return out;
        }
        TrackPoint& newest = tracks[slot].back();
        const float distance = Distance(newest.lat, newest.lon, p.lat, p.lon);
        if (newest.lon == p.lon && newest.lat == p.lat) {
            newest.time = p.time;
        } else if (distance < 1000000) {
            tracks[slot].push_back(p);
            out.pointAppended = true;
            out.restartFollowLock = out.playMoveSound = followed && distance > 20;
        }
        return out;
    }

    ExpiryOutcome Expire(const SettingsRecord& s, const DerivedSettings& d,
                         const LocalDateTime& now) {
        ExpiryOutcome out;
        auto age = [&now](const std::string& stamp) {
            return *StampMinute(FormatStamp(now), now) - *StampMinute(stamp, now);
        };
        while (!lines.empty()) {
            const std::size_t at = Call(lines[0]) == s.FollowedCall ? 1 : 0;
            if (at == lines.size() || age(lines[at].text.substr(0, 14)) <= d.stationTimeoutMinutes)
                break;
            const std::int32_t freed = lines[at].slot;
            const auto last = static_cast<std::int32_t>(tracks.size() - 1);
            lines.erase(lines.begin() + at);
            out.changed = true;
            if (lines.empty()) break;
            // The highest slot's track moves into the freed one.
            for (StationEntry& e : lines) e.slot = e.slot == last ? freed : e.slot;
            tracks[freed] = tracks[last];
            tracks.pop_back();
        }
        for (StationEntry& e : lines) {
            const char mark = Call(e) == s.FollowedCall ? '*' : ' ';
            out.changed = std::exchange(e.text[25], mark) != mark || out.changed;
        }
        out.empty = lines.empty();
        allocated = allocated && !out.empty;
        if (out.empty) return out;
        // Old points go from the oldest on; the newest stays.
        for (Track& track : tracks) {
            const auto keep = std::find_if_not(track.begin(), track.end() - 1, [&](auto& p) {
                return age(FormatStamp(FromOleDate(p.time))) > d.trackTimeoutMinutes;
            });
            out.changed = keep != track.begin() || out.changed;
            track.erase(track.begin(), keep);
        }
        return out;
    }
};

// A position from hundredths of a minute, north and east positive, its last `blanks` digits
// blanked as an ambiguous report has them.
std::string Position(long lat, long lon, int blanks) {
    char text[64];
    std::snprintf(text, sizeof text, "%02ld%02ld.%02ld%c %03ld%02ld.%02ld%c", std::labs(lat) / 6000,
                  std::labs(lat) % 6000 / 100, std::labs(lat) % 100, lat < 0 ? 'S' : 'N',
                  std::labs(lon) / 6000, std::labs(lon) % 6000 / 100, std::labs(lon) % 100,
                  lon < 0 ? 'W' : 'E');
    std::string position = text;
    for (int b = 0; b < blanks; ++b) position[6 - b] = position[16 - b] = ' ';
    return position;
}

auto Flags(const UpdateOutcome& o) {
    return std::tuple(o.newStation, o.restartFollowLock, o.playMoveSound, o.pointAppended,
                      o.followedDistanceM);
}

void RunRandom(std::uint32_t seed, int steps) {
    std::mt19937 rng(seed);
    auto uniform = [&rng](long lo, long hi) {
        return std::uniform_int_distribution<long>(lo, hi)(rng);
    };
    // Thirty stations, some of whose calls are prefixes or suffixes of others.
    std::vector<std::string> calls{"W1AW", "KW1AW", "W1AW-1", "N0CALL", "N0CALL-9", "N0CALL-15"};
    while (calls.size() < 30) calls.push_back("IZ" + std::to_string(calls.size()) + "X-1");
    for (std::string& call : calls) call.resize(9, ' ');
    std::vector<long> lat(30), lon(30);  // hundredths of a minute; 0 until first heard
    const char* codes[] = {"CA", "TN", "00", "BU", "AI"};

    StationStore store;
    Model model;
    SettingsRecord settings = DefaultSettings("");
    DerivedSettings derived = DeriveSettings(settings);
    double clock = ToOleDate({2026, 12, 5, 23, 10, 0, 0});
    std::map<std::uint64_t, std::pair<TrackMark, Track>> marked;  // each track as last seen
    for (int step = 0; step < steps; ++step) {
        const LocalDateTime now = FromOleDate(clock);
        const long action = uniform(0, 99);
        std::string what = "step " + std::to_string(step) + ": expiry";
        if (action < 60) {
            // The same position again, a few metres on, 1000 km or more on, or anywhere.
            const std::size_t i = uniform(0, 29);
            const long move = uniform(0, 19);
            if (move >= 6) lat[i] += uniform(-3, 3), lon[i] += uniform(-3, 3);
            if (move == 18) lat[i] += (uniform(0, 1) ? 1 : -1) * uniform(9 * 6000, 30 * 6000);
            if (move == 19 || lat[i] == 0) lat[i] = uniform(-80 * 6000, 80 * 6000);
            if (move == 19 || lon[i] == 0) lon[i] = uniform(-179 * 6000, 179 * 6000);
            lat[i] = std::clamp(lat[i], -89L * 6000, 89L * 6000);
            char courseSpeed[32];
            std::snprintf(courseSpeed, sizeof courseSpeed, "%03ld/%03ld", uniform(0, 359),
                          uniform(0, 9) == 0 ? uniform(1000, 1500) : uniform(0, 200));
            const int blanks = uniform(0, 19) == 0 ? static_cast<int>(uniform(1, 2)) : 0;
            const PositionReport r{calls[i], Position(lat[i], lon[i], blanks), courseSpeed,
                                   std::to_string(uniform(-10, 3000)), codes[uniform(0, 4)]};
            what += " report " + r.Call + " " + r.Position + " " + r.CourseSpeed;
            const UpdateOutcome got = store.UpdateStation(r, settings, derived, now);
            const UpdateOutcome want = model.Update(r, settings, derived, now);
            ASSERT_EQ(Flags(got), Flags(want)) << what;
        } else if (action < 80) {
            clock = ToOleDate(FromOleDate(clock + static_cast<double>(uniform(0, 1200)) / 86400));
            continue;
        } else if (action < 98) {
            if (action >= 92) {  // following another station runs an expiry at once
                const long pick = uniform(-3, 29);
                settings.FollowedCall = pick < 0 ? "" : calls[pick];
            }
            settings.StationTimeout = std::to_string(uniform(0, 45));
            settings.TrackTimeout = std::to_string(uniform(0, 60));
            derived = DeriveSettings(settings);
            const ExpiryOutcome got = store.ExpireStations(settings, derived, now);
            const ExpiryOutcome want = model.Expire(settings, derived, now);
            ASSERT_EQ(std::pair(got.changed, got.empty), std::pair(want.changed, want.empty));
        } else {
            settings.AutoIcon = !settings.AutoIcon;
            continue;
        }
        std::string why;
        ASSERT_TRUE(store.CheckInvariants(&why, settings.FollowedCall)) << what << " " << why;
        ASSERT_EQ(store.Entries(), model.lines) << what;
        ASSERT_EQ(store.Tracks(), model.tracks) << what;
        ASSERT_EQ(store.TracksAllocated(), model.allocated) << what;
        // A mark's promise: its track shows the points it showed before from the same place on.
        for (std::int32_t slot = 0; slot < static_cast<std::int32_t>(store.Count()); ++slot) {
            const TrackMark mark = store.MarkOf(slot);
            auto& [was, before] = marked[mark.id];
            const Track& track = store.Tracks()[static_cast<std::size_t>(slot)];
            ASSERT_GE(mark.dropped, was.dropped) << what;
            for (std::size_t i = mark.dropped - was.dropped; i < before.size(); ++i) {
                const TrackPoint& p = track.at(i - (mark.dropped - was.dropped));
                ASSERT_EQ(std::tie(p.lon, p.lat, p.alt),
                          std::tie(before[i].lon, before[i].lat, before[i].alt))
                    << what;
            }
            std::tie(was, before) = std::pair(mark, track);
        }
    }
}

TEST(StationStoreTest, AgreesWithTheListModel) {
    for (std::uint32_t seed = 1; seed <= 12; ++seed)
        ASSERT_NO_FATAL_FAILURE(RunRandom(seed, 4000)) << "seed " << seed;
}

TEST(StationStoreTest, RestoreKeepsTheNewestConsistentLines) {
    // Decided from the bottom up: of two lines with one call or slot the lower one stays. Kept:
    // A (slot 4 becomes 1, the only mark left), G (slot 0), H (slot 5 becomes 2, its stray mark
    // blanked) and J (slot 6 becomes 3, taken from I). Dropped besides: a short line, b (its
    // stamp unreadable), C (no such slot), D (no slot), E (empty track), F (NaN position), B
    // (slot 0 is G's).
    const std::tuple<char, char, std::int32_t> lines[] = {
        {'A', '*', 4}, {'b', ' ', 1}, {'C', ' ', 9}, {'D', ' ', -1}, {'E', ' ', 2}, {'F', ' ', 3},
        {'B', '*', 0}, {'G', ' ', 0}, {'H', 'x', 5}, {'I', ' ', 6},  {'J', ' ', 6}};
    std::vector<StationEntry> entries{{"too short", 0}};
    for (const auto& [call, mark, slot] : lines) {
        entries.push_back({"05/12/26 14:07  N0CALL-9   4903.50N 07201.75W 088/067 CA", slot});
        entries.back().text[16] = call;
        entries.back().text[25] = mark;
        if (call == 'b') entries.back().text[3] = 'x';
    }
    const Track one{{-72.0f, 49.0f, "---", 46361.5}};
    const Track nan{{std::numeric_limits<float>::quiet_NaN(), 49.0f, "---", 46361.5}};
    StationStore store;
    EXPECT_EQ(
        store.Restore(entries, {one, one, {}, nan, {{-72.0f, 49.0f, "four", 46361.5}}, one, one}),
        8u);
    std::string why;
    ASSERT_TRUE(store.CheckInvariants(&why)) << why;
    std::string kept;
    for (const StationEntry& e : store.Entries())
        kept += std::string{e.text[16], static_cast<char>('0' + e.slot), e.text[25]};
    EXPECT_EQ(kept, "A1*G0 H2 J3 ");
    EXPECT_EQ(store.TrackOfCall("A0CALL-9")->front().alt, "four");
    EXPECT_TRUE(store.TracksAllocated());
    store.Restore({{entries[1].text, 0}}, {});
    EXPECT_EQ(store.Count(), 0u);
}

// A flood of moving reports from one station: its track never holds more than the cap, the
// newest point is always the last report, and a restored overlong track keeps its newest points.
TEST(StationStoreTest, TracksAreCappedOldestFirst) {
    const SettingsRecord settings = DefaultSettings("");
    const DerivedSettings derived = DeriveSettings(settings);
    const LocalDateTime now{2026, 12, 5, 23, 10, 0, 0};
    StationStore store;
    const std::size_t reports = StationStore::kMaxTrackPoints * 3;
    for (std::size_t i = 0; i < reports; ++i) {
        const PositionReport r{"N0CALL-9 ", Position(4000 + static_cast<long>(i % 5000), 600, 0),
                               "088/036", std::to_string(i), "CA"};
        store.UpdateStation(r, settings, derived, now);
        ASSERT_LE(store.Tracks()[0].size(), StationStore::kMaxTrackPoints) << i;
    }
    EXPECT_GT(store.Tracks()[0].size(), StationStore::kMaxTrackPoints * 7 / 8);
    EXPECT_EQ(store.Tracks()[0].back().alt, std::to_string(reports - 1));
    Track longTrack(StationStore::kMaxTrackPoints + 5, {-72.0f, 49.0f, "---", 46361.5});
    longTrack.back().alt = "newest";
    StationStore restored;
    EXPECT_EQ(restored.Restore(store.Entries(), {longTrack}), 0u);
    EXPECT_EQ(restored.Tracks()[0].size(), StationStore::kMaxTrackPoints);
    EXPECT_EQ(restored.Tracks()[0].back().alt, "newest");
}

// The readers and the clock arithmetic the model shares with the store.
TEST(StationStoreTest, ReadersAndDates) {
    // Blanked digits read as zeros, the others keep their place.
    const std::pair<const char*, double> latitudes[] = {
        {"4903.50N", 49.0583333}, {"4903.50S", -49.0583333}, {"4903.  N", 49.05},
        {"49 3.50N", 49.0583333}, {"4 03.50N", 40.0583333},  {"  .    N", 0}};
    for (const auto& [text, degrees] : latitudes)
        EXPECT_FLOAT_EQ(ReadLatitude(text), static_cast<float>(degrees)) << text;
    EXPECT_FLOAT_EQ(ReadLongitude("07201.75W"), -72.0291667f);
    EXPECT_FLOAT_EQ(ReadLongitude("0720 .  E"), 72.0f);

    // Nearly identical and nearly antipodal points carry the cosine past +-1 by rounding.
    for (int i = 0; i < 2000; ++i) {
        const float lat = -89.9f + 0.09f * static_cast<float>(i);
        const float lon = -179.9f + 0.18f * static_cast<float>(i);
        for (const float near : {lat, std::nextafter(lat, 90.0f)})
            EXPECT_LT(Distance(lat, lon, near, lon), 2) << lat;
        EXPECT_NEAR(Distance(lat, lon, -lat, lon > 0 ? lon - 180 : lon + 180),
                    3.14159265358979 * 6378000.0, 1000);
    }

    const LocalDateTime newYear{2000, 1, 1, 0, 0};
    EXPECT_EQ(FormatStamp({2026, 12, 5, 14, 7}), "05/12/26 14:07");
    EXPECT_EQ(*StampMinute("31/12/99 23:59", newYear) + 1, *StampMinute("01/01/00 00:00", newYear));
    EXPECT_DOUBLE_EQ(ToOleDate({2026, 12, 5, 14, 7}), 46361.0 + (14 * 60 + 7) / 1440.0);
    const LocalDateTime leap{2000, 2, 29, 23, 59, 59, 999};
    EXPECT_EQ(FromOleDate(ToOleDate(leap)), leap);
}

}  // namespace
}  // namespace vireo
