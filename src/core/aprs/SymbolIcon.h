// The two-character icon code of an APRS symbol: the station list and the map styles name icons
// by these codes, not by the APRS symbol itself.
#pragma once

#include <string_view>

namespace vireo {

// Takes the symbol code and the symbol table identifier (or overlay) of a position; returns the
// icon code, always two characters of static text: "00" when the symbol has no icon.
std::string_view SymbolIconCode(char symbol, char table);

}  // namespace vireo
