#include "stations/StationFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "stations/StationStore.h"

namespace vireo {
namespace {

namespace fs = std::filesystem;

const std::string kLineA = "05/12/26 14:07  N0CALL-9   4903.50N 07201.75W 088/067 CA";
const std::string kLineB = "05/12/26 14:09  N1CALL-7 * 3315.00S 01230.00E 180/004 00";

// Slot 0: (-72, 49, "120", 46361.5) and (12.5, -33.25, "---", 46361.25); slot 1: the first.
const TrackPoint kP1{-72.0f, 49.0f, "120", 46361.5};
const TrackPoint kP2{12.5f, -33.25f, "---", 46361.25};

std::string Bytes(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) s += static_cast<char>(b);
    return s;
}

const std::string kPoint1 = Bytes({0x00, 0x00, 0x90, 0xc2, 0x00, 0x00, 0x44, 0x42, 3, 0}) + "120" +
                            Bytes({0, 0, 0, 0, 0x30, 0xa3, 0xe6, 0x40});
const std::string kPoint2 = Bytes({0x00, 0x00, 0x48, 0x41, 0x00, 0x00, 0x05, 0xc2, 3, 0}) + "---" +
                            Bytes({0, 0, 0, 0, 0x28, 0xa3, 0xe6, 0x40});
const std::string kDat = Bytes({1, 0, 2, 0, 0, 0, 0, 0, 0, 0}) + kPoint1 + kPoint2 +
                         Bytes({1, 0, 1, 0, 0, 0, 0, 0, 0, 0}) + kPoint1;
const std::string kIni = "\"" + kLineA + "\",1\r\n\"" + kLineB + "\",0\r\n";

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

class StationFilesDirTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("vireo-stations-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST(StationFilesFormatTest, WorkedExampleBytes) {
    const std::vector<StationEntry> entries{{kLineA, 1}, {kLineB, 0}};
    const std::vector<Track> tracks{{kP1, kP2}, {kP1}};
    EXPECT_EQ(FormatPositionsIni(entries), kIni);
    EXPECT_EQ(FormatPositionsDat(tracks), kDat);

    const StationFilesContent back = ParseStationFiles(kIni, kDat);
    EXPECT_EQ(back.entries, entries);
    EXPECT_EQ(back.tracks, tracks);

    // An empty slot is two zero bytes; an altitude of six characters keeps its length.
    Track six{kP1};
    six[0].Alt = "123456";
    EXPECT_EQ(FormatPositionsDat({{}, six}).substr(0, 2), Bytes({0, 0}));
    EXPECT_EQ(FormatPositionsDat({six}).substr(18, 8), Bytes({6, 0}) + "123456");
}

TEST(StationFilesFormatTest, SlotCountFollowsTheHighestSlot) {
    // Slots 0 and 4 named: five records read, trailing bytes ignored.
    const std::string ini = "\"" + kLineA + "\",0\r\n\"" + kLineB + "\",4\r\n";
    std::string dat = FormatPositionsDat({{kP1}, {}, {kP2}, {}, {kP1, kP2}, {kP1}});
    StationFilesContent c = ParseStationFiles(ini, dat);
    ASSERT_EQ(c.tracks.size(), 5u);
    EXPECT_EQ(c.tracks[2], Track{kP2});
    // All slots negative: exactly slot 0 is read.
    c = ParseStationFiles("\"" + kLineA + "\",-1\r\n", dat);
    EXPECT_EQ(c.tracks.size(), 1u);
    EXPECT_EQ(c.entries[0].slot, -1);
    // A short data file leaves the later slots missing.
    c = ParseStationFiles(ini, dat.substr(0, 31));
    EXPECT_EQ(c.tracks.size(), 1u);
}

TEST(StationFilesFormatTest, DamagedFilesLeaveAConsistentStore) {
    auto restored = [](const std::string& ini, const std::string& dat) {
        const StationFilesContent c = ParseStationFiles(ini, dat);
        StationStore store;
        store.Restore(c.entries, c.tracks);
        std::string why;
        EXPECT_TRUE(store.CheckInvariants(&why)) << why;
        return store.Count();
    };
    EXPECT_EQ(restored(kIni, kDat), 2u);
    // Every truncation of either file.
    for (std::size_t n = 0; n <= kIni.size(); ++n) EXPECT_LE(restored(kIni.substr(0, n), kDat), 2u);
    for (std::size_t n = 0; n <= kDat.size(); ++n) {
        const std::size_t kept = restored(kIni, kDat.substr(0, n));
        EXPECT_EQ(kept, n >= kDat.size() ? 2u : (n >= 10 + 2 * 21u ? 1u : 0u)) << n;
    }
    // A point count of four billion in a 30-byte file.
    const std::string huge =
        Bytes({1, 0, 0xff, 0xff, 0xff, 0xff, 0, 0, 0, 0}) + std::string(20, 'x');
    EXPECT_EQ(restored(kIni, huge), 0u);
    EXPECT_EQ(restored(kIni, Bytes({7, 0}) + kDat), 0u);  // not a dimension count
    // Quotes, slots and lines that do not fit the form.
    EXPECT_EQ(restored("\"" + kLineA + ",1\r\n\"" + kLineB + "\",0\r\n", kDat), 1u);
    EXPECT_EQ(restored("\"" + kLineA + "\",x\r\n\"" + kLineB + "\",0\r\n", kDat), 1u);
    for (const char* slot : {"2147483647", "99999999999", "-7"}) {
        EXPECT_EQ(restored("\"" + kLineA + "\"," + slot + "\r\n", kDat), 0u) << slot;
    }
    EXPECT_EQ(restored("\"" + kLineA + "\",0\r\n\"" + kLineB + "\",0\r\n", kDat), 1u);
    EXPECT_EQ(restored("\"" + kLineA + "x\",1\r\n\"" + kLineB.substr(1) + "\",0\r\n", kDat), 0u);
    EXPECT_EQ(restored("\"" + kLineA + "\",0\n\"" + kLineB + "\",1", kDat), 2u);  // bare LF, no end
}

TEST_F(StationFilesDirTest, SaveThenLoadGivesTheSameStore) {
    StationStore store;
    StoreContext c;
    c.FollowedCall = "N0CALL-2 ";
    for (int i = 0; i < 40; ++i) {
        std::string call = "N0CALL-" + std::to_string(i % 7);
        call.resize(9, ' ');
        char pos[64];
        std::snprintf(pos, sizeof pos, "45%02d.%02dN 009%02d.00E", i % 60, i % 100, i % 13);
        store.UpdateStation({call, pos, "088/067", i % 3 ? "---" : "123456", "CA"}, c,
                            {2026, 12, 5, 10, i, 0, 0});
    }
    c.StationTimeout = 30;
    store.ExpireStations(c, {2026, 12, 5, 10, 39, 0, 0});
    ASSERT_EQ(store.Count(), 7u);
    ASSERT_TRUE(SaveStationFiles(dir_.string(), store.Entries(), store.Tracks()));
    EXPECT_FALSE(fs::exists(dir_ / "Positions.ini.tmp"));
    EXPECT_FALSE(fs::exists(dir_ / "Positions.dat.tmp"));

    const auto loaded = LoadStationFiles(dir_.string());
    ASSERT_TRUE(loaded);
    StationStore back;
    back.Restore(loaded->entries, loaded->tracks);
    EXPECT_EQ(back.Entries(), store.Entries());
    EXPECT_EQ(back.Tracks(), store.Tracks());
    std::string why;
    EXPECT_TRUE(back.CheckInvariants(&why, std::string_view(c.FollowedCall))) << why;

    // Either file missing: nothing at all.
    fs::remove(dir_ / "Positions.dat");
    EXPECT_FALSE(LoadStationFiles(dir_.string()));
}

TEST_F(StationFilesDirTest, FailedSaveKeepsThePreviousFiles) {
    WriteAll(dir_ / "Positions.ini", kIni);
    WriteAll(dir_ / "Positions.dat", kDat);
    // A folder where the temporary file would go makes the write fail.
    fs::create_directories(dir_ / "Positions.dat.tmp");
    EXPECT_FALSE(SaveStationFiles(dir_.string(), {{kLineA, 0}}, {{kP1}}));
    EXPECT_EQ(ReadAll(dir_ / "Positions.ini"), kIni);
    EXPECT_EQ(ReadAll(dir_ / "Positions.dat"), kDat);
    EXPECT_FALSE(fs::exists(dir_ / "Positions.ini.tmp"));
    EXPECT_FALSE(SaveStationFiles((dir_ / "no-such-folder").string(), {{kLineA, 0}}, {{kP1}}));
}

}  // namespace
}  // namespace vireo
