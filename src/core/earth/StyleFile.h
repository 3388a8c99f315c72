// The icon style file: a user-editable file of KML style definitions, one style per icon code,
// whose icon references name image files lying beside it. It is turned into the style block
// that stands at the head of every KML document.
#pragma once

#include <string>
#include <string_view>

namespace vireo {

// The style block of a style file's `content` (single-byte text): every line trimmed of blanks,
// the frame lines ("<?xml ", "<Docum", "</Docu" at their start) and empty lines dropped, each
// "<href>" followed by `iconsFolder` and "/", the lines joined without separator. Lines end at
// CR LF, CR or LF.
std::string StyleTextFromContent(std::string_view content, std::string_view iconsFolder);

// Reads `iconsFolder` + "/" + `styleFile` and returns its style block; what could be read when
// reading fails part-way, an empty text when the file cannot be opened. Never throws.
std::string LoadStyleText(const std::string& iconsFolder, const std::string& styleFile);

}  // namespace vireo
