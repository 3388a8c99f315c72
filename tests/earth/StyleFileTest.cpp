#include "earth/StyleFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "earth/IconSet.h"

namespace vireo {
namespace {

namespace fs = std::filesystem;

TEST(StyleFileTest, LinesOfTheStyleBlock) {
    const std::string content =
        "<?xml version=\"1.0\"?>\r\n"
        "   <Document>\r\n"
        "\t<Style id=\"CA\"><Icon><href>car.png</href></Icon></Style>  \r\n"
        "\r\n"
        "<Style id=\"TR\"><Icon><href>a,b.png</href><href>c.png</href></Icon></Style>\n"
        "<?xmlfoo kept>\r"
        "</Document>";
    EXPECT_EQ(StyleTextFromContent(content, "/opt/v&r"),
              "<Style id=\"CA\"><Icon><href>/opt/v&amp;r/car.png</href></Icon></Style>"
              "<Style id=\"TR\"><Icon><href>/opt/v&amp;r/a,b.png</href>"
              "<href>/opt/v&amp;r/c.png</href></Icon></Style>"
              "<?xmlfoo kept>");
    EXPECT_EQ(StyleTextFromContent("", "/x"), "");
    EXPECT_EQ(StyleTextFromContent("\r\n\r\n<Docum", "/x"), "");
}

TEST(StyleFileTest, ReadsTheFileInTheIconsFolder) {
    const fs::path folder = fs::temp_directory_path() / "vireo_style_test";
    fs::create_directories(folder);
    std::ofstream(folder / "s.xml", std::ios::binary)
        << "<Document>\r\n<Style id=\"CA\"><href>car.png</href></Style>\r\n</Document>\r\n";
    EXPECT_EQ(LoadStyleText(folder.string(), "s.xml"),
              "<Style id=\"CA\"><href>" + folder.string() + "/car.png</href></Style>");
    EXPECT_EQ(LoadStyleText(folder.string(), "missing.xml"), "");
    EXPECT_EQ(LoadStyleText(folder.string(), ""), "");  // the folder itself
    fs::remove_all(folder);
}

#ifdef VIREO_ICONS_BUILD_DIR
TEST(StyleFileTest, DefaultIconSetCoversEverySymbolCode) {
    const std::string folder = VIREO_ICONS_BUILD_DIR;
    const std::string style = LoadStyleText(folder, std::string(kDefaultStyleFileName));
    // Every icon code the symbol mapping gives, and "00" for none.
    for (const char* code : {"CA", "TN", "MO", "AI", "KE", "BA", "PO", "RE", "HE", "BO", "JO", "AM",
                             "CY", "FT", "JE", "TR", "VA", "00"}) {
        const std::string id = std::string("<Style id=\"") + code + "\">";
        const auto at = style.find(id);
        ASSERT_NE(at, std::string::npos) << code;
        const auto href = style.find("<href>", at) + 6;
        const auto end = style.find("</href>", href);
        const std::string image = style.substr(href, end - href);
        EXPECT_EQ(image.rfind(folder + "/", 0), 0u) << image;
        EXPECT_TRUE(fs::is_regular_file(image)) << image;
        std::ifstream png(image, std::ios::binary);
        char magic[8] = {};
        png.read(magic, 8);
        EXPECT_EQ(std::string(magic + 1, 3), "PNG") << image;
    }
    std::set<std::string_view> codes;
    for (const IconFile& icon : kIconFiles) codes.insert(icon.code);
    EXPECT_EQ(codes.size(), kIconFiles.size());
}
#endif

}  // namespace
}  // namespace vireo
