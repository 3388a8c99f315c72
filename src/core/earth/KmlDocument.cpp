#include "earth/KmlDocument.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "earth/KmlCoordinate.h"
#include "stations/OleDate.h"
#include "text/Text.h"

namespace vireo {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kDegreeSign = "\xC2\xB0";  // U+00B0 in UTF-8

// Average bytes the document takes per station and per track point, to reserve it whole.
constexpr std::size_t kBytesPerStation = 900;
constexpr std::size_t kBytesPerPoint = 24;

// A new buffer of at least this size is asked to be backed by huge pages.
constexpr std::size_t kHugeBufferBytes = std::size_t{8} << 20;

// Writing a new buffer of tens of megabytes would fault in its 4 KiB pages one by one, which on
// some machines costs more than building the document; with 2 MiB pages it takes a few faults.
void PreferHugePages(std::string& buffer) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
    const auto begin = reinterpret_cast<std::uintptr_t>(buffer.data());
    const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = (begin + buffer.capacity()) & ~(kHugePage - 1);
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)buffer;
#endif
}

void Prefetch(const void* address) {
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

void AppendNumber(std::string& out, double value) {
    char buf[64];
    std::to_chars_result r{};
    value += 0.0;  // no "-0"
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        r = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(value));
    } else {
        r = std::to_chars(buf, buf + sizeof buf, value);
    }
    out.append(buf, r.ptr);
}

void AppendTime(std::string& out, double oleDate) {
    const LocalDateTime t = FromOleDate(oleDate);
    const char text[] = {static_cast<char>('0' + t.hour / 10), static_cast<char>('0' + t.hour % 10),
                         ':', static_cast<char>('0' + t.minute / 10),
                         static_cast<char>('0' + t.minute % 10)};
    out.append(text, sizeof text);
}

// What the document needs of one station, read from its line and track.
struct StationView {
    std::string_view stamp, call, trimmedCall, course, iconCode;
    double speed = 0;
    const Track* track = nullptr;
    TrackMark mark;
    const TrackPoint* newest = nullptr;
    bool absolute = false;  // drawn at its altitude
};

bool ReadStation(const KmlStation& station, const SettingsRecord& settings, StationView& view) {
    if (!station.track || station.track->empty()) return false;
    view.stamp = kStampField.Of(station.line);
    view.call = kCallField.Of(station.line);
    view.trimmedCall = TrimBlanks(view.call);
    view.course = kCourseField.Of(station.line);
    view.iconCode = kIconCodeField.Of(station.line);
    view.speed = LeadingNumber(kSpeedField.Of(station.line));
    view.track = station.track;
    view.mark = station.mark;
    view.newest = &station.track->back();
    view.absolute = settings.UseAltitude && IsStrictNumber(view.newest->alt);
    return true;
}

class Builder {
  public:
    Builder(std::span<const KmlStation> stations, const SettingsRecord& settings,
            const DerivedSettings& derived, const KmlState& state, std::string buffer)
        : stations_(stations), s_(settings), d_(derived), state_(state), out_(std::move(buffer)) {
        out_.clear();
    }

    KmlBuild Run() {
        Reserve();
        out_ += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
        out_ += "<kml xmlns=\"http://earth.google.com/kml/2.0\"><Document>";
        AppendUtf8(out_, state_.styleText);
        out_ += kCrLf;
        const bool following = !s_.FollowedCall.empty();
        if (following && !Followed()) return Fail();
        for (std::size_t i = stations_.size(); i-- > 0;) {
            if (following && kCallField.Of(stations_[i].line) == s_.FollowedCall) continue;
            StationView view;
            if (!ReadStation(stations_[i], s_, view)) return Fail();
            ahead_ = i > 0 ? stations_[i - 1].track : nullptr;
            OtherStation(view);
        }
        if (following) out_ += "</Folder>";
        out_ += "</Document><NetworkLinkControl><message>Vireo now started to update Google Earth.";
        out_ += kCrLf;
        out_ += " Enjoy APRS mobile stations view!</message></NetworkLinkControl></kml>";
        out_ += kCrLf;
        result_.ok = true;
        std::sort(
            result_.tracks.begin(), result_.tracks.end(),
            [](const KmlTrackText& a, const KmlTrackText& b) { return a.mark.id < b.mark.id; });
        result_.document = std::move(out_);
        return std::move(result_);
    }

  private:
    KmlBuild Fail() {
        result_.ok = false;
        result_.tracks.clear();
        out_.clear();
        result_.document = std::move(out_);  // the buffer goes back to the caller
        return std::move(result_);
    }

