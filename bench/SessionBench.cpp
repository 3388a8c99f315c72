// What one heard packet costs the running program with a busy map: 5,000 stations with tracks of
// 100 points, packets arriving one per TCP segment, as a radio channel delivers them. Measured
// on the session alone (no sockets): the frame cut, the decode, the store, the send window. The
// second case also builds the document after every packet, as a program that rebuilds per
// arrival would; the program itself builds it only when a poll finds it out of date.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "session/Session.h"
#include "stations/StationFiles.h"

namespace {

constexpr int kStations = 5000;
constexpr int kPoints = 100;

std::string Call(int i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "IZ%dX%03d-%d", i % 10, i / 10 % 1000, i % 16);
    return buf;
}

// An uncompressed position report of station `i`, `step` hundredths of a minute north.
std::string Packet(int i, int step) {
    char info[64];
    const int lat = 4000 + i % 50 * 20 + step;
    std::snprintf(info, sizeof info, "!%02d%02d.%02dN/0120%d.%02dE>045/060", 42, lat / 100 % 60,
                  lat % 100, i % 10, i / 10 % 100);
    return vireo::MakeAgwFrame(
        'U', " 1:Fm " + Call(i) + " To APRS <UI pid=F0 Len=30 >[10:00:00]\r" + info + "\r");
}

struct BusyProgram {
    BusyProgram() : session(Ports()) {
        // The saved stations of an earlier run: 5,000 lines with 100 points each.
        vireo::SettingsRecord settings = vireo::DefaultSettings("");
        settings.StationTimeout = settings.TrackTimeout = "100000";
        settings.AutoConnect = false;
        files["/app/Vireo_Decoder.ini"] = vireo::FormatSettingsLine(settings);
        std::vector<vireo::StationEntry> entries;
        std::vector<vireo::Track> tracks(kStations);
        for (int i = 0; i < kStations; ++i) {
            std::string call = Call(i);
            call.resize(9, ' ');
            char line[80];
            std::snprintf(line, sizeof line, "06/12/26 10:00  %s  4200.00N 01200.00E 045/111 CA",
                          call.c_str());
            entries.push_back({line, i});
            for (int p = 0; p < kPoints; ++p) {
                tracks[static_cast<std::size_t>(i)].push_back(
                    {12.0f + static_cast<float>(i) * 1e-4f, 42.0f + static_cast<float>(p) * 1e-4f,
                     "120", 46362.4 + p / 1440.0});
            }
        }
        files["/app/Positions.ini"] = vireo::FormatPositionsIni(entries);
        files["/app/Positions.dat"] = vireo::FormatPositionsDat(tracks);
        session.Start(true, "http://127.0.0.1:8008", now);
        session.Menu(vireo::Command::ToggleConnection, now);
        session.TncConnected();
        for (int i = 0; i < 512; ++i) packets.push_back(Packet(i * 9 % kStations, i));
    }
    vireo::SessionPorts Ports() {
        vireo::SessionPorts ports;
        ports.readFile = [this](const std::string& path) -> std::optional<std::string> {
            const auto file = files.find(path);
            if (file == files.end()) return std::nullopt;
            return file->second;
        };
        ports.appFolder = "/app";
        ports.dateTimeText = [](const vireo::LocalDateTime&) { return std::string("now"); };
        return ports;
    }

    std::map<std::string, std::string> files;
    vireo::Moment now{1000, {2026, 12, 6, 10, 1, 0, 0}};
    vireo::Session session;
    std::vector<std::string> packets;
};

void BM_PacketPerSegment(benchmark::State& state) {
    BusyProgram program;
    const bool buildEach = state.range(0) != 0;
    std::size_t next = 0;
    for (auto _ : state) {
        program.now.monotonicMs += 20;  // 50 packets a second
        benchmark::DoNotOptimize(
            program.session.TncData(program.packets[next % program.packets.size()], program.now));
        if (buildEach) benchmark::DoNotOptimize(program.session.DocumentWanted(program.now));
        ++next;
    }
    state.counters["stations"] = static_cast<double>(program.session.Store().Count());
}
BENCHMARK(BM_PacketPerSegment)
    ->ArgName("build_each")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
