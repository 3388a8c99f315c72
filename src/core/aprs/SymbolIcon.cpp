#include "aprs/SymbolIcon.h"

namespace vireo {

std::string_view SymbolIconCode(char symbol, char table) {
    const bool primary = table == '/';
    switch (symbol) {
        case '>':
            return "CA";
        case '=':
            return primary ? "TN" : "00";
        case '<':
            return primary ? "MO" : "00";
        case '\'':
            return primary ? "AI" : "00";
        case '^':
            return "AI";
        case 'K':
            return table == '\\' ? "KE" : "00";
        case 'O':
            return primary ? "BA" : "00";
        case 'P':
            return primary ? "PO" : "00";
        case 'R':
            return primary ? "RE" : "00";
        case 'X':
            return primary ? "HE" : "00";
        case 'Y':
            return primary ? "BO" : "00";
        case '[':
            return primary ? "JO" : "00";
        case 'a':
            return primary ? "AM" : "00";
        case 'b':
            return primary ? "CY" : "00";
        case 'f':
            return primary ? "FT" : "00";
        case 'j':
            return primary ? "JE" : "00";
        case 'k':
            return primary ? "TR" : "00";
        case 'u':
            return "TR";
        case 's':
            return "BO";
        case 'v':
            return "VA";
        default:
            return "00";
    }
}

}  // namespace vireo
