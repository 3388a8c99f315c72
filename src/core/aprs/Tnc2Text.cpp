#include "aprs/Tnc2Text.h"

#include <cstdint>
#include <cstring>

#include "text/Text.h"

namespace vireo {

namespace {

char* Put(char* out, std::string_view text) {
    const char* in = text.data();
    const std::size_t n = text.size();
    if (n >= 16) {
        std::memcpy(out, in, n);
    } else if (n >= 8) {
        std::uint64_t a, b;
        std::memcpy(&a, in, 8);
        std::memcpy(&b, in + n - 8, 8);
        std::memcpy(out, &a, 8);
        std::memcpy(out + n - 8, &b, 8);
    } else if (n >= 4) {
        std::uint32_t a, b;
        std::memcpy(&a, in, 4);
        std::memcpy(&b, in + n - 4, 4);
        std::memcpy(out, &a, 4);
        std::memcpy(out + n - 4, &b, 4);
    } else if (n > 0) {
        out[0] = in[0];
        out[n / 2] = in[n / 2];
        out[n - 1] = in[n - 1];
    }
    return out + n;
}

}  // namespace

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
    char* p = Put(out.data(), kFrom);
    p = Put(p, tnc2.substr(0, gt));
    p = Put(p, kTo);
    p = Put(p, addresses.substr(0, comma));
    if (comma != std::string_view::npos) p = Put(Put(p, kVia), addresses.substr(comma + 1));
    p = Put(p, kControl);
    p = PutNumber(p, static_cast<long long>(info.size()), 1);
    p = Put(p, kTime);
    p = Put(p, time);
    p = Put(p, kEnd);
    p = Put(p, info);
    *p++ = '\r';
    out.resize(static_cast<std::size_t>(p - out.data()));
    return true;
}

}  // namespace vireo
