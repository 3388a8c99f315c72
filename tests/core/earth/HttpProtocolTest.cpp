#include "earth/HttpProtocol.h"

#include <gtest/gtest.h>

namespace vireo {
namespace {

using Kind = HttpRequestKind;

TEST(HttpRequest, TheRequestLineAloneDecides) {
    const std::tuple<const char*, Kind, const char*> accepted[] = {
        {"GET / HTTP/1.1\r\nHost: localhost:8008\r\nAccept: */*\r\n\r\n", Kind::Document, ""},
        {"GET / \r\n", Kind::Document, ""},
        {"GET / HTTP/1.1\n", Kind::Incomplete, ""},
        // A track call is 1 to 9 letters, digits or "-"; an untrack call is echoed whatever it is.
        {"GET /track/A HTTP/1.1\r\n", Kind::Follow, "A"},
        {"GET /track/iz1abc-15 HTTP/1.1\r\n", Kind::Follow, "iz1abc-15"},
        {"GET /untrack/<script>x</script> HTTP/1.0\r\n", Kind::Unfollow, "<script>x</script>"},
        {"GET /untrack/ HTTP/1.0\r\nHost: h\r\n\r\n", Kind::Unfollow, ""},
    };
    for (const auto& [request, kind, call] : accepted) {
        const HttpRequest r = ClassifyHttpRequest(request);
        EXPECT_EQ(std::pair(r.kind, r.call), std::pair(kind, std::string(call))) << request;
    }
    // Other paths, methods and cases; bad track calls (escapes are not decoded); link requests
    // without " HTTP" on the request line itself.
    for (const char* refused :
         {"GET /index.html HTTP/1.1\r\n\r\n", "get / HTTP/1.0\r\n\r\n", "GET /\r\n",
          "POST / HTTP/1.0\r\n\r\n", "\r\nGET / HTTP/1.0\r\n",
          "GET /x HTTP/1.0\r\nX: GET / HTTP/1.0\r\n\r\n", "GET /track/ HTTP/1.1\r\n",
          "GET /track/ABCDEFGHIJ HTTP/1.1\r\n", "GET /track/N0%20CALL HTTP/1.1\r\n",
          "GET /track/N0CALL\xC3\xA9 HTTP/1.1\r\n", "GET /track/N0CALL-9 HTTX/1.1\r\n",
          "GET /track/N0CALL\r\nX: HTTP\r\n", "GET /untrack/N0CALL\r\n"}) {
        const HttpRequest r = ClassifyHttpRequest(refused);
        EXPECT_EQ(std::pair(r.kind, r.call), std::pair(Kind::NotImplemented, std::string()))
            << refused;
    }
}

TEST(HttpAnswer, ExactBytes) {
    const std::string server = "Server: Vireo Server v0.2 by Tamberlo\r\n";
    EXPECT_EQ(NoContentAnswer(), "HTTP/1.0 204 No Content\r\n" + server + "\r\n");
    EXPECT_EQ(NotImplementedAnswer(), "HTTP/1.0 501 Not Implemented\r\n" + server + "\r\n");
    // The length counts the bytes of the UTF-8 body (a degree sign and a euro sign here).
    const std::string body = "<kml>45\xC2\xB0 N \xE2\x82\xAC</kml>";
    EXPECT_EQ(
        DocumentAnswer(body),
        "HTTP/1.0 200 OK\r\n" + server +
            "Content-Type: application/vnd.google-earth.kml+xml\r\nContent-Length: 21\r\n\r\n" +
            body);
    const std::string head =
        "HTTP/1.0 200 OK\r\n\r\n<HTML><HEAD><META HTTP-EQUIV=\"Pragma\" CONTENT=\"no-cache\">"
        "</HEAD><BODY><center><h1>Vireo Decoder</h1><h4>";
    const std::string tail =
        " on Google Earth</h4><script>window.close();</script></center></BODY></HTML>";
    EXPECT_EQ(LinkPageAnswer(true, "N0CALL-9"), head + "Now Following N0CALL-9" + tail);
    EXPECT_EQ(
        LinkPageAnswer(false, "<script>alert('x&y\")</script>"),
        head + "Stopped Following &lt;script&gt;alert(&#39;x&amp;y&quot;)&lt;/script&gt;" + tail);
}

}  // namespace
}  // namespace vireo
