#include "aprs/Decode.h"

#include "aprs/Decoders.h"
#include "aprs/MonitorText.h"
#include "aprs/PacketDispatch.h"

namespace vireo {

DecodedPacket DecodePacket(std::string_view monitorText, std::string& scratch) {
    DecodedPacket packet;
    const MonitorLines lines = SplitMonitorLines(monitorText);
    packet.lineCount = lines.count;
    packet.lines[0] = lines.lines[0];
    packet.lines[1] = lines.lines[1];
    const auto dispatch = DispatchPacketView(lines.count, lines.lines[0], lines.lines[1], scratch);
    if (!dispatch.call) return packet;
    packet.format = static_cast<PacketFormat>(dispatch.call->decoder);
    DecodeResult result =
        RunDecoder(dispatch.call->decoder, dispatch.call->header, dispatch.call->info);
    packet.call = result.statusCall;
    const PanelLabels& l = result.labels;
    packet.details = {l.lblLat,   l.lblLon,      l.lblMsg, l.lblCourse,
                      l.lblSpeed, l.lblSpeedKmh, l.lblAlt, l.lblComment};
    packet.withoutCourseSpeed = l.lblStatus && *l.lblStatus == "** NO CSE / SPD **";
    packet.report = std::move(result.report);
    return packet;
}

}  // namespace vireo
