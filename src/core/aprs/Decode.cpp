#include "aprs/Decode.h"

#include "aprs/DecoderParts.h"
#include "text/Text.h"

namespace vireo {

namespace {

constexpr auto npos = std::string_view::npos;

// Keeps the last two non-empty lines of the text. Lines end at a carriage return; line feeds and
// NUL bytes are ordinary characters, and whatever follows the last carriage return is dropped
// (TNCs end the text with CR NUL or CR CR NUL).
void SplitLines(std::string_view text, DecodedPacket& packet) {
    std::size_t start = 0;
    for (std::size_t at = text.find('\r'); at != npos; at = text.find('\r', start)) {
        if (at > start) {
            if (packet.lineCount == 2) {
                packet.lines[0] = packet.lines[1];
                packet.lineCount = 1;
            }
            packet.lines[packet.lineCount++] = text.substr(start, at - start);
        }
        start = at + 1;
    }
}

// A relayed information field "}SRC>DEST,PATH:inner" becomes the inner packet: the header is
// rebuilt into `scratch` from the inner addresses (always as port 1) with the outer header's tail
// from " <" on. False when the field has no ">" before its ":", a path before its ">", or the
// outer header no " <" to keep.
bool UnwrapRelayed(std::string_view& header, std::string_view& info, std::string& scratch) {
    const auto gt = info.find('>', 1);
    const auto colon = info.find(':');
    const auto tail = header.size() > 5 ? header.find(" <", 5) : npos;
    if (gt == npos || colon == npos || tail == npos || gt > colon) return false;
    auto comma = info.find(',', 1);
    if (comma != npos && comma > colon) comma = npos;  // a comma in the payload is no path
    if (comma != npos && comma < gt) return false;

    scratch.assign(" 1:Fm ");
    scratch += info.substr(1, gt - 1);
    scratch += " To ";
    if (comma != npos) {
        scratch += info.substr(gt + 1, comma - gt - 1);
        scratch += " Via ";
        scratch += info.substr(comma + 1, colon - comma - 1);
    } else {
        scratch += info.substr(gt + 1, colon - gt - 1);
    }
    scratch += header.substr(tail);
    header = scratch;
    info = info.substr(colon + 1);
    return true;
}

// Empties a result field by field: only what a previous packet engaged is destroyed. The report
// and the comment stay engaged, keeping their storage for the next packet's (the decoders write
// over them), and DecodePacket drops them when they were not replaced. The report is marked by a
// carriage return at the start of its call, which no call holds (lines end there).
void Clear(DecodedPacket& packet) {
    packet.lineCount = 0;
    packet.lines[0] = {};
    packet.lines[1] = {};
    packet.format.reset();
    packet.call.reset();
    PacketDetails& d = packet.details;
    d.latitude.reset();
    d.longitude.reset();
    d.message.reset();
    d.course.reset();
    d.speedKnots.reset();
    d.speedKmh.reset();
    d.altitude.reset();
    packet.withoutCourseSpeed = false;
    if (packet.report && !packet.report->Call.empty()) packet.report->Call[0] = '\r';
}

bool IsSymbolTableId(char c) {
    return c == '/' || c == '\\' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'j');
}

// The decoding of a cleared result.
void Decode(std::string_view monitorText, std::string& scratch, DecodedPacket& packet) {
    SplitLines(monitorText, packet);
    if (packet.lineCount != 2) return;
    std::string_view header = packet.lines[0];
    std::string_view info = packet.lines[1];
    if (info.starts_with('}') && !UnwrapRelayed(header, info, scratch)) return;
    if (info.empty()) return;

    // The data type picks the decoder and where its field begins: Mic-E gets the whole field,
    // the position formats the field from the symbol table identifier (compressed) or the first
    // latitude digit (uncompressed) on, after the type and any 7-character time stamp.
    std::size_t at = 0;
    switch (info[0]) {
        case '\'':
        case '`':
        case '\x1c':
        case '\x1d':
            if (info.size() > 8) {
                packet.format = PacketFormat::MicE;
                detail::DecodeMicE(header, info, packet);
            }
            return;
        case '!':
        case '=':
            at = 1;
            break;
        case '/':
        case '@':
            at = 8;
            break;
        default:
            return;
    }
    if (info.size() <= at) return;
    if (IsSymbolTableId(info[at])) {
        packet.format = PacketFormat::Compressed;
        detail::DecodeCompressed(header, info.substr(at), packet);
    } else if (IsDigit(info[at])) {
        packet.format = PacketFormat::Uncompressed;
        detail::DecodeUncompressed(header, info.substr(at), packet);
    }
}

}  // namespace

DecodedPacket DecodePacket(std::string_view monitorText, std::string& scratch) {
    DecodedPacket packet;
    DecodePacket(monitorText, scratch, packet);
    return packet;
}

void DecodePacket(std::string_view monitorText, std::string& scratch, DecodedPacket& packet) {
    Clear(packet);
    Decode(monitorText, scratch, packet);
    // A report not written over keeps its mark (or its empty call, from the caller); a kept
    // packet has a call and a comment.
    if (packet.report && (packet.report->Call.empty() || packet.report->Call[0] == '\r')) {
        packet.report.reset();
    }
    if (!packet.call) packet.details.comment.reset();
}

}  // namespace vireo
