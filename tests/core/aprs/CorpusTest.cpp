// Conformance with the position test vectors of public APRS decoding libraries (data/public.tsv):
// every packet goes the whole road (TNC2 text -> monitor text -> split -> dispatch -> decoder),
// and what the station list would get is compared with what the libraries decode.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "aprs/Decoders.h"
#include "aprs/MonitorText.h"
#include "aprs/Tnc2Text.h"

namespace vireo {
namespace {

struct Row {
    std::string packet, format, lat, lon, course, speedKn, altM, symTable, symCode, ambiguity, note;
};

// The packet column escapes "\\", tabs ("\\t") and other bytes ("\\xHH").
std::string Unescape(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
        } else if (s[++i] == 'x' && i + 2 < s.size()) {
            out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += s[i] == 't' ? '\t' : s[i];
        }
    }
    return out;
}

std::vector<Row> ReadCorpus() {
    std::ifstream in(VIREO_TEST_DATA "/public.tsv", std::ios::binary);
    std::vector<Row> rows;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#' || line.starts_with("source\t")) continue;
        std::vector<std::string> cells;
        std::stringstream split(line);
        for (std::string cell; std::getline(split, cell, '\t');) cells.push_back(cell);
        cells.resize(12);
        rows.push_back({Unescape(cells[1]), cells[2], cells[3], cells[4], cells[5], cells[6],
                        cells[7], cells[8], cells[9], cells[10], cells[11]});
    }
    return rows;
}

// Rows where this program's answer differs from the libraries' on purpose, keyed by the start of
// the packet.
struct Difference {
    const char* packet;
    bool stored;  // what this program does
    const char* why;
};

// Besides these rows, two conventions differ from some libraries and are allowed for below:
// - a compressed course byte "!" is course 0 here, 360 in some libraries (compared modulo 360);
// - speeds are kept in whole knots before the km/h conversion (compressed 58.08 kn -> 58 kn).
// Rows the libraries accept but this program refuses by its own rules (fixed-station symbols, no
// course/speed, ambiguity in uncompressed reports, position not at the start of the field) are
// picked out by RefusedByDesign below. Every row the libraries reject is refused here too.
const Difference kDifferences[] = {
    // Mic-E at latitude 0: a receiver without a fix sends zeros, so a position at exactly 0
    // degrees latitude or longitude is shown but not stored.
    {"N0CALL>PPPPPP:`(_fn\"Oj/", false, "latitude exactly 0 is not stored"},
};

const Difference* DifferenceFor(const std::string& packet) {
    for (const Difference& d : kDifferences) {
        if (packet.starts_with(d.packet)) return &d;
    }
    return nullptr;
}

// Whether the program is meant to refuse the row by its own rules: only moving stations with a
// course and speed, and no position ambiguity in uncompressed reports.
bool RefusedByDesign(const Row& row) {
    if (row.format == "invalid" || row.note.find("LAST-RESORT") != std::string::npos) return true;
    if (row.symCode == "-" || row.symCode == "#") return true;
    if (row.format != "mic-e" && row.symCode == "_") return true;
    if (row.format == "uncompressed") {
        return row.course.empty() || row.speedKn.empty() || row.ambiguity != "0";
    }
    return row.format == "compressed" && row.course.empty();
}

double Degrees(std::string_view text, std::size_t degreeDigits) {
    const double value = std::stod(std::string(text.substr(0, degreeDigits))) +
                         std::stod(std::string(text.substr(degreeDigits, 5))) / 60.0;
    return text[degreeDigits + 5] == 'S' || text[degreeDigits + 5] == 'W' ? -value : value;
}

TEST(Corpus, EveryRowDecodesAsTheLibrariesSayOrAsThisProgramRules) {
    const auto rows = ReadCorpus();
    if (rows.empty()) GTEST_SKIP() << "test vectors not found";
    int stored = 0;
    std::string scratch;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.packet + "  [" + row.note + "]");
        const auto monitor = Tnc2ToMonitorText(row.packet);
        const auto report = monitor ? DecodeMonitorText(*monitor, scratch) : std::nullopt;

        // The road with panel labels stores the same.
        if (monitor) {
            const auto call = DispatchPacket(SplitMonitorText(*monitor)).call;
            EXPECT_EQ(call ? RunDecoder(*call).report : std::nullopt, report);
        }

        const Difference* difference = DifferenceFor(row.packet);
        const bool expectStored = difference ? difference->stored : !RefusedByDesign(row);
        EXPECT_EQ(report.has_value(), expectStored);
        if (!report || !expectStored) continue;
        ++stored;

        std::string call = row.packet.substr(0, row.packet.find('>')).substr(0, 9);
        call.resize(9, ' ');
        EXPECT_EQ(report->Call, call);

        // The program keeps hundredths of a minute; the libraries' values may include a DAO
        // correction of up to 0.0002 degrees.
        const double tolerance =
            0.005 / 60 + 1e-6 + (row.note.find("DAO") != std::string::npos ? 0.0002 : 0);
        ASSERT_EQ(report->Position.size(), 18u);
        EXPECT_NEAR(Degrees(report->Position, 2), std::stod(row.lat), tolerance);
        EXPECT_NEAR(Degrees(std::string_view(report->Position).substr(9), 3), std::stod(row.lon),
                    tolerance);

        const int course = std::stoi(report->CourseSpeed.substr(0, 3));
        EXPECT_EQ(course % 360, std::stoi(row.course) % 360);     // 0 and 360 both say north
        const double knots = std::round(std::stod(row.speedKn));  // the program keeps whole knots
        char speed[16];
        std::snprintf(speed, sizeof speed, "/%03ld", std::lround(knots * 1.852));
        EXPECT_EQ(report->CourseSpeed.substr(3), speed);
        EXPECT_EQ(report->Altitude,
                  row.altM.empty() ? "---" : std::to_string(std::lround(std::stod(row.altM))));
    }
    EXPECT_GE(stored, 20);
}

}  // namespace
}  // namespace vireo
