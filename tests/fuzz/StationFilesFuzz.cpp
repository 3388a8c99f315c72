// Station files as found on disk, damaged in any way: the input up to its first 0 byte is
// "Positions.ini", the rest "Positions.dat". Whatever they hold, the restored store must keep
// its invariants, save and load back unchanged, and survive the next expiry run and a report.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "stations/StationFiles.h"
#include "stations/StationStore.h"

namespace {

void Check(const vireo::StationStore& store, const char* after) {
    std::string why;
    if (store.CheckInvariants(&why)) return;
    std::fprintf(stderr, "after %s: %s\n", after, why.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = std::min(input.find('\0'), input.size());
    const vireo::StationFilesContent content = vireo::ParseStationFiles(
        input.substr(0, split), input.substr(std::min(split + 1, input.size())));
    vireo::StationStore store;
    store.Restore(content.entries, content.tracks);
    Check(store, "restore");

    const vireo::StationFilesContent again = vireo::ParseStationFiles(
        vireo::FormatPositionsIni(store.Entries()), vireo::FormatPositionsDat(store.Tracks()));
    vireo::StationStore back;  // saved and loaded again: the same store
    back.Restore(again.entries, again.tracks);
    if (back.Entries() != store.Entries() || back.Tracks() != store.Tracks()) std::abort();

    vireo::SettingsRecord settings = vireo::DefaultSettings("");
    settings.FollowedCall = "N0CALL-9 ";
    const vireo::DerivedSettings derived = vireo::DeriveSettings(settings);
    const vireo::LocalDateTime now{2026, 12, 5, 14, 10, 0, 0};
    store.ExpireStations(settings, derived, now);
    Check(store, "expiry");
    store.UpdateStation({"N0CALL-9 ", "4903.50N 07201.75W", "088/067", "120", "CA"}, settings,
                        derived, now);
    Check(store, "report");
    return 0;
}
