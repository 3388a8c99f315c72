// The decode road, all through DecodePacket:
// - the worked examples of the three formats, the data-type dispatch, relayed packets, refused
//   packets and the monitor lines, as tables;
// - the position test vectors of public APRS decoding libraries (data/public.tsv);
// - round trips: a small encoder writes random valid packets of each format in every form the
//   format allows for a value (Mic-E's second speed and course ranges, hidden digits of position
//   ambiguity, time stamps), near the equator, the poles, Greenwich and the date line, and
//   decoding them must give back what was put in;
// and the symbol table and the home coordinate text.
#include "aprs/Decode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "aprs/CoordinateText.h"
#include "aprs/SymbolIcon.h"
#include "aprs/Tnc2Text.h"

namespace vireo {
namespace {

// Decodes a TNC2 packet as heard on port 1 (a line that is no packet gives an empty text).
DecodedPacket DecodeTnc2(const std::string& tnc2) {
    static std::string monitor, scratch;
    monitor = Tnc2ToMonitorText(tnc2).value_or("");
    return DecodePacket(monitor, scratch);
}

// A packet as one text: the format letter, then for a kept packet its details ("~" where the
// format reads nothing) and, after "=>", the report, "no course/speed" or "-".
std::string Describe(const DecodedPacket& p) {
    std::string out(1, p.format ? "MCU"[static_cast<int>(*p.format)] : '-');
    if (!p.call) return out;
    const PacketDetails& d = p.details;
    for (const auto* field : {&d.latitude, &d.longitude, &d.message, &d.course, &d.speedKnots,
                              &d.speedKmh, &d.altitude, &d.comment}) {
        out += out.size() == 1 ? ' ' : '|';
        out += field->value_or("~");
    }
    if (*p.call != "N0CALL-9 " || (p.report && p.report->Call != *p.call)) out += " another call";
    if (p.withoutCourseSpeed || !p.report)
        return out + (p.withoutCourseSpeed ? " => no course/speed" : " => -");
    const PositionReport& r = *p.report;
    return out + " => " + r.Position + "|" + r.CourseSpeed + "|" + r.Altitude + "|" + r.IconCode;
}

TEST(DecodePacket, WorkedExamples) {
    const std::pair<const char*, const char*> rows[] = {
        // Mic-E; hidden latitude digits are kept as blanks.
        {"S32UVT:`(_fn\"Oj/",
         "M 3325.64N|11207.74W|Returning|251|020|37.0|---| => 3325.64N 11207.74W|251/037|---|JE"},
        {"S32UZZ:'(_fn\"Oj/]\"3x}=",
         "M 3325.  N|11207.74W|Returning|251|020|37.0|6|= => 3325.  N 11207.74W|251/037|6|JE"},
        // Altitude characters that are no base-91 digits give no altitude.
        {"PA1UVT:\x1c(_fn\"Oj/ \x01!}x",
         "M 0015.64N|11207.74W|Custom-1|251|020|37.0|---|x => 0015.64N 11207.74W|251/037|---|JE"},
        {"APRS:}N0CALL-9>S32UVT,TCPIP*:`(_fn\"Oj/",  // relayed: the inner header counts
         "M 3325.64N|11207.74W|Returning|251|020|37.0|---| => 3325.64N 11207.74W|251/037|---|JE"},
        // Uncompressed; one knot is 1.852 km/h.
        {"APRS:!4903.50N/07201.75W>088/036/A=001234 Test",
         "U 4903.50N|07201.75W|~|088|036|66.7|376|/A=001234 Test => "
         "4903.50N 07201.75W|088/067|376|CA"},
        {"APRS:=4903.50N/07201.75W>088/036/A=12ab56",
         "U 4903.50N|07201.75W|~|088|036|66.7|---|/A=12ab56 => 4903.50N 07201.75W|088/067|---|CA"},
        {"APRS:}N0CALL-9>APRS:!4903.50N/07201.75W>088/036 a, b",  // the comma is no path
         "U 4903.50N|07201.75W|~|088|036|66.7|---| a, b => 4903.50N 07201.75W|088/067|---|CA"},
        // Compressed; minutes that round up to 60 are written so.
        {"APRS:=/5L!!<*e7>7P[",
         "C 4930.00N|07245.00W||088|036|66.7|---| => 4930.00N 07245.00W|088/067|---|CA"},
        {"APRS:/092345z\\5c!\"<*e7>7P\x01",
         "C 4860.00N|07245.00W||088|036|66.7|---| => 4860.00N 07245.00W|088/067|---|CA"},
        {"APRS:!b5L!!<*e7>!!",
         "C 4930.00N|07245.00W||000|000|0.0|---| => 4930.00N 07245.00W|000/000|---|CA"},
    };
    for (const auto& [packet, expected] : rows) {
        EXPECT_EQ(Describe(DecodeTnc2(std::string("N0CALL-9>") + packet)), expected) << packet;
    }
    // Compressed without course and speed: course byte 90 or blank, speed byte beyond base-91,
    // or a GGA type byte (the two bytes carry an altitude).
    for (const char* cs : {"{P[", " P[", "7~", "7P3"}) {
        EXPECT_EQ(Describe(DecodeTnc2(std::string("N0CALL-9>APRS:=/5L!!<*e7>") + cs)),
                  "C 4930.00N|07245.00W||---|---||---| => no course/speed");
    }
}

// Packets whose report would be well-formed but wrong (the fuzz target checks the form).
TEST(DecodePacket, RefusedPacketsShowNothing) {
    std::vector<std::string> infos;
    // Mic-E: latitudes beyond 90 degrees or 59 minutes, a hidden digit before a shown one, too
    // short, information bytes outside the ranges of the format, a house symbol.
    for (const char* dest : {"9932VT", "S36UVT", "S3L5VT"})
        infos.push_back(dest + std::string(":`(_fn\"Oj/"));
    infos.push_back("S32UVT:`(_fn\"Oj");  // 8 characters
    const int bad[][2] = {{1, 200}, {2, 37},  {2, 98},      {4, 128},
                          {5, 255}, {8, ','}, {5, 28 + 28}, {7, '-'}};
    for (const auto& [at, value] : bad) {
        infos.push_back("S32UVT:`(_fn\"Oj/");
        infos.back()[7 + static_cast<std::size_t>(at)] = static_cast<char>(value);
    }
    for (const char* info :
         {// Uncompressed out of range or without symbol table (the corpus has the fixed
          // stations and reports without course and speed).
          "!9103.50N/07201.75W>088/036", "!4960.50N/07201.75W>088/036",
          "!4903.50N/18101.75W>088/036", "!4903.50N/07201.75W>361/036",
          "!4903.50N,07201.75W>088/036",
          // Ambiguity before a digit or in the degrees.
          "!4821. 5N/01000. 5E>088/036", "!48 1.  N/010 0.  E>088/036",
          "!4 21.00N/0 000.00E>088/036",
          // Compressed: fixed stations, no base-91 position, no table; other data types.
          "=/5L!!<*e7-7P[", "=/5L!!<*e7_7P[", "=/5L! <*e7>7P[", "!k5L!!<*e7>7P[", ">Status"}) {
        infos.push_back(std::string("APRS:") + info);
    }
    for (const std::string& info : infos) {
        const std::string got = Describe(DecodeTnc2("N0CALL-9>" + info));
        EXPECT_EQ(got.size(), 1u) << info << " gave " << got;
    }
}

TEST(DecodePacket, KeepsTheLastTwoNonEmptyMonitorLines) {
    const std::string odd("a\nb\0c\xe9", 6);  // line feeds, NULs and high bytes are characters
    std::string scratch;
    for (const auto& [text, lines] : std::vector<std::pair<std::string, std::vector<std::string>>>{
             {"h\rabc\r\r" + std::string(1, '\0'), {"h", "abc"}},  // CR CR NUL
             {"one\rtwo\r" + odd + "\r", {"two", odd}},
             {"h\r", {"h"}},
             {"h", {}}}) {  // no carriage return: nothing complete
        const DecodedPacket p = DecodePacket(text, scratch);
        EXPECT_EQ(std::vector<std::string>(p.lines, p.lines + p.lineCount), lines) << text;
    }
    // A lone line is not decoded, however it reads.
    EXPECT_FALSE(DecodePacket("!4903.50N/07201.75W>088/036\r", scratch).format);
}

TEST(SymbolIconCode, TableRowsAndTheirTableIdentifiers) {
    for (const char* row : {">/CA", ">3CA", "=\\00", "k/TR", "k\\00", "u\\TR", "K/00", "K\\KE",
                            "-/00", "#\\00", "x/00", "^AAI", "'/AI", "Y/BO", "s\\BO"}) {
        EXPECT_EQ(SymbolIconCode(row[0], row[1]), row + 2) << row;
    }
}

TEST(CoordinateText, ConvertsAndValidatesTheHomePosition) {
    const std::pair<const char*, float> degrees[] = {
        {"N42.00.00", 42.0f},      {"E012.00.00", 12.0f},     {"S33.25.64", -33.4273333f},
        {"W112.07.74", -112.129f}, {"n42.30.50", 42.508333f}, {"N42.30.5", 42.508333f},
        {"-42.30.00", -42.5f},     {"42.30.00", 42.5f}};
    for (const auto& [text, value] : degrees) EXPECT_FLOAT_EQ(CoordinateToDegrees(text), value);
    for (const char* text : {"N42", "Nxx.30.00", ""}) EXPECT_EQ(CoordinateToDegrees(text), 0.0f);
    EXPECT_TRUE(std::isfinite(CoordinateToDegrees(std::string(400, '9') + ".00.00")));
    for (const char* lat :
         {"N42.00.00", "S33.25.64", "n42.00.00", "N42.00.5", "N90.00.00", "42.00.00", "-05.10.20"})
        EXPECT_TRUE(IsLatitudeText(lat)) << lat;
    for (const char* lat :
         {"N42.60.00", "N91.00.00", "N90.30.00", "N42.00", "N42.00.", "E42.00.00", "N4", "", "N",
          "...", "N42.0a.00", "N-42.00.00", "N42.00.00x", "N4x.00.00"})
        EXPECT_FALSE(IsLatitudeText(lat)) << lat;
    EXPECT_TRUE(IsLongitudeText("W112.07.74") && IsLongitudeText("w180.00.00"));
    EXPECT_FALSE(IsLongitudeText("E181.00.00") || IsLongitudeText("N012.00.00"));
}

// Signed degrees of "ddmm.hhN" (degreeDigits 2) or "dddmm.hhE" (3).
double Degrees(std::string_view text, std::size_t degreeDigits) {
    const double value = std::stod(std::string(text.substr(0, degreeDigits))) +
                         std::stod(std::string(text.substr(degreeDigits, 5))) / 60.0;
    return text[degreeDigits + 5] == 'S' || text[degreeDigits + 5] == 'W' ? -value : value;
}

struct Row {
    std::string packet, format, lat, lon, course, speedKn, altM, symCode, note;
};

// The packet column escapes "\\", tabs, CRs and LFs ("\\t", "\\r", "\\n") and other bytes
// ("\\xHH").
std::string Unescape(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i] == '\\' ? s[++i] : '\0';
        if (c == 'x') {
            out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += c == 't' ? '\t' : c == 'r' ? '\r' : c == 'n' ? '\n' : c ? c : s[i];
        }
    }
    return out;
}

