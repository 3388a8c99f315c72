// Monitor text of a heard packet, as the TNC sends it in "U" and "T" frames: lines separated by
// carriage returns, a header line ( 1:Fm CALL To DEST Via PATH <UI ...>[time]) and the packet's
// information field. Line feeds and NUL bytes are ordinary characters here; whatever follows
// the last carriage return is dropped.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vireo {

// The last two non-empty lines of `data` (fewer when the text has fewer), oldest first. These are
// the lines the monitor list shows: line 0 is the header, line 1 the information field.
std::vector<std::string> SplitMonitorText(std::string_view data);

// The same lines as views into `data`, without copying: `count` is 0, 1 or 2.
struct MonitorLines {
    std::size_t count = 0;
    std::string_view lines[2];
};
MonitorLines SplitMonitorLines(std::string_view data);

// The source call of a header line: the text between the first "Fm " and the first " To ",
// blank-filled or cut to 9 characters. Nothing when the header lacks either marker.
std::optional<std::string> CallFromHeader(std::string_view header);

// The source call as it stands in the header (not padded), as a view into `header`.
std::optional<std::string_view> CallTextFromHeader(std::string_view header);

}  // namespace vireo
