// The settings file's line as written and read, damaged fields, and what the settings panel's OK
// makes of the boxes' texts.
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

namespace vireo {
namespace {

const std::string kIcons = "C:\\Vireo\\Icons";
const std::string kDefaultsLine =
    "\"localhost\",\"8000\",6050,\"30\",\"60\",0,0,11050,2650,#TRUE#,#TRUE#,#FALSE#,"
    "\"Vireo_Decoder.xml\",#TRUE#,\"800\",\"40\",\"000\",#TRUE#,\"20\",#FALSE#,"
    "\"C:\\Vireo\\Icons\",\"\",\"N42.00.00\",\"E012.00.00\",#FALSE#,#TRUE#,\"350\",\"7000\","
    "#FALSE#\r\n";

// The defaults line with field `number` (from 1) replaced by `value`.
std::string WithField(std::size_t number, std::string_view value) {
    std::size_t start = 0;
    for (std::size_t field = 1; field < number; ++field) start = kDefaultsLine.find(',', start) + 1;
    const std::size_t end = std::min(kDefaultsLine.find(',', start), kDefaultsLine.size() - 2);
    return std::string(kDefaultsLine).replace(start, end - start, value);
}

TEST(SettingsLineTest, DefaultsAndRoundTrip) {
    EXPECT_EQ(FormatSettingsLine(DefaultSettings(kIcons)), kDefaultsLine);
    EXPECT_EQ(ParseSettingsText(kDefaultsLine), DefaultSettings(kIcons));
    EXPECT_EQ(DeriveSettings(DefaultSettings(kIcons)),
              (DerivedSettings{30, 60, 20000, false, 33.25f, 42, 12}));
    // Lines of any other content read back and are written again byte for byte: the settings
    // file fuzz target.
}

TEST(SettingsLineTest, NumbersAreWrittenAsTheReaderTakesThem) {
    SettingsRecord r = DefaultSettings(kIcons);
    std::tie(r.WindowLeft, r.WindowTop, r.WindowHeight) = std::tuple(1234.5f, 0.1f, -0.0f);
    EXPECT_NE(FormatSettingsLine(r).find(",\"60\",1234.5,0.1,11050,0,#TRUE#"), std::string::npos);
    // Geometry the reader could not take back is written as the nearest value it can.
    using Float = std::numeric_limits<float>;
    const std::pair<float, float> geometry[] = {{1234.5f, 1234},         {-2.5f, -2},
                                                {1e30f, 2147483520},     {-1e30f, -2147483648.0f},
                                                {Float::quiet_NaN(), 0}, {Float::infinity(), 0}};
    for (const auto& [written, read] : geometry) {
        r.WindowWidth = written;
        EXPECT_EQ(ParseSettingsText(FormatSettingsLine(r)).value().WindowWidth, read) << written;
    }
    // A double quote cannot be written; dropping it keeps the fields after it in place.
    r.StyleFile = "my \"best\", styles.xml";
    EXPECT_EQ(ParseSettingsText(FormatSettingsLine(r)).value().StyleFile, "my best, styles.xml");

    // Numbers are rounded half to even and must fit 32 bits.
    const std::pair<const char*, std::optional<std::int32_t>> numbers[] = {
        {" 10050 ", 10050}, {"6050.5", 6050}, {"6051.5", 6052},
        {"-2.5", -2},       {"1.5E+3", 1500}, {"2147483647", 2147483647},
        {"2147483648", {}}, {"", {}},         {"12abc", {}},
        {"1e", {}},         {"inf", {}}};
    for (const auto& [text, value] : numbers) {
        const auto parsed = ParseSettingsText(WithField(3, text));
        EXPECT_EQ(parsed ? std::optional(parsed->RefreshMs) : std::nullopt, value) << text;
    }
}

TEST(SettingsLineTest, DamagedAndOddlyFormedLines) {
    for (const char* bad : {"#true#", "TRUE", "1", "", "\"#TRUE#\""}) {
        EXPECT_FALSE(ParseSettingsText(WithField(10, bad))) << bad;
        EXPECT_FALSE(ParseSettingsText(WithField(29, bad))) << bad;
    }
    EXPECT_FALSE(ParseSettingsText(kDefaultsLine.substr(0, kDefaultsLine.rfind(',')) + "\r\n"));
    EXPECT_FALSE(ParseSettingsText(WithField(28, "\"7000")));  // unclosed quote eats field 29
    // A line end inside the record separates fields: a blank line adds an empty one.
    EXPECT_FALSE(ParseSettingsText(WithField(3, "\r\n6050")));

    // Blanks around fields, text after a closing quote, a comma and line end inside quotes, lone
    // LF, lone CR and CR LF between fields, more fields and lines after the 29th.
    std::string text = WithField(1, "  my host  ");
    text.replace(text.find("\"8000\""), 6, " \t\"8001\" ignored");
    text.replace(text.find("\"Vireo_Decoder.xml\""), 19, "\"a,\r\nb\"");
    text.replace(text.find(",#TRUE#,#TRUE#"), 1, "\n");
    text.replace(text.find(",\"N42"), 1, "\r");
    text.replace(text.find(",\"350\""), 1, "\r\n");
    text.replace(text.size() - 2, 2, ",\"extra\",#junk#\r\nsecond line");
    const auto parsed = ParseSettingsText(text);
    ASSERT_TRUE(parsed) << text;
    EXPECT_EQ(std::tie(parsed->AgwAddress, parsed->AgwPort, parsed->StyleFile, parsed->MinRange),
              std::tuple("my host", "8001", "a,\r\nb", "350"));
}

TEST(SettingsOkTest, BoxesAreCorrectedAndDerived) {
    const std::tuple<const char*, const char*, std::int32_t> cases[] = {
        {"2", "4", 4050},      {"100", "40", 40050},   {"12.5", "12", 12050},
        {"13.5", "14", 14050}, {"letters", "4", 4050}, {" 6 ", "6", 6050}};
    for (const auto& [typed, shown, ms] : cases) {
        std::string box = typed;
        EXPECT_EQ(RefreshFromText(box), ms) << typed;
        EXPECT_EQ(box, shown);
    }

    SettingsRecord r = DefaultSettings(kIcons);
    std::string refresh = "8";
    RefreshFromText(refresh);
    r.StationTimeout = r.TrackTimeout = "-1";
    r.ViewTilt = "-10";
    r.FollowLock = "5";
    std::tie(r.MinRange, r.MaxRange, r.HomeLat, r.HomeLon) = std::tuple("10", "20", "S33.15", "");
    CorrectSettingsTexts(r, refresh);
    EXPECT_EQ(std::tie(r.StationTimeout, r.TrackTimeout, r.ViewTilt, r.ViewHeading, r.FollowLock),
              std::tuple("30", "30", "0", "0", "8"));
    EXPECT_EQ(r.MinRange, "10");  // the range boxes keep what was typed
    // The range runs from at least 50 m, to 300 m above that when the maximum is below.
    EXPECT_EQ(DeriveSettings(r), (DerivedSettings{30, 30, 8000, false, 1.5f, -33.25f, 0}));

    std::tie(r.StationTimeout, r.ViewTilt, r.ViewHeading, r.FollowLock) =
        std::tuple(" 12.5 min", "85.5", "400", "90");
    std::tie(r.MinRange, r.MaxRange) = std::tuple("350", "7000");
    CorrectSettingsTexts(r, refresh);
    EXPECT_EQ(std::tie(r.StationTimeout, r.ViewTilt, r.ViewHeading, r.FollowLock),
              std::tuple("12", "85", "360", "60"));
    EXPECT_EQ(DeriveSettings(r), (DerivedSettings{12, 30, 60000, true, 33.25f, -33.25f, 0}));
}

}  // namespace
}  // namespace vireo
