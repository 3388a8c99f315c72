// The served document: the sample stations' document byte for byte, what the settings change in
// it, and failed builds. That the documents are well-formed is the KML fuzz target's check, and
// xmllint's and GDAL's on the document served end to end.
#include "earth/KmlDocument.h"

#include <gtest/gtest.h>

#include <functional>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>

#include "earth/NetworkLinkFile.h"
#include "stations/OleDate.h"

namespace vireo {
namespace {

double At(int hour, int minute) {
    return ToOleDate({2026, 12, 5, hour, minute, 0, 0});
}

// N3CALL-5 at the top of the list; below it N0CALL-9, followed, with a track of four points.
struct Sample {
    std::vector<std::string> lines{"05/12/26 14:05  N3CALL-5   4903.50N 07201.75W 270/036 TR",
                                   "05/12/26 14:07  N0CALL-9 * 4903.50N 07201.75W 088/067 CA"};
    std::vector<Track> tracks{{{-71.5f, 42.625f, "376", At(14, 5)}},
                              {{-72.0f, 49.0f, "---", At(13, 52)},
                               {-72.01f, 49.02f, "---", At(13, 57)},
                               {-72.02f, 49.04f, "---", At(14, 2)},
                               {-72.029167f, 49.058333f, "---", At(14, 7)}}};
    SettingsRecord settings = DefaultSettings("");
    KmlState state{true, "<Style id=\"CA\"><Icon><href>/icons/car.png</href></Icon></Style>",
                   "http://host:8008"};

    std::vector<TrackMark> marks{{1, 0}, {2, 0}};

    Sample() { settings.FollowedCall = "N0CALL-9 "; }

