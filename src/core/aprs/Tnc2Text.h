// Packets written as TNC2 text (SRC>DEST,PATH:info), as APRS-IS servers, logs and test suites
// show them, turned into the monitor text the TNC sends for a packet heard on port 1.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vireo {

// " 1:Fm SRC To DEST Via PATH <UI pid=F0 Len=N >[hh:mm:ss]" CR info CR, where N is the length
// of the information field and `time` the "hh:mm:ss" shown. " Via PATH" is left out when the
// packet has no path. Nothing when the text has no ">" before its first ":" or an empty source.
std::optional<std::string> Tnc2ToMonitorText(std::string_view tnc2,
                                             std::string_view time = "00:00:00");

// The same text written into `out`, whose storage is reused from call to call (for a stream of
// packets). False, with `out` emptied, where the function above gives nothing.
bool Tnc2ToMonitorText(std::string_view tnc2, std::string_view time, std::string& out);

}  // namespace vireo