std::vector<Row> ReadCorpus() {
    std::ifstream in(VIREO_TEST_DATA "/public.tsv", std::ios::binary);
    std::vector<Row> rows;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#' || line.starts_with("source\t")) continue;
        std::vector<std::string> c;
        std::stringstream split(line);
        for (std::string cell; std::getline(split, cell, '\t');) c.push_back(cell);
        c.resize(12);
        rows.push_back({Unescape(c[1]), c[2], c[3], c[4], c[5], c[6], c[7], c[9], c[11]});
    }
    return rows;
}

// Rows the libraries store and this program refuses on purpose, keyed by the packet's start.
// Besides these, the program refuses fixed stations (house, digipeater, weather), reports without
// course and speed, and whatever the libraries reject. Two conventions differ from some
// libraries: a compressed course byte "!" is course 0 here, 360 there (compared modulo 360), and
// speeds are kept in whole knots before the km/h conversion (58.08 kn -> 58 kn).
const char* const kRefusedHere[] = {
    // A Mic-E position at exactly 0 degrees (a receiver without a fix) is shown, not stored.
    "N0CALL>PPPPPP:`(_fn\"Oj/",
    // Ambiguity must hide the same places in both coordinates.
    "N0CALL>VE9:@074849h4821.  N",
    "3D17F2>APRS,qAS,DL4MEA:!48  .  N",
};

