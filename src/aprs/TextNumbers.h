// Small text helpers of the decoders: the "is it a number" rule used on packet fields, rounding
// halves away from zero, and writing whole numbers into fixed character buffers.
#pragma once

#include <cmath>
#include <cstddef>
#include <optional>
#include <string_view>

namespace vireo::text {

inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

inline bool AllDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s) {
        if (!IsDigit(c)) return false;
    }
    return true;
}

// The value of a text that reads as a decimal number: optional blanks around it, an optional
// sign, digits with at most one decimal point (at least one digit). Nothing otherwise.
std::optional<double> ReadNumber(std::string_view s);

// The longest leading decimal number of `s` (digits with at most one point, no sign or blanks);
// 0 when it has none.
double LeadingDecimal(std::string_view s);

// Rounds to a whole number, halves away from zero, clamped to +-1e15.
inline long long RoundHalfAway(double x) {
    if (!(x < 1e15)) return x != x ? 0 : 1000000000000000LL;
    if (!(x > -1e15)) return -1000000000000000LL;
    return std::llround(x);
}

// Writes `value` in decimal with at least `width` digits (leading zeros), and a "-" before
// negative values. Returns the end of what was written; `out` needs room for 21 characters.
inline char* PutNumber(char* out, long long value, int width) {
    unsigned long long v = static_cast<unsigned long long>(value);
    if (value < 0) {
        *out++ = '-';
        v = 0ULL - v;
    }
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    while (n < width) digits[n++] = '0';
    while (n > 0) *out++ = digits[--n];
    return out;
}

// Writes `value` rounded to one decimal ("0.0" pattern, "." as decimal point).
inline char* PutOneDecimal(char* out, double value) {
    const long long tenths = RoundHalfAway(value * 10.0);
    if (tenths < 0) *out++ = '-';
    const long long magnitude = tenths < 0 ? -tenths : tenths;
    out = PutNumber(out, magnitude / 10, 1);
    *out++ = '.';
    *out++ = static_cast<char>('0' + magnitude % 10);
    return out;
}

// Knots to km/h.
inline constexpr double kKmhPerKnot = 1.852;

}  // namespace vireo::text
