// Cost of one position report in a busy store: 5,000 stations, each with a 100-point track,
// receiving reports in random order, half of them at a new position. Every report finds the
// station's line, moves it to the bottom and updates its track.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "stations/StationStore.h"

namespace {

constexpr int kStations = 5000;
constexpr int kPoints = 100;

std::string Call(int i) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "IZ%dX%03d-%d", i % 10, i / 10 % 1000, i % 16);
    std::string s = buf;
    s.resize(9, ' ');
    return s;
}

std::string Position(int lat, int lon) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02d%02d.%02dN %03d%02d.%02dE", lat / 6000, lat % 6000 / 100,
                  lat % 100, lon / 6000, lon % 6000 / 100, lon % 100);
    return buf;
}

vireo::LocalDateTime At(int minute) {
    return {2026, 12, 5, 10 + minute / 60 % 12, minute % 60, 0, 0};
}

void BM_UpdateStation(benchmark::State& state) {
    vireo::StationStore store;
    vireo::SettingsRecord settings = vireo::DefaultSettings("");
    settings.FollowedCall = Call(17);
    const vireo::DerivedSettings derived = vireo::DeriveSettings(settings);
    std::vector<int> lat(kStations), lon(kStations);
    std::mt19937 rng(5);
    for (int i = 0; i < kStations; ++i) {
        lat[i] = 40 * 6000 + static_cast<int>(rng() % 60000);
        lon[i] = 10 * 6000 + static_cast<int>(rng() % 60000);
    }
    for (int p = 0; p < kPoints; ++p) {
        for (int i = 0; i < kStations; ++i) {
            lat[i] += 1 + static_cast<int>(rng() % 3);
            store.UpdateStation({Call(i), Position(lat[i], lon[i]), "045/060", "120", "CA"},
                                settings, derived, At(p));
        }
    }

    // Reports prepared beforehand, so the loop measures the store alone.
    std::vector<vireo::PositionReport> reports;
    for (int r = 0; r < 65536; ++r) {
        const int i = static_cast<int>(rng() % kStations);
        if (r % 2) lat[i] += 1;
        reports.push_back({Call(i), Position(lat[i], lon[i]), "045/060", "120", "CA"});
    }
    std::size_t next = 0;
    for (auto _ : state) {
        const auto out = store.UpdateStation(reports[next], settings, derived, At(kPoints));
        benchmark::DoNotOptimize(out);
        next = (next + 1) % reports.size();
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["stations"] = static_cast<double>(store.Count());
}
BENCHMARK(BM_UpdateStation)->Repetitions(5)->ReportAggregatesOnly(true);

// One expiry run over the same store when nothing is old enough to go: the minute tick's cost.
void BM_ExpireStationsNothingDue(benchmark::State& state) {
    vireo::StationStore store;
    vireo::SettingsRecord settings = vireo::DefaultSettings("");
    settings.StationTimeout = settings.TrackTimeout = "1000";
    const vireo::DerivedSettings derived = vireo::DeriveSettings(settings);
    for (int p = 0; p < kPoints; ++p) {
        for (int i = 0; i < kStations; ++i) {
            store.UpdateStation(
                {Call(i), Position(40 * 6000 + p, 10 * 6000 + i), "045/060", "120", "CA"}, settings,
                derived, At(p));
        }
    }
    for (auto _ : state) {
        const auto out = store.ExpireStations(settings, derived, At(kPoints));
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_ExpireStationsNothingDue)->Unit(benchmark::kMillisecond);

}  // namespace