bool Stored(const Row& row) {
    if (std::ranges::any_of(kRefusedHere, [&](auto p) { return row.packet.starts_with(p); }) ||
        row.format == "invalid" || row.note.find("LAST-RESORT") != std::string::npos ||
        row.symCode == "-" || row.symCode == "#") {
        return false;
    }
    return row.format == "mic-e" ||
           (row.symCode != "_" && !row.course.empty() && !row.speedKn.empty());
}

TEST(Corpus, EveryRowDecodesAsTheLibrariesSayOrAsThisProgramRules) {
    const auto rows = ReadCorpus();
    ASSERT_GE(rows.size(), 100u) << "test vectors not found";
    DecodedPacket reused;  // one result for every row, as the decode tool keeps one
    std::string monitor, scratch;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.packet + "  [" + row.note + "]");
        const DecodedPacket packet = DecodeTnc2(row.packet);
        DecodePacket(monitor = Tnc2ToMonitorText(row.packet).value_or(""), scratch, reused);
        EXPECT_TRUE(Describe(reused) == Describe(packet) && reused.details == packet.details);
        const auto& report = packet.report;
        EXPECT_EQ(report.has_value(), Stored(row));
        if (!report) continue;
        // Hundredths of a minute here; the libraries' values may include a DAO correction.
        const double tolerance =
            0.005 / 60 + 1e-6 + (row.note.find("DAO") != std::string::npos ? 0.0002 : 0);
        EXPECT_NEAR(Degrees(report->Position, 2), std::stod(row.lat), tolerance);
        EXPECT_NEAR(Degrees(report->Position.substr(9), 3), std::stod(row.lon), tolerance);

        EXPECT_EQ(std::stoi(report->CourseSpeed) % 360, std::stoi(row.course) % 360);
        const double knots = std::round(std::stod(row.speedKn));
        EXPECT_EQ(std::stol(report->CourseSpeed.substr(4)), std::lround(knots * 1.852));
        EXPECT_EQ(report->Altitude,
                  row.altM.empty() ? "---" : std::to_string(std::lround(std::stod(row.altM))));
    }
}

