#include "agwpe/AgwFrame.h"

#include <gtest/gtest.h>

#include <vector>

namespace vireo {
namespace {

// A frame on port 1; the length's high bytes `high` are never read.
std::string Frame(char kind, const std::string& data, char high = 0) {
    std::string frame = MakeAgwFrame(kind, data, "A", "B");
    frame[0] = 1;
    frame[30] = frame[31] = high;
    return frame;
}

TEST(AgwFrameCutter, FramesComeOutInOrderWhateverTheArrivalBoundaries) {
    const std::vector<AgwFrame> expected = {{'U', " 1:Fm A To B <UI>\rinfo1\r"},
                                            {'T', std::string("x\0y", 3)},
                                            {'R', "12345678"},
                                            {'u', std::string(65535, 'z')}};
    // A frame without data is dropped whatever its kind.
    const std::string stream = Frame('U', expected[0].data, '\x7f') + Frame('X', "") +
                               Frame('T', expected[1].data) + Frame('R', expected[2].data) +
                               Frame('u', expected[3].data);
    // Every two-way split through the first frames: a frame waits for its rest.
    for (std::size_t cut = 0; cut <= 200; ++cut) {
        AgwFrameCutter cutter;
        std::vector<AgwFrame> got;
        cutter.Append(std::string_view(stream).substr(0, cut));
        while (auto frame = cutter.Next()) got.push_back(*frame);
        EXPECT_TRUE(cut >= 60 || cutter.Pending() == cut) << cut;
        cutter.Append(std::string_view(stream).substr(cut));
        while (auto frame = cutter.Next()) got.push_back(*frame);
        ASSERT_EQ(got, expected) << "split at " << cut;
        EXPECT_EQ(cutter.Pending(), 0u);
    }
    // A version reply too short for its numbers has no caption (a whole one: the session test).
    EXPECT_FALSE(AgwVersionCaption(std::string("\x01\0\0\0\x17", 5)));
}

}  // namespace
}  // namespace vireo
