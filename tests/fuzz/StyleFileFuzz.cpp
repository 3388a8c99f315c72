// Any bytes as the icon style file: its style block has no line ends left, and grows only by the
// icons folder put after each "<href>".
#include <cstdint>
#include <cstdlib>
#include <string>

#include "earth/StyleFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view kFolder = "/opt/Icons";
    const std::string block = vireo::StyleTextFromContent(content, kFolder);
    std::size_t hrefs = 0;
    for (auto at = content.find("<href>"); at != std::string_view::npos;
         at = content.find("<href>", at + 1)) {
        ++hrefs;
    }
    if (block.find_first_of("\r\n") != std::string::npos ||
        block.size() > content.size() + hrefs * (kFolder.size() + 1)) {
        std::abort();
    }
    return 0;
}