// The report's position, course/speed and altitude, or "-".
std::string ReportText(const DecodedPacket& p) {
    if (!p.report) return "-";
    return p.report->Position + "|" + p.report->CourseSpeed + "|" + p.report->Altitude;
}

struct Draw {
    std::mt19937 rng{20240611};

    int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }
    bool Coin() { return Int(0, 1) == 1; }
    // Hundredths of a minute up to `limit`, often close to 0 or to the limit.
    int Angle(int limit) {
        const int kind = Int(0, 2);
        return kind == 0 ? Int(0, 300) : kind == 1 ? limit - Int(0, 600) : Int(0, limit);
    }
    // What stands before the position: the data type and maybe a time stamp.
    const char* Type() { return std::array{"!", "=", "@092345z", "/092345z"}[Int(0, 3)]; }
};

// "ddmm.hh" / "dddmm.hh" of an angle in hundredths of a minute.
std::string AngleText(int hundredths, int degreeDigits) {
    char out[16];
    std::snprintf(out, sizeof out, "%0*d%02d.%02d", degreeDigits, hundredths / 6000,
                  hundredths / 100 % 60, hundredths % 100);
    return out;
}

// The report text of the given latitude and longitude texts, course, knots and altitude.
std::string ReportOf(const std::string& lat, bool north, const std::string& lon, bool west,
                     int course, double knots, const std::string& altitude) {
    char courseSpeed[16];
    std::snprintf(courseSpeed, sizeof courseSpeed, "%03d/%03ld", course,
                  std::lround(knots * 1.852));
    return lat + (north ? "N " : "S ") + lon + (west ? "W|" : "E|") + courseSpeed + "|" + altitude;
}

