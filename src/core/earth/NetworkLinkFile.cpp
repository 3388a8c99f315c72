#include "earth/NetworkLinkFile.h"

#include "text/Text.h"

namespace vireo {

std::string NetworkLinkText(std::string_view serverUrl, std::string_view refreshText) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        "<kml xmlns=\"http://earth.google.com/kml/2.0\">"
        "<Document><NetworkLink><name>APRS mobile stations</name><Url><href>";
    AppendXmlText(text, serverUrl);
    text += "</href><refreshMode>onInterval</refreshMode><refreshInterval>";
    AppendXmlText(text, TrimBlanks(refreshText));
    text += "</refreshInterval></Url></NetworkLink></Document></kml>\r\n";
    return text;
}

}  // namespace vireo
