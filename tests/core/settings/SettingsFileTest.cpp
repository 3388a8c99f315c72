#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <vector>

namespace vireo {
namespace {

namespace fs = std::filesystem;

const std::string kIcons = "C:\\Vireo\\Icons";
const std::string kDefaultsLine =
    "\"localhost\",\"8000\",6050,\"30\",\"60\",0,0,11050,2650,#TRUE#,#TRUE#,#FALSE#,"
    "\"Vireo_Decoder.xml\",#TRUE#,\"800\",\"40\",\"000\",#TRUE#,\"20\",#FALSE#,"
    "\"C:\\Vireo\\Icons\",\"\",\"N42.00.00\",\"E012.00.00\",#FALSE#,#TRUE#,\"350\",\"7000\","
    "#FALSE#\r\n";

// The defaults line with field `number` (from 1) replaced, or dropped when `value` is nullptr.
std::string WithField(std::size_t number, const char* value) {
    std::vector<std::string> fields(1);
    for (char c : kDefaultsLine.substr(0, kDefaultsLine.size() - 2)) {
        if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back().push_back(c);
        }
    }
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i + 1 == number && !value) continue;
        line += (line.empty() ? "" : ",") + (i + 1 == number ? value : fields[i]);
    }
    return line + "\r\n";
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

TEST(SettingsLineTest, DefaultsRecord) {
    EXPECT_EQ(FormatSettingsLine(DefaultSettings(kIcons)), kDefaultsLine);
    EXPECT_EQ(ParseSettingsText(kDefaultsLine), DefaultSettings(kIcons));
}

TEST(SettingsLineTest, GeometryIsWrittenShortestAndReadBackWhole) {
    SettingsRecord r = DefaultSettings(kIcons);
    r.WindowLeft = 1234.5f;
    r.WindowTop = 0.1f;
    r.WindowWidth = -15.0f;
    r.WindowHeight = -0.0f;
    const std::string line = FormatSettingsLine(r);
    EXPECT_NE(line.find(",\"60\",1234.5,0.1,-15,0,#TRUE#"), std::string::npos) << line;

    const auto parsed = ParseSettingsText(line);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->WindowLeft, 1234.0f);  // half to even
    EXPECT_EQ(parsed->WindowTop, 0.0f);
    EXPECT_EQ(parsed->WindowWidth, -15.0f);

    // Values the reader could not take back are written as the nearest it can.
    r.WindowLeft = 1e30f;
    r.WindowTop = -1e30f;
    r.WindowWidth = std::numeric_limits<float>::quiet_NaN();
    r.WindowHeight = std::numeric_limits<float>::infinity();
    const auto clamped = ParseSettingsText(FormatSettingsLine(r));
    ASSERT_TRUE(clamped);
    EXPECT_EQ(clamped->WindowLeft, 2147483520.0f);
    EXPECT_EQ(clamped->WindowTop, -2147483648.0f);
    EXPECT_EQ(clamped->WindowWidth, 0.0f);
    EXPECT_EQ(clamped->WindowHeight, 0.0f);
}

TEST(SettingsLineTest, NumbersRoundHalfToEvenAndMustFit32Bits) {
    const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
        {" 10050 ", 10050}, {"6050.5", 6050}, {"6051.5", 6052},
        {"-2.5", -2},       {"1.5E+3", 1500}, {"2147483647", 2147483647},
        {"2147483648", {}}, {"", {}},         {"12abc", {}},
        {"1e", {}},         {"inf", {}},
    };
    for (const auto& [text, value] : cases) {
        SCOPED_TRACE(text);
        const auto refresh = ParseSettingsText(WithField(3, text));
        const auto height = ParseSettingsText(WithField(9, text));
        ASSERT_EQ(refresh.has_value(), value.has_value());
        ASSERT_EQ(height.has_value(), value.has_value());
        if (value) {
            EXPECT_EQ(refresh->RefreshMs, *value);
            EXPECT_EQ(height->WindowHeight, static_cast<float>(*value));
        }
    }
}

TEST(SettingsLineTest, MalformedOrShortRecords) {
    for (const char* bad : {"#true#", "TRUE", "1", "", "\"#TRUE#\""}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(ParseSettingsText(WithField(10, bad)));
        EXPECT_FALSE(ParseSettingsText(WithField(29, bad)));
    }
    EXPECT_FALSE(ParseSettingsText(WithField(29, nullptr)));   // 28 fields
    EXPECT_FALSE(ParseSettingsText(WithField(28, "\"7000")));  // unclosed quote eats field 29
    EXPECT_FALSE(ParseSettingsText(""));
    // A line end inside the record is a separator: a blank line adds an empty field.
    EXPECT_FALSE(ParseSettingsText(WithField(3, "\r\n6050")));
}