std::string Base91(long value, std::size_t width) {
    std::string out(width, '!');
    for (std::size_t k = width; k-- > 0; value /= 91) out[k] = static_cast<char>(value % 91 + 33);
    return out;
}

TEST(RoundTrip, MicE) {
    Draw draw;
    const char* kStandard[] = {"Emergency", "Priority",   "Special",  "Committed",
                               "Returning", "In Service", "En Route", "Off Duty"};
    for (int i = 0; i < 3000; ++i) {
        const int lat = draw.Angle(90 * 6000 - 1), lon = draw.Angle(180 * 6000 - 1);
        const bool north = draw.Coin(), west = draw.Coin(), custom = draw.Coin();
        const int message = draw.Int(0, 7), course = draw.Int(0, 360), speed = draw.Int(0, 799);
        const int altitudeForm = draw.Int(0, 2), altitude = draw.Int(-10000, 60000);

        const std::string latText = AngleText(lat, 2);
        const std::string digits = latText.substr(0, 4) + latText.substr(5, 2);
        const int lonDegrees = lon / 6000, lonMinutes = lon / 100 % 60;
        const bool offset = lonDegrees < 10 || lonDegrees >= 100;
        const bool flags[6] = {
            (message & 4) != 0, (message & 2) != 0, (message & 1) != 0, north, offset, west};
        std::string dest;
        for (std::size_t k = 0; k < 6; ++k) {
            const char base = !flags[k] ? '0' : (k < 3 && custom) ? 'A' : 'P';
            dest += static_cast<char>(base + (digits[k] - '0'));
        }
        std::string info = draw.Coin() ? "`" : "'";
        info += static_cast<char>(lonDegrees < 10    ? lonDegrees + 118
                                  : lonDegrees < 100 ? lonDegrees + 28
                                  : lonDegrees < 110 ? lonDegrees + 8
                                                     : lonDegrees - 72);
        info += static_cast<char>(lonMinutes < 10 ? lonMinutes + 88 : lonMinutes + 28);
        info += static_cast<char>(lon % 100 + 28);
        // Speeds below 200 knots may also be sent 800 higher ("l" to DEL), course hundreds 4 up.
        info += static_cast<char>(speed / 10 + (speed < 200 && draw.Coin() ? 108 : 28));
        info += static_cast<char>(speed % 10 * 10 + course / 100 + (draw.Coin() ? 32 : 28));
        info += static_cast<char>(course % 100 + 28);
        info += altitudeForm == 2 ? ">/]" : ">/";
        if (altitudeForm != 0) info += Base91(altitude + 10000, 3) + "}";
        info += "Comment";

        SCOPED_TRACE(dest + " " + info);
        const DecodedPacket r = DecodeTnc2("N0CALL-9>" + dest + ":" + info);
        EXPECT_EQ(r.details.message, custom && message != 0
                                         ? std::string("Custom-") + static_cast<char>('7' - message)
                                         : std::string(kStandard[message]));
        EXPECT_EQ(r.details.comment, "Comment");
        const std::string altitudeText = altitudeForm == 0 ? "---" : std::to_string(altitude);
        EXPECT_EQ(ReportText(r), lat == 0 || lon == 0
                                     ? "-"
                                     : ReportOf(latText, north, AngleText(lon, 3), west, course,
                                                speed, altitudeText));
    }
}

