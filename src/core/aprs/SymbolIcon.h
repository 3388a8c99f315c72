// The two-character icon code of an APRS symbol: the station list and the map styles name icons
// by these codes, not by the APRS symbol itself.
#pragma once

#include <string>
#include <string_view>

namespace vireo {

// `symbolThenTable` is the symbol code followed by the symbol table identifier. The result is
// always two characters; "00" when the symbol has no icon (or the text is shorter than two).
std::string SymbolToIconCode(std::string_view symbolThenTable);

// The same code as a view of static text.
std::string_view SymbolIconCode(char symbol, char table);

}  // namespace vireo
