#include "aprs/MonitorText.h"

namespace vireo {

MonitorLines SplitMonitorLines(std::string_view data) {
    MonitorLines out;
    std::size_t start = 0;
    for (std::size_t at = 0; at < data.size(); ++at) {
        if (data[at] != '\r') continue;
        if (at > start) {  // empty lines are never kept
            if (out.count == 2) {
                out.lines[0] = out.lines[1];
                out.count = 1;
            }
            out.lines[out.count++] = data.substr(start, at - start);
        }
        start = at + 1;
    }
    return out;
}

std::vector<std::string> SplitMonitorText(std::string_view data) {
    const MonitorLines split = SplitMonitorLines(data);
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < split.count; ++i) lines.emplace_back(split.lines[i]);
    return lines;
}

std::optional<std::string_view> CallTextFromHeader(std::string_view header) {
    const auto fm = header.find("Fm ");
    const auto to = header.find(" To ");
    if (fm == std::string_view::npos || to == std::string_view::npos || to < fm + 3) {
        return std::nullopt;
    }
    return header.substr(fm + 3, to - fm - 3);
}

std::optional<std::string> CallFromHeader(std::string_view header) {
    const auto text = CallTextFromHeader(header);
    if (!text) return std::nullopt;
    std::string call(text->substr(0, 9));
    call.resize(9, ' ');
    return call;
}

}  // namespace vireo
