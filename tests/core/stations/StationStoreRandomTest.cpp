// Long random runs of reports, clock steps, expiry runs and follow changes, checked after every
// step against the store's invariants and against a plain model: a vector of lines searched
// from the top and erased from the middle, exactly as the list behaves.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "stations/StationStore.h"

namespace vireo {
namespace {

struct Model {
    std::vector<StationEntry> lines;
    std::vector<Track> tracks;
    bool allocated = false;

    static std::string Call(const std::string& text) { return text.substr(16, 9); }

    UpdateOutcome Update(const PositionReport& r, const StoreContext& c, const LocalDateTime& now) {
        UpdateOutcome out;
        std::string cs = r.CourseSpeed;
        if (cs.size() == 8) cs = cs.substr(0, 4) + "999";
        std::string text = FormatStamp(now) + "  " + r.Call + "  " + r.Position.substr(0, 8) + " " +
                           r.Position.substr(9, 9) + " " + cs;
        const bool followed = !c.FollowedCall.empty() && r.Call == c.FollowedCall;
        if (followed) text[25] = '*';
        std::size_t i = 0;
        while (i < lines.size() && Call(lines[i].text) != r.Call) ++i;
        const bool known = i < lines.size();
        const std::int32_t slot = known ? lines[i].slot : -1;
        text += " " + (c.AutoIcon ? r.IconCode : known ? lines[i].text.substr(54, 2) : "00");
        if (known) lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
        out.NewStation = !known;
        out.Status = known ? "Aggiornata posizione" : "Prima posizione";
        lines.push_back({text, slot});

        const float lat = ReadLatitude(text.substr(27, 8));
        const float lon = ReadLongitude(text.substr(36, 9));
        if (followed) out.FollowedDistanceM = Distance(c.HomeLatDeg, c.HomeLonDeg, lat, lon);
        const double t = ToOleDate(now);
        if (slot < 0) {
            // An empty list's tracks are stale: the first new station starts them again.
            if (!allocated) tracks.clear();
            allocated = true;
            lines.back().slot = static_cast<std::int32_t>(tracks.size());
            tracks.push_back({{lon, lat, r.Altitude, t}});
            out.RestartFollowLock = followed;
            return out;
        }
        Track& track = tracks[static_cast<std::size_t>(slot)];
        if (track.back().Lon == lon && track.back().Lat == lat) {
            track.back().Time = t;
            return out;
        }
        const float d = Distance(track.back().Lat, track.back().Lon, lat, lon);
        if (d >= 1000000) return out;
        track.push_back({lon, lat, r.Altitude, t});
        if (followed && d > 20) out.RestartFollowLock = out.PlayMoveSound = true;
        return out;
    }

