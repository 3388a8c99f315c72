#include "aprs/Decoders.h"

#include <gtest/gtest.h>

#include "aprs/MonitorText.h"
#include "aprs/SymbolIcon.h"
#include "aprs/Tnc2Text.h"

namespace vireo {
namespace {

std::string Header(const std::string& destination) {
    return " 1:Fm N0CALL-9 To " + destination + " Via WIDE1-1 <UI pid=F0 Len=20 >[12:34:56]";
}

std::string Bytes(std::initializer_list<int> codes) {
    std::string s;
    for (int c : codes) s += static_cast<char>(c);
    return s;
}

// The information field of the Mic-E worked example: 3325.64N 11207.74W, 251 degrees, 20 knots.
const std::string kMicEInfo = Bytes({96, 40, 95, 102, 110, 34, 79, 106, 47});

TEST(DecodeMicE, WorkedExampleShowsAndStoresThePosition) {
    const DecodeResult r = DecodeMicE(Header("S32UVT"), kMicEInfo);
    EXPECT_EQ(r.statusCall, "N0CALL-9 ");
    PanelLabels labels;
    labels.lblLat = "3325.64N";
    labels.lblLon = "11207.74W";
    labels.lblMsg = "Returning";
    labels.lblCourse = "251";
    labels.lblSpeed = "020";
    labels.lblSpeedKmh = "37.0";
    labels.lblAlt = "---";
    labels.lblComment = "";
    EXPECT_EQ(r.labels, labels);
    EXPECT_EQ(r.report,
              (PositionReport{"N0CALL-9 ", "3325.64N 11207.74W", "251/037", "---", "JE"}));

    std::string house = kMicEInfo;
    house[7] = '-';
    const DecodeResult dropped = DecodeMicE(Header("S32UVT"), house);
    EXPECT_FALSE(dropped.statusCall);
    EXPECT_EQ(dropped.labels, PanelLabels{});
    EXPECT_FALSE(dropped.report);
}

TEST(DecodeMicE, DestinationGivesDigitsHemispheresAndMessage) {
    EXPECT_EQ(MicEDigit('P'), "0");
    EXPECT_EQ(MicEDigit('J'), "9");
    EXPECT_EQ(MicEDigit('Z'), " ");
    EXPECT_EQ(MicEDigit('M'), "");
    EXPECT_EQ(MicELatHemisphere('L'), "S");
    EXPECT_EQ(MicELatHemisphere('Q'), "N");
    EXPECT_EQ(MicELonHemisphere('C'), "");
    EXPECT_EQ(MicELonOffset('Z'), 100);
    EXPECT_EQ(MicEMessage("PA1"), "Custom-1");
    EXPECT_EQ(MicEMessage("PPP"), "Off Duty");
    EXPECT_EQ(MicEMessage("000"), "Emergency");
    EXPECT_EQ(MicEMessage("S32"), "Returning");

    // Hidden trailing digits are stored as blanks.
    const DecodeResult r = DecodeMicE(Header("S32UZZ"), kMicEInfo);
    ASSERT_TRUE(r.report);
    EXPECT_EQ(r.report->Position, "3325.  N 11207.74W");
}

TEST(DecodeMicE, LongitudeCourseSpeedAndAltitudeArithmetic) {
    // Degrees byte giving 85 + 100 = 185 becomes 105; minutes of 60 and more wrap.
    EXPECT_EQ(MicELongitude(Bytes({96, 28 + 85, 28 + 72, 28 + 5}), 100), "10512.05");
    EXPECT_EQ(MicELongitude(Bytes({96, 28 + 95, 28 + 10, 28}), 100), "00510.00");
    EXPECT_EQ(MicELongitude("`", 0), "");
    // Speed 800+ wraps, course 400+ wraps.
    EXPECT_EQ(MicECourseSpeed(Bytes({96, 0, 0, 0, 28 + 82, 28 + 44, 28 + 5})),
              (MicECourseSpeedValue{5, 24}));
    EXPECT_EQ(MicEAltitude("`(_fn\"Oj/]\"3x}=").altitude, "6");
    EXPECT_EQ(MicEAltitude("`(_fn\"Oj/]\"3x}=").comment, "=");
    EXPECT_EQ(MicEAltitude("`(_fn\"Oj/!!!}x").altitude, "-10000");
    EXPECT_EQ(MicEAltitude("`(_fn\"Oj/\"3)}").altitude, "-73");
    EXPECT_EQ(MicEAltitude("`(_fn\"Oj/Hello").altitude, "---");
    EXPECT_EQ(MicEAltitude("`(_fn\"Oj/Hello").comment, "Hello");
    // Bytes below "!" are no base-91 digits: no altitude rather than a wrong one.
    EXPECT_EQ(MicEAltitude("`(_fn\"Oj/ \x01!}").altitude, "---");
}

TEST(DecodeMicE, ZeroPositionsAreShownButNotStored) {
    const DecodeResult zero = DecodeMicE(Header("000000"), kMicEInfo);
    EXPECT_EQ(zero.labels.lblLat, "0000.00S");
    EXPECT_FALSE(zero.report);
    // Only exactly zero: a station half a minute from the equator or Greenwich is stored.
    EXPECT_TRUE(DecodeMicE(Header("000050"), kMicEInfo).report);
    const DecodeResult nearGreenwich =
        DecodeMicE(Header("S32UPT"), Bytes({96, 28 + 90, 28 + 60, 28 + 50, 110, 34, 79, 106, 47}));
    ASSERT_TRUE(nearGreenwich.report);
    EXPECT_EQ(nearGreenwich.report->Position, "3325.04N 00000.50W");
}

TEST(DecodeMicE, DestinationsThatCannotHoldALatitudeAreDropped) {
    // Short, lower-case, or with characters outside 0-9, A-L, P-Z: the position text would lose
    // characters and shift the columns of the station line.
    for (const char* dest : {"APRS", "s32uvt", "S32MVT", "S3", "S32U-T", "S32CVT", "S32UVC",
                             "S3L5VT", "9932VT", "S36UVT"}) {
        const DecodeResult r = DecodeMicE(Header(dest), kMicEInfo);
        EXPECT_FALSE(r.report) << dest;
        EXPECT_FALSE(r.statusCall) << dest;
    }
    EXPECT_FALSE(DecodeMicE(" 1:Fm N0CALL", kMicEInfo).report);  // no " To "
}

TEST(DecodeMicE, FieldBytesOutsideTheFormatAreDropped) {
    // Each of the six position/speed/course bytes out of range, then the symbol table.
    const int bad[][2] = {{1, 27}, {1, 200}, {2, 37},  {2, 98},
                          {3, 27}, {4, 126}, {5, 255}, {6, 20}};
    for (const auto& [at, value] : bad) {
        std::string info = kMicEInfo;
        info[static_cast<std::size_t>(at)] = static_cast<char>(value);
        EXPECT_FALSE(DecodeMicE(Header("S32UVT"), info).report) << at << " " << value;
    }
    std::string badTable = kMicEInfo;
    badTable[8] = ',';
    EXPECT_FALSE(DecodeMicE(Header("S32UVT"), badTable).report);
    // Course hundreds digit 8 gives 851 - 400 = 451 degrees.
    std::string badCourse = kMicEInfo;
    badCourse[5] = static_cast<char>(28 + 28);
    EXPECT_FALSE(DecodeMicE(Header("S32UVT"), badCourse).report);
    EXPECT_FALSE(DecodeMicE(Header("S32UVT"), kMicEInfo.substr(0, 8)).report);
}

TEST(DecodeUncompressed, WorkedExampleShowsAndStoresThePosition) {
    const DecodeResult r =
        DecodeUncompressed(Header("APRS"), "4903.50N/07201.75W>088/036/A=001234 Test");
    EXPECT_EQ(r.statusCall, "N0CALL-9 ");
    EXPECT_EQ(r.labels.lblLat, "4903.50N");
    EXPECT_EQ(r.labels.lblLon, "07201.75W");
    EXPECT_EQ(r.labels.lblCourse, "088");
    EXPECT_EQ(r.labels.lblSpeed, "036");
    EXPECT_EQ(r.labels.lblSpeedKmh, "66.7");
    EXPECT_EQ(r.labels.lblAlt, "376");
    EXPECT_EQ(r.labels.lblComment, "/A=001234 Test");
    EXPECT_EQ(r.labels.lblStatus, "Uncompressed");
    EXPECT_FALSE(r.labels.lblMsg);
    EXPECT_EQ(r.report,
              (PositionReport{"N0CALL-9 ", "4903.50N 07201.75W", "088/067", "376", "CA"}));

    // One knot is 1.852 km/h (1.854 would give 464 and 463.5).
    const DecodeResult fast = DecodeUncompressed(Header("APRS"), "4903.50N/07201.75W>088/250");
    EXPECT_EQ(fast.report->CourseSpeed, "088/463");
    EXPECT_EQ(fast.labels.lblSpeedKmh, "463.0");
}

TEST(DecodeUncompressed, RefusedFieldsStoreNothing) {
    const std::string h = Header("APRS");
    for (const char* field : {
             "4903.50N/07201.75W-088/036",  // house
             "4903.50N/07201.75W_088/036",  // weather
             "4903.50N/07201.75W>Test",     // no course/speed
             "4903.50N/07201.75W>.../036",  // course not a number
             "4903.50N/07201.75W>088/  .",  // speed not a number
             "4903.5 N/07201.75W>088/036",  // ambiguity
             "4903.50X/07201.75W>088/036",  // no hemisphere letter
             "9103.50N/07201.75W>088/036",  // beyond 90 degrees
             "4960.50N/07201.75W>088/036",  // 60 minutes
             "4903.50N/18101.75W>088/036",  // beyond 180 degrees
             "-903.50N/07201.75W>088/036",  // sign instead of a digit
             "4903.50N/07201.75W>361/036",  // course beyond 360
             "4903.50N,07201.75W>088/036",  // no symbol table
             "4903.50N/07201.75W>088/03",   // too short
             "4903",
         }) {
        EXPECT_FALSE(DecodeUncompressed(h, field).report) << field;
    }
    const DecodeResult zero = DecodeUncompressed(h, "0000.00N/07201.75W>088/036");
    EXPECT_EQ(zero.labels.lblLat, "0000.00N");
    EXPECT_FALSE(zero.report);
}

TEST(DecodeUncompressed, AltitudeFromTheComment) {
    EXPECT_EQ(AltitudeFromComment("/A=001234", 0), "376");
    EXPECT_EQ(AltitudeFromComment("/A=-00079", 0), "-24");
    EXPECT_EQ(AltitudeFromComment("/A=12ab56", 0), "---");
    EXPECT_EQ(AltitudeFromComment("/A=1000", 0), "305");  // fewer than 6 characters left
    EXPECT_EQ(AltitudeFromComment("/A=0012345", 0), "376");
    EXPECT_EQ(AltitudeFromComment("x/A=001234", 2), "---");  // searched from the comment on
    EXPECT_EQ(AltitudeFromComment("", 26), "---");
}

TEST(DecodeCompressed, WorkedExampleShowsAndStoresThePosition) {
    const DecodeResult r = DecodeCompressed(Header("APRS"), "/5L!!<*e7>7P[");
    EXPECT_EQ(r.labels.lblLat, "4930.00N");
    EXPECT_EQ(r.labels.lblLon, "07245.00W");
    EXPECT_EQ(r.labels.lblCourse, "088");
    EXPECT_EQ(r.labels.lblSpeed, "036");
    EXPECT_EQ(r.labels.lblSpeedKmh, "66.7");
    EXPECT_EQ(r.labels.lblMsg, "");
    EXPECT_FALSE(r.labels.lblStatus);
    EXPECT_EQ(r.report,
              (PositionReport{"N0CALL-9 ", "4930.00N 07245.00W", "088/067", "---", "CA"}));

    EXPECT_EQ(DecodeCompressed(Header("APRS"), "/5L!!<*e7>7![").report->CourseSpeed, "088/000");
}

TEST(DecodeCompressed, ReportsWithoutCourseAndSpeedAreShownNotStored) {
    // Course byte 90 ("{", radio range), -1 (blank), speed byte outside base-91, and a
    // compression type byte saying the two bytes carry a GGA altitude.
    for (const char* field :
         {"/5L!!<*e7>{P[", "/5L!!<*e7> P[", "/5L!!<*e7>7~[", "/5L!!<*e7>7P3", "/5L!!<*e7>7P4"}) {
        const DecodeResult r = DecodeCompressed(Header("APRS"), field);
        EXPECT_EQ(r.labels.lblCourse, "---") << field;
        EXPECT_EQ(r.labels.lblSpeed, "---") << field;
        EXPECT_EQ(r.labels.lblSpeedKmh, "") << field;
        EXPECT_EQ(r.labels.lblStatus, "** NO CSE / SPD **") << field;
        EXPECT_FALSE(r.report) << field;
    }
    // Compression type without the GGA bits keeps course and speed.
    EXPECT_TRUE(DecodeCompressed(Header("APRS"), "/5L!!<*e7>7P#").report);
}

TEST(DecodeCompressed, MalformedFieldsAreDropped) {
    for (const std::string& field : std::vector<std::string>{
             "/5L!!<*e7>7P", "/5L!!<*e7-7P[", "/5L!!<*e7_7P[", "/5L!!<*e7>7", "/5L! <*e7>7P[",
             "/5L!!<*e}>7P[", "z5L!!<*e7>7P[", std::string("/5L!!<*e7>7P\0", 13)}) {
        const DecodeResult r = DecodeCompressed(Header("APRS"), field);
        if (field.size() == 12 || (field.size() == 13 && field[12] == '\0')) {
            // 12 characters (no compression type) is still a position.
            EXPECT_TRUE(r.report) << field;
            continue;
        }
        EXPECT_FALSE(r.statusCall) << field;
        EXPECT_FALSE(r.report) << field;
    }
}

TEST(DecodeCompressed, MinutesThatRoundUpStayInTheirDegree) {
    // Latitude sum 15617967 is 48.999997 degrees: the minutes round to 60.00, the degrees stay.
    const DecodeResult r = DecodeCompressed(Header("APRS"), "/5c!\"<*e7>7P[");
    EXPECT_EQ(r.labels.lblLat, "4860.00N");
}

TEST(SymbolToIconCode, TableRowsAndTheirTableIdentifiers) {
    EXPECT_EQ(SymbolToIconCode(">/"), "CA");
    EXPECT_EQ(SymbolToIconCode(">\\"), "CA");
    EXPECT_EQ(SymbolToIconCode(">3"), "CA");
    EXPECT_EQ(SymbolToIconCode("=\\"), "00");
    EXPECT_EQ(SymbolToIconCode("k/"), "TR");
    EXPECT_EQ(SymbolToIconCode("k\\"), "00");
    EXPECT_EQ(SymbolToIconCode("u\\"), "TR");
    EXPECT_EQ(SymbolToIconCode("K/"), "00");
    EXPECT_EQ(SymbolToIconCode("K\\"), "KE");
    EXPECT_EQ(SymbolToIconCode("-/"), "00");
    EXPECT_EQ(SymbolToIconCode("#\\"), "00");
    EXPECT_EQ(SymbolToIconCode("x/"), "00");
    EXPECT_EQ(SymbolToIconCode("^A"), "AI");
    EXPECT_EQ(SymbolToIconCode("'/"), "AI");
    EXPECT_EQ(SymbolToIconCode(">"), "00");
}

TEST(DecodeMonitorText, WholeRoadMatchesTheDecoderWithLabels) {
    std::string scratch;
    for (const char* tnc2 :
         {"N0CALL-9>S32UVT,WIDE1-1:`(_fn\"Oj/", "N0CALL>APRS:@092345z4903.50N/07201.75W>088/036",
          "N0CALL>APRS:=/5L!!<*e7>7P[", "N7CALL>APRS:}N8CALL-2>S32UVT,TCPIP*:`(_fn\"Oj/Relayed"}) {
        const auto monitor = Tnc2ToMonitorText(tnc2);
        ASSERT_TRUE(monitor);
        const auto fast = DecodeMonitorText(*monitor, scratch);
        const auto call = DispatchPacket(SplitMonitorText(*monitor)).call;
        ASSERT_TRUE(call) << tnc2;
        EXPECT_TRUE(fast) << tnc2;
        EXPECT_EQ(fast, RunDecoder(*call).report) << tnc2;
    }
    EXPECT_EQ(
        DecodeMonitorText(*Tnc2ToMonitorText("N7CALL>APRS:}N8CALL-2>S32UVT:`(_fn\"Oj/"), scratch)
            ->Call,
        "N8CALL-2 ");
}

TEST(Tnc2ToMonitorText, BuildsTheTncHeaderForPortOne) {
    EXPECT_EQ(Tnc2ToMonitorText("N0CALL-9>APRS,WIDE1-1,WIDE2-1:!abc", "12:34:56"),
              " 1:Fm N0CALL-9 To APRS Via WIDE1-1,WIDE2-1 <UI pid=F0 Len=4 >[12:34:56]\r!abc\r");
    EXPECT_EQ(Tnc2ToMonitorText("A>B:x:y"), " 1:Fm A To B <UI pid=F0 Len=3 >[00:00:00]\rx:y\r");
    EXPECT_FALSE(Tnc2ToMonitorText("no header"));
    EXPECT_FALSE(Tnc2ToMonitorText(">B:x"));
    EXPECT_FALSE(Tnc2ToMonitorText("A:B>x"));
}

}  // namespace
}  // namespace vireo
