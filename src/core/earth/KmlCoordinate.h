// Coordinates as the KML document writes them.
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
// Writes "first,second" the same way, a little faster than two calls; `out` must have room for
// 2 * kMaxCoordinateChars + 1 characters.
char* FormatCoordinatePair(float first, float second, char* out);
std::string CoordinateText(float value);

}  // namespace vireo
