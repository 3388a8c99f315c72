// The KML document built from arbitrary station lines, calls, altitudes and settings texts must
// stay well-formed: valid UTF-8, every "<" outside CDATA one of the document's own tags, every
// "&" an entity, and every CDATA section holding exactly one intact follow link.
#include <algorithm>
#include <bit>
#include <cstdlib>
#include <tuple>

#include "earth/KmlDocument.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// Every element name of the document, each one only after those it contains.
constexpr std::string_view kTags =
    " kml Document NetworkLink NetworkLinkControl name open flyToView LookAt longitude latitude"
    " range tilt heading Placemark styleUrl Style IconStyle description Point altitudeMode extrude"
    " coordinates LineString tessellate Folder message ";
constexpr std::string_view kEntities[] = {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"};

// The document only ever holds Latin-1 letters: two bytes at most.
void CheckUtf8AndMarkup(std::string_view doc) {
    const std::string_view declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    Check(doc.starts_with(declaration));
    for (std::size_t i = declaration.size(); i < doc.size(); ++i) {
        const auto c = static_cast<unsigned char>(doc[i]);
        Check(c >= 0x20 || c == '\t' || c == '\n' || c == '\r');
        if (c >= 0x80) {
            Check(c >= 0xC2 && c <= 0xDF && i + 1 < doc.size() &&
                  (static_cast<unsigned char>(doc[++i]) & 0xC0) == 0x80);
        } else if (doc.substr(i, 9) == "<![CDATA[") {
            const auto end = doc.find("]]>", i);
            Check(end != std::string_view::npos);
            const std::string_view link = doc.substr(i + 9, end - i - 9);
            const auto quote = link.find('"', 9);
            Check(link.starts_with("<a href=\"") && quote != std::string_view::npos);
            Check(link.substr(9, quote - 9).find_first_of("<>\" ") == std::string_view::npos);
            Check(link.substr(quote) == "\">Follow</a>" ||
                  link.substr(quote) == "\">Stop follow</a>");
            i = end + 2;
        } else if (c == '<') {
            const std::size_t at = i + 1 + (doc.substr(i + 1, 1) == "/");
            const std::string_view name = doc.substr(at, doc.find_first_of(" >", at) - at);
            const auto tag = kTags.find(name);
            Check(!name.empty() && tag != std::string_view::npos && kTags[tag - 1] == ' ' &&
                  kTags[tag + name.size()] == ' ');
        } else if (c == '&') {
            Check(std::ranges::any_of(kEntities,
                                      [&](auto e) { return doc.substr(i).starts_with(e); }));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    // Fields split at 0x1F: flags, followed call, view range, tilt, heading, min and max range,
    // then pairs of station line and altitude text.
    std::vector<std::string_view> fields;
    for (std::size_t at = 0, end = 0; end != std::string_view::npos; at = end + 1) {
        end = input.find('\x1F', at);
        fields.push_back(input.substr(at, end - at));
    }
    fields.resize(std::max<std::size_t>(fields.size(), 7));
    const unsigned flags = fields[0].empty() ? 0u : static_cast<unsigned char>(fields[0][0]);
    vireo::SettingsRecord s = vireo::DefaultSettings("/icons");
    bool* const switches[] = {&s.ShowTracks, &s.UseAltitude, &s.FollowLinks, &s.HeadingFromStation,
                              &s.RangeProportional};
    for (std::size_t b = 0; b < 5; ++b) *switches[b] = (flags >> b) & 1;
    std::tie(s.FollowedCall, s.ViewRange, s.ViewTilt, s.ViewHeading, s.MinRange, s.MaxRange) =
        std::tuple(fields[1], fields[2], fields[3], fields[4], fields[5], fields[6]);

    // One to three points at a place made of the line's bytes, any float; the altitude text on
    // the oldest and the newest.
    std::vector<vireo::Track> tracks;
    std::vector<vireo::KmlStation> stations;
    tracks.reserve(fields.size());
    for (std::size_t i = 7; i < fields.size(); i += 2) {
        std::uint32_t bits = 0;
        for (const char c : fields[i]) bits = bits * 31 + static_cast<unsigned char>(c);
        vireo::Track& track = tracks.emplace_back(
            1 + fields[i].size() % 3,
            vireo::TrackPoint{std::bit_cast<float>(bits), -90.5f, "---", 46361.5});
        track.front().alt = track.back().alt = i + 1 < fields.size() ? fields[i + 1] : "---";
        stations.push_back({fields[i], &track});
    }
    const vireo::KmlState state{((flags >> 5) & 1) != 0, "", "http://host:8008"};
    const vireo::KmlBuild build = vireo::BuildKml(stations, s, vireo::DeriveSettings(s), state);
    if (build.ok) CheckUtf8AndMarkup(build.document);
    return 0;
}
