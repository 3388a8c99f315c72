#include "aprs/PacketDispatch.h"

#include <gtest/gtest.h>

#include "aprs/Decoders.h"

namespace vireo {
namespace {

const std::string kHeader =
    " 1:Fm N7CALL-10 To APDW16 Via WIDE2-1 <UI pid=F0 Len=65 PF=0 >[09:38:22]";
const std::string kTail = " <UI pid=F0 Len=65 PF=0 >[09:38:22]";

std::optional<DecoderCall> CallFor(const std::string& info) {
    return DispatchPacket({kHeader, info}).call;
}

TEST(DispatchPacket, DataTypePicksTheDecoderAndTheTextItGets) {
    using D = PositionDecoder;
    EXPECT_EQ(CallFor("!4903.50N/07201.75W>"),
              (DecoderCall{D::Uncompressed, kHeader, "4903.50N/07201.75W>"}));
    EXPECT_EQ(CallFor("=/5L!!<*e7>7P["), (DecoderCall{D::Compressed, kHeader, "/5L!!<*e7>7P["}));
    EXPECT_EQ(CallFor("!b5L!!<*e7>7P[")->decoder, D::Compressed);
    EXPECT_EQ(CallFor("!\\5L!!<*e7>7P[")->decoder, D::Compressed);
    EXPECT_FALSE(CallFor("!k5L!!<*e7>7P["));
    EXPECT_EQ(CallFor("@092345z4903.50N/07201.75W>"),
              (DecoderCall{D::Uncompressed, kHeader, "4903.50N/07201.75W>"}));
    EXPECT_EQ(CallFor("/092345z/5L!!<*e7>7P[")->decoder, D::Compressed);
    EXPECT_EQ(CallFor("`(_fn<O>/\"7d}"), (DecoderCall{D::MicE, kHeader, "`(_fn<O>/\"7d}"}));
    EXPECT_EQ(CallFor("'fX@lO3k/]")->decoder, D::MicE);
    EXPECT_EQ(CallFor("\x1c"
                      "2345678X")
                  ->decoder,
              D::MicE);
    EXPECT_FALSE(CallFor("`(_fn<O>"));  // Mic-E of exactly 8 characters
    EXPECT_FALSE(CallFor("abc"));
    EXPECT_FALSE(CallFor(">Status text"));
    EXPECT_FALSE(CallFor("!"));  // too short to tell
    EXPECT_FALSE(CallFor("@092345z"));
}

TEST(DispatchPacket, LampLightsForEveryTwoLineFrameOnly) {
    EXPECT_TRUE(DispatchPacket({kHeader, "abc"}).lightLamp);
    EXPECT_TRUE(DispatchPacket({kHeader, "}garbage"}).lightLamp);
    EXPECT_FALSE(DispatchPacket({kHeader}).lightLamp);
    EXPECT_FALSE(DispatchPacket({}).lightLamp);
}

TEST(DispatchPacket, RelayedPacketsAreUnwrapped) {
    auto call = CallFor("}N0CALL-9>APRS,TCPIP*:!4903.50N/07201.75W>comment");
    ASSERT_TRUE(call);
    EXPECT_EQ(call->header, " 1:Fm N0CALL-9 To APRS Via TCPIP*" + kTail);
    EXPECT_EQ(call->info, "4903.50N/07201.75W>comment");

    // The comma after the colon belongs to the payload, not to a path.
    call = CallFor("}N0CALL-9>APRS:!4903.50N/07201.75W>a, b");
    ASSERT_TRUE(call);
    EXPECT_EQ(call->header, " 1:Fm N0CALL-9 To APRS" + kTail);

    call = CallFor("}N8CALL-2>APRS,TCPIP,N7CALL-10*:@092345z4015.25N/07520.50W>");
    ASSERT_TRUE(call);
    EXPECT_EQ(call->header, " 1:Fm N8CALL-2 To APRS Via TCPIP,N7CALL-10*" + kTail);
    EXPECT_EQ(call->info, "4015.25N/07520.50W>");
}

TEST(DispatchPacket, MalformedRelayedPacketsAreDropped) {
    for (const char* info : {"}", "}N0CALL-9", "}N0CALL-9>APRS", "}N0CALL:X>Y", "}A,B>C:!4903.50N/",
                             "}>:", "}N0CALL>APRS:", "}N0CALL>APRS:}"}) {
        EXPECT_FALSE(CallFor(info)) << info;
    }
    EXPECT_FALSE(DispatchPacket({" 1:Fm", "}N0CALL>APRS:!4903.50N/07201.75W>"}).call);
}

TEST(Decoders, FixedStationsAreDroppedAndMovingOnesGiveTheStatusCall) {
    const std::string header = " 1:Fm N0CALL-9 To SS2UVT <UI>";
    EXPECT_EQ(DecodeMicE(header, "`(_fn<O>/\"7d}").statusCall, "N0CALL-9 ");
    EXPECT_FALSE(DecodeMicE(header, "`(_fn<O-/").statusCall);
    EXPECT_FALSE(DecodeMicE(header, "`(_fn<O#/").statusCall);
    EXPECT_EQ(DecodeCompressed(header, "/5L!!<*e7>7P[").statusCall, "N0CALL-9 ");
    EXPECT_FALSE(DecodeCompressed(header, "/5L!!<*e7_7P[").statusCall);
    EXPECT_FALSE(DecodeCompressed(header, "/5L!!").statusCall);
    EXPECT_EQ(DecodeUncompressed(header, "4237.14N/07120.83W>088/036").statusCall, "N0CALL-9 ");
    EXPECT_FALSE(DecodeUncompressed(header, "4903.50N/07201.75W-Home").statusCall);
    EXPECT_FALSE(DecodeUncompressed(header, "4903.50N/07201.75W>Test1234").statusCall);
    EXPECT_FALSE(DecodeMicE(" 1: no call <UI>", "`(_fn<O>/\"7d}").statusCall);
}

}  // namespace
}  // namespace vireo
