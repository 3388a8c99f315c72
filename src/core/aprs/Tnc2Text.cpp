#include "aprs/Tnc2Text.h"

#include "text/Text.h"

namespace vireo {

std::optional<std::string> Tnc2ToMonitorText(std::string_view tnc2, std::string_view time) {
    std::string text;
    if (!Tnc2ToMonitorText(tnc2, time, text)) return std::nullopt;
    return text;
}

bool Tnc2ToMonitorText(std::string_view tnc2, std::string_view time, std::string& out) {
    const auto colon = tnc2.find(':');
    const auto gt = tnc2.substr(0, colon).find('>');
    if (colon == std::string_view::npos || gt == std::string_view::npos || gt == 0) {
        out.clear();
        return false;
    }
    const std::string_view addresses = tnc2.substr(gt + 1, colon - gt - 1);
    const auto comma = addresses.find(',');
    const std::string_view info = tnc2.substr(colon + 1);

    // Written into room for the longest text (20 digits of length), then cut to what was written.
    constexpr std::string_view kFrom = " 1:Fm ", kTo = " To ", kVia = " Via ",
                               kControl = " <UI pid=F0 Len=", kTime = " >[", kEnd = "]\r";
    const std::size_t room = kFrom.size() + tnc2.size() + kTo.size() + kVia.size() +
                             kControl.size() + 20 + kTime.size() + time.size() + kEnd.size() + 1;
    if (out.size() < room) out.resize(room);
    char* p = PutText(out.data(), kFrom);
    p = PutText(p, tnc2.substr(0, gt));
    p = PutText(p, kTo);
    p = PutText(p, addresses.substr(0, comma));
    if (comma != std::string_view::npos) p = PutText(PutText(p, kVia), addresses.substr(comma + 1));
    p = PutText(p, kControl);
    p = PutNumber(p, static_cast<long long>(info.size()), 1);
    p = PutText(p, kTime);
    p = PutText(p, time);
    p = PutText(p, kEnd);
    p = PutText(p, info);
    *p++ = '\r';
    out.resize(static_cast<std::size_t>(p - out.data()));
    return true;
}

}  // namespace vireo
