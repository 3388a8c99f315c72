#include "stations/StationStore.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vireo {
namespace {

constexpr double kPiEarth = 3.14159265358979 * 6378000.0;

LocalDateTime At(int hour, int minute, int second = 0, int day = 5) {
    return {2026, 12, day, hour, minute, second, 0};
}

PositionReport Report(const std::string& call, const std::string& position,
                      const std::string& courseSpeed = "088/067", const std::string& code = "CA",
                      const std::string& alt = "120") {
    std::string padded = call;
    padded.resize(9, ' ');
    return {padded, position, courseSpeed, alt, code};
}

StoreContext Context(const std::string& followed = "") {
    StoreContext c;
    c.FollowedCall = followed;
    if (!c.FollowedCall.empty()) c.FollowedCall.resize(9, ' ');
    c.HomeLatDeg = 49.0f;
    c.HomeLonDeg = -72.0f;
    return c;
}

void ExpectConsistent(const StationStore& store, const std::string& followed = "") {
    std::string why;
    std::string call = followed;
    if (!call.empty()) call.resize(9, ' ');
    EXPECT_TRUE(store.CheckInvariants(&why, std::string_view(call))) << why;
}

TEST(DistanceTest, SamePointAntipodesAndNeverNaN) {
    EXPECT_EQ(Distance(49.05f, -72.03f, 49.05f, -72.03f), 0.0f);
    EXPECT_FLOAT_EQ(Distance(0, 0, 0, 180), static_cast<float>(kPiEarth));
    EXPECT_FLOAT_EQ(Distance(10, 20, -10, -160), static_cast<float>(kPiEarth));
    // One degree of latitude on this sphere.
    EXPECT_NEAR(Distance(45, 7, 46, 7), 111317.1f, 1.0f);
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

TEST(UpdateStationTest, NewStationLineAndTrack) {
    StationStore store;
    const UpdateOutcome out =
        store.UpdateStation(Report("N0CALL-9", "4903.50N 07201.75W"), Context(), At(14, 7, 31));
    EXPECT_TRUE(out.NewStation);
    EXPECT_EQ(out.Status, "Prima posizione");
    EXPECT_FALSE(out.FollowedDistanceM);
    ASSERT_EQ(store.Count(), 1u);
    EXPECT_EQ(store.LineAt(0)->text, "05/12/26 14:07  N0CALL-9   4903.50N 07201.75W 088/067 CA");
    EXPECT_EQ(store.LineAt(0)->slot, 0);
    ASSERT_EQ(store.Tracks().size(), 1u);
    ASSERT_EQ(store.Tracks()[0].size(), 1u);
    const TrackPoint& p = store.Tracks()[0][0];
    EXPECT_FLOAT_EQ(p.Lat, static_cast<float>(49 + 3.5 / 60));
    EXPECT_FLOAT_EQ(p.Lon, static_cast<float>(-(72 + 1.75 / 60)));
    EXPECT_EQ(p.Alt, "120");
    EXPECT_EQ(p.Time, ToOleDate(At(14, 7, 31)));
    EXPECT_TRUE(store.TracksAllocated());
    ExpectConsistent(store);
}

TEST(UpdateStationTest, RefreshMovesToBottomKeepsSlotAndCode) {
    StationStore store;
    StoreContext c = Context();
    store.UpdateStation(Report("N0CALL-9", "4903.50N 07201.75W"), c, At(14, 7));
    store.UpdateStation(Report("N1CALL", "4500.00N 00900.00E", "180/010", "TN"), c, At(14, 8));
    const auto version = store.Version();
    const UpdateOutcome out = store.UpdateStation(
        Report("N0CALL-9", "4903.60N 07201.75W", "090/050", "BU"), c, At(14, 9));
    EXPECT_GT(store.Version(), version);
    EXPECT_FALSE(out.NewStation);
    EXPECT_EQ(out.Status, "Aggiornata posizione");
    EXPECT_EQ(out.LineIndex, 1u);
    ASSERT_EQ(store.Count(), 2u);
    EXPECT_EQ(store.LineAt(0)->text.substr(16, 9), "N1CALL   ");
    EXPECT_EQ(store.LineAt(1)->text, "05/12/26 14:09  N0CALL-9   4903.60N 07201.75W 090/050 BU");
    EXPECT_EQ(store.LineAt(1)->slot, 0);
    EXPECT_EQ(store.Tracks()[0].size(), 2u);
    EXPECT_EQ(store.IndexOfCall("N0CALL-9 "), 1);
    EXPECT_EQ(store.IndexOfCall("N1CALL"), 0);

    // With automatic icons off a new station shows "00" and a known one keeps its code.
    c.AutoIcon = false;
    store.UpdateStation(Report("N0CALL-9", "4903.70N 07201.75W", "090/050", "XX"), c, At(14, 10));
    store.UpdateStation(Report("N2CALL", "4903.70N 07201.75W", "090/050", "XX"), c, At(14, 10));
    EXPECT_EQ(store.LineAt(1)->text.substr(54), "BU");
    EXPECT_EQ(store.LineAt(2)->text.substr(54), "00");
    ExpectConsistent(store);
}

TEST(UpdateStationTest, CallMatchesTheWholeCallField) {
    StationStore store;
    const StoreContext c = Context();
    store.UpdateStation(Report("KW1AW", "4903.50N 07201.75W"), c, At(14, 7));
    store.UpdateStation(Report("N0CALL-1", "4903.50N 07201.75W"), c, At(14, 7));
    EXPECT_TRUE(store.UpdateStation(Report("W1AW", "4000.00N 07000.00W"), c, At(14, 8)).NewStation);
    EXPECT_TRUE(
        store.UpdateStation(Report("N0CALL", "4000.00N 07000.00W"), c, At(14, 8)).NewStation);
    EXPECT_EQ(store.Count(), 4u);
    EXPECT_EQ(store.LineAt(0)->text.substr(28, 7), "903.50N");  // KW1AW untouched
    EXPECT_FALSE(
        store.UpdateStation(Report("W1AW", "4000.00N 07000.00W"), c, At(14, 9)).NewStation);
    EXPECT_EQ(store.Count(), 4u);
    ExpectConsistent(store);
}

TEST(UpdateStationTest, FastSpeedsAndShortFieldsKeepTheColumns) {
    StationStore store;
    const StoreContext c = Context();
    store.UpdateStation(Report("N0CALL-9", "4903.50N 07201.75W", "088/1234", "AI"), c, At(14, 7));
    EXPECT_EQ(store.LineAt(0)->text, "05/12/26 14:07  N0CALL-9   4903.50N 07201.75W 088/999 AI");
    PositionReport odd{"LONGCALL-15", "4903.50N", "88/5", "---", "A"};
    store.UpdateStation(odd, c, At(14, 7));
    EXPECT_EQ(store.LineAt(1)->text, "05/12/26 14:07  LONGCALL-  4903.50N           88/5    A ");
    ExpectConsistent(store);
}

TEST(UpdateTrackTest, RepeatsJumpsAndFollowLock) {
    StationStore store;
    const StoreContext c = Context("N0CALL-9");
    UpdateOutcome out = store.UpdateStation(Report("N0CALL-9", "0000.00N 00000.00E"), c, At(9, 0));
    EXPECT_TRUE(out.RestartFollowLock);  // first point of the followed station
    EXPECT_FALSE(out.PlayMoveSound);
    ASSERT_TRUE(out.FollowedDistanceM);
    EXPECT_FLOAT_EQ(*out.FollowedDistanceM, Distance(49.0f, -72.0f, 0, 0));
    EXPECT_EQ(out.FollowedCall, "N0CALL-9 ");
    EXPECT_EQ(store.LineAt(0)->text[25], '*');

    // The same position only moves the newest point's time.
    out = store.UpdateStation(Report("N0CALL-9", "0000.00N 00000.00E"), c, At(9, 5));
    EXPECT_FALSE(out.PointAppended);
    EXPECT_FALSE(out.RestartFollowLock);
    ASSERT_EQ(store.Tracks()[0].size(), 1u);
    EXPECT_EQ(store.Tracks()[0][0].Time, ToOleDate(At(9, 5)));

    // 0.01 minute of latitude is 18.6 m: stored, but not enough to renew the lock.
    out = store.UpdateStation(Report("N0CALL-9", "0000.01N 00000.00E"), c, At(9, 6));
    EXPECT_TRUE(out.PointAppended);
    EXPECT_FALSE(out.RestartFollowLock);
    EXPECT_FALSE(out.PlayMoveSound);
    out = store.UpdateStation(Report("N0CALL-9", "0000.03N 00000.00E"), c, At(9, 7));
    EXPECT_TRUE(out.RestartFollowLock);
    EXPECT_TRUE(out.PlayMoveSound);
    EXPECT_EQ(store.Tracks()[0].size(), 3u);

    // 8 deg 59.04 min north is 1000.017 km from 0.03 min north; 59.02 min is 999.980 km.
    out = store.UpdateStation(Report("N0CALL-9", "0859.04N 00000.00E"), c, At(9, 8));
    EXPECT_FALSE(out.PointAppended);
    EXPECT_EQ(store.Tracks()[0].size(), 3u);
    EXPECT_EQ(store.LineAt(0)->text.substr(27, 8), "0859.04N");  // the line shows it anyway
    out = store.UpdateStation(Report("N0CALL-9", "0859.02N 00000.00E"), c, At(9, 9));
    EXPECT_TRUE(out.PointAppended);
    EXPECT_EQ(store.Tracks()[0].size(), 4u);

    // Other stations never touch the follow lock.
    out = store.UpdateStation(Report("N1CALL", "0000.00N 00000.00E"), c, At(9, 9));
    EXPECT_FALSE(out.RestartFollowLock);
    EXPECT_FALSE(out.FollowedDistanceM);
    out = store.UpdateStation(Report("N1CALL", "0010.00N 00000.00E"), c, At(9, 9));
    EXPECT_TRUE(out.PointAppended);
    EXPECT_FALSE(out.PlayMoveSound);
    ExpectConsistent(store, "N0CALL-9");
}

TEST(ExpiryTest, MinuteBoundariesAndTheFollowedStation) {
    StationStore store;
    StoreContext c = Context("F0LLOW");
    c.StationTimeout = 30;
    store.UpdateStation(Report("F0LLOW", "4903.50N 07201.75W"), c, At(9, 0));
    store.UpdateStation(Report("A1", "4903.50N 07201.75W"), c, At(10, 0, 59));
    store.UpdateStation(Report("B2", "4903.50N 07201.75W"), c, At(10, 5));

    ExpiryOutcome out = store.ExpireStations(c, At(10, 30, 59));
    EXPECT_FALSE(out.Changed);
    EXPECT_EQ(store.Count(), 3u);
    out = store.ExpireStations(c, At(10, 31, 0));
    EXPECT_TRUE(out.Changed);
    EXPECT_EQ(out.StationsRemoved, 1u);
    ASSERT_EQ(store.Count(), 2u);
    EXPECT_EQ(store.LineAt(0)->text.substr(16, 6), "F0LLOW");
    EXPECT_EQ(store.LineAt(1)->text.substr(16, 2), "B2");
    ExpectConsistent(store, "F0LLOW");

    out = store.ExpireStations(c, At(23, 0));
    EXPECT_EQ(store.Count(), 1u);  // the followed station stays however old
    EXPECT_FALSE(out.Empty);
    ExpectConsistent(store, "F0LLOW");

    // Unfollowed, it goes; the empty list frees the slots.
    c.FollowedCall.clear();
    out = store.ExpireStations(c, At(23, 0));
    EXPECT_TRUE(out.Empty);
    EXPECT_EQ(store.Count(), 0u);
    EXPECT_FALSE(store.TracksAllocated());
    ExpectConsistent(store);
    store.UpdateStation(Report("C3", "4903.50N 07201.75W"), c, At(23, 1));
    EXPECT_EQ(store.LineAt(0)->slot, 0);
    EXPECT_EQ(store.Tracks().size(), 1u);
    ExpectConsistent(store);
}

TEST(ExpiryTest, SlotsStayDenseAndFollowMarksMove) {
    StationStore store;
    StoreContext c = Context();
    c.StationTimeout = 10;
    const char* calls[] = {"S0", "S1", "S2", "S3"};
    for (int i = 0; i < 4; ++i) {
        store.UpdateStation(Report(calls[i], "4903.50N 07201.75W"), c, At(10, i));
    }
    // Reorder so the top line owns slot 0 and the highest slot is in the middle.
    store.UpdateStation(Report("S3", "4903.60N 07201.75W"), c, At(10, 20));
    store.UpdateStation(Report("S2", "4903.60N 07201.75W"), c, At(10, 21));
    // S0 (slot 0) goes: S3's track (slot 3) moves into slot 0.
    ExpiryOutcome out = store.ExpireStations(c, At(10, 11));
    EXPECT_EQ(out.StationsRemoved, 1u);
    ASSERT_EQ(store.Tracks().size(), 3u);
    EXPECT_EQ(store.FindCall("S3")->slot, 0);
    EXPECT_EQ(store.TrackOfCall("S3")->size(), 2u);
    ExpectConsistent(store);

    c.FollowedCall = "S2       ";
    out = store.ExpireStations(c, At(10, 11));
    EXPECT_TRUE(out.Changed);
    EXPECT_EQ(store.FindCall("S2")->text[25], '*');
    ExpectConsistent(store, "S2");
    c.FollowedCall = "S1       ";
    store.ExpireStations(c, At(10, 11));
    EXPECT_EQ(store.FindCall("S2")->text[25], ' ');
    EXPECT_EQ(store.FindCall("S1")->text[25], '*');
    ExpectConsistent(store, "S1");
}

TEST(ExpiryTest, TrackCutKeepsTheNewestPoint) {
    StationStore store;
    StoreContext c = Context();
    c.StationTimeout = 1000;
    c.TrackTimeout = 30;
    store.UpdateStation(Report("T", "4500.00N 00900.00E"), c, At(10, 0));
    store.UpdateStation(Report("T", "4500.01N 00900.00E"), c, At(10, 10, 30));
    store.UpdateStation(Report("T", "4500.02N 00900.00E"), c, At(10, 20));
    store.UpdateStation(Report("ONE", "4500.02N 00900.00E"), c, At(8, 0));

    // At 10:40:59 the 10:10 point is 30 minutes old: kept; the 10:00 point goes.
    ExpiryOutcome out = store.ExpireStations(c, At(10, 40, 59));
    EXPECT_EQ(out.PointsRemoved, 1u);
    ASSERT_EQ(store.TrackOfCall("T")->size(), 2u);
    EXPECT_FLOAT_EQ(store.TrackOfCall("T")->front().Lat, ReadLatitude("4500.01N"));
    EXPECT_EQ(store.TrackOfCall("ONE")->size(), 1u);  // one point is never cut

    // Everything old: the newest point alone remains.
    out = store.ExpireStations(c, At(12, 0));
    EXPECT_EQ(out.PointsRemoved, 1u);
    ASSERT_EQ(store.TrackOfCall("T")->size(), 1u);
    EXPECT_FLOAT_EQ(store.TrackOfCall("T")->front().Lat, ReadLatitude("4500.02N"));

    // TrackTimeout 0: points of earlier minutes go, points of this minute stay.
    store.UpdateStation(Report("T", "4500.03N 00900.00E"), c, At(12, 5, 10));
    store.UpdateStation(Report("T", "4500.04N 00900.00E"), c, At(12, 5, 50));
    c.TrackTimeout = 0;
    out = store.ExpireStations(c, At(12, 5, 59));
    EXPECT_EQ(out.PointsRemoved, 1u);  // only the 10:20 point
    EXPECT_EQ(store.TrackOfCall("T")->size(), 2u);
    out = store.ExpireStations(c, At(12, 6));
    EXPECT_EQ(store.TrackOfCall("T")->size(), 1u);
    ExpectConsistent(store);
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
