// The program's text helpers, shared by every subsystem: blanks, the number rules of packet
// fields and of boxes, rounding, whole numbers written into fixed buffers, and the escaping of
// single-byte (Latin-1) texts for XML, URLs and HTML.
//
// Texts are bytes, one byte per character; UTF-8 is made only by the Append functions.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace vireo {

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
    // Within +-1e15 the truncated value and the fraction left are exact.
    long long whole = static_cast<long long>(x);
    const double fraction = x - static_cast<double>(whole);
    if (fraction >= 0.5) {
        ++whole;
    } else if (fraction <= -0.5) {
        --whole;
    }
    return whole;
}

// Writes `value` in decimal with at least `width` digits (leading zeros), and a "-" before
// negative values. Returns the end of what was written; `out` needs room for 21 characters.
inline char* PutNumber(char* out, long long value, int width) {
    // "00" to "99", to write two digits per division.
    static constexpr auto kPairs = [] {
        std::array<char, 200> pairs{};
        for (int i = 0; i < 100; ++i) {
            pairs[2 * i] = static_cast<char>('0' + i / 10);
            pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
        }
        return pairs;
    }();
    // Values below 1000 in at most three places (course, speed, degrees, minutes), at once.
    if (value >= 0 && value < 1000 && width <= 3) {
        const auto v = static_cast<unsigned>(value);
        int places = v < 10 ? 1 : v < 100 ? 2 : 3;
        if (places < width) places = width;
        if (places == 3) {
            *out++ = static_cast<char>('0' + v / 100);
        } else if (places == 1) {
            *out = static_cast<char>('0' + v);
            return out + 1;
        }
        std::memcpy(out, &kPairs[2 * (v % 100)], 2);
        return out + 2;
    }
    unsigned long long v = static_cast<unsigned long long>(value);
    if (value < 0) {
        *out++ = '-';
        v = 0ULL - v;
    }
    int count = 1;
    for (unsigned long long limit = 10; count < 20 && v >= limit; limit *= 10) ++count;
    char* const end = out + (count < width ? width : count);
    // Two places at a time from the last one back; the places before the first digit get zeros.
    char* p = end;
    while (p - out >= 2) {
        p -= 2;
        std::memcpy(p, &kPairs[2 * (v % 100)], 2);
        v /= 100;
    }
    if (p != out) *--p = static_cast<char>('0' + v % 10);
    return end;
}

namespace detail {
// Copies `n` characters, at least as many as a Word holds and at most twice, with two
// overlapping moves of one Word each.
template <class Word>
inline void CopyWithTwoWords(char* out, const char* in, std::size_t n) {
    Word first, last;
    std::memcpy(&first, in, sizeof(Word));
    std::memcpy(&last, in + n - sizeof(Word), sizeof(Word));
    std::memcpy(out, &first, sizeof(Word));
    std::memcpy(out + n - sizeof(Word), &last, sizeof(Word));
}
}  // namespace detail

// Copies `text` to `out` and returns its end. Texts shorter than 16 characters (calls, fields) are
// copied with two overlapping moves of 8, 4 or 1 characters instead of a library call.
inline char* PutText(char* out, std::string_view text) {
    const char* in = text.data();
    const std::size_t n = text.size();
    if (n >= 16) {
        std::memcpy(out, in, n);
    } else if (n >= 8) {
        detail::CopyWithTwoWords<std::uint64_t>(out, in, n);
    } else if (n >= 4) {
        detail::CopyWithTwoWords<std::uint32_t>(out, in, n);
    } else if (n > 0) {
        out[0] = in[0];
        out[n / 2] = in[n / 2];
        out[n - 1] = in[n - 1];
    }
    return out + n;
}

// The number a box or line text starts with: leading blanks skipped, the longest leading decimal
// number taken, 0 when there is none.
double LeadingNumber(std::string_view text);

// The number a text holds as a whole (blanks around it allowed), or nothing when it is not
// entirely one finite decimal number.
std::optional<double> StrictNumber(std::string_view text);

// Whether StrictNumber takes `text`: whole numbers of up to 15 digits are told without parsing.
bool IsStrictNumber(std::string_view text);

// `text` without leading and trailing blanks (spaces and tabs).
std::string_view TrimBlanks(std::string_view text);

// Appends single-byte (Latin-1) `text` to `out` as UTF-8 XML character data: "&", "<", ">" and
// both quotes escaped, control characters that XML does not allow replaced by "?".
void AppendXmlText(std::string& out, std::string_view text);

// Appends Latin-1 `text` to `out` as UTF-8, markup left as it is (for texts that are KML
// already); control characters that XML does not allow are replaced by "?".
void AppendUtf8(std::string& out, std::string_view text);

// Appends `text` percent-encoded for a URL path segment: letters, digits and "-._~" stay, every
// other byte becomes %XX.
void AppendPercentEncoded(std::string& out, std::string_view text);

// Appends `text` as the content of a CDATA section, splitting any "]]>" so that it cannot end
// the section early.
void AppendCdataContent(std::string& out, std::string_view text);

// Nearest whole number, halves to the even neighbour (the boxes' rule); clamped to the 32-bit
// range, 0 for NaN.
std::int32_t RoundHalfEven(double value);

// The shortest decimal text of `value` with "." as decimal point ("6", "5.95").
std::string DecimalText(double value);

// `text` with &, <, >, " and ' replaced by character references.
std::string EscapeHtml(std::string_view text);

}  // namespace vireo