    void Reserve() {
        std::size_t points = 0;
        for (const KmlStation& station : stations_) {
            if (station.track) points += station.track->size();
        }
        const std::size_t perStation = kBytesPerStation + 2 * state_.serverUrl.size();
        // Room for an answer header in front of it too, so the caller can add one in place. A
        // buffer too small is replaced by one of twice the room, so that a map that grows from
        // poll to poll does not cost a new buffer, faulted in page by page, at every build; the
        // pages not written are never touched.
        const std::size_t wanted = 1024 + 2 * state_.styleText.size() +
                                   stations_.size() * perStation +
                                   points * (kBytesPerPoint + (s_.UseAltitude ? 8 : 0));
        const char* old = out_.data();
        if (out_.capacity() < wanted) out_.reserve(2 * wanted);
        if (out_.data() != old && out_.capacity() >= kHugeBufferBytes) PreferHugePages(out_);
    }

    // The network link of the followed station, its placemark and track, and the start of the
    // folder of the others. False when the build has to be abandoned.
    bool Followed() {
        out_ += "<NetworkLink><name>** ";
        AppendXmlText(out_, s_.FollowedCall);
        out_ += " FOLLOWING **</name><open>1</open>";
        if (state_.followLockRunning || d_.followLockForever) out_ += "<flyToView>1</flyToView>";
        for (std::size_t i = stations_.size(); i-- > 0;) {
            if (kCallField.Of(stations_[i].line) != s_.FollowedCall) continue;
            StationView view;
            if (!ReadStation(stations_[i], s_, view)) return false;
            if (!FollowedStation(view)) return false;
            break;
        }
        out_ += "</NetworkLink><Folder><name>Other Stations</name><open>0</open>";
        return true;
    }

    bool FollowedStation(const StationView& view) {
        std::string_view range = s_.ViewRange;
        if (s_.RangeProportional) {
            const auto minRange = StrictNumber(s_.MinRange);
            if (!minRange) return false;
            const double r = *minRange + std::floor(view.speed * d_.rangeSlope);
            if (LeadingNumber(s_.MaxRange) < r) {
                result_.viewRange = std::string(s_.MaxRange);
            } else {
                std::string text;
                AppendNumber(text, r);
                result_.viewRange = std::move(text);
            }
            range = *result_.viewRange;
        }
        std::string lookAt = "<LookAt><longitude>";
        lookAt += CoordinateText(view.newest->lon);
        lookAt += "</longitude><latitude>";
        lookAt += CoordinateText(view.newest->lat);
        lookAt += "</latitude><range>";
        AppendXmlText(lookAt, range);
        lookAt += "</range><tilt>";
        AppendXmlText(lookAt, s_.ViewTilt);
        lookAt += "</tilt><heading>";
        AppendXmlText(lookAt, s_.HeadingFromStation ? view.course : s_.ViewHeading);
        lookAt += "</heading></LookAt>";

        out_ += lookAt;
        out_ += "<Placemark>";
        out_ += lookAt;
        IconStyle(view);
        Description(view, "/untrack/", "Stop follow");
        out_ += "<name>";
        AppendXmlText(out_, view.trimmedCall);
        out_ += " [FOLLOW]</name>";
        Point(view);
        if (s_.ShowTracks) {
            out_ += "<Placemark>";
            out_ += kCrLf;
            TrackPlacemark(view);
        }
        return true;
    }

    void OtherStation(const StationView& view) {
        out_ += "<Placemark>";
        IconStyle(view);
        Description(view, "/track/", "Follow");
        out_ += "<name>";
        AppendXmlText(out_, view.trimmedCall);
        out_ += "</name>";
        Point(view);
        if (s_.ShowTracks) {
            out_ += "<Placemark>";
            TrackPlacemark(view);
        }
    }

    void IconStyle(const StationView& view) {
        out_ += "<styleUrl>#";
        AppendXmlText(out_, view.iconCode);
        out_ += "</styleUrl><Style><IconStyle><heading>";
        AppendXmlText(out_, view.course);
        out_ += "</heading></IconStyle></Style>";
    }

    void Description(const StationView& view, std::string_view path, std::string_view label) {
        out_ += "<description>";
        AppendXmlText(out_, view.stamp);
        out_ += "  ";
        AppendXmlText(out_, view.course);
        out_ += kDegreeSign;
        out_ += ' ';
        AppendNumber(out_, std::nearbyint(view.speed));
        out_ += "Km/h ";
        AppendXmlText(out_, view.newest->alt);
        out_ += 'm';
        if (s_.FollowLinks) {
            // The call is text from the air: percent-encoded in the link, so that it can neither
            // end the attribute nor the CDATA section.
            link_ = "<a href=\"";
            link_ += state_.serverUrl;
            link_ += path;
            AppendPercentEncoded(link_, view.trimmedCall);
            link_ += "\">";
            link_ += label;
            link_ += "</a>";
            out_ += " <![CDATA[";
            AppendCdataContent(out_, link_);
            out_ += "]]>";
        }
        out_ += "</description>";
    }

    void Point(const StationView& view) {
        const TrackPoint& p = *view.newest;
        if (view.absolute) {
            out_ += "<Point><altitudeMode>absolute</altitudeMode><extrude>1</extrude><coordinates>";
        } else {
            out_ += "<Point><altitudeMode>clampToGround</altitudeMode><coordinates>";
        }
        char buf[2 * kMaxCoordinateChars + 2];
        out_.append(buf, FormatCoordinatePair(p.lon, p.lat, buf));
        if (view.absolute) {
            out_ += ',';
            AppendXmlText(out_, TrimBlanks(p.alt));
        }
        out_ += "</coordinates></Point></Placemark>";
    }

