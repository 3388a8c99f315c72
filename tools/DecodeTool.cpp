// vireo-aprs-decode: decodes APRS packets given as TNC2 text (SRC>DEST,PATH:info), one per line
// on standard input, along the same road as packets heard from the TNC. For every line it prints
// the five texts of the position the station list would get (call, position, course/speed,
// altitude, icon code), separated by TABs, or "-" when the packet gives no position.
//
// Input and output go in large blocks, so that a log of millions of packets is read and written
// without a system call per line, and the monitor text of each line is built in one reused
// buffer. The time in the monitor header is not printed, so no clock is read.
#include <cstdio>
#include <string>
#include <string_view>

#include "aprs/Decode.h"
#include "aprs/Tnc2Text.h"
#include "text/Text.h"

#if defined(__unix__) || defined(__APPLE__)
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#define VIREO_MAP_INPUT 1
#endif

namespace {

constexpr std::size_t kBlock = 1 << 16;

class Output {
  public:
    ~Output() { Flush(); }

    // Room for `size` more bytes; what is returned is filled by the caller, then Advance()d.
    char* Reserve(std::size_t size) {
        if (used_ + size > sizeof buffer_) Flush();
        return buffer_ + used_;
    }
    void Advance(char* end) { used_ = static_cast<std::size_t>(end - buffer_); }
    void Flush() {
        std::fwrite(buffer_, 1, used_, stdout);
        used_ = 0;
    }

  private:
    char buffer_[kBlock];
    std::size_t used_ = 0;
};

char* Put(char* out, const std::string& text, char end) {
    out = vireo::PutText(out, text);
    *out++ = end;
    return out;
}

class Decoder {
  public:
    void Line(std::string_view line, Output& out) {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        vireo::Tnc2ToMonitorText(line, "00:00:00", monitor_);
        vireo::DecodePacket(monitor_, scratch_, packet_);
        if (!packet_.report) {
            char* p = out.Reserve(2);
            p[0] = '-';
            p[1] = '\n';
            out.Advance(p + 2);
            return;
        }
        const vireo::PositionReport& r = *packet_.report;
        char* p = out.Reserve(r.Call.size() + r.Position.size() + r.CourseSpeed.size() +
                              r.Altitude.size() + r.IconCode.size() + 5);
        p = Put(p, r.Call, '\t');
        p = Put(p, r.Position, '\t');
        p = Put(p, r.CourseSpeed, '\t');
        p = Put(p, r.Altitude, '\t');
        out.Advance(Put(p, r.IconCode, '\n'));
    }

  private:
    std::string monitor_, scratch_;
    vireo::DecodedPacket packet_;
};

// Every line of `data`; the last one may lack its line feed.
void DecodeLines(std::string_view data, Decoder& decoder, Output& out) {
    for (auto nl = data.find('\n'); nl != std::string_view::npos; nl = data.find('\n')) {
        // The mapped pages come from memory the processor has not seen yet: ask for what
        // follows ahead of the decoding.
#if defined(__GNUC__)
        __builtin_prefetch(data.data() + 2048);
#endif
        decoder.Line(data.substr(0, nl), out);
        data.remove_prefix(nl + 1);
    }
    if (!data.empty()) decoder.Line(data, out);
}

}  // namespace

int main() {
    static Output out;
    Decoder decoder;
#if VIREO_MAP_INPUT
    // A file is mapped whole, when it is read from its start; anything else is read in blocks.
    struct stat file {};
    if (fstat(0, &file) == 0 && S_ISREG(file.st_mode) && file.st_size > 0 &&
        lseek(0, 0, SEEK_CUR) == 0) {
        const auto size = static_cast<std::size_t>(file.st_size);
#if defined(MAP_POPULATE)
        void* map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, 0, 0);
#else
        void* map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, 0, 0);
#endif
        if (map != MAP_FAILED) {
            DecodeLines(std::string_view(static_cast<const char*>(map), size), decoder, out);
            munmap(map, size);
            return 0;
        }
    }
#endif
    std::string pending;
    static char block[kBlock];
    for (;;) {
        const std::size_t got = std::fread(block, 1, sizeof block, stdin);
        if (got == 0) break;
        std::string_view data(block, got);
        // Complete lines go straight from the block; a line cut by the block's end waits.
        for (auto nl = data.find('\n'); nl != std::string_view::npos; nl = data.find('\n')) {
            if (pending.empty()) {
                decoder.Line(data.substr(0, nl), out);
            } else {
                pending += data.substr(0, nl);
                decoder.Line(pending, out);
                pending.clear();
            }
            data.remove_prefix(nl + 1);
        }
        pending += data;
    }
    if (!pending.empty()) decoder.Line(pending, out);
    return 0;
}