TEST(SettingsLineTest, ReaderForms) {
    std::string text = WithField(1, "  my host  ");
    text.replace(text.find("\"8000\""), 6, " \t\"8001\" ignored");
    text.replace(text.find("\"Vireo_Decoder.xml\""), 19, "\"a,\r\nb\"");
    text.replace(text.find(",#TRUE#,#TRUE#"), 1, "\n");  // lone LF
    text.replace(text.find(",\"N42"), 1, "\r");          // lone CR
    text.replace(text.find(",\"350\""), 1, "\r\n");      // CR LF
    text.replace(text.size() - 2, 2, ",\"extra\",#junk#\r\nsecond line");
    const auto parsed = ParseSettingsText(text);
    ASSERT_TRUE(parsed) << text;
    EXPECT_EQ(parsed->AgwAddress, "my host");
    EXPECT_EQ(parsed->AgwPort, "8001");
    EXPECT_EQ(parsed->StyleFile, "a,\r\nb");
    EXPECT_EQ(parsed->HomeLat, "N42.00.00");
    EXPECT_EQ(parsed->MinRange, "350");
    EXPECT_FALSE(parsed->TracksAllocated);
}

class SettingsFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("vireo_settings_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
                std::to_string(std::random_device{}()));
        fs::create_directories(dir_);
        file_ = (dir_ / "Vireo_Decoder.ini").string();
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::size_t EntryCount() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
    }

    fs::path dir_;
    std::string file_;
};

TEST_F(SettingsFileTest, MissingFileIsCreatedWithTheDefaults) {
    const LoadedSettings loaded = LoadSettingsFile(file_, kIcons);
    EXPECT_EQ(loaded.origin, SettingsOrigin::CreatedDefaults);
    EXPECT_FALSE(loaded.defaultsWriteFailed);
    EXPECT_EQ(loaded.record, DefaultSettings(kIcons));
    EXPECT_EQ(ReadAll(file_), kDefaultsLine);
    EXPECT_EQ(EntryCount(), 1u);

    const LoadedSettings unwritable = LoadSettingsFile((dir_ / "no" / "x.ini").string(), kIcons);
    EXPECT_TRUE(unwritable.defaultsWriteFailed);
    EXPECT_EQ(unwritable.record, DefaultSettings(kIcons));
}

TEST_F(SettingsFileTest, ShortOrMalformedFileIsReplacedByTheDefaults) {
    for (const std::string& content : {WithField(29, nullptr), WithField(11, "\"yes\""),
                                       WithField(3, "6 seconds"), std::string()}) {
        SCOPED_TRACE(content);
        WriteAll(file_, content);
        const LoadedSettings loaded = LoadSettingsFile(file_, kIcons);
        EXPECT_EQ(loaded.origin, SettingsOrigin::ReplacedDamaged);
        EXPECT_FALSE(loaded.defaultsWriteFailed);
        EXPECT_EQ(loaded.record, DefaultSettings(kIcons));
        EXPECT_EQ(ReadAll(file_), kDefaultsLine);
    }
}

TEST_F(SettingsFileTest, SavedRecordLoadsBackUnchanged) {
    SettingsRecord r = DefaultSettings("D:\\Radio, APRS\\Icons");
    r.RefreshMs = 10050;
    r.WindowLeft = -120;
    r.WindowHeight = 4515;
    r.AutoConnect = false;
    r.FollowedCall = "IW0ABC-9 ";
    r.HomeLat = "N41.53.\xE8";  // a code-page byte stays one byte
    r.TracksAllocated = true;
    ASSERT_TRUE(SaveSettingsFile(file_, r));
    EXPECT_EQ(EntryCount(), 1u);
    EXPECT_EQ(LoadSettingsFile(file_, kIcons).record, r);

    // A double quote cannot be written; dropping it keeps the fields after it in place.
    r.StyleFile = "my \"best\", styles.xml";
    ASSERT_TRUE(SaveSettingsFile(file_, r));
    const LoadedSettings loaded = LoadSettingsFile(file_, kIcons);
    EXPECT_EQ(loaded.origin, SettingsOrigin::File);
    EXPECT_EQ(loaded.record.StyleFile, "my best, styles.xml");
    EXPECT_EQ(loaded.record.IconsFolder, r.IconsFolder);
}

TEST_F(SettingsFileTest, FailedSaveKeepsTheOldFileAndLeavesNothingBehind) {
    EXPECT_FALSE(SaveSettingsFile((dir_ / "no" / "x.ini").string(), DefaultSettings(kIcons)));
    EXPECT_FALSE(fs::exists(dir_ / "no"));

    WriteAll(file_, kDefaultsLine);
    SettingsRecord changed = DefaultSettings(kIcons);
    changed.AgwAddress = "changed";
    fs::create_directory(file_ + ".tmp");  // blocks the file the new content goes to first
    EXPECT_FALSE(SaveSettingsFile(file_, changed));
    EXPECT_EQ(ReadAll(file_), kDefaultsLine);
}

}  // namespace
}  // namespace vireo
