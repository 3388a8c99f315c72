// The KML document built from arbitrary station lines, calls, altitudes and settings texts must
// stay well-formed: valid UTF-8, every "<" outside CDATA one of the document's own tags, every
// "&" an entity, and every CDATA section holding exactly one intact follow link.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "earth/KmlDocument.h"
#include "earth/StyleFile.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// The document only ever holds Latin-1 letters: two bytes at most.
bool ValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return false;
        if (c >= 0x80 && (c < 0xC2 || c > 0xDF || ++i == s.size() ||
                          (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80)) {
            return false;
        }
    }
    return true;
}

void CheckMarkup(std::string_view doc) {
    const std::string_view tags =
        " kml Document NetworkLink name open flyToView LookAt longitude latitude range tilt heading"
        " Placemark styleUrl Style IconStyle description Point altitudeMode extrude coordinates"
        " LineString tessellate Folder NetworkLinkControl message ";
    const std::string_view declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    Check(doc.starts_with(declaration));
    for (std::size_t i = declaration.size(); i < doc.size(); ++i) {
        if (doc.substr(i, 9) == "<![CDATA[") {
            const auto end = doc.find("]]>", i);
            Check(end != std::string_view::npos);
            const std::string_view link = doc.substr(i + 9, end - i - 9);
            Check(link.starts_with("<a href=\""));
            const auto quote = link.find('"', 9);
            Check(quote != std::string_view::npos);
            Check(link.substr(9, quote - 9).find_first_of("<>\" ") == std::string_view::npos);
            Check(link.substr(quote) == "\">Follow</a>" ||
                  link.substr(quote) == "\">Stop follow</a>");
            i = end + 2;
        } else if (doc[i] == '<') {
            const std::size_t at = i + 1 + (doc.substr(i + 1, 1) == "/");
            const auto end = doc.find_first_of(" >", at);
            Check(end != std::string_view::npos);
            Check(tags.find(" " + std::string(doc.substr(at, end - at)) + " ") !=
                  std::string_view::npos);
        } else if (doc[i] == '&') {
            bool entity = false;
            for (const char* e : {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"}) {
                entity = entity || doc.substr(i).starts_with(e);
            }
            Check(entity);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    (void)vireo::StyleTextFromContent(input, "/icons");

    // Fields split at 0x1F: flags, followed call, view range, tilt, heading, min and max range,
    // then pairs of station line and altitude text.
    std::vector<std::string_view> fields;
    for (std::size_t at = 0;;) {
        const auto end = input.find('\x1F', at);
        fields.push_back(input.substr(at, end == std::string_view::npos ? end : end - at));
        if (end == std::string_view::npos) break;
        at = end + 1;
    }
    fields.resize(std::max<std::size_t>(fields.size(), 7));
    const unsigned flags = fields[0].empty() ? 0u : static_cast<unsigned char>(fields[0][0]);
    using S = vireo::KmlSettings;
    S settings;
    bool S::*const switches[] = {&S::ShowTracks,        &S::UseAltitude,
                                 &S::FollowLinks,       &S::HeadingFromStation,
                                 &S::RangeProportional, &S::followLockRunning};
    for (std::size_t b = 0; b < 6; ++b) settings.*switches[b] = (flags >> b) & 1;
    std::string_view S::*const texts[] = {&S::FollowedCall, &S::ViewRange, &S::ViewTilt,
                                          &S::ViewHeading,  &S::MinRange,  &S::MaxRange};
    for (std::size_t k = 0; k < 6; ++k) settings.*texts[k] = fields[k + 1];
    settings.ServerUrl = "http://host:8008";

    std::vector<vireo::Track> tracks;
    for (std::size_t i = 7; i < fields.size(); i += 2) {
        const std::string_view alt = i + 1 < fields.size() ? fields[i + 1] : "---";
        vireo::Track track;
        for (std::size_t p = 0; p < 1 + fields[i].size() % 3; ++p) {
            std::uint32_t bits = 0;
            for (const char c : fields[i])
                bits = bits * 31 + static_cast<unsigned char>(c) + static_cast<std::uint32_t>(p);
            track.push_back({std::bit_cast<float>(bits), static_cast<float>(p) - 90.5f,
                             std::string(p ? "---" : alt), 46361.5 + static_cast<double>(p)});
        }
        tracks.push_back(std::move(track));
    }
    std::vector<vireo::KmlStation> stations;
    for (std::size_t i = 0; i < tracks.size(); ++i)
        stations.push_back({fields[7 + 2 * i], &tracks[i]});

    const vireo::KmlBuild build = vireo::BuildKml(stations, settings);
    if (build.ok) {
        Check(ValidUtf8(build.document));
        CheckMarkup(build.document);
    }
    return 0;
}

std::vector<std::string> FuzzSeeds() {
    const std::string s = "\x1F";
    return {
        std::string("\x3F") + s + "N0CALL-9 " + s + "800" + s + "40" + s + "000" + s + "350" + s +
            "7000" + s + "05/12/26 14:07  N0CALL-9 * 4903.50N 07201.75W 088/067 CA" + s + "1200" +
            s + "05/12/26 14:05  A<&\"]]>\xE8  4903.50N 07201.75W 270/036 TR" + s + "<1>",
        std::string("\x07") + s + s + s + s + s + s + s +
            "05/12/26 14:07  N3CALL-5   4903.50N 07201.75W 088/067 00" + s + "---",
    };
}
