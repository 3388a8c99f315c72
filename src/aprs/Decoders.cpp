#include "aprs/Decoders.h"

#include "aprs/MonitorText.h"

namespace vireo {

namespace {

// Symbol code of the packet at `at`, or 0 when the field is too short to carry one.
char SymbolCodeAt(std::string_view info, std::size_t at) {
    return at < info.size() ? info[at] : '\0';
}

DecodeResult KeptPacket(std::string_view header) {
    DecodeResult result;
    result.statusCall = CallFromHeader(header);
    return result;
}

}  // namespace

DecodeResult DecodeMicE(std::string_view header, std::string_view info) {
    const char symbol = SymbolCodeAt(info, 7);
    if (symbol == '\0' || symbol == '-' || symbol == '#') return {};
    return KeptPacket(header);
}

DecodeResult DecodeCompressed(std::string_view header, std::string_view info) {
    const char symbol = SymbolCodeAt(info, 9);
    if (symbol == '\0' || symbol == '_' || symbol == '-' || symbol == '#') return {};
    return KeptPacket(header);
}

DecodeResult DecodeUncompressed(std::string_view header, std::string_view info) {
    const char symbol = SymbolCodeAt(info, 18);
    if (symbol == '\0' || symbol == '_' || symbol == '-' || symbol == '#') return {};
    // Only reports with the course/speed extension are of moving stations.
    if (SymbolCodeAt(info, 22) != '/') return {};
    return KeptPacket(header);
}

DecodeResult RunDecoder(const DecoderCall& call) {
    switch (call.decoder) {
        case PositionDecoder::MicE:
            return DecodeMicE(call.header, call.info);
        case PositionDecoder::Compressed:
            return DecodeCompressed(call.header, call.info);
        case PositionDecoder::Uncompressed:
            return DecodeUncompressed(call.header, call.info);
    }
    return {};
}

}  // namespace vireo
