// Station files as found on disk, damaged in any way: the input up to its first 0 byte is
// "Positions.ini", the rest "Positions.dat". Whatever they hold, the restored store must keep
// its invariants, survive the next report and expiry run, and save and load back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "stations/StationFiles.h"
#include "stations/StationStore.h"

namespace {

void Check(const vireo::StationStore& store, const char* after) {
    std::string why;
    if (!store.CheckInvariants(&why)) {
        std::fprintf(stderr, "after %s: %s\n", after, why.c_str());
        std::abort();
    }
}

std::string Seed(const std::string& ini, const std::vector<vireo::Track>& tracks) {
    return ini + std::string(1, '\0') + vireo::FormatPositionsDat(tracks);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const std::string_view ini = input.substr(0, split);
    const std::string_view dat =
        split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

    const vireo::StationFilesContent content = vireo::ParseStationFiles(ini, dat);
    vireo::StationStore store;
    store.Restore(content.entries, content.tracks);
    Check(store, "restore");

    // Saving and loading again gives the same store.
    const vireo::StationFilesContent again = vireo::ParseStationFiles(
        vireo::FormatPositionsIni(store.Entries()), vireo::FormatPositionsDat(store.Tracks()));
    vireo::StationStore back;
    back.Restore(again.entries, again.tracks);
    if (back.Entries() != store.Entries() || back.Tracks() != store.Tracks()) {
        std::fprintf(stderr, "save and load changed the store\n");
        std::abort();
    }

    vireo::StoreContext context;
    context.FollowedCall = "N0CALL-9 ";
    const vireo::LocalDateTime now{2026, 12, 5, 14, 10, 0, 0};
    store.ExpireStations(context, now);
    Check(store, "expiry");
    store.UpdateStation({"N0CALL-9 ", "4903.50N 07201.75W", "088/067", "120", "CA"}, context, now);
    Check(store, "report");
    return 0;
}

std::vector<std::string> FuzzSeeds() {
    const std::string a = "05/12/26 14:07  N0CALL-9   4903.50N 07201.75W 088/067 CA";
    const std::string b = "05/12/26 14:09  N1CALL-7 * 3315.00S 01230.00E 180/004 00";
    const vireo::TrackPoint p{-72.0f, 49.0f, "120", 46361.5};
    const vireo::TrackPoint q{12.5f, -33.25f, "---", 46361.25};
    return {
        Seed("\"" + a + "\",1\r\n\"" + b + "\",0\r\n", {{p, q}, {p}}),
        Seed("\"" + a + "\",0\r\n\"" + b + "\",4\r\n", {{p}, {}, {q}, {}, {p, q}}),
        Seed("\"" + a + "\",-1\r\n", {{p}}),
        Seed("\"" + a + "\",0\r\n\"" + b + "\",0\r\n", {{p}, {q}}),
    };
}
