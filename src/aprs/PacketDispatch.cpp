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
std::optional<DecoderCall> PositionCall(const std::string& header, const std::string& info,
                                        std::size_t at) {
    if (info.size() <= at) return std::nullopt;
    const char c = info[at];
    if (IsSymbolTableId(c))
        return DecoderCall{PositionDecoder::Compressed, header, info.substr(at)};
    if (IsDigit(c)) return DecoderCall{PositionDecoder::Uncompressed, header, info.substr(at)};
    return std::nullopt;
}

}  // namespace

std::optional<UnwrappedPacket> UnwrapRelayed(std::string_view header, std::string_view info) {
    const auto gt = info.find('>', 1);
    const auto colon = info.find(':');
    const auto tail = header.size() > 5 ? header.find(" <", 5) : npos;
    if (gt == npos || colon == npos || tail == npos || gt > colon) return std::nullopt;

    auto comma = info.find(',', 1);
    if (comma != npos && comma > colon) comma = npos;  // a comma in the payload is no path
    if (comma != npos && comma < gt) return std::nullopt;

    UnwrappedPacket out;
    out.header = " 1:Fm ";
    out.header += info.substr(1, gt - 1);
    out.header += " To ";
    if (comma != npos) {
        out.header += info.substr(gt + 1, comma - gt - 1);
        out.header += " Via ";
        out.header += info.substr(comma + 1, colon - comma - 1);
    } else {
        out.header += info.substr(gt + 1, colon - gt - 1);
    }
    out.header += header.substr(tail);
    out.info = info.substr(colon + 1);
    return out;
}

PacketDispatch DispatchPacket(const std::vector<std::string>& monitorLines) {
    PacketDispatch result;
    if (monitorLines.size() != 2) return result;
    result.lightLamp = true;

    std::string header = monitorLines[0];
    std::string info = monitorLines[1];
    if (info.starts_with('}')) {
        auto inner = UnwrapRelayed(header, info);
        if (!inner) return result;
        header = std::move(inner->header);
        info = std::move(inner->info);
    }
    if (info.empty()) return result;

    switch (info[0]) {
        case '\'':
        case '`':
        case '\x1c':
        case '\x1d':
            if (info.size() > 8) result.call = DecoderCall{PositionDecoder::MicE, header, info};
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

}  // namespace vireo
