// The log a replay TNC plays and the AGWPE frames it plays it with. Plain functions, no sockets.
//
// A log holds one packet a line in TNC2 text (SRC>DEST,PATH:info), optionally after a time stamp
// and blanks: ISO 8601 ("2024-05-18T09:30:05Z", "2024-05-18 09:30:05", fractions and "+02:00"
// offsets allowed) or Unix seconds ("1716024605.5"). Blank lines, lines starting with "#" and a
// UTF-8 byte order mark are skipped. The stamps set the pace: a packet follows the one before it
// by the difference of their stamps (never less than 0); where either has no stamp, by one
// second. --speed divides every wait.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vireo::replay {

struct LogPacket {
    int lineNumber = 0;           // 1-based, for messages
    std::optional<double> stamp;  // seconds since 1970-01-01 (UTC when the stamp says so)
    std::string tnc2;             // SRC>DEST,PATH:info
};

struct LogError {
    int lineNumber = 0;
    std::string reason;
};

struct ReplayLog {
    std::vector<LogPacket> packets;
    std::vector<LogError> errors;  // every line that is neither a packet, blank nor a comment
};

ReplayLog ParseReplayLog(std::string_view text);

// Seconds since 1970 of an ISO 8601 date-time or of Unix seconds; nothing for other text.
// An ISO time without offset is taken as UTC: only differences between stamps matter here.
std::optional<double> ParseTimeStamp(std::string_view text);

// Why `tnc2` cannot be sent as a heard packet, or "" when it can.
std::string Tnc2Problem(std::string_view tnc2);

// Seconds from the start of the play at which each packet is sent, at `speed` times real time.
std::vector<double> PlaySchedule(const std::vector<LogPacket>& packets, double speed);

// The wait between the last packet of a play and the first of the next, at speed 1.
inline constexpr double kDefaultGapSeconds = 1.0;

// The "U" frame a TNC sends to monitoring clients for `tnc2` heard at `time` ("hh:mm:ss"): the
// monitor text of a packet heard on port 1, ended by a NUL as a TNC ends it. Expects a packet
// for which Tnc2Problem() is "".
std::string MonitorFrame(std::string_view tnc2, std::string_view time);

// The "R" answer to a version request: major version in data bytes 0-1, minor in bytes 4-5.
std::string VersionFrame(int major, int minor);

// Size of the first complete request frame at the head of `bytes` (header and data), 0 while it
// has not fully arrived, or kBadRequest when its data length is beyond what any client sends.
inline constexpr std::size_t kBadRequest = static_cast<std::size_t>(-1);
std::size_t CompleteRequestSize(std::string_view bytes);

}  // namespace vireo::replay
