#include "earth/StyleFile.h"

#include <gtest/gtest.h>

#include <fstream>

#include "earth/IconSet.h"

namespace vireo {
namespace {

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

#ifdef VIREO_ICONS_BUILD_DIR
// Reading the file in the icons folder; a missing file, or none, gives no style block.
TEST(StyleFileTest, DefaultIconSetCoversEverySymbolCode) {
    const std::string folder = VIREO_ICONS_BUILD_DIR;
    EXPECT_EQ(LoadStyleText(folder, "missing.xml"), "");
    EXPECT_EQ(LoadStyleText(folder, ""), "");  // the folder itself
    const std::string style = LoadStyleText(folder, std::string(kDefaultStyleFileName));
    // Every icon code the symbol mapping gives, and "00" for none.
    for (const char* code : {"CA", "TN", "MO", "AI", "KE", "BA", "PO", "RE", "HE", "BO", "JO", "AM",
                             "CY", "FT", "JE", "TR", "VA", "00"}) {
        const auto at = style.find(std::string("<Style id=\"") + code + "\">");
        ASSERT_NE(at, std::string::npos) << code;
        const auto href = style.find("<href>", at) + 6;
        const std::string image = style.substr(href, style.find("</href>", href) - href);
        EXPECT_TRUE(image.starts_with(folder + "/")) << image;
        char magic[4] = {};
        std::ifstream(image, std::ios::binary).read(magic, 4);
        EXPECT_EQ(std::string(magic + 1, 3), "PNG") << image;
    }
}
#endif

}  // namespace
}  // namespace vireo
