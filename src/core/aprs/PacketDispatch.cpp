#include "aprs/PacketDispatch.h"

namespace vireo {

namespace {

constexpr auto npos = std::string_view::npos;

bool IsSymbolTableId(char c) {
    return c == '/' || c == '\\' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'j');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The decoder for a position whose symbol table identifier or first latitude digit stands at
// `at` in `info`; the decoder gets the field from there on.
std::optional<DecoderCallView> PositionCall(std::string_view header, std::string_view info,
                                            std::size_t at) {
    if (info.size() <= at) return std::nullopt;
    const char c = info[at];
    if (IsSymbolTableId(c))
        return DecoderCallView{PositionDecoder::Compressed, header, info.substr(at)};
    if (IsDigit(c)) return DecoderCallView{PositionDecoder::Uncompressed, header, info.substr(at)};
    return std::nullopt;
}

}  // namespace

bool UnwrapRelayedInto(std::string_view header, std::string_view info, std::string& headerOut,
                       std::string_view& infoOut) {
    const auto gt = info.find('>', 1);
    const auto colon = info.find(':');
    const auto tail = header.size() > 5 ? header.find(" <", 5) : npos;
    if (gt == npos || colon == npos || tail == npos || gt > colon) return false;

    auto comma = info.find(',', 1);
    if (comma != npos && comma > colon) comma = npos;  // a comma in the payload is no path
    if (comma != npos && comma < gt) return false;

    headerOut.assign(" 1:Fm ");
    headerOut += info.substr(1, gt - 1);
    headerOut += " To ";
    if (comma != npos) {
        headerOut += info.substr(gt + 1, comma - gt - 1);
        headerOut += " Via ";
        headerOut += info.substr(comma + 1, colon - comma - 1);
    } else {
        headerOut += info.substr(gt + 1, colon - gt - 1);
    }
    headerOut += header.substr(tail);
    infoOut = info.substr(colon + 1);
    return true;
}

std::optional<UnwrappedPacket> UnwrapRelayed(std::string_view header, std::string_view info) {
    UnwrappedPacket out;
    std::string_view inner;
    if (!UnwrapRelayedInto(header, info, out.header, inner)) return std::nullopt;
    out.info = std::string(inner);
    return out;
}

PacketDispatchView DispatchPacketView(std::size_t lineCount, std::string_view header,
                                      std::string_view info, std::string& headerScratch) {
    PacketDispatchView result;
    if (lineCount != 2) return result;
    result.lightLamp = true;

    if (info.starts_with('}')) {
        std::string_view inner;
        if (!UnwrapRelayedInto(header, info, headerScratch, inner)) return result;
        header = headerScratch;
        info = inner;
    }
    if (info.empty()) return result;

    switch (info[0]) {
        case '\'':
        case '`':
        case '\x1c':
        case '\x1d':
            if (info.size() > 8) result.call = DecoderCallView{PositionDecoder::MicE, header, info};
            break;
        case '!':
        case '=':
            result.call = PositionCall(header, info, 1);
            break;
        case '/':
        case '@':
            result.call = PositionCall(header, info, 8);
            break;
        default:
            break;
    }
    return result;
}

PacketDispatch DispatchPacket(const std::vector<std::string>& monitorLines) {
    PacketDispatch result;
    std::string scratch;
    const std::size_t count = monitorLines.size();
    const auto view =
        DispatchPacketView(count, count == 2 ? monitorLines[0] : std::string_view{},
                           count == 2 ? monitorLines[1] : std::string_view{}, scratch);
    result.lightLamp = view.lightLamp;
    if (view.call) {
        result.call = DecoderCall{view.call->decoder, std::string(view.call->header),
                                  std::string(view.call->info)};
    }
    return result;
}

}  // namespace vireo
