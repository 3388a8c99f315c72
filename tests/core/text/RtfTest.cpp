// The help file's rich-text reader: what each construct of the file becomes in HTML.
#include "text/Rtf.h"

#include <gtest/gtest.h>

namespace vireo {
namespace {

TEST(RtfTest, ReadsTheConstructsTheHelpFileUses) {
    const std::string plain = "<span style=\"font-size:12pt\">";
    const std::pair<std::string_view, std::string> cases[] = {
        {"{\\rtf1 One\\par Two}", "<p>" + plain + "One</span></p>\n<p>" + plain + "Two</span></p>"},
        {"{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\*\\generator x;}{\\info{\\title t}}A}",
         "<p>" + plain + "A</span></p>"},
        {"{\\rtf1\\b B\\b0 \\i I\\i0 \\ul U\\ulnone\\fs21 s}",
         "<p><span style=\"font-size:12pt;font-weight:bold\">B</span>"
         "<span style=\"font-size:12pt;font-style:italic\">I</span>"
         "<span style=\"font-size:12pt;text-decoration:underline\">U</span>"
         "<span style=\"font-size:10.5pt\">s</span></p>"},
        {"{\\rtf1{\\b in}out}",
         "<p><span style=\"font-size:12pt;font-weight:bold\">in</span>" + plain + "out</span></p>"},
        {"{\\rtf1 \\'e8\\'80\\u8364?\\uc2\\u233\\'e9x<&>}",
         "<p>" + plain + "\xC3\xA8\xE2\x82\xAC\xE2\x82\xAC\xC3\xA9&lt;&amp;&gt;</span></p>"},
        {"{\\rtf1\\bullet\\tab \\{a\\}\\\\\\line b}",
         "<p>" + plain + "\xE2\x80\xA2&emsp;{a}\\<br>b</span></p>"},
        // Damaged files end where they end.
        {"{\\rtf1 x\\'4", "<p>" + plain + "x</span></p>"},
        {"}}{\\", "<p></p>"},
    };
    for (const auto& [rtf, html] : cases) EXPECT_EQ(RtfToHtml(rtf), html) << rtf;
}

}  // namespace
}  // namespace vireo
