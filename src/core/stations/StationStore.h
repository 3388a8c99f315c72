// The station store: one 56-character line per station, in the order of the stations' last
// reports (oldest at the top), and one track per station in a dense array of slots.
//
// The store is plain data and logic. It never waits, plays sounds or touches widgets: each
// operation runs to completion and returns what the shell has to show or do afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "aprs/PositionReport.h"
#include "settings/Settings.h"
#include "stations/OleDate.h"
#include "stations/StationTypes.h"

namespace vireo {

// Great-circle distance in metres between two points given in decimal degrees, on a sphere of
// radius 6378000 m. Never NaN for finite input: rounding that carries the cosine of the central
// angle past 1 or -1 is taken as 1 or -1.
float Distance(float lat1, float lon1, float lat2, float lon2);

// Reads a latitude ("ddmm.hhN") or longitude ("dddmm.hhE") text of a station line into decimal
// degrees, south and west negative. A blank in a digit place counts as 0 in that place, so a
// position made ambiguous by blanking its last digits keeps the value of the digits it has.
float ReadLatitude(std::string_view text);
float ReadLongitude(std::string_view text);

// The "dd/mm/yy hh:nn" stamp of a moment.
std::string FormatStamp(const LocalDateTime& t);

// The whole minutes since 30 December 1899 of a stamp, read back relative to `now` (the two-digit
// year is taken in the century that puts it nearest to now). Nothing when it is not a stamp.
std::optional<std::int64_t> StampMinute(std::string_view stamp, const LocalDateTime& now);

// What changed with one report: whether the station is new, the followed station's distance from
// home, whether the follow lock is to be renewed and whether the followed station moved.
struct UpdateOutcome {
    bool newStation = false;
    std::optional<float> followedDistanceM;  // the followed station's distance from home
    std::string followedCall;                // the call the distance belongs to (9 characters)
    bool restartFollowLock = false;          // the followed station got its first point or moved
    bool playMoveSound = false;              // the followed station moved more than 20 metres
    bool pointAppended = false;              // the track grew by one point
    std::size_t lineIndex = 0;               // index of the station's line (always the last)
};

// What an expiry run did: whether any line or track changed, and whether the list is empty now.
struct ExpiryOutcome {
    bool changed = false;
    bool empty = false;  // the list is empty after the run
};

class StationStore {
  public:
    // Jump limit: a point this far (metres) or farther from the newest point is not stored.
    static constexpr float kJumpLimit = 1000000.0f;
    // The followed station must move more than this (metres) to renew the follow lock and sound.
    static constexpr float kMoveThreshold = 20.0f;
    // A track holds at most this many points, whatever arrives: when a new point would pass the
    // cap, the oldest eighth of the track is dropped first (the newest points always stay). At a
    // report every 5 s this is more than 5 hours of one station's movement; only a misbehaving
    // TNC or a replay comes near it. Restored tracks keep their newest kMaxTrackPoints points.
    static constexpr std::size_t kMaxTrackPoints = 4096;

    // Inserts or refreshes the reporting station's line at the bottom of the list and stores the
    // point in its track.
    UpdateOutcome UpdateStation(const PositionReport& report, const SettingsRecord& settings,
                                const DerivedSettings& derived, const LocalDateTime& now);

    // Removes stations not heard for more than StationTimeout minutes (never the followed one),
    // keeps the slots dense, refreshes every line's follow mark and cuts track points older than
    // TrackTimeout minutes, always keeping each track's newest point.
    ExpiryOutcome ExpireStations(const SettingsRecord& settings, const DerivedSettings& derived,
                                 const LocalDateTime& now);

    // Replaces the whole store by lines and tracks read from the station files. Lines that cannot
    // be kept consistently (wrong length, unreadable stamp, a quote or line end inside, repeated
    // call, no valid or a shared track slot, an empty track or points that are not finite numbers)
    // are dropped; the slots of the rest are renumbered densely in their saved order.
    // TracksAllocated becomes true when any line was kept; with none the store is empty and the
    // flag is left as it was. Returns how many lines were dropped.
    std::size_t Restore(std::vector<StationEntry> entries, std::vector<Track> tracks);

    void Clear();

    // Cuts the track of the station whose Call field is `call` back to its newest point. False
    // when the station is not listed.
    bool CutTrack(std::string_view call);
    // An expiry run with a track timeout of 0: every track keeps its newest point and the points
    // stamped in the present clock minute.
    ExpiryOutcome CutAllTracks(const SettingsRecord& settings, const DerivedSettings& derived,
                               const LocalDateTime& now);
    // Writes a two-character icon code into the line of `call`. False when it is not listed.
    bool SetIconCode(std::string_view call, std::string_view code);

    // Checks the store's invariants: every line 56 characters; slots exactly 0 to count-1, each
    // once; every track at least one point; each call on one line; at most one follow mark (on
    // the line of `followedCall` when that is given); TracksAllocated whenever lines exist.
    bool CheckInvariants(std::string* why,
                         std::optional<std::string_view> followedCall = std::nullopt) const;

    std::size_t Count() const { return lines_.size(); }
    bool Empty() const { return lines_.empty(); }

    // The line at `index` from the top (O(index)); nullptr when out of range.
    const StationEntry* LineAt(std::size_t index) const;
    // The index from the top of the line whose Call field is `call` (9 characters), or -1.
    long IndexOfCall(std::string_view call) const;
    // The line and track of `call`; nullptr when it is not listed.
    const StationEntry* FindCall(std::string_view call) const;
    const Track* TrackOfCall(std::string_view call) const;

    const std::vector<Track>& Tracks() const { return tracks_; }
    // The mark of the track in `slot`; one of id 0 when there is none.
    TrackMark MarkOf(std::int32_t slot) const;
    // The lines from top to bottom.
    std::vector<StationEntry> Entries() const;

    // Visits every line with its track, from the top:
    // f(const std::string& text, std::int32_t slot, const Track& track).
    template <class F>
    void ForEachTopDown(F&& f) const {
        for (const auto& [seq, entry] : lines_) f(entry.text, entry.slot, TrackOf(entry));
    }

    bool TracksAllocated() const { return tracksAllocated_; }
    // Takes the flag from the settings. It stays true while lines exist.
    void SetTracksAllocated(bool value);

    // Grows by one with every change of the lines or tracks.
    std::uint64_t Version() const { return version_; }

  private:
    using Lines = std::map<std::uint64_t, StationEntry>;  // by sequence number, top first

    const Track& TrackOf(const StationEntry& entry) const;
    void UpdateTrack(Lines::iterator line, const std::string& altitude,
                     const SettingsRecord& settings, const DerivedSettings& derived, double now,
                     UpdateOutcome& outcome);
    void RemoveLine(Lines::iterator line);
    // Cuts the first `count` points of the track in `slot`.
    void DropFront(std::size_t slot, std::size_t count);
    TrackMark NewMark() { return {++lastTrackId_, 0}; }

    Lines lines_;
    std::unordered_map<std::string, std::uint64_t> byCall_;  // Call field -> sequence number
    std::vector<std::uint64_t> slotOwner_;                   // slot -> sequence number of its line
    std::vector<Track> tracks_;
    std::vector<TrackMark> marks_;  // slot -> the mark of its track
    std::uint64_t lastTrackId_ = 0;
    std::uint64_t nextSeq_ = 0;
    std::uint64_t version_ = 0;
    bool tracksAllocated_ = false;
};

}  // namespace vireo
