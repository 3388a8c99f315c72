// The program's own icon set: one image per icon code, named in the default style file.
#pragma once

#include <array>
#include <string_view>

#include "settings/Settings.h"  // kDefaultStyleFileName

namespace vireo {

struct IconFile {
    std::string_view code;  // the two-character icon code, the style's id
    std::string_view file;  // image file name in the icons folder
};

inline constexpr std::array<IconFile, 18> kIconFiles = {{
    {"CA", "car.png"},
    {"TN", "train.png"},
    {"MO", "motorcycle.png"},
    {"AI", "aircraft.png"},
    {"KE", "handheld.png"},
    {"BA", "balloon.png"},
    {"PO", "police.png"},
    {"RE", "camper.png"},
    {"HE", "helicopter.png"},
    {"BO", "boat.png"},
    {"JO", "jogger.png"},
    {"AM", "ambulance.png"},
    {"CY", "bicycle.png"},
    {"FT", "firetruck.png"},
    {"JE", "jeep.png"},
    {"TR", "truck.png"},
    {"VA", "van.png"},
    {"00", "station.png"},
}};

}  // namespace vireo
