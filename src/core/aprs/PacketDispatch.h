// Chooses the decoder for one monitored packet from the two lines of the monitor list.
//
// Relayed packets (information field "}SRC>DEST,PATH:payload") are unwrapped first: the header is
// rebuilt from the inner addresses (always as port 1) and keeps the outer header's tail from
// " <" on. Then the APRS data type picks the decoder and the part of the field it is given:
//   Mic-E ("'", "`", 0x1c, 0x1d; longer than 8 characters)  -> the whole field
//   "!" "=" (no time stamp)    -> from character 2 on
//   "/" "@" (7-character time) -> from character 9 on
// where a symbol table identifier ("/", "\", "A"-"Z", "a"-"j") at that place means compressed and
// a digit means uncompressed.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vireo {

enum class PositionDecoder { MicE, Compressed, Uncompressed };

struct DecoderCall {
    PositionDecoder decoder;
    std::string header;
    std::string info;

    bool operator==(const DecoderCall&) const = default;
};

struct PacketDispatch {
    bool lightLamp = false;           // the frame split into exactly two lines
    std::optional<DecoderCall> call;  // nothing when the packet is not a handled type
};

PacketDispatch DispatchPacket(const std::vector<std::string>& monitorLines);

// The same choice without copying the texts: header and info are views into the monitor lines,
// except the header of a relayed packet, which is rebuilt into `headerScratch` (reused from call
// to call, so a steady stream of packets allocates nothing here).
struct DecoderCallView {
    PositionDecoder decoder;
    std::string_view header;
    std::string_view info;
};

struct PacketDispatchView {
    bool lightLamp = false;
    std::optional<DecoderCallView> call;
};

PacketDispatchView DispatchPacketView(std::size_t lineCount, std::string_view header,
                                      std::string_view info, std::string& headerScratch);

struct UnwrappedPacket {
    std::string header;
    std::string info;
};

// The inner packet of a relayed information field (it begins with "}"). Nothing when the field
// has no ">" before its ":" or the outer header has no " <" to keep.
std::optional<UnwrappedPacket> UnwrapRelayed(std::string_view header, std::string_view info);

// The same unwrapping into a caller's buffer: on success `headerOut` holds the rebuilt header and
// `infoOut` views the inner information field within `info`.
bool UnwrapRelayedInto(std::string_view header, std::string_view info, std::string& headerOut,
                       std::string_view& infoOut);

}  // namespace vireo
