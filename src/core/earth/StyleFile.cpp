#include "earth/StyleFile.h"

#include <fstream>

#include "text/Text.h"

namespace vireo {

namespace {

constexpr std::string_view kHref = "<href>";

void AppendStyleLine(std::string& out, std::string_view line, std::string_view iconsFolder) {
    line = TrimBlanks(line);
    if (line.empty()) return;
    const std::string_view head = line.substr(0, 6);
    if (head == "<?xml " || head == "<Docum" || head == "</Docu") return;
    for (;;) {
        const auto at = line.find(kHref);
        if (at == std::string_view::npos) break;
        out += line.substr(0, at + kHref.size());
        // The folder is a file-system name inside markup: "&" and "<" in it must not break it.
        for (const char c : iconsFolder) {
            if (c == '&') {
                out += "&amp;";
            } else if (c == '<') {
                out += "&lt;";
            } else {
                out += c;
            }
        }
        out += '/';
        line.remove_prefix(at + kHref.size());
    }
    out += line;
}

}  // namespace

std::string StyleTextFromContent(std::string_view content, std::string_view iconsFolder) {
    std::string out;
    while (!content.empty()) {
        const auto end = content.find_first_of("\r\n");
        AppendStyleLine(out, content.substr(0, end), iconsFolder);
        if (end == std::string_view::npos) break;
        const std::size_t next = content.substr(end, 2) == "\r\n" ? end + 2 : end + 1;
        content.remove_prefix(next);
    }
    return out;
}

std::string LoadStyleText(const std::string& iconsFolder, const std::string& styleFile) {
    try {
        std::ifstream file(iconsFolder + "/" + styleFile, std::ios::binary);
        if (!file) return {};
        std::string content;
        char buf[4096];
        while (file.read(buf, sizeof buf) || file.gcount() > 0) {
            content.append(buf, static_cast<std::size_t>(file.gcount()));
        }
        // A read error part-way keeps the whole lines read so far.
        if (!file.eof()) {
            const auto last = content.find_last_of("\r\n");
            content.resize(last == std::string::npos ? 0 : last + 1);
        }
        return StyleTextFromContent(content, iconsFolder);
    } catch (...) {
        return {};
    }
}

}  // namespace vireo
