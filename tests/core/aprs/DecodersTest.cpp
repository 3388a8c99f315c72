#include "aprs/Decoders.h"

#include <gtest/gtest.h>

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

// The worked examples of the three formats; the random round trips cover the arithmetic.
TEST(Decoders, WorkedExamplesShowAndStoreThePosition) {
    const DecodeResult mic = DecodeMicE(Header("S32UVT"), kMicEInfo);
    EXPECT_EQ(mic.statusCall, "N0CALL-9 ");
    // Labels: lat, lon, course, speed, km/h, altitude, message, comment, status.
    EXPECT_EQ(mic.labels, (PanelLabels{"3325.64N", "11207.74W", "251", "020", "37.0", "---",
                                       "Returning", "", std::nullopt}));
    EXPECT_EQ(mic.report,
              (PositionReport{"N0CALL-9 ", "3325.64N 11207.74W", "251/037", "---", "JE"}));

    const DecodeResult plain =
        DecodeUncompressed(Header("APRS"), "4903.50N/07201.75W>088/036/A=001234 Test");
    EXPECT_EQ(plain.statusCall, "N0CALL-9 ");
    EXPECT_EQ(plain.labels, (PanelLabels{"4903.50N", "07201.75W", "088", "036", "66.7", "376",
                                         std::nullopt, "/A=001234 Test", "Uncompressed"}));
    EXPECT_EQ(plain.report,
              (PositionReport{"N0CALL-9 ", "4903.50N 07201.75W", "088/067", "376", "CA"}));

    const DecodeResult packed = DecodeCompressed(Header("APRS"), "/5L!!<*e7>7P[");
    EXPECT_EQ(packed.labels.lblLat, "4930.00N");
    EXPECT_EQ(packed.labels.lblLon, "07245.00W");
    EXPECT_EQ(packed.labels.lblCourse, "088");
    EXPECT_EQ(packed.labels.lblSpeed, "036");
    EXPECT_EQ(packed.labels.lblSpeedKmh, "66.7");
    EXPECT_EQ(packed.labels.lblMsg, "");
    EXPECT_FALSE(packed.labels.lblStatus);
    EXPECT_EQ(packed.report,
              (PositionReport{"N0CALL-9 ", "4930.00N 07245.00W", "088/067", "---", "CA"}));
}

TEST(Decoders, MendedArithmetic) {
    // One knot is 1.852 km/h (1.854 would give 464 and 463.5).
    const DecodeResult fast = DecodeUncompressed(Header("APRS"), "4903.50N/07201.75W>088/250");
    EXPECT_EQ(fast.report->CourseSpeed, "088/463");
    EXPECT_EQ(fast.labels.lblSpeedKmh, "463.0");
    // Hidden trailing Mic-E digits are stored as blanks.
    EXPECT_EQ(DecodeMicE(Header("S32UZZ"), kMicEInfo).report->Position, "3325.  N 11207.74W");
    // A message with any custom character is custom.
    EXPECT_EQ(MicEMessage("PA1"), "Custom-1");
    // Mic-E speed 800+ and course 400+ wrap.
    EXPECT_EQ(MicECourseSpeed(Bytes({96, 0, 0, 0, 28 + 82, 28 + 44, 28 + 5})),
              (MicECourseSpeedValue{5, 24}));
    // Latitude sum 15617967 is 48.999997 degrees: the minutes round to 60.00, the degrees stay.
    EXPECT_EQ(DecodeCompressed(Header("APRS"), "/5c!\"<*e7>7P[").labels.lblLat, "4860.00N");
}

