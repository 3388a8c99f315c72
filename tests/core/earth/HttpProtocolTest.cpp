#include "earth/HttpProtocol.h"

#include <gtest/gtest.h>

namespace vireo {
namespace {

using Kind = HttpRequestKind;

TEST(HttpRequest, WaitsForTheWholeRequestLine) {
    const std::string request = "GET /track/N0CALL-9 HTTP/1.1\r\nHost: x\r\n\r\n";
    // Every cut before the CR LF is still undecided, whatever it looks like so far.
    for (std::size_t cut = 0; cut < request.find("\r\n") + 2; ++cut) {
        EXPECT_EQ(ClassifyHttpRequest(request.substr(0, cut)).kind, Kind::Incomplete) << cut;
    }
    EXPECT_EQ(ClassifyHttpRequest("GET / HTTP/1.1\n").kind, Kind::Incomplete);
    const HttpRequest whole = ClassifyHttpRequest(request.substr(0, request.find("\r\n") + 2));
    EXPECT_EQ(whole.kind, Kind::Follow);
    EXPECT_EQ(whole.call, "N0CALL-9");
}

TEST(HttpRequest, TheRequestLineAloneDecides) {
    const struct {
        const char* request;
        Kind kind;
        const char* call;
    } accepted[] = {
        {"GET / HTTP/1.1\r\nHost: localhost:8008\r\nAccept: */*\r\n\r\n", Kind::Document, ""},
        {"GET / \r\n", Kind::Document, ""},
        // A track call is 1 to 9 letters, digits or "-".
        {"GET /track/A HTTP/1.1\r\n", Kind::Follow, "A"},
        {"GET /track/ABCDEFGHI HTTP/1.1\r\n", Kind::Follow, "ABCDEFGHI"},
        {"GET /track/iz1abc-15 HTTP/1.1\r\n", Kind::Follow, "iz1abc-15"},
        {"GET /track/0-0 HTTP/1.1\r\n", Kind::Follow, "0-0"},
        // An untrack call is echoed whatever it is.
        {"GET /untrack/ANYTHING HTTP/1.1\r\nHost: h\r\n\r\n", Kind::Unfollow, "ANYTHING"},
        {"GET /untrack/<script>x</script> HTTP/1.0\r\n", Kind::Unfollow, "<script>x</script>"},
        {"GET /untrack/ HTTP/1.0\r\n", Kind::Unfollow, ""},
    };
    for (const auto& c : accepted) {
        const HttpRequest r = ClassifyHttpRequest(c.request);
        EXPECT_EQ(r.kind, c.kind) << c.request;
        EXPECT_EQ(r.call, c.call) << c.request;
    }
    // Other paths, methods and cases; bad track calls (escapes are not decoded); link requests
    // without " HTTP" on the request line itself.
    for (const char* refused :
         {"GET /index.html HTTP/1.1\r\n\r\n", "GET /?x HTTP/1.0\r\n\r\n", "get / HTTP/1.0\r\n\r\n",
          "GET /\r\n", "POST / HTTP/1.0\r\n\r\n", "\r\nGET / HTTP/1.0\r\n",
          "GET /x HTTP/1.0\r\nX: GET / HTTP/1.0\r\n\r\n", "GET /track/ HTTP/1.1\r\n",
          "GET /track/ABCDEFGHIJ HTTP/1.1\r\n", "GET /track/<b>x</b> HTTP/1.1\r\n",
          "GET /track/N0%20CALL HTTP/1.1\r\n", "GET /track/N0CALL\x01 HTTP/1.1\r\n",
          "GET /track/N0CALL\xC3\xA9 HTTP/1.1\r\n", "GET /track/N0CALL/x HTTP/1.1\r\n",
          "GET /track/N0CALL-9\r\n", "GET /track/N0CALL-9 HTTX/1.1\r\n",
          "GET /track/N0CALL\r\nX: HTTP\r\n", "GET /untrack/N0CALL\r\n",
          "GET /untrack/N0CALL\r\nX: HTTP\r\n"}) {
        const HttpRequest r = ClassifyHttpRequest(refused);
        EXPECT_EQ(r.kind, Kind::NotImplemented) << refused;
        EXPECT_TRUE(r.call.empty()) << refused;
    }
}

constexpr const char* kServer = "Server: Vireo Server v0.2 by Tamberlo\r\n";

TEST(HttpAnswer, HeaderBlocksEndWithAnEmptyLine) {
    EXPECT_EQ(NoContentAnswer(), std::string("HTTP/1.0 204 No Content\r\n") + kServer + "\r\n");
    EXPECT_EQ(NotImplementedAnswer(),
              std::string("HTTP/1.0 501 Not Implemented\r\n") + kServer + "\r\n");
}

TEST(HttpAnswer, DocumentLengthCountsUtf8Bytes) {
    const std::string body = "<kml>45\xC2\xB0 N \xE2\x82\xAC</kml>";  // degree sign and euro sign
    EXPECT_EQ(DocumentAnswer(body), std::string("HTTP/1.0 200 OK\r\n") + kServer +
                                        "Content-Type: application/vnd.google-earth.kml+xml\r\n"
                                        "Content-Length: 21\r\n\r\n" +
                                        body);
}

TEST(HttpAnswer, LinkPageEscapesTheCall) {
    const std::string head =
        "HTTP/1.0 200 OK\r\n\r\n<HTML><HEAD><META HTTP-EQUIV=\"Pragma\" "
        "CONTENT=\"no-cache\"></HEAD>"
        "<BODY><center><h1>Vireo Decoder</h1><h4>";
    const std::string tail =
        " on Google Earth</h4><script>window.close();</script></center></BODY></HTML>";
    EXPECT_EQ(LinkPageAnswer(true, "N0CALL-9"), head + "Now Following N0CALL-9" + tail);
    EXPECT_EQ(
        LinkPageAnswer(false, "<script>alert('x&y\")</script>"),
        head + "Stopped Following &lt;script&gt;alert(&#39;x&amp;y&quot;)&lt;/script&gt;" + tail);
}

TEST(HttpSlots, UnloadRuleByRandomNumber) {
    for (const double r : {0.0, 0.5, 0.999999}) {
        EXPECT_FALSE(UnloadsSlot(5, r)) << r;
        EXPECT_TRUE(UnloadsSlot(31, r)) << r;
    }
    // Slot i (6 to 30) goes when r < (i - 5) / 26.
    EXPECT_TRUE(UnloadsSlot(6, 1.0 / 26 - 1e-9));
    EXPECT_FALSE(UnloadsSlot(6, 1.0 / 26 + 1e-9));
    EXPECT_TRUE(UnloadsSlot(30, 24.9 / 26));
    EXPECT_FALSE(UnloadsSlot(30, 25.1 / 26));
}

TEST(HttpSlots, ReusesLowestFreeAndUnloadsOnlyTheTop) {
    HttpSlots slots;
    EXPECT_EQ(slots.UpperBound(), 0);
    for (int i = 1; i <= 40; ++i) EXPECT_EQ(slots.Acquire(), i);

    EXPECT_FALSE(slots.Release(20, 0.0));  // below the top: kept, whatever r says
    EXPECT_FALSE(slots.Release(5, 0.0));
    EXPECT_EQ(slots.Acquire(), 5);
    EXPECT_EQ(slots.Acquire(), 20);
    EXPECT_EQ(slots.Acquire(), 41);

    EXPECT_TRUE(slots.Release(41, 0.99));  // above 30: always
    EXPECT_FALSE(slots.Release(39, 0.0));  // the top is 40, still busy
    EXPECT_TRUE(slots.Release(40, 0.99));
    EXPECT_EQ(slots.UpperBound(), 39);     // one unload per release: free 39 stays
    EXPECT_FALSE(slots.Release(39, 0.0));  // already free: nothing happens
    EXPECT_EQ(slots.UpperBound(), 39);
    EXPECT_FALSE(slots.Release(0, 0.0));  // the listener is no connection
    EXPECT_TRUE(slots.IsBusy(0));

    HttpSlots few;
    for (int i = 1; i <= 5; ++i) few.Acquire();
    EXPECT_FALSE(few.Release(5, 0.0));  // the top, but slots 1 to 5 stay loaded
    EXPECT_EQ(few.Acquire(), 5);
}

}  // namespace
}  // namespace vireo
