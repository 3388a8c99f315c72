// Text pieces of the KML output: coordinates, numbers read from boxes and lines, and the
// conversion of single-byte (Latin-1) texts into escaped UTF-8 for the XML document.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vireo {

// Longest form FormatCoordinate writes (a plain float of the largest magnitude, with sign).
inline constexpr std::size_t kMaxCoordinateChars = 64;

// Writes `value` in general number form with at most 7 significant digits and "." as separator,
// trailing zeros dropped (45.5, -72.02917), and never in exponent form: tiny magnitudes are
// written as plain decimals (0.00001234), so any KML reader takes them. `out` must have room for
// kMaxCoordinateChars characters, all of which may be overwritten; returns the end of the text.
char* FormatCoordinate(float value, char* out);
std::string CoordinateText(float value);

// The number a box or line text starts with: leading blanks skipped, the longest leading decimal
// number taken, 0 when there is none.
double LeadingNumber(std::string_view text);

// The number a text holds as a whole (blanks around it allowed), or nothing when it is not
// entirely one finite decimal number.
std::optional<double> StrictNumber(std::string_view text);

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

}  // namespace vireo
