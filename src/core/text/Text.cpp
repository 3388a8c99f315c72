#include "text/Text.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace vireo {

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

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Characters XML 1.0 does not allow, even escaped.
bool IsForbiddenControl(unsigned char c) {
    return c < 0x20 && c != '\t' && c != '\n' && c != '\r';
}

void AppendLatin1(std::string& out, unsigned char c) {
    if (c < 0x80) {
        out.push_back(IsForbiddenControl(c) ? '?' : static_cast<char>(c));
    } else {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::optional<double> ParseNumberPrefix(std::string_view text, std::size_t& used) {
    used = 0;
    std::size_t at = 0;
    bool plus = false;
    if (at < text.size() && text[at] == '+') {
        plus = true;
        ++at;
    }
    // Only digits or a point may start the number ("inf" and "nan" are words, not numbers).
    std::size_t first = at;
    if (first < text.size() && text[first] == '-' && !plus) ++first;
    if (first >= text.size() ||
        !((text[first] >= '0' && text[first] <= '9') || text[first] == '.')) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data() + at, text.data() + text.size(), value);
    if (ec != std::errc() || !std::isfinite(value)) return std::nullopt;
    used = static_cast<std::size_t>(end - text.data());
    return value;
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

double LeadingNumber(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    std::size_t used = 0;
    return ParseNumberPrefix(text, used).value_or(0.0);
}

std::optional<double> StrictNumber(std::string_view text) {
    text = TrimBlanks(text);
    std::size_t used = 0;
    const auto value = ParseNumberPrefix(text, used);
    if (!value || used != text.size()) return std::nullopt;
    return value;
}

bool IsStrictNumber(std::string_view text) {
    text = TrimBlanks(text);
    const bool sign = !text.empty() && (text.front() == '+' || text.front() == '-');
    const std::string_view digits = text.substr(sign ? 1 : 0);
    return (digits.size() <= 15 && AllDigits(digits)) || StrictNumber(text).has_value();
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

namespace {

// The character reference of a markup character, or nothing for any other. XML and HTML differ
// only in the apostrophe: HTML 4 has no "&apos;".
const char* Reference(char c, bool html) {
    switch (c) {
        case '&':
            return "&amp;";
        case '<':
            return "&lt;";
        case '>':
            return "&gt;";
        case '"':
            return "&quot;";
        case '\'':
            return html ? "&#39;" : "&apos;";
        default:
            return nullptr;
    }
}

}  // namespace

void AppendXmlText(std::string& out, std::string_view text) {
    for (const char ch : text) {
        if (const char* reference = Reference(ch, false)) {
            out += reference;
        } else {
            AppendLatin1(out, static_cast<unsigned char>(ch));
        }
    }
}

void AppendUtf8(std::string& out, std::string_view text) {
    for (const char ch : text) AppendLatin1(out, static_cast<unsigned char>(ch));
}

void AppendPercentEncoded(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                                (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
                                c == '~';
        if (unreserved) {
            out.push_back(ch);
        } else {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 0xF]);
        }
    }
}

void AppendCdataContent(std::string& out, std::string_view text) {
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text.substr(at, 3) == "]]>") {
            out += "]]]]><![CDATA[>";
            at += 2;
        } else {
            AppendLatin1(out, static_cast<unsigned char>(text[at]));
        }
    }
}

std::int32_t RoundHalfEven(double value) {
    if (!(value == value)) return 0;
    const double rounded = std::nearbyint(value);  // the default rounding mode is to even
    if (rounded >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (rounded <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(rounded);
}

std::string DecimalText(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (const char* reference = Reference(c, true)) {
            out += reference;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace vireo
