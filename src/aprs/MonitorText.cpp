#include "aprs/MonitorText.h"

namespace vireo {

std::vector<std::string> SplitMonitorText(std::string_view data) {
    std::vector<std::string> lines;
    std::string current;
    for (char c : data) {
        if (c != '\r') {
            current += c;
            continue;
        }
        if (current.empty()) continue;  // empty lines are never kept
        if (lines.size() >= 2) lines.erase(lines.begin());
        lines.push_back(std::move(current));
        current.clear();
    }
    return lines;
}

std::optional<std::string> CallFromHeader(std::string_view header) {
    const auto fm = header.find("Fm ");
    const auto to = header.find(" To ");
    if (fm == std::string_view::npos || to == std::string_view::npos || to < fm + 3) {
        return std::nullopt;
    }
    std::string call(header.substr(fm + 3, to - fm - 3));
    call.resize(9, ' ');
    return call;
}

}  // namespace vireo