    // The track placemark after its "<Placemark>".
    void TrackPlacemark(const StationView& view) {
        const Track& track = *view.track;
        out_ += "<styleUrl>#";
        AppendXmlText(out_, view.iconCode);
        out_ += "</styleUrl><description>Dalle ";
        AppendTime(out_, track.front().time);
        out_ += " alle ";
        AppendTime(out_, view.newest->time);
        out_ += "</description><name>";
        AppendXmlText(out_, view.trimmedCall);
        out_ += " Track (";
        AppendNumber(out_, static_cast<double>(track.size() - 1));
        out_ += ")</name>";
        if (view.absolute) {
            out_ +=
                "<LineString><altitudeMode>absolute</altitudeMode><extrude>1</extrude>"
                "<coordinates>";
        } else {
            out_ +=
                "<LineString><altitudeMode>clampToGround</altitudeMode><tessellate>1</tessellate>"
                "<coordinates>";
        }
        KmlTrackText written{view.mark, track.size(), view.absolute, out_.size(), 0};
        const std::size_t copied = CopyEarlier(view);
        // Tuples are gathered in a local buffer and appended a few kilobytes at a time.
        constexpr std::size_t kMaxAlt = 64;
        constexpr std::size_t kMaxTuple = 2 * kMaxCoordinateChars + kMaxAlt + 3;
        char chunk[4096];
        char* end = chunk;
        // The next station's track is fetched into the cache meanwhile, a point for each one here:
        // tracks lie apart in memory, and each would otherwise start with a run of cache misses.
        const TrackPoint* next = ahead_ ? ahead_->data() : nullptr;
        const TrackPoint* nextEnd = ahead_ ? next + ahead_->size() : nullptr;
        for (auto p = track.begin() + static_cast<std::ptrdiff_t>(copied); p != track.end(); ++p) {
            if (next != nextEnd) Prefetch(next++);
            if (end + kMaxTuple > chunk + sizeof chunk) {
                out_.append(chunk, end);
                end = chunk;
            }
            end = FormatCoordinatePair(p->lon, p->lat, end);
            if (view.absolute) {
                // A point without a numeric altitude (or an absurdly long one) is written
                // without one: "---" is no coordinate. A number is digits, sign, point and
                // exponent only: nothing to escape.
                const std::string_view alt = TrimBlanks(p->alt);
                if (alt.size() <= kMaxAlt && IsStrictNumber(alt)) {
                    *end++ = ',';
                    std::memcpy(end, alt.data(), alt.size());
                    end += alt.size();
                }
            }
            *end++ = ' ';
        }
        out_.append(chunk, end);
        written.length = out_.size() - written.offset;
        if (written.mark.id != 0) result_.tracks.push_back(written);
        out_ += kCrLf;
        out_ += "</coordinates></LineString></Placemark>";
    }

    // Copies the coordinates of the track's first points from the earlier document, as far as
    // it showed them written the same way; returns how many.
    std::size_t CopyEarlier(const StationView& view) {
        const auto& earlier = state_.earlierTracks;
        const auto found = std::lower_bound(
            earlier.begin(), earlier.end(), view.mark.id,
            [](const KmlTrackText& t, std::uint64_t id) { return t.mark.id < id; });
        if (view.mark.id == 0 || found == earlier.end() || found->mark.id != view.mark.id ||
            found->absolute != view.absolute || view.mark.dropped < found->mark.dropped ||
            found->offset + found->length > state_.earlierDocument.size()) {
            return 0;
        }
        // Past the points cut since, one tuple (ended by a blank) each.
        const std::uint64_t cut = view.mark.dropped - found->mark.dropped;
        if (cut >= found->points) return 0;
        std::string_view text = state_.earlierDocument.substr(found->offset, found->length);
        for (std::uint64_t i = 0; i < cut; ++i) {
            const std::size_t blank = text.find(' ');
            if (blank == std::string_view::npos) return 0;
            text.remove_prefix(blank + 1);
        }
        const std::size_t copied = found->points - static_cast<std::size_t>(cut);
        if (copied > view.track->size()) return 0;
        out_ += text;
        return copied;
    }

    std::span<const KmlStation> stations_;
    const SettingsRecord& s_;
    const DerivedSettings& d_;
    const KmlState& state_;
    std::string out_;
    std::string link_;
    const Track* ahead_ = nullptr;  // the track of the station after this one, if any
    KmlBuild result_;
};

}  // namespace

KmlBuild BuildKml(std::span<const KmlStation> stations, const SettingsRecord& settings,
                  const DerivedSettings& derived, const KmlState& state, std::string buffer) {
    return Builder(stations, settings, derived, state, std::move(buffer)).Run();
}

}  // namespace vireo
