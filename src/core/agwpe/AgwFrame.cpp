#include "agwpe/AgwFrame.h"

namespace vireo {

namespace {

unsigned ByteAt(std::string_view bytes, std::size_t i) {
    return static_cast<unsigned char>(bytes[i]);
}

unsigned Word16At(std::string_view bytes, std::size_t i) {
    return ByteAt(bytes, i) + 256u * ByteAt(bytes, i + 1);
}

}  // namespace

std::string MakeAgwFrame(char kind, std::string_view data, std::string_view from,
                         std::string_view to) {
    std::string frame(kAgwHeaderSize, '\0');
    frame[4] = kind;
    from.substr(0, 9).copy(frame.data() + 8, 9);
    to.substr(0, 9).copy(frame.data() + 18, 9);
    for (std::size_t i = 0; i < 4; ++i) {
        frame[28 + i] = static_cast<char>((data.size() >> (8 * i)) & 0xff);
    }
    frame += data;
    return frame;
}

void AgwFrameCutter::Append(std::string_view bytes) {
    // Drop what was already handed out before growing, once it is at least half the buffer: the
    // frames not yet taken (a backlog handled a slice at a time) are moved only now and then,
    // not at every arrival, and the buffer stays within twice what is pending.
    if (offset_ > 0 && offset_ * 2 >= buffer_.size()) {
        buffer_.erase(0, offset_);
        offset_ = 0;
    }
    buffer_.append(bytes);
}

std::optional<AgwFrame> AgwFrameCutter::Next() {
    for (;;) {
        const std::string_view rest = std::string_view(buffer_).substr(offset_);
        if (rest.size() < kAgwHeaderSize) return std::nullopt;
        // Only the low 16 bits of the length count; bytes 30-31 are never read.
        const std::size_t length = Word16At(rest, 28);
        if (rest.size() < kAgwHeaderSize + length) return std::nullopt;
        offset_ += kAgwHeaderSize + length;
        if (length == 0) continue;
        return AgwFrame{rest[4], std::string(rest.substr(kAgwHeaderSize, length))};
    }
}

void AgwFrameCutter::Clear() {
    buffer_.clear();
    offset_ = 0;
}

std::optional<std::string> AgwVersionCaption(std::string_view data) {
    if (data.size() < 6) return std::nullopt;
    return "Connesso ad AGWPE v" + std::to_string(Word16At(data, 0)) + "." +
           std::to_string(Word16At(data, 4));
}

}  // namespace vireo
