#include "agwpe/AgwFrame.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "aprs/Decoders.h"
#include "aprs/MonitorText.h"
#include "aprs/PacketDispatch.h"

namespace vireo {
namespace {

std::string Frame(char kind, const std::string& data, unsigned char high0 = 0,
                  unsigned char high1 = 0) {
    std::string header(kAgwHeaderSize, '\0');
    header[0] = 1;  // radio port, ignored
    header[4] = kind;
    header[28] = static_cast<char>(data.size() & 0xff);
    header[29] = static_cast<char>(data.size() >> 8);
    header[30] = static_cast<char>(high0);
    header[31] = static_cast<char>(high1);
    return header + data;
}

std::vector<AgwFrame> Drain(AgwFrameCutter& cutter) {
    std::vector<AgwFrame> out;
    while (auto frame = cutter.Next()) out.push_back(*frame);
    return out;
}

TEST(AgwFrame, RequestsAreBareHeadersWithTheKindAtOffsetFour) {
    for (char kind : {'m', 'R'}) {
        const std::string request = MakeAgwRequest(kind);
        std::string expected(36, '\0');
        expected[4] = kind;
        EXPECT_EQ(request, expected);
    }
}

TEST(AgwFrameCutter, FramesComeOutInOrderWhateverTheArrivalBoundaries) {
    const std::string stream = Frame('U', " 1:Fm A To B <UI>\rinfo1\r") + Frame('X', "") +
                               Frame('T', std::string("x\0y", 3)) + Frame('R', "12345678") +
                               Frame('u', "ignored later, still a frame");
    const std::vector<AgwFrame> expected = {{'U', " 1:Fm A To B <UI>\rinfo1\r"},
                                            {'T', std::string("x\0y", 3)},
                                            {'R', "12345678"},
                                            {'u', "ignored later, still a frame"}};
    // One arrival, byte by byte, and every two-way split.
    {
        AgwFrameCutter cutter;
        cutter.Append(stream);
        EXPECT_EQ(Drain(cutter), expected);
        EXPECT_EQ(cutter.Pending(), 0u);
    }
    {
        AgwFrameCutter cutter;
        std::vector<AgwFrame> got;
        for (char c : stream) {
            cutter.Append(std::string_view(&c, 1));
            for (auto& f : Drain(cutter)) got.push_back(f);
        }
        EXPECT_EQ(got, expected);
    }
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        AgwFrameCutter cutter;
        cutter.Append(std::string_view(stream).substr(0, cut));
        auto got = Drain(cutter);
        cutter.Append(std::string_view(stream).substr(cut));
        for (auto& f : Drain(cutter)) got.push_back(f);
        ASSERT_EQ(got, expected) << "split at " << cut;
    }
}

TEST(AgwFrameCutter, OnlyTheLowSixteenBitsOfTheLengthCount) {
    AgwFrameCutter cutter;
    cutter.Append(Frame('U', "first\r", 0xff, 0x7f) + Frame('U', "second\r"));
    const auto got = Drain(cutter);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[1].data, "second\r");
}

TEST(AgwFrameCutter, TwentyBytesWaitForTheRest) {
    const std::string frame = Frame('U', "abcdefghijklmn");  // 50 bytes
    AgwFrameCutter cutter;
    cutter.Append(frame.substr(0, 20));
    EXPECT_FALSE(cutter.Next());
    EXPECT_EQ(cutter.Pending(), 20u);
    cutter.Append(frame.substr(20));
    ASSERT_EQ(Drain(cutter).size(), 1u);
}

TEST(AgwFrameCutter, LargestFrameFitsTheSixteenBitLength) {
    const std::string big(65535, 'z');
    AgwFrameCutter cutter;
    cutter.Append(Frame('U', big));
    auto got = Drain(cutter);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].data.size(), 65535u);
}

// Random bytes through the whole intake, from frame cutting to the decoders: nothing may read
// outside the data (the sanitizer build checks every access) and nothing handed out may exceed it.
TEST(AgwFrameCutter, RandomStreamsThroughTheWholeIntake) {
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        AgwFrameCutter cutter;
        std::size_t in = 0, out = 0;
        for (int chunk = 0; chunk < 10; ++chunk) {
            std::string bytes(random() % 200, '\0');
            const char* alphabet = "\r}>:,'`!=/@0123456789A /\\";
            for (auto& b : bytes) b = random() % 3 ? alphabet[random() % 24] : char(random() % 3);
            cutter.Append(bytes);
            in += bytes.size();
            while (auto frame = cutter.Next()) {
                out += kAgwHeaderSize + frame->data.size();
                if (auto call = DispatchPacket(SplitMonitorText(frame->data)).call)
                    RunDecoder(*call);
            }
        }
        // What is neither handed out nor pending are the headers of frames without data.
        ASSERT_LE(out + cutter.Pending(), in);
        EXPECT_EQ((in - out - cutter.Pending()) % kAgwHeaderSize, 0u);
    }
}

TEST(AgwVersionCaption, MajorAndMinorInPlainDecimal) {
    EXPECT_EQ(AgwVersionCaption(std::string("\x01\0\0\0\x17\0\0\0", 8)), "Connesso ad AGWPE v1.23");
    EXPECT_EQ(AgwVersionCaption(std::string("\x01\x02\0\0\0\0\0\0", 8)),
              "Connesso ad AGWPE v513.0");
    EXPECT_EQ(AgwVersionCaption(std::string("\xd5\x07\0\0\x7f\0\0\0", 8)),
              "Connesso ad AGWPE v2005.127");
    EXPECT_FALSE(AgwVersionCaption(std::string("\x01\0\0\0\x17", 5)));
}

}  // namespace
}  // namespace vireo
