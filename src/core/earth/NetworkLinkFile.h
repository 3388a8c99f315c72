// The network-link file: a small KML file whose one network link makes Google Earth poll the
// program's HTTP server every refresh interval. Opening it starts Google Earth on the program.
#pragma once

#include <string>
#include <string_view>

namespace vireo {

inline constexpr std::string_view kNetworkLinkFileName = "Vireo_Decoder.kml";

// The whole file: one line ended by CR LF, with `serverUrl` as the link's address and the
// refresh box's text, trimmed of blanks, as its interval. Both texts are single-byte and written
// escaped and as UTF-8, as the file declares.
std::string NetworkLinkText(std::string_view serverUrl, std::string_view refreshText);

}  // namespace vireo
