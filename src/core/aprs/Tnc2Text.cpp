#include "aprs/Tnc2Text.h"

namespace vireo {

std::optional<std::string> Tnc2ToMonitorText(std::string_view tnc2, std::string_view time) {
    const auto colon = tnc2.find(':');
    const auto gt = tnc2.substr(0, colon).find('>');
    if (colon == std::string_view::npos || gt == std::string_view::npos || gt == 0) {
        return std::nullopt;
    }
    const std::string_view addresses = tnc2.substr(gt + 1, colon - gt - 1);
    const auto comma = addresses.find(',');
    const std::string_view info = tnc2.substr(colon + 1);

    std::string text = " 1:Fm ";
    text += tnc2.substr(0, gt);
    text += " To ";
    text += addresses.substr(0, comma);
    if (comma != std::string_view::npos) {
        text += " Via ";
        text += addresses.substr(comma + 1);
    }
    text += " <UI pid=F0 Len=";
    text += std::to_string(info.size());
    text += " >[";
    text += time;
    text += "]\r";
    text += info;
    text += '\r';
    return text;
}

}  // namespace vireo
