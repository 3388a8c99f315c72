// The three position decoders' entry points, as the dispatch calls them.
//
// Each takes the header line and the part of the information field the dispatch chose. Packets
// of fixed stations (house "-", digipeater "#"; weather "_" for the non-Mic-E formats) are
// dropped before anything is shown. For a packet that is kept, `statusCall` is the 9-character
// call for the status line of the last decoded station; `report` is the position to store.
//
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "aprs/PacketDispatch.h"
#include "aprs/PositionReport.h"

namespace vireo {

// Texts of the information panel labels a decoder writes. A label left empty (nullopt) keeps
// what it showed; an engaged empty string clears it.
struct PanelLabels {
    std::optional<std::string> lblLat, lblLon, lblCourse, lblSpeed, lblSpeedKmh, lblAlt, lblMsg,
        lblComment, lblStatus;

    bool operator==(const PanelLabels&) const = default;
};

struct DecodeResult {
    std::optional<std::string> statusCall;  // 9-character call for the status line
    PanelLabels labels;
    std::optional<PositionReport> report;  // the position to store
};

DecodeResult DecodeMicE(std::string_view header, std::string_view info);
DecodeResult DecodeCompressed(std::string_view header, std::string_view info);
DecodeResult DecodeUncompressed(std::string_view header, std::string_view info);

// Runs the decoder `call` names.
DecodeResult RunDecoder(const DecoderCall& call);

}  // namespace vireo
