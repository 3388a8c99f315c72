// Hand-picked cases beside the random comparison with the list model: the distance and
// coordinate readers that model itself uses, exact boundaries that random steps seldom hit, and
// the faults that were mended.
#include "stations/StationStore.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vireo {
namespace {

constexpr double kPiEarth = 3.14159265358979 * 6378000.0;

LocalDateTime At(int hour, int minute, int second = 0) {
    return {2026, 12, 5, hour, minute, second, 0};
}

PositionReport Report(std::string call, const std::string& position,
                      const std::string& courseSpeed = "088/067") {
    call.resize(9, ' ');
    return {call, position, courseSpeed, "120", "CA"};
}

void ExpectConsistent(const StationStore& store, std::string followed = "") {
    if (!followed.empty()) followed.resize(9, ' ');
    std::string why;
    EXPECT_TRUE(store.CheckInvariants(&why, std::string_view(followed))) << why;
}

TEST(DistanceTest, SamePointAntipodesAndNeverNaN) {
    EXPECT_EQ(Distance(49.05f, -72.03f, 49.05f, -72.03f), 0.0f);
    EXPECT_FLOAT_EQ(Distance(0, 0, 0, 180), static_cast<float>(kPiEarth));
    EXPECT_FLOAT_EQ(Distance(10, 20, -10, -160), static_cast<float>(kPiEarth));
    // Nearly identical and nearly antipodal points carry the cosine past +-1 by rounding.
    for (int i = 0; i < 2000; ++i) {
        const float lat = -89.9f + 0.09f * static_cast<float>(i);
        const float lon = -179.9f + 0.18f * static_cast<float>(i);
        const float near = std::nextafter(lat, 90.0f);
        EXPECT_FALSE(std::isnan(Distance(lat, lon, near, lon))) << lat;
        EXPECT_FALSE(std::isnan(Distance(lat, lon, lat, lon))) << lat;
        const float d = Distance(lat, lon, -lat, lon > 0 ? lon - 180 : lon + 180);
        ASSERT_FALSE(std::isnan(d)) << lat;
        EXPECT_NEAR(d, kPiEarth, 1000.0);
    }
    EXPECT_FALSE(std::isnan(Distance(std::numeric_limits<float>::infinity(), 0, 0, 0)));
}

TEST(CoordinateTextTest, BlanksCountAsZeroInTheirPlace) {
    EXPECT_FLOAT_EQ(ReadLatitude("4903.50N"), static_cast<float>(49 + 3.5 / 60));
    EXPECT_FLOAT_EQ(ReadLatitude("4903.50S"), static_cast<float>(-(49 + 3.5 / 60)));
    EXPECT_FLOAT_EQ(ReadLongitude("07201.75W"), static_cast<float>(-(72 + 1.75 / 60)));
    EXPECT_FLOAT_EQ(ReadLongitude("07201.75E"), static_cast<float>(72 + 1.75 / 60));
    // Ambiguous positions: the blanked digits read as zeros, the others keep their place.
    EXPECT_FLOAT_EQ(ReadLatitude("4903.  N"), static_cast<float>(49 + 3.0 / 60));
    EXPECT_FLOAT_EQ(ReadLatitude("49 3.50N"), static_cast<float>(49 + 3.5 / 60));
    EXPECT_FLOAT_EQ(ReadLatitude("491 .  N"), static_cast<float>(49 + 10.0 / 60));
    EXPECT_FLOAT_EQ(ReadLatitude("4 03.50N"), static_cast<float>(40 + 3.5 / 60));
    EXPECT_FLOAT_EQ(ReadLongitude("0720 .  W"), -72.0f);
    EXPECT_FLOAT_EQ(ReadLatitude("  .    N"), 0.0f);
    EXPECT_FLOAT_EQ(ReadLatitude(""), 0.0f);
}

TEST(StampTest, FormatAndReadBack) {
    EXPECT_EQ(FormatStamp(At(14, 7)), "05/12/26 14:07");
    const LocalDateTime now = At(10, 31);
    EXPECT_EQ(*StampMinute("05/12/26 10:00", now) + 31, *StampMinute("05/12/26 10:31", now));
    EXPECT_EQ(*StampMinute("31/12/99 23:59", {2000, 1, 1, 0, 0}) + 1,
              *StampMinute("01/01/00 00:00", {2000, 1, 1, 0, 0}));
    EXPECT_FALSE(StampMinute("5/12/26 10:00 ", now));
    EXPECT_FALSE(StampMinute("05/13/26 10:00", now));
    EXPECT_FALSE(StampMinute("05/12/26 24:00", now));
}

TEST(UpdateStationTest, CallMatchesTheWholeCallField) {
    StationStore store;
    const StoreContext c;
    store.UpdateStation(Report("KW1AW", "4903.50N 07201.75W"), c, At(14, 7));
    store.UpdateStation(Report("N0CALL-1", "4903.50N 07201.75W"), c, At(14, 7));
    const auto version = store.Version();
    EXPECT_TRUE(store.UpdateStation(Report("W1AW", "4000.00N 07000.00W"), c, At(14, 8)).NewStation);
    EXPECT_GT(store.Version(), version);
    EXPECT_TRUE(
        store.UpdateStation(Report("N0CALL", "4000.00N 07000.00W"), c, At(14, 8)).NewStation);
    EXPECT_EQ(store.Count(), 4u);
    EXPECT_EQ(store.LineAt(0)->text.substr(28, 7), "903.50N");  // KW1AW untouched
    EXPECT_FALSE(
        store.UpdateStation(Report("W1AW", "4000.00N 07000.00W"), c, At(14, 9)).NewStation);
    EXPECT_EQ(store.Count(), 4u);
    EXPECT_EQ(store.IndexOfCall("W1AW"), 3);
    ExpectConsistent(store);
}

TEST(UpdateStationTest, FastSpeedsAndShortFieldsKeepTheColumns) {
    StationStore store;
    const StoreContext c;
    store.UpdateStation({"N0CALL-9 ", "4903.50N 07201.75W", "088/1234", "120", "AI"}, c, At(14, 7));
    EXPECT_EQ(store.LineAt(0)->text, "05/12/26 14:07  N0CALL-9   4903.50N 07201.75W 088/999 AI");
    store.UpdateStation({"LONGCALL-15", "4903.50N", "88/5", "---", "A"}, c, At(14, 7));
    EXPECT_EQ(store.LineAt(1)->text, "05/12/26 14:07  LONGCALL-  4903.50N           88/5    A ");
    ExpectConsistent(store);
}

TEST(UpdateTrackTest, MoveThresholdAndJumpLimit) {
    StationStore store;
    StoreContext c;
    c.FollowedCall = "N0CALL-9 ";
    auto update = [&](const char* position, int minute) {
        return store.UpdateStation(Report("N0CALL-9", position), c, At(9, minute));
    };
    UpdateOutcome out = update("0000.00N 00000.00E", 0);
    EXPECT_TRUE(out.RestartFollowLock);  // first point of the followed station
    EXPECT_EQ(out.FollowedCall, "N0CALL-9 ");
    // 0.01 minute of latitude is 18.6 m: stored, but not enough to renew the lock.
    out = update("0000.01N 00000.00E", 1);
    EXPECT_TRUE(out.PointAppended);
    EXPECT_FALSE(out.RestartFollowLock);
    EXPECT_FALSE(out.PlayMoveSound);
    out = update("0000.03N 00000.00E", 2);
    EXPECT_TRUE(out.RestartFollowLock);
    EXPECT_TRUE(out.PlayMoveSound);
    // 8 deg 59.04 min north is 1000.017 km from 0.03 min north; 59.02 min is 999.980 km.
    EXPECT_FALSE(update("0859.04N 00000.00E", 3).PointAppended);
    EXPECT_EQ(store.Tracks()[0].size(), 3u);
    EXPECT_EQ(store.LineAt(0)->text.substr(27, 8), "0859.04N");  // the line shows it anyway
    EXPECT_TRUE(update("0859.02N 00000.00E", 4).PointAppended);
    EXPECT_EQ(store.Tracks()[0].size(), 4u);
    ExpectConsistent(store, "N0CALL-9");
}

TEST(RestoreTest, KeepsConsistentLinesAndRenumbersSlots) {
    const std::string line = "05/12/26 14:07  N0CALL-9 * 4903.50N 07201.75W 088/067 CA";
    auto with = [&line](const std::string& call, char mark = ' ') {
        std::string t = line;
        t.replace(16, 9, (call + "         ").substr(0, 9));
        t[25] = mark;
        return t;
    };
    const Track one{{-72.0f, 49.0f, "---", 46361.5}};
    const Track nan{{std::numeric_limits<float>::quiet_NaN(), 49.0f, "---", 46361.5}};
    // Decided from the bottom up: of two lines with one call or slot the lower one stays.
    std::vector<StationEntry> entries{
        {with("A", '*'), 4},  // kept: slot 4 becomes 1, the only mark left
        {with("B"), 1},       // unreadable stamp (below)
        {with("C"), 9},       // no such slot
        {with("D"), -1},      // no slot
        {with("E"), 2},       // empty track
        {with("F"), 3},       // NaN position
        {"too short", 0},     // wrong length
        {with("B", '*'), 0},  // slot 0 is G's
        {with("G"), 0},       // kept: slot 0
        {with("H", 'x'), 5},  // kept: slot 5 becomes 2, stray mark blanked
        {with("I"), 6},       // slot 6 is J's
        {with("J"), 6},       // kept: slot 6 becomes 3
    };
    entries[1].text[3] = 'x';
    std::vector<Track> tracks{one, one, {}, nan, one, one, one};
    tracks[4][0].Alt = "four";
    StationStore store;
    store.Restore(entries, tracks);
    std::string why;
    ASSERT_TRUE(store.CheckInvariants(&why)) << why;
    std::vector<std::string> calls;
    for (const StationEntry& e : store.Entries()) calls.push_back(e.text.substr(16, 1));
    EXPECT_EQ(calls, (std::vector<std::string>{"A", "G", "H", "J"}));
    EXPECT_EQ(store.FindCall("A")->slot, 1);
    EXPECT_EQ(store.FindCall("G")->slot, 0);
    EXPECT_EQ(store.FindCall("J")->slot, 3);
    EXPECT_EQ(store.TrackOfCall("A")->front().Alt, "four");
    EXPECT_EQ(store.FindCall("A")->text[25], '*');
    EXPECT_EQ(store.FindCall("H")->text[25], ' ');
    EXPECT_TRUE(store.TracksAllocated());

    store.Restore({{with("A"), 0}}, {});
    EXPECT_EQ(store.Count(), 0u);
    EXPECT_TRUE(store.CheckInvariants(&why)) << why;
}

}  // namespace
}  // namespace vireo
