#include "aprs/CoordinateText.h"

#include <cfloat>

#include "text/Text.h"

namespace vireo {

namespace {

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Removes a leading hemisphere or sign character from `text` when it is one of `positive` or
// `negative`; returns -1 for a negative one, else 1.
int TakeSign(std::string_view& text, std::string_view positive, std::string_view negative) {
    if (text.empty()) return 1;
    const char c = Upper(text.front());
    if (positive.find(c) != std::string_view::npos) {
        text.remove_prefix(1);
        return 1;
    }
    if (negative.find(c) != std::string_view::npos) {
        text.remove_prefix(1);
        return -1;
    }
    return 1;
}

bool IsCoordinateText(std::string_view text, std::string_view hemispheres, double limit) {
    if (!text.empty() && hemispheres.find(Upper(text.front())) != std::string_view::npos) {
        text.remove_prefix(1);
    }
    if (!(CoordinateToDegrees(text) <= limit)) return false;

    // Degrees, ".", two digits of minutes, ".", decimal digits of the minutes.
    const auto last = text.rfind('.');
    if (last == std::string_view::npos || last < 3) return false;
    const std::string_view decimals = text.substr(last + 1);
    const std::string_view minutes = text.substr(last - 2, 2);
    const std::string_view degrees = text.substr(0, last - 3);
    if (text[last - 3] != '.') return false;
    return AllDigits(decimals) && AllDigits(minutes) &&
           (minutes[0] - '0') * 10 + (minutes[1] - '0') < 60 && AllDigits(degrees);
}

}  // namespace

float CoordinateToDegrees(std::string_view text) {
    const int sign = TakeSign(text, "NE+", "SW-");
    const auto dot = text.find('.');
    if (dot == std::string_view::npos) return 0.0f;
    const auto degrees = ReadNumber(text.substr(0, dot));
    if (!degrees) return 0.0f;
    const double value = sign * (*degrees + LeadingDecimal(text.substr(dot + 1)) / 60.0);
    if (value > FLT_MAX) return FLT_MAX;
    if (value < -FLT_MAX) return -FLT_MAX;
    return static_cast<float>(value);
}

bool IsLatitudeText(std::string_view text) {
    return IsCoordinateText(text, "NS-+", 90.0);
}

bool IsLongitudeText(std::string_view text) {
    return IsCoordinateText(text, "EW-+", 180.0);
}

}  // namespace vireo
