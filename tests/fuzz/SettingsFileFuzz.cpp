// Any bytes as the settings file: reading it gives a record or a clean refusal; a record read is
// written as a line that reads back and is written again unchanged (a double quote inside a text,
// which the form cannot hold, is dropped at the first write), and its derived values and refresh
// text are computed without a fault.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto record = vireo::ParseSettingsText(text);
    if (!record) return 0;
    const std::string line = vireo::FormatSettingsLine(*record);
    const auto again = vireo::ParseSettingsText(line);
    if (!again || vireo::FormatSettingsLine(*again) != line) std::abort();
    (void)vireo::DeriveSettings(*record);
    std::string refresh = vireo::RefreshText(record->RefreshMs);
    vireo::SettingsRecord corrected = *record;
    vireo::CorrectSettingsTexts(corrected, refresh);
    (void)vireo::RefreshFromText(refresh);
    return 0;
}
