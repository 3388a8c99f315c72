#include "earth/KmlDocument.h"

#include <gtest/gtest.h>

#include "KmlSamples.h"
#include "earth/NetworkLinkFile.h"

namespace vireo {
namespace {

using test::FollowingN0Call;
using test::Line;
using test::SampleStore;

const std::string kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><kml xmlns=\"http://earth.google.com/kml/2.0\">"
    "<Document>";
const std::string kClose =
    "</Document><NetworkLinkControl><message>Vireo now started to update Google Earth.\r\n"
    " Enjoy APRS mobile stations view!</message></NetworkLinkControl></kml>\r\n";

const std::string kN3Call =
    "<Placemark><styleUrl>#TR</styleUrl><Style><IconStyle><heading>270</heading></IconStyle>"
    "</Style><description>05/12/26 14:05  270\xC2\xB0 36Km/h 376m</description>"
    "<name>N3CALL-5</name><Point><altitudeMode>clampToGround</altitudeMode>"
    "<coordinates>-71.5,42.625</coordinates></Point></Placemark>"
    "<Placemark><styleUrl>#TR</styleUrl><description>Dalle 14:05 alle 14:05</description>"
    "<name>N3CALL-5 Track (0)</name><LineString><altitudeMode>clampToGround</altitudeMode>"
    "<tessellate>1</tessellate><coordinates>-71.5,42.625 \r\n"
    "</coordinates></LineString></Placemark>";

KmlBuild BuildOf(const SampleStore& store, const KmlSettings& settings) {
    const auto stations = store.Stations();
    return BuildKml(stations, settings);
}

std::string Build(const SampleStore& store, const KmlSettings& settings) {
    const KmlBuild build = BuildOf(store, settings);
    EXPECT_TRUE(build.ok);
    return build.document;
}

bool Has(const std::string& document, const std::string& part) {
    return document.find(part) != std::string::npos;
}

TEST(KmlDocumentTest, FollowedStationWithTrackAndOneOther) {
    const KmlSettings settings = FollowingN0Call();
    const KmlBuild build = BuildOf(SampleStore{}, settings);
    ASSERT_TRUE(build.ok);
    const std::string lookAt =
        "<LookAt><longitude>-72.02917</longitude><latitude>49.05833</latitude>"
        "<range>2577</range><tilt>40</tilt><heading>088</heading></LookAt>";
    const std::string expected =
        kHead + std::string(settings.StyleText) + "\r\n" +
        "<NetworkLink><name>** N0CALL-9  FOLLOWING **</name><open>1</open>"
        "<flyToView>1</flyToView>" +
        lookAt + "<Placemark>" + lookAt +
        "<styleUrl>#CA</styleUrl><Style><IconStyle><heading>088</heading></IconStyle></Style>"
        "<description>05/12/26 14:07  088\xC2\xB0 67Km/h ---m</description>"
        "<name>N0CALL-9 [FOLLOW]</name><Point><altitudeMode>clampToGround</altitudeMode>"
        "<coordinates>-72.02917,49.05833</coordinates></Point></Placemark>"
        "<Placemark>\r\n<styleUrl>#CA</styleUrl><description>Dalle 13:52 alle 14:07"
        "</description><name>N0CALL-9 Track (3)</name><LineString>"
        "<altitudeMode>clampToGround</altitudeMode><tessellate>1</tessellate><coordinates>"
        "-72,49 -72.01,49.02 -72.02,49.04 -72.02917,49.05833 \r\n"
        "</coordinates></LineString></Placemark>"
        "</NetworkLink><Folder><name>Other Stations</name><open>0</open>" +
        kN3Call + "</Folder>" + kClose;
    EXPECT_EQ(build.document, expected);
    EXPECT_EQ(build.viewRange, "2577");
}

TEST(KmlDocumentTest, DocumentsWithoutAFollowedLine) {
    // No stations, nobody followed.
    EXPECT_EQ(BuildKml({}, KmlSettings{}).document, kHead + "\r\n" + kClose);

    // The followed call is on no line: the link holds its name only, every station is "other".
    SampleStore store;
    store.lines.pop_back();
    store.tracks.pop_back();
    KmlSettings settings = FollowingN0Call();
    settings.followLockRunning = false;
    settings.StyleText = "";
    const KmlBuild build = BuildOf(store, settings);
    ASSERT_TRUE(build.ok);
    EXPECT_EQ(build.document,
              kHead + "\r\n<NetworkLink><name>** N0CALL-9  FOLLOWING **</name><open>1</open>" +
                  "</NetworkLink><Folder><name>Other Stations</name><open>0</open>" + kN3Call +
                  "</Folder>" + kClose);
    EXPECT_FALSE(build.viewRange);

    // Nobody followed and no tracks: the newest report comes first.
    KmlSettings plain;
    plain.ShowTracks = false;
    const std::string doc = Build(SampleStore{}, plain);
    for (const char* absent : {"<NetworkLink>", "</Folder>", "LineString"}) {
        EXPECT_FALSE(Has(doc, absent)) << absent;
    }
    EXPECT_LT(doc.find("<name>N0CALL-9</name>"), doc.find("<name>N3CALL-5</name>"));
}

TEST(KmlDocumentTest, ViewRangeAndHeading) {
    SampleStore store;
    KmlSettings settings = FollowingN0Call();
    const auto rangeAt = [&](std::string_view courseSpeed) {
        store.lines[1] = Line("05/12/26 14:07", "N0CALL-9 ", courseSpeed, "CA", true);
        const KmlBuild build = BuildOf(store, settings);
        EXPECT_TRUE(build.ok);
        return build.viewRange.value_or("(none)");
    };
    EXPECT_EQ(rangeAt("088/000"), "350");
    EXPECT_EQ(rangeAt("088/250"), "7000");  // 8662 is beyond the maximum
    settings.MaxRange = " 9000 m";          // the maximum takes its leading number
    EXPECT_EQ(rangeAt("088/250"), "8662");
    settings.MinRange = "350.5";
    EXPECT_EQ(rangeAt("088/067"), "2577.5");

    // Not proportional: the ViewRange text as it stands, nothing written back.
    settings.RangeProportional = false;
    settings.ViewRange = "1234";
    settings.HeadingFromStation = false;
    settings.ViewHeading = "0";
    const KmlBuild build = BuildOf(store, settings);
    EXPECT_FALSE(build.viewRange);
    EXPECT_TRUE(Has(build.document, "<range>1234</range><tilt>40</tilt><heading>0</heading>"));
}

TEST(KmlDocumentTest, FailedBuilds) {
    SampleStore store;
    KmlSettings settings = FollowingN0Call();
    settings.MinRange = "35O";
    EXPECT_FALSE(BuildOf(store, settings).ok);
    // Without a followed station the range is not worked out, so MinRange does not matter.
    settings.FollowedCall = "";
    EXPECT_TRUE(BuildOf(store, settings).ok);
    // A station whose slot has no track, or an empty one; the range already worked out for the
    // followed station is still reported.
    settings = FollowingN0Call();
    auto stations = store.Stations();
    stations[0].track = nullptr;
    const KmlBuild build = BuildKml(stations, settings);
    EXPECT_FALSE(build.ok);
    EXPECT_EQ(build.viewRange, "2577");
    EXPECT_TRUE(build.document.empty());
    store.tracks[1].clear();
    EXPECT_FALSE(BuildOf(store, settings).ok);
}

TEST(KmlDocumentTest, Altitudes) {
    SampleStore store;
    KmlSettings settings;
    settings.UseAltitude = true;
    // Newest altitude "---": on the ground in point and track.
    std::string doc = Build(store, settings);
    EXPECT_TRUE(Has(doc, "<coordinates>-72.02917,49.05833</coordinates>"));
    // N3CALL-5 has 376 m: drawn at that height, extruded, in point and track.
    EXPECT_TRUE(Has(doc,
                    "<Point><altitudeMode>absolute</altitudeMode><extrude>1</extrude>"
                    "<coordinates>-71.5,42.625,376</coordinates>"));
    EXPECT_TRUE(Has(doc,
                    "<LineString><altitudeMode>absolute</altitudeMode><extrude>1</extrude>"
                    "<coordinates>-71.5,42.625,376 \r\n"));

    // An altitude with blanks around it is written trimmed: a blank would split the tuple.
    store.tracks[0][0].Alt = " 376 ";
    doc = Build(store, settings);
    EXPECT_TRUE(Has(doc, "<coordinates>-71.5,42.625,376</coordinates>"));

    // Newest 1200, older points without altitude: the track is absolute and the older points
    // are written without a height rather than with "---".
    store.tracks[1].back().Alt = "1200";
    doc = Build(store, settings);
    EXPECT_TRUE(Has(doc,
                    "<coordinates>-72,49 -72.01,49.02 -72.02,49.04 -72.02917,49.05833,1200 "
                    "\r\n"));
    EXPECT_TRUE(Has(doc, "1200m</description>"));
}

TEST(KmlDocumentTest, TextFromTheAirIsEscapedAndEncoded) {
    SampleStore store;
    // A call with markup characters and a Latin-1 letter, and an odd altitude text.
    const std::string call = "A<&\"]]>\xE8 ";
    store.lines[0] = Line("05/12/26 14:05", call, "270/036", "TR");
    store.tracks[0][0].Alt = "<1>";
    KmlSettings settings;
    settings.FollowLinks = true;
    settings.ServerUrl = "http://host:8008";
    settings.StyleText = "<Style id=\"CA\"><!-- caf\xE9 --></Style>";
    const std::string doc = Build(store, settings);
    EXPECT_TRUE(Has(doc, "<name>A&lt;&amp;&quot;]]&gt;\xC3\xA8</name>"));
    EXPECT_TRUE(Has(doc,
                    " <![CDATA[<a href=\"http://host:8008/track/A%3C%26%22%5D%5D%3E%E8\">"
                    "Follow</a>]]></description>"));
    EXPECT_TRUE(Has(doc, "&lt;1&gt;m"));
    EXPECT_TRUE(Has(doc, "<!-- caf\xC3\xA9 -->"));

    // The followed station's link stops following it.
    settings.FollowedCall = "N0CALL-9 ";
    const std::string followed = Build(store, settings);
    EXPECT_TRUE(Has(followed,
                    "---m <![CDATA[<a href=\"http://host:8008/untrack/N0CALL-9\">"
                    "Stop follow</a>]]></description><name>N0CALL-9 [FOLLOW]</name>"));
}

TEST(NetworkLinkTest, FileText) {
    EXPECT_EQ(NetworkLinkText("http://host:8008", " 6 "),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
              "<kml xmlns=\"http://earth.google.com/kml/2.0\"><Document><NetworkLink>"
              "<name>APRS mobile stations</name><Url><href>http://host:8008</href>"
              "<refreshMode>onInterval</refreshMode><refreshInterval>6</refreshInterval>"
              "</Url></NetworkLink></Document></kml>\r\n");
    EXPECT_TRUE(Has(NetworkLinkText("http://h&b:8008", "1<"), "h&amp;b:8008</href>"));
}

}  // namespace
}  // namespace vireo
