// The served document as outside KML readers see it: well-formed UTF-8 XML for xmllint, and for
// GDAL every station's point and track at the coordinates the store holds. Each check is skipped
// when its tool is not installed.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "KmlSamples.h"
#include "earth/KmlDocument.h"

namespace vireo {
namespace {

namespace fs = std::filesystem;

bool HasTool(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs `command`, returning its exit status and standard output.
std::pair<int, std::string> RunCommand(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {-1, output};
    std::array<char, 4096> buf;
    while (const std::size_t n = std::fread(buf.data(), 1, buf.size(), pipe)) {
        output.append(buf.data(), n);
    }
    return {pclose(pipe), output};
}

class KmlReadersTest : public testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("vireo_kml_" +
                std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // The sample store with awkward calls, follow links and altitudes, written to a file.
    std::string WriteDocument(bool followed) {
        store_.lines[0] = test::Line("05/12/26 14:05", "A&<\"]]>\xE8 ", "270/036", "TR");
        store_.tracks[0].push_back({-71.25f, 42.5f, "---", test::At(14, 6)});
        store_.tracks[0].push_back({-71.0f, 42.0f, "1200", test::At(14, 7)});
        KmlSettings settings = test::FollowingN0Call();
        if (!followed) settings.FollowedCall = "";
        settings.FollowLinks = true;
        settings.UseAltitude = true;
        const auto stations = store_.Stations();
        const KmlBuild build = BuildKml(stations, settings);
        EXPECT_TRUE(build.ok);
        const fs::path path = dir_ / "doc.kml";
        std::ofstream(path, std::ios::binary) << build.document;
        return path.string();
    }

    fs::path dir_;
    test::SampleStore store_;
};

TEST_F(KmlReadersTest, WellFormedUtf8Xml) {
    if (!HasTool("xmllint")) GTEST_SKIP() << "xmllint is not installed";
    for (const bool followed : {false, true}) {
        const auto [status, output] =
            RunCommand("xmllint --noout '" + WriteDocument(followed) + "' 2>&1");
        EXPECT_EQ(status, 0) << output;
    }
}

TEST_F(KmlReadersTest, GdalSeesEveryPointAndTrack) {
    if (!HasTool("ogrinfo")) GTEST_SKIP() << "ogrinfo is not installed";
    const auto [status, output] =
        RunCommand("ogrinfo -ro -al -q '" + WriteDocument(false) + "' 2>&1");
    ASSERT_EQ(status, 0) << output;
    for (const char* geometry : {
             "POINT (-72.02917 49.05833)",
             "LINESTRING (-72 49,-72.01 49.02,-72.02 49.04,-72.02917 49.05833)",
             "POINT Z (-71 42 1200)",
             "LINESTRING Z (-71.5 42.625 376,-71.25 42.5 0,-71 42 1200)",
         }) {
        EXPECT_NE(output.find(geometry), std::string::npos) << geometry << "\n" << output;
    }
    EXPECT_NE(output.find("A&<\"]]>\xC3\xA8"), std::string::npos) << output;
}

}  // namespace
}  // namespace vireo
