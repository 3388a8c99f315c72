#include "stations/StationFiles.h"

#include <gtest/gtest.h>

#include "stations/StationStore.h"

namespace vireo {
namespace {

const std::string kLineA = "05/12/26 14:07  N0CALL-9   4903.50N 07201.75W 088/067 CA";
const std::string kLineB = "05/12/26 14:09  N1CALL-7 * 3315.00S 01230.00E 180/004 00";
const TrackPoint kP1{-72.0f, 49.0f, "120", 46361.5};
const TrackPoint kP2{12.5f, -33.25f, "---", 46361.25};

std::string Bytes(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) s += static_cast<char>(b);
    return s;
}

// Slot 0 holds P1 and P2, slot 1 P1 alone.
const std::string kPoint1 = Bytes({0x00, 0x00, 0x90, 0xc2, 0x00, 0x00, 0x44, 0x42, 3, 0}) + "120" +
                            Bytes({0, 0, 0, 0, 0x30, 0xa3, 0xe6, 0x40});
const std::string kPoint2 = Bytes({0x00, 0x00, 0x48, 0x41, 0x00, 0x00, 0x05, 0xc2, 3, 0}) + "---" +
                            Bytes({0, 0, 0, 0, 0x28, 0xa3, 0xe6, 0x40});
const std::string kDat = Bytes({1, 0, 2, 0, 0, 0, 0, 0, 0, 0}) + kPoint1 + kPoint2 +
                         Bytes({1, 0, 1, 0, 0, 0, 0, 0, 0, 0}) + kPoint1;
const std::string kIni = "\"" + kLineA + "\",1\r\n\"" + kLineB + "\",0\r\n";

TEST(StationFilesTest, WorkedExampleBytes) {
    const std::vector<StationEntry> entries{{kLineA, 1}, {kLineB, 0}};
    const std::vector<Track> tracks{{kP1, kP2}, {kP1}};
    EXPECT_EQ(FormatPositionsIni(entries), kIni);
    EXPECT_EQ(FormatPositionsDat(tracks), kDat);
    const StationFilesContent back = ParseStationFiles(kIni, kDat);
    EXPECT_EQ(back.entries, entries);
    EXPECT_EQ(back.tracks, tracks);
    // An empty slot is two zero bytes.
    EXPECT_EQ(FormatPositionsDat({{}, {kP1}}), Bytes({0, 0}) + kDat.substr(kDat.size() - 31));
}

TEST(StationFilesTest, DamagedFilesLeaveAConsistentStore) {
    auto restored = [](const std::string& ini, const std::string& dat) {
        const StationFilesContent c = ParseStationFiles(ini, dat);
        StationStore store;
        store.Restore(c.entries, c.tracks);
        std::string why;
        EXPECT_TRUE(store.CheckInvariants(&why)) << why;
        return store.Count();
    };
    // Every truncation of the data file: the slots it no longer holds whole are missing.
    for (std::size_t n = 0; n <= kDat.size(); ++n) {
        const std::size_t kept = restored(kIni, kDat.substr(0, n));
        EXPECT_EQ(kept, n >= kDat.size() ? 2u : (n >= 10 + 2 * 21u ? 1u : 0u)) << n;
    }
    // A point count of four billion in a 30-byte file; a record that is no dimension count.
    EXPECT_EQ(restored(kIni, Bytes({1, 0, 0xff, 0xff, 0xff, 0xff, 0, 0, 0, 0}) + "0123456789"), 0u);
    EXPECT_EQ(restored(kIni, Bytes({7, 0}) + kDat), 0u);
    // Quotes, slots and lines that do not fit the form (the store's restore test has a slot
    // taken twice).
    const std::pair<std::string, std::size_t> inis[] = {
        {"\"" + kLineA + ",1\r\n\"" + kLineB + "\",0\r\n", 1},
        {"\"" + kLineA + "\",x\r\n\"" + kLineB + "\",0\r\n", 1},
        {"\"" + kLineA + "\",2147483647\r\n", 0},
        {"\"" + kLineA + "\",99999999999\r\n", 0},
        {"\"" + kLineA + "x\",1\r\n\"" + kLineB.substr(1) + "\",0\r\n", 0},
        {"\"" + kLineA + "\",0\n \"" + kLineB + "\" , 1 ", 2},  // bare LF, blanks, no line end
    };
    for (const auto& [ini, kept] : inis) EXPECT_EQ(restored(ini, kDat), kept) << ini;
}

}  // namespace
}  // namespace vireo
