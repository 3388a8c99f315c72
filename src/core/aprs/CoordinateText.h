// The dotted coordinate text of the home position: an optional hemisphere or sign character,
// whole degrees, ".", two digits of minutes, ".", the decimal digits of the minutes
// ("N42.30.50" is 42 degrees 30.50 minutes north; "E012.00.00", "S33.25.64", "w112.07.74").
// Accepts any text; none of these functions throws, and every input gives a result.
#pragma once

#include <string_view>

namespace vireo {

// Signed decimal degrees (north and east positive). "N", "E", "+" (either case) make the value
// positive, "S", "W", "-" negative; without one the text is read as positive. The degrees are the
// text before the first ".", the minutes the decimal number after it (the second "." is their
// decimal point). A text without "." or whose degrees are not a number gives 0.
float CoordinateToDegrees(std::string_view text);

// Whether `text` is a valid latitude: optional "N", "S", "+" or "-"; degrees and minutes together
// at most 90; digits for the degrees, exactly two digits of minutes below 60, at least one
// decimal digit of the minutes.
bool IsLatitudeText(std::string_view text);

// The same for longitudes: "E", "W", "+" or "-", at most 180.
bool IsLongitudeText(std::string_view text);

}  // namespace vireo
