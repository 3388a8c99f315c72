// A small reader of rich text (RTF) for the program's own help file: paragraphs, bold, italic,
// underline, font sizes, bullets, tabs and line breaks, characters as \'hh (Windows-1252) and
// \uN. Font, colour and style tables, pictures and every "\*" destination are skipped; other
// control words are ignored. The result is HTML in UTF-8 for the help window.
#pragma once

#include <string>
#include <string_view>

namespace vireo {

std::string RtfToHtml(std::string_view rtf);

}  // namespace vireo
