#include "earth/StyleFile.h"

#include <gtest/gtest.h>

#include <fstream>

#include "earth/IconSet.h"

namespace vireo {
namespace {

// Lines trimmed, frame and empty lines dropped, the icons folder before every image (escaped),
// any line end.
TEST(StyleFileTest, LinesOfTheStyleBlock) {
    const std::string content =
        "<?xml version=\"1.0\"?>\r\n   <Document>\r\n"
        "\t<Style id=\"CA\"><Icon><href>car.png</href></Icon></Style>  \r\n\r\n"
        "<Style id=\"TR\"><Icon><href>a,b.png</href><href>c.png</href></Icon></Style>\n"
        "<?xmlfoo kept>\r</Document>";
    EXPECT_EQ(StyleTextFromContent(content, "/opt/v&r"),
              "<Style id=\"CA\"><Icon><href>/opt/v&amp;r/car.png</href></Icon></Style>"
              "<Style id=\"TR\"><Icon><href>/opt/v&amp;r/a,b.png</href>"
              "<href>/opt/v&amp;r/c.png</href></Icon></Style>"
              "<?xmlfoo kept>");
    EXPECT_EQ(StyleTextFromContent("\r\n\r\n<Docum", "/x"), "");
}

// The program's own style file names an image for every icon code; a missing file, or none,
// gives no style block.
TEST(StyleFileTest, DefaultIconSetCoversEveryIconCode) {
    const std::string folder = VIREO_ICONS_BUILD_DIR;
    EXPECT_EQ(LoadStyleText(folder, "missing.xml") + LoadStyleText(folder, ""), "");
    const std::string style = LoadStyleText(folder, std::string(kDefaultStyleFileName));
    for (const IconFile& icon : kIconFiles) {
        const auto at = style.find("<Style id=\"" + std::string(icon.code) + "\">");
        ASSERT_NE(at, std::string::npos) << icon.code;
        const auto href = style.find("<href>", at) + 6;
        const std::string image = style.substr(href, style.find("</href>", href) - href);
        EXPECT_EQ(image, folder + "/" + std::string(icon.file));
        char magic[4] = {};
        std::ifstream(image, std::ios::binary).read(magic, 4);
        EXPECT_EQ(std::string(magic + 1, 3), "PNG") << image;
    }
}

}  // namespace
}  // namespace vireo
