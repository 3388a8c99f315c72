#include "earth/KmlDocument.h"

#include <gtest/gtest.h>

#include "KmlSamples.h"
#include "earth/NetworkLinkFile.h"

namespace vireo {
namespace {

using test::At;
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

std::string Build(const SampleStore& store, const KmlSettings& settings) {
    const auto stations = store.Stations();
    const KmlBuild build = BuildKml(stations, settings);
    EXPECT_TRUE(build.ok);
    return build.document;
}

TEST(KmlDocumentTest, FollowedStationWithTrackAndOneOther) {
    const SampleStore store;
    const KmlSettings settings = FollowingN0Call();
    const auto stations = store.Stations();
    const KmlBuild build = BuildKml(stations, settings);
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
    const auto stations = store.Stations();
    const KmlBuild build = BuildKml(stations, settings);
    ASSERT_TRUE(build.ok);
    EXPECT_EQ(build.document,
              kHead + "\r\n<NetworkLink><name>** N0CALL-9  FOLLOWING **</name><open>1</open>" +
                  "</NetworkLink><Folder><name>Other Stations</name><open>0</open>" + kN3Call +
                  "</Folder>" + kClose);
    EXPECT_FALSE(build.viewRange);

    // Nobody followed and no tracks: the newest report comes first.
    SampleStore both;
    KmlSettings plain;
    plain.ShowTracks = false;
    const std::string doc = Build(both, plain);
    EXPECT_EQ(doc.find("<NetworkLink>"), std::string::npos);
    EXPECT_EQ(doc.find("</Folder>"), std::string::npos);
    EXPECT_EQ(doc.find("LineString"), std::string::npos);
    EXPECT_LT(doc.find("<name>N0CALL-9</name>"), doc.find("<name>N3CALL-5</name>"));
}

TEST(KmlDocumentTest, ViewRangeAndHeading) {
    SampleStore store;
    KmlSettings settings = FollowingN0Call();
    const auto rangeAt = [&](std::string_view courseSpeed) {
        store.lines[1] = Line("05/12/26 14:07", "N0CALL-9 ", courseSpeed, "CA", true);
        const auto stations = store.Stations();
        const KmlBuild build = BuildKml(stations, settings);
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
    const auto stations = store.Stations();
    const KmlBuild build = BuildKml(stations, settings);
    EXPECT_FALSE(build.viewRange);
    EXPECT_NE(build.document.find("<range>1234</range><tilt>40</tilt><heading>0</heading>"),
              std::string::npos);
}

TEST(KmlDocumentTest, FailedBuilds) {
    SampleStore store;
    KmlSettings settings = FollowingN0Call();
    settings.MinRange = "35O";
    {
        const auto stations = store.Stations();
        EXPECT_FALSE(BuildKml(stations, settings).ok);
    }
    // Without a followed station the range is not worked out, so MinRange does not matter.
    settings.FollowedCall = "";
    {
        const auto stations = store.Stations();
        EXPECT_TRUE(BuildKml(stations, settings).ok);
    }
    // A station whose slot has no track, or an empty one; the range already worked out for the
    // followed station is still reported.
    settings = FollowingN0Call();
    auto stations = store.Stations();
    stations[0].track = nullptr;
    KmlBuild build = BuildKml(stations, settings);
    EXPECT_FALSE(build.ok);
    EXPECT_EQ(build.viewRange, "2577");
    EXPECT_TRUE(build.document.empty());
    store.tracks[1].clear();
    stations = store.Stations();
    EXPECT_FALSE(BuildKml(stations, settings).ok);
}

TEST(KmlDocumentTest, Altitudes) {
    SampleStore store;
    KmlSettings settings;
    settings.UseAltitude = true;
    // Newest altitude "---": on the ground in point and track.
    std::string doc = Build(store, settings);
    EXPECT_NE(doc.find("<coordinates>-72.02917,49.05833</coordinates>"), std::string::npos);
    // N3CALL-5 has 376 m: drawn at that height, extruded, in point and track.
    EXPECT_NE(doc.find("<Point><altitudeMode>absolute</altitudeMode><extrude>1</extrude>"
                       "<coordinates>-71.5,42.625,376</coordinates>"),
              std::string::npos);
    EXPECT_NE(doc.find("<LineString><altitudeMode>absolute</altitudeMode><extrude>1</extrude>"
                       "<coordinates>-71.5,42.625,376 \r\n"),
              std::string::npos);

    // An altitude with blanks around it is written trimmed: a blank would split the tuple.
    store.tracks[0][0].Alt = " 376 ";
    doc = Build(store, settings);
    EXPECT_NE(doc.find("<coordinates>-71.5,42.625,376</coordinates>"), std::string::npos);

    // Newest 1200, older points without altitude: the track is absolute and the older points
    // are written without a height rather than with "---".
    store.tracks[1].back().Alt = "1200";
    doc = Build(store, settings);
    EXPECT_NE(doc.find("<coordinates>-72,49 -72.01,49.02 -72.02,49.04 -72.02917,49.05833,1200 "
                       "\r\n"),
              std::string::npos);
    EXPECT_NE(doc.find("1200m</description>"), std::string::npos);

    settings.UseAltitude = false;
    doc = Build(store, settings);
    EXPECT_EQ(doc.find("absolute"), std::string::npos);
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
    EXPECT_NE(doc.find("<name>A&lt;&amp;&quot;]]&gt;\xC3\xA8</name>"), std::string::npos);
    EXPECT_NE(doc.find(" <![CDATA[<a href=\"http://host:8008/track/A%3C%26%22%5D%5D%3E%E8\">"
                       "Follow</a>]]></description>"),
              std::string::npos);
    EXPECT_NE(doc.find(" <![CDATA[<a href=\"http://host:8008/track/N0CALL-9\">Follow</a>]]>"),
              std::string::npos);
    EXPECT_NE(doc.find("&lt;1&gt;m"), std::string::npos);
    EXPECT_NE(doc.find("<!-- caf\xC3\xA9 -->"), std::string::npos);

    // The followed station's link stops following it.
    settings.FollowedCall = "N0CALL-9 ";
    const std::string followed = Build(store, settings);
    EXPECT_NE(followed.find("---m <![CDATA[<a href=\"http://host:8008/untrack/N0CALL-9\">"
                            "Stop follow</a>]]></description><name>N0CALL-9 [FOLLOW]</name>"),
              std::string::npos);
}

TEST(KmlDocumentTest, ChangeTracker) {
    KmlChangeTracker tracker;
    EXPECT_TRUE(tracker.Update("a"));
    EXPECT_FALSE(tracker.Update("a"));
    EXPECT_TRUE(tracker.Update("b"));
}

TEST(NetworkLinkTest, FileText) {
    EXPECT_EQ(NetworkLinkText("http://host:8008", " 6 "),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
              "<kml xmlns=\"http://earth.google.com/kml/2.0\"><Document><NetworkLink>"
              "<name>APRS mobile stations</name><Url><href>http://host:8008</href>"
              "<refreshMode>onInterval</refreshMode><refreshInterval>6</refreshInterval>"
              "</Url></NetworkLink></Document></kml>\r\n");
    EXPECT_NE(NetworkLinkText("http://h&b:8008", "1<").find("h&amp;b:8008</href>"),
              std::string::npos);
}

}  // namespace
}  // namespace vireo
