#include "agwpe/AgwFrame.h"

#include <gtest/gtest.h>

#include <vector>

namespace vireo {
namespace {

// A frame on port 1; the length's high bytes `high` are never read.
std::string Frame(char kind, const std::string& data, char high = 0) {
    std::string header = MakeAgwRequest(kind);
    header[0] = 1;
    header[28] = static_cast<char>(data.size() & 0xff);
    header[29] = static_cast<char>(data.size() >> 8);
    header[30] = header[31] = high;
    return header + data;
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
}

// The caption of a whole version reply is the session test's.
TEST(AgwVersionCaption, NoneForAShortReply) {
    EXPECT_FALSE(AgwVersionCaption(std::string("\x01\0\0\0\x17", 5)));
}

}  // namespace
}  // namespace vireo
