// AGWPE TCP frames: a 36-byte header (data kind letter at offset 4, data length as a 16-bit
// little-endian number at offsets 28-29) followed by that many data bytes.
//
// AgwFrameCutter turns the byte stream of the connection into frames. Bytes are appended as they
// arrive; a frame that has not fully arrived stays buffered until the rest comes, so frames may
// be split anywhere by the network. Frames with no data are dropped without looking at their
// kind. Nothing outside the received bytes is ever read.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vireo {

inline constexpr std::size_t kAgwHeaderSize = 36;

struct AgwFrame {
    char kind = 0;     // data kind letter, compared case-sensitively
    std::string data;  // the data bytes, one byte per character

    bool operator==(const AgwFrame&) const = default;
};

// A whole frame on the first port: `kind` at offset 4, the calls `from` and `to` (9 characters
// at most, zero-padded) at offsets 8 and 18, the length of `data` at 28-31, then `data`.
std::string MakeAgwFrame(char kind, std::string_view data, std::string_view from = {},
                         std::string_view to = {});

// The 36-byte header of a frame with no data: every byte 0 except `kind` at offset 4.
inline std::string MakeAgwRequest(char kind) {
    return MakeAgwFrame(kind, {});
}

class AgwFrameCutter {
  public:
    void Append(std::string_view bytes);

    // The next complete frame with data, or nothing until more bytes arrive.
    std::optional<AgwFrame> Next();

    // Bytes received but not yet handed out as part of a frame.
    std::size_t Pending() const { return buffer_.size() - offset_; }

    void Clear();

  private:
    std::string buffer_;
    std::size_t offset_ = 0;  // start of the first header not yet handled
};

// "Connesso ad AGWPE v<major>.<minor>" for the data of a version reply ("R" frame): major version
// in bytes 0-1, minor in bytes 4-5, both little-endian. Nothing when the reply is too short.
std::optional<std::string> AgwVersionCaption(std::string_view data);

}  // namespace vireo
