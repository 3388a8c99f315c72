#include "aprs/TextNumbers.h"

namespace vireo::text {

namespace {

// Reads digits with at most one point from the start of `s`; returns how many characters were
// taken (0 when no digit was found) and the value.
std::size_t ReadDecimal(std::string_view s, double& value) {
    double whole = 0, fraction = 0, scale = 1;
    bool point = false, digit = false;
    int fractionDigits = 0;
    std::size_t at = 0;
    for (; at < s.size(); ++at) {
        const char c = s[at];
        if (c == '.' && !point) {
            point = true;
        } else if (IsDigit(c)) {
            digit = true;
            if (!point) {
                whole = whole * 10 + (c - '0');
            } else if (fractionDigits < 17) {  // further digits cannot change a double
                fraction = fraction * 10 + (c - '0');
                scale *= 10;
                ++fractionDigits;
            }
        } else {
            break;
        }
    }
    if (!digit) return 0;
    value = whole + fraction / scale;
    return at;
}

}  // namespace

std::optional<double> ReadNumber(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    double value = 0;
    if (ReadDecimal(s, value) != s.size() || s.empty()) return std::nullopt;
    return negative ? -value : value;
}

double LeadingDecimal(std::string_view s) {
    double value = 0;
    return ReadDecimal(s, value) > 0 ? value : 0;
}

}  // namespace vireo::text