    KmlBuild Build(const KmlBuild* earlier = nullptr) const {
        std::vector<KmlStation> stations;
        for (std::size_t i = 0; i < lines.size(); ++i)
            stations.push_back({lines[i], i < tracks.size() ? &tracks[i] : nullptr,
                                i < marks.size() ? marks[i] : TrackMark{}});
        KmlState withEarlier = state;
        if (earlier) {
            withEarlier.earlierDocument = earlier->document;
            withEarlier.earlierTracks = earlier->tracks;
        }
        return BuildKml(stations, settings, DeriveSettings(settings), withEarlier);
    }
};

// The documents kept in data/: the sample; its followed call on no line; nobody followed and
// no tracks; texts from the air with markup, a control character and a Latin-1 letter, follow
// links and altitudes (blanks around one, none on a point between two), not followed and followed.
std::map<std::string, Sample> Goldens() {
    std::map<std::string, Sample> goldens;
    goldens["followed.kml"] = Sample();
    Sample& elsewhere = goldens["followed-elsewhere.kml"];
    elsewhere.lines.pop_back();
    elsewhere.state = {};
    Sample& plain = goldens["plain.kml"];
    plain.settings.FollowedCall = "";
    plain.settings.ShowTracks = false;
    Sample& awkward = goldens["awkward.kml"];
    awkward.lines[0].replace(16, 9, "A&<\"]]>\xE8\x01");
    awkward.tracks[0] = {{-71.5f, 42.625f, " 376 ", At(14, 5)},
                         {-71.25f, 42.5f, "---", At(14, 6)},
                         {-71.0f, 42.0f, "1200", At(14, 7)}};
    awkward.settings.FollowedCall = "";
    awkward.settings.FollowLinks = awkward.settings.UseAltitude = true;
    awkward.state.styleText = "<Style id=\"CA\"><!-- caf\xE9 --></Style>";
    goldens["awkward-followed.kml"] = awkward;
    goldens["awkward-followed.kml"].settings.FollowedCall = "N0CALL-9 ";
    // The view as typed: range and heading not worked out from the station.
    Sample& fixed = goldens["fixed-view.kml"];
    fixed.settings.RangeProportional = fixed.settings.HeadingFromStation = false;
    std::tie(fixed.settings.ViewRange, fixed.settings.ViewHeading) = std::tuple("1234", "0");
    return goldens;
}

std::filesystem::path GoldenPath(const std::string& name) {
    return std::filesystem::path(__FILE__).parent_path() / "data" / name;
}

// Byte for byte; VIREO_WRITE_GOLDEN=1 writes the files anew after a deliberate change.
TEST(KmlDocumentTest, GoldenDocuments) {
    std::map<std::string, std::string> documents{
        {"network-link.kml", NetworkLinkText("http://h&b:8008", " 6 ")}};
    for (const auto& [name, sample] : Goldens()) documents[name] = sample.Build().document;
    for (const auto& [name, document] : documents) {
        if (std::getenv("VIREO_WRITE_GOLDEN"))
            std::ofstream(GoldenPath(name), std::ios::binary) << document;
        std::ifstream file(GoldenPath(name), std::ios::binary);
        EXPECT_EQ(document, std::string(std::istreambuf_iterator<char>(file), {})) << name;
    }
    // The range worked out is written back into the ViewRange box.
    EXPECT_EQ(Sample().Build().viewRange, "2577");
    for (const char* name : {"followed-elsewhere.kml", "fixed-view.kml"})
        EXPECT_EQ(Goldens()[name].Build().viewRange, std::nullopt) << name;
}

// With the coordinates of an earlier document copied, the document is the one written afresh,
// whatever the tracks went through since: points added at the back and cut at the front,
// altitudes switched off, a new track in a slot, a track cut back to its newest point.
TEST(KmlDocumentTest, CopiesTrackPointsFromAnEarlierDocument) {
    Sample s = Goldens()["awkward-followed.kml"];
    const std::function<void()> changes[] = {
        [] {},
        [&] {
            s.tracks[1].push_back({-72.03f, 49.07f, "12", At(14, 8)});
        },
        [&] {
            s.tracks[1].erase(s.tracks[1].begin(), s.tracks[1].begin() + 2);
            s.marks[1].dropped += 2;
            s.tracks[0].push_back({-71.0f, 42.5f, "1300", At(14, 9)});
        },
        [&] { s.settings.UseAltitude = false; },
        [&] { std::tie(s.tracks[0], s.marks[0]) = std::pair(Track{s.tracks[0][1]}, TrackMark{3}); },
        [&] {
            s.marks[1].dropped += s.tracks[1].size() - 1;
            s.tracks[1].erase(s.tracks[1].begin(), s.tracks[1].end() - 1);
        },
    };
    KmlBuild earlier = s.Build();
    for (std::size_t i = 0; i < std::size(changes); ++i) {
        changes[i]();
        KmlBuild copied = s.Build(&earlier);
        EXPECT_EQ(copied.document, s.Build().document) << "change " << i;
        earlier = std::move(copied);
    }
}

TEST(KmlDocumentTest, ViewRangeAndFailedBuilds) {
    Sample sample;
    const auto rangeAt = [&sample](std::string_view courseSpeed) {
        sample.lines[1].replace(46, 7, courseSpeed);
        return sample.Build().viewRange.value_or("(none)");
    };
    EXPECT_EQ(rangeAt("088/000"), "350");
    EXPECT_EQ(rangeAt("088/250"), "7000");  // 8662 is beyond the maximum
    sample.settings.MaxRange = " 9000 m";   // read for its leading number
    EXPECT_EQ(rangeAt("088/180"), "8135");
    sample.settings.MinRange = "350.5";
    EXPECT_EQ(rangeAt("088/067"), "3247.5");

    // Failed builds: a MinRange that is no number (it matters only for a followed station),
    // a station without a track or with an empty one; the range already worked out for the
    // followed station is still reported.
    sample = Sample();
    sample.settings.MinRange = "35O";
    EXPECT_FALSE(sample.Build().ok);
    sample.settings.FollowedCall = "";
    EXPECT_TRUE(sample.Build().ok);
    sample = Sample();
    sample.lines.push_back(sample.lines[0]);
    const KmlBuild build = sample.Build();
    EXPECT_EQ(std::tuple(build.ok, build.document, build.viewRange),
              std::tuple(false, "", std::optional<std::string>("2577")));
    sample.lines.pop_back();
    sample.tracks[0].clear();
    EXPECT_FALSE(sample.Build().ok);
}

}  // namespace
}  // namespace vireo