TEST(Decoders, ZeroPositionsAreShownButNotStored) {
    const DecodeResult mic = DecodeMicE(Header("000000"), kMicEInfo);
    EXPECT_EQ(mic.labels.lblLat, "0000.00S");
    EXPECT_FALSE(mic.report);
    const DecodeResult plain = DecodeUncompressed(Header("APRS"), "0000.00N/07201.75W>088/036");
    EXPECT_EQ(plain.labels.lblLat, "0000.00N");
    EXPECT_FALSE(plain.report);
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
    // Each of the six position/speed/course bytes out of range, the symbol table, and course
    // hundreds digit 8 (851 - 400 = 451 degrees).
    const int bad[][2] = {{1, 27},  {1, 200}, {2, 37}, {2, 98},  {3, 27},
                          {4, 126}, {5, 255}, {6, 20}, {8, ','}, {5, 28 + 28}};
    for (const auto& [at, value] : bad) {
        std::string info = kMicEInfo;
        info[static_cast<std::size_t>(at)] = static_cast<char>(value);
        EXPECT_FALSE(DecodeMicE(Header("S32UVT"), info).report) << at << " " << value;
    }
    EXPECT_FALSE(DecodeMicE(Header("S32UVT"), kMicEInfo.substr(0, 8)).report);
    // Bytes below "!" are no base-91 digits: no altitude rather than a wrong one.
    EXPECT_EQ(MicEAltitude("`(_fn\"Oj/ \x01!}").altitude, "---");
}

// Fixed-station symbols and a missing course/speed are refused in PacketDispatchTest.
TEST(DecodeUncompressed, RefusedFieldsStoreNothing) {
    for (const char* field : {
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
        EXPECT_FALSE(DecodeUncompressed(Header("APRS"), field).report) << field;
    }
}

TEST(DecodeUncompressed, AltitudeFromTheComment) {
    EXPECT_EQ(AltitudeFromComment("/A=12ab56", 0), "---");
    EXPECT_EQ(AltitudeFromComment("/A=1000", 0), "305");     // fewer than 6 characters left
    EXPECT_EQ(AltitudeFromComment("/A=0012345", 0), "376");  // only 6 characters are read
    EXPECT_EQ(AltitudeFromComment("x/A=001234", 2), "---");  // searched from the comment on
    EXPECT_EQ(AltitudeFromComment("", 26), "---");
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
    for (const char* field : {"/5L!!<*e7-7P[", "/5L!!<*e7_7P[", "/5L!!<*e7>7", "/5L! <*e7>7P[",
                              "/5L!!<*e}>7P[", "z5L!!<*e7>7P["}) {
        const DecodeResult r = DecodeCompressed(Header("APRS"), field);
        EXPECT_FALSE(r.statusCall) << field;
        EXPECT_FALSE(r.report) << field;
    }
    // 12 characters (no compression type, or a NUL one) is still a position.
    EXPECT_TRUE(DecodeCompressed(Header("APRS"), "/5L!!<*e7>7P").report);
    EXPECT_TRUE(DecodeCompressed(Header("APRS"), std::string("/5L!!<*e7>7P\0", 13)).report);
}

TEST(SymbolToIconCode, TableRowsAndTheirTableIdentifiers) {
    const std::pair<const char*, const char*> cases[] = {
        {">/", "CA"},  {">\\", "CA"}, {">3", "CA"}, {"=\\", "00"}, {"k/", "TR"},
        {"k\\", "00"}, {"u\\", "TR"}, {"K/", "00"}, {"K\\", "KE"}, {"-/", "00"},
        {"#\\", "00"}, {"x/", "00"},  {"^A", "AI"}, {"'/", "AI"},  {">", "00"}};
    for (const auto& [symbol, code] : cases) EXPECT_EQ(SymbolToIconCode(symbol), code) << symbol;
}

TEST(Tnc2ToMonitorText, BuildsTheTncHeaderForPortOne) {
    EXPECT_EQ(Tnc2ToMonitorText("N0CALL-9>APRS,WIDE1-1,WIDE2-1:!abc", "12:34:56"),
              " 1:Fm N0CALL-9 To APRS Via WIDE1-1,WIDE2-1 <UI pid=F0 Len=4 >[12:34:56]\r!abc\r");
    EXPECT_EQ(Tnc2ToMonitorText("A>B:x:y"), " 1:Fm A To B <UI pid=F0 Len=3 >[00:00:00]\rx:y\r");
    for (const char* bad : {"no header", ">B:x", "A:B>x"}) EXPECT_FALSE(Tnc2ToMonitorText(bad));
}

}  // namespace
}  // namespace vireo
