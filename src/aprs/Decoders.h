// The three position decoders' entry points, as the dispatch calls them.
//
// Each takes the header line and the part of the information field the dispatch chose. Packets
// of fixed stations (house "-", digipeater "#"; weather "_" for the non-Mic-E formats) are
// dropped before anything is shown. For a packet that is kept, `statusCall` is the 9-character
// call for the status line of the last decoded station; `report` is the position to store.
//
// The position arithmetic itself comes with the decoders; until then no report is produced.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "aprs/PacketDispatch.h"
#include "aprs/PositionReport.h"

namespace vireo {

struct DecodeResult {
    std::optional<std::string> statusCall;
    std::optional<PositionReport> report;
};

DecodeResult DecodeMicE(std::string_view header, std::string_view info);
DecodeResult DecodeCompressed(std::string_view header, std::string_view info);
DecodeResult DecodeUncompressed(std::string_view header, std::string_view info);

// Runs the decoder `call` names.
DecodeResult RunDecoder(const DecoderCall& call);

}  // namespace vireo
