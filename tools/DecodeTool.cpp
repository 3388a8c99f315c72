// vireo-aprs-decode: decodes APRS packets given as TNC2 text (SRC>DEST,PATH:info), one per line
// on standard input, along the same road as packets heard from the TNC. For every line it prints
// the five texts of the position the station list would get (call, position, course/speed,
// altitude, icon code), separated by TABs, or "-" when the packet gives no position.
//
// Input and output go in large blocks, so that a log of millions of packets is read and written
// without a system call per line.
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

#include "aprs/Decode.h"
#include "aprs/Tnc2Text.h"

namespace {

constexpr std::size_t kBlock = 1 << 20;

class Output {
  public:
    ~Output() { Flush(); }

    void Append(std::string_view text) {
        buffer_ += text;
        if (buffer_.size() >= kBlock) Flush();
    }
    void Flush() {
        std::fwrite(buffer_.data(), 1, buffer_.size(), stdout);
        buffer_.clear();
    }

  private:
    std::string buffer_;
};

void DecodeLine(std::string_view line, std::string_view time, std::string& scratch, Output& out) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const auto monitor = vireo::Tnc2ToMonitorText(line, time);
    const auto packet = monitor ? vireo::DecodePacket(*monitor, scratch) : vireo::DecodedPacket{};
    if (!packet.report) {
        out.Append("-\n");
        return;
    }
    const vireo::PositionReport& r = *packet.report;
    for (const std::string* text : {&r.Call, &r.Position, &r.CourseSpeed, &r.Altitude}) {
        out.Append(*text);
        out.Append("\t");
    }
    out.Append(r.IconCode);
    out.Append("\n");
}

}  // namespace

int main() {
    char time[16] = "00:00:00";
    const std::time_t now = std::time(nullptr);
    if (const std::tm* local = std::localtime(&now))
        std::strftime(time, sizeof time, "%H:%M:%S", local);

    Output out;
    std::string scratch, pending, block(kBlock, '\0');
    for (;;) {
        const std::size_t got = std::fread(block.data(), 1, block.size(), stdin);
        if (got == 0) break;
        std::string_view data(block.data(), got);
        // Complete lines go straight from the block; a line cut by the block's end waits.
        for (auto nl = data.find('\n'); nl != std::string_view::npos; nl = data.find('\n')) {
            if (pending.empty()) {
                DecodeLine(data.substr(0, nl), time, scratch, out);
            } else {
                pending += data.substr(0, nl);
                DecodeLine(pending, time, scratch, out);
                pending.clear();
            }
            data.remove_prefix(nl + 1);
        }
        pending += data;
    }
    if (!pending.empty()) DecodeLine(pending, time, scratch, out);
    return 0;
}
