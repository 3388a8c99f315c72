// Cost of one build of the KML document for a busy map: stations with tracks of 100 points each,
// every station shown with its track. The document is built when a poll finds it out of date.
// The second argument says whether each build reuses the buffer of the one before, as the
// program does, or starts from a fresh one (each a multi-megabyte allocation, faulted in anew).
// BM_BuildKmlAfterEarlier copies what the document before showed, as the program does: each
// track has moved on by `new_points` since (100 points a track, 14 is a flood between two polls).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "earth/KmlDocument.h"

namespace {

struct Store {
    std::vector<std::string> lines;
    std::vector<vireo::Track> tracks;
    std::vector<vireo::KmlStation> stations;
};

// Tracks of points `first` to `first` + `pointCount` - 1 of each station's road.
Store MakeStore(int stationCount, int pointCount, int first = 0) {
    Store store;
    store.lines.reserve(static_cast<std::size_t>(stationCount));
    store.tracks.resize(static_cast<std::size_t>(stationCount));
    for (int s = 0; s < stationCount; ++s) {
        char line[80];
        std::snprintf(line, sizeof line,
                      "05/12/26 14:07  N%dCALL-%-2d  4903.50N 07201.75W %03d/%03d CA", s % 10,
                      s % 16, s % 360, s % 200);
        store.lines.emplace_back(line, 56);
        vireo::Track& track = store.tracks[static_cast<std::size_t>(s)];
        for (int p = first; p < first + pointCount; ++p) {
            track.push_back(
                {-72.0f + static_cast<float>(s) * 0.001f + static_cast<float>(p) * 1.3e-4f,
                 49.0f - static_cast<float>(s) * 0.002f + static_cast<float>(p) * 0.7e-4f, "---",
                 46361.5 + p / 1440.0});
        }
    }
    for (std::size_t i = 0; i < store.lines.size(); ++i) {
        store.stations.push_back(
            {store.lines[i], &store.tracks[i], {i + 1, static_cast<std::uint64_t>(first)}});
    }
    return store;
}

void BM_BuildKml(benchmark::State& state) {
    const Store store = MakeStore(static_cast<int>(state.range(0)), 100);
    const bool reuse = state.range(1) != 0;
    vireo::SettingsRecord settings = vireo::DefaultSettings("");
    settings.FollowedCall = "N5CALL-5  ";
    settings.FollowLinks = true;
    const vireo::DerivedSettings derived = vireo::DeriveSettings(settings);
    const vireo::KmlState kmlState{false, "", "http://localhost:8008"};
    std::size_t bytes = 0;
    std::string buffer;
    for (auto _ : state) {
        vireo::KmlBuild build = vireo::BuildKml(store.stations, settings, derived, kmlState,
                                                reuse ? std::move(buffer) : std::string());
        bytes = build.document.size();
        benchmark::DoNotOptimize(build.document.data());
        if (reuse) buffer = std::move(build.document);
    }
    state.counters["document_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_BuildKml)
    ->ArgsProduct({{1000, 20000}, {0, 1}})
    ->ArgNames({"stations", "reuse"})
    ->Unit(benchmark::kMillisecond);

void BM_BuildKmlAfterEarlier(benchmark::State& state) {
    const int stations = static_cast<int>(state.range(0));
    const Store before = MakeStore(stations, 100);
    const Store now = MakeStore(stations, 100, static_cast<int>(state.range(1)));
    const vireo::SettingsRecord settings = vireo::DefaultSettings("");
    const vireo::DerivedSettings derived = vireo::DeriveSettings(settings);
    vireo::KmlState kmlState{false, "", "http://localhost:8008"};
    const vireo::KmlBuild earlier = vireo::BuildKml(before.stations, settings, derived, kmlState);
    kmlState.earlierDocument = earlier.document;
    kmlState.earlierTracks = earlier.tracks;
    std::string buffer;
    for (auto _ : state) {
        vireo::KmlBuild build =
            vireo::BuildKml(now.stations, settings, derived, kmlState, std::move(buffer));
        benchmark::DoNotOptimize(build.document.data());
        buffer = std::move(build.document);
    }
}
BENCHMARK(BM_BuildKmlAfterEarlier)
    ->ArgsProduct({{5000}, {0, 14, 100}})
    ->ArgNames({"stations", "new_points"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