    ExpiryOutcome Expire(const StoreContext& c, const LocalDateTime& now) {
        ExpiryOutcome out;
        auto minute = [&now](const std::string& stamp) { return *StampMinute(stamp, now); };
        const std::int64_t nowMinute = minute(FormatStamp(now));
        while (!lines.empty()) {
            std::size_t cand = 0;
            if (Call(lines[0].text) == c.FollowedCall) {
                if (lines.size() == 1) break;
                cand = 1;
            }
            if (nowMinute - minute(lines[cand].text.substr(0, 14)) <= c.StationTimeout) break;
            const std::int32_t s = lines[cand].slot;
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(cand));
            out.Changed = true;
            if (lines.empty()) continue;
            const auto last = static_cast<std::int32_t>(tracks.size() - 1);
            if (s != last) {
                for (StationEntry& e : lines) {
                    if (e.slot == last) {
                        tracks[static_cast<std::size_t>(s)] = tracks.back();
                        e.slot = s;
                        break;
                    }
                }
            }
            tracks.pop_back();
        }
        for (StationEntry& e : lines) {
            const char mark = Call(e.text) == c.FollowedCall ? '*' : ' ';
            if (e.text[25] != mark) {
                e.text[25] = mark;
                out.Changed = true;
            }
        }
        if (lines.empty()) {
            allocated = false;
            out.Empty = true;
            return out;
        }
        for (Track& track : tracks) {
            const auto n = static_cast<long>(track.size()) - 1;
            if (n <= 0) continue;
            long k = -1;
            for (long j = n; j >= 0 && k < 0; --j) {
                const double time = track[static_cast<std::size_t>(j)].Time;
                if (nowMinute - minute(FormatStamp(FromOleDate(time))) > c.TrackTimeout) k = j;
            }
            if (k == n) k = n - 1;
            if (k >= 0) {
                track.erase(track.begin(), track.begin() + k + 1);
                out.Changed = true;
            }
        }
        return out;
    }
};

// A position text from hundredths of a minute, north/east positive; `blanks` trailing minute
// digits are blanked as an ambiguous report would have them.
std::string Position(long lat, long lon, int blanks) {
    auto part = [](long v, int degDigits, char pos, char neg) {
        const long a = v < 0 ? -v : v;
        char buf[64];
        std::snprintf(buf, sizeof buf, "%0*ld%02ld.%02ld%c", degDigits, a / 6000, a % 6000 / 100,
                      a % 100, v < 0 ? neg : pos);
        return std::string(buf);
    };
    std::string lt = part(lat, 2, 'N', 'S');
    std::string ln = part(lon, 3, 'E', 'W');
    for (int b = 0; b < blanks; ++b) {
        lt[6 - static_cast<std::size_t>(b)] = ' ';
        ln[7 - static_cast<std::size_t>(b)] = ' ';
    }
    return lt + " " + ln;
}

void RunRandom(std::uint32_t seed, int steps) {
    std::mt19937 rng(seed);
    auto uniform = [&rng](long lo, long hi) {
        return std::uniform_int_distribution<long>(lo, hi)(rng);
    };
    struct Station {
        std::string call;
        long lat = 0;
        long lon = 0;
    };
    std::vector<Station> pool;
    for (const char* call : {"W1AW", "KW1AW", "W1AW-1", "N0CALL", "N0CALL-9", "N0CALL-15"}) {
        pool.push_back({call});
    }
    while (pool.size() < 30)
        pool.push_back({"IZ" + std::to_string(uniform(0, 9)) + "X" + std::to_string(pool.size()) +
                        "-" + std::to_string(uniform(1, 15))});
    auto anywhere = [&uniform](Station& s) {
        s.lat = uniform(-80 * 6000, 80 * 6000);
        s.lon = uniform(-179 * 6000, 179 * 6000);
    };
    for (Station& s : pool) {
        s.call.resize(9, ' ');
        anywhere(s);
    }
    const char* codes[] = {"CA", "TN", "00", "BU", "AI"};

    StationStore store;
    Model model;
    StoreContext ctx;
    ctx.HomeLatDeg = 42.0f;
    ctx.HomeLonDeg = 12.0f;
    double clock = ToOleDate({2026, 12, 5, 23, 10, 0, 0});

    for (int step = 0; step < steps; ++step) {
        const LocalDateTime now = FromOleDate(clock);
        const long action = uniform(0, 99);
        std::string what;
        if (action < 60) {
            Station& s =
                pool[static_cast<std::size_t>(uniform(0, static_cast<long>(pool.size()) - 1))];
            const long move = uniform(0, 99);
            if (move < 30) {
                // the same position again
            } else if (move < 75) {
                s.lat += uniform(-3, 3);
                s.lon += uniform(-3, 3);
            } else if (move < 90) {
                s.lat +=
                    (uniform(0, 1) ? 1 : -1) * uniform(9 * 6000, 30 * 6000);  // 1000 km and more
            } else {
                anywhere(s);
            }
            s.lat = std::clamp(s.lat, -89L * 6000, 89L * 6000);
            s.lon = std::clamp(s.lon, -179L * 6000, 179L * 6000);
            const int blanks = uniform(0, 19) == 0 ? static_cast<int>(uniform(1, 2)) : 0;
            char cs[16];
            std::snprintf(cs, sizeof cs, "%03ld/%03ld", uniform(0, 359),
                          uniform(0, 9) == 0 ? uniform(1000, 1500) : uniform(0, 200));
            const PositionReport r{s.call, Position(s.lat, s.lon, blanks), cs,
                                   std::to_string(uniform(-10, 3000)), codes[uniform(0, 4)]};
            what = "report " + r.Call + " " + r.Position + " " + r.CourseSpeed;
            const UpdateOutcome got = store.UpdateStation(r, ctx, now);
            const UpdateOutcome want = model.Update(r, ctx, now);
            ASSERT_EQ(got.Status, want.Status) << what;
            ASSERT_EQ(got.NewStation, want.NewStation) << what;
            ASSERT_EQ(got.RestartFollowLock, want.RestartFollowLock) << what;
            ASSERT_EQ(got.PlayMoveSound, want.PlayMoveSound) << what;
            ASSERT_EQ(got.FollowedDistanceM, want.FollowedDistanceM) << what;
            ASSERT_EQ(got.LineIndex + 1, store.Count()) << what;
        } else if (action < 80) {
            clock += static_cast<double>(uniform(0, 20 * 60)) / 86400.0;
            clock = ToOleDate(FromOleDate(clock));
            continue;
        } else if (action < 97) {
            if (action >= 92) {
                // Following another station runs an expiry at once, which moves the mark.
                const long pick = uniform(-3, static_cast<long>(pool.size()) - 1);
                ctx.FollowedCall = pick < 0 ? "" : pool[static_cast<std::size_t>(pick)].call;
            }
            ctx.StationTimeout = static_cast<int>(uniform(0, 45));
            ctx.TrackTimeout = static_cast<int>(uniform(0, 60));
            what = "expiry";
            const ExpiryOutcome got = store.ExpireStations(ctx, now);
            const ExpiryOutcome want = model.Expire(ctx, now);
            ASSERT_EQ(got.Changed, want.Changed) << what;
            ASSERT_EQ(got.Empty, want.Empty) << what;
        } else {
            ctx.AutoIcon = !ctx.AutoIcon;
            continue;
        }
        std::string why;
        ASSERT_TRUE(store.CheckInvariants(&why, std::string_view(ctx.FollowedCall)))
            << "step " << step << " " << what << ": " << why;
        ASSERT_EQ(store.Entries(), model.lines) << "step " << step << " " << what;
        ASSERT_EQ(store.Tracks(), model.tracks) << "step " << step << " " << what;
        ASSERT_EQ(store.TracksAllocated(), model.allocated) << "step " << step;
    }
}

TEST(StationStoreRandomTest, AgreesWithTheListModel) {
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        RunRandom(seed, 4000);
        if (HasFatalFailure()) return;
    }
}

}  // namespace
}  // namespace vireo
