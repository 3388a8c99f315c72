#include "aprs/MonitorText.h"

#include <gtest/gtest.h>

namespace vireo {
namespace {

using Lines = std::vector<std::string>;

TEST(SplitMonitorText, KeepsTheLastTwoNonEmptyLinesOfEveryTncDialect) {
    const std::string header = " 1:Fm N0CALL-9 To APRS <UI pid=F0 Len=5 PF=0 >[12:34:56]";
    // AGWPE ends with CR CR NUL, the other TNCs with CR NUL; both give the same two lines.
    EXPECT_EQ(SplitMonitorText(header + "\rabc\r\r" + std::string(1, '\0')),
              (Lines{header, "abc"}));
    EXPECT_EQ(SplitMonitorText(header + "\rabc\r" + std::string(1, '\0')), (Lines{header, "abc"}));
    EXPECT_EQ(SplitMonitorText("one\rtwo\rthree\r"), (Lines{"two", "three"}));
    EXPECT_EQ(SplitMonitorText(header + "\r"), (Lines{header}));
    EXPECT_EQ(SplitMonitorText(header), Lines{});  // no carriage return: nothing complete
    EXPECT_EQ(SplitMonitorText(""), Lines{});
}

TEST(SplitMonitorText, LineFeedsNulsAndHighBytesAreOrdinaryCharacters) {
    const std::string info = std::string("a\nb\0c\xe9", 6);
    EXPECT_EQ(SplitMonitorText("h\r" + info + "\r"), (Lines{"h", info}));
}

TEST(CallFromHeader, TakesTheTextBetweenFmAndToPaddedOrCutToNine) {
    EXPECT_EQ(CallFromHeader(" 1:Fm N0CALL-9 To APRS <UI>"), "N0CALL-9 ");
    EXPECT_EQ(CallFromHeader(" 1:Fm N0C To APRS Via WIDE1-1 <UI>"), "N0C      ");
    EXPECT_EQ(CallFromHeader(" 1:Fm LONGCALL-15 To APRS <UI>"), "LONGCALL-");
    EXPECT_FALSE(CallFromHeader(" 1:Fm N0CALL <UI>"));
    EXPECT_FALSE(CallFromHeader(" 1: To APRS <UI>"));
    EXPECT_FALSE(CallFromHeader(" 1: To X Fm N0CALL <UI>"));  // markers out of order
}

}  // namespace
}  // namespace vireo