// Uncompressed and compressed positions of the same draw. In the uncompressed one, ambiguity
// hides the same last places of both coordinates (the hundredths, then the minutes), read as 0.
TEST(RoundTrip, PositionFormats) {
    Draw draw;
    for (int i = 0; i < 3000; ++i) {
        const int latH = draw.Angle(90 * 6000), lonH = draw.Angle(180 * 6000 - 1);
        const bool north = draw.Coin(), west = draw.Coin(), withAltitude = draw.Coin();
        const int course = draw.Int(0, 360), speed = draw.Int(0, 999),
                  feet = draw.Int(-9999, 99999);
        const std::string altitude =
            withAltitude ? std::to_string(std::lround(feet * 0.3048)) : "---";
        char comment[16] = " x";
        if (withAltitude) std::snprintf(comment, sizeof comment, "/A=%06d", feet);

        std::string lat = AngleText(latH, 2), lon = AngleText(lonH, 3);
        for (int k = 0, hidden = draw.Coin() ? 0 : draw.Int(1, 4); k < hidden; ++k) {
            lat[lat.size() - 1 - k - k / 2] = lon[lon.size() - 1 - k - k / 2] = ' ';
        }
        char field[96];
        std::snprintf(field, sizeof field, "%s%s%c/%s%c>%03d/%03d%s", draw.Type(), lat.c_str(),
                      north ? 'N' : 'S', lon.c_str(), west ? 'W' : 'E', course, speed, comment);
        const bool zero = lat.find_first_not_of("0. ") == std::string::npos ||
                          lon.find_first_not_of("0. ") == std::string::npos;
        EXPECT_EQ(ReportText(DecodeTnc2(std::string("N0CALL-9>APRS:") + field)),
                  zero ? "-" : ReportOf(lat, north, lon, west, course, speed, altitude))
            << field;

        const double latitude = (north ? 1 : -1) * latH / 6000.0;
        const double longitude = (west ? -1 : 1) * lonH / 6000.0;
        const long latSum = std::lround(380926 * (90 - latitude));
        const long lonSum = std::lround(190463 * (180 + longitude));
        if (latSum == 90 * 380926 || lonSum == 180 * 190463) continue;  // exactly 0: not stored
        const int c = course % 360 / 4, s = draw.Int(0, 90);
        int type = draw.Int(0, 63);
        if (((type >> 3) & 3) == 2) type ^= 8;  // not a GGA altitude in cs
        const std::string packed = std::string(draw.Type()) + (draw.Coin() ? "/" : "\\") +
                                   Base91(latSum, 4) + Base91(lonSum, 4) + ">" +
                                   static_cast<char>(c + 33) + static_cast<char>(s + 33) +
                                   static_cast<char>(type + 33) + (withAltitude ? comment : "");
        SCOPED_TRACE(packed);
        const DecodedPacket r = DecodeTnc2("N0CALL-9>APRS:" + packed);
        ASSERT_TRUE(r.report);
        // Hundredths of a minute, rounded; speeds in whole knots.
        EXPECT_NEAR(Degrees(r.report->Position, 2), latitude, 0.0065 / 60);
        EXPECT_NEAR(Degrees(r.report->Position.substr(9), 3), longitude, 0.0065 / 60);
        EXPECT_EQ(std::stoi(r.report->CourseSpeed), c * 4);
        EXPECT_NEAR(std::stod(r.report->CourseSpeed.substr(4)),
                    std::round(std::round(std::pow(1.08, s) - 1) * 1.852), 2.0);
        EXPECT_EQ(r.report->Altitude, altitude);
    }
}

}  // namespace
}  // namespace vireo
