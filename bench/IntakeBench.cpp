// Cost of the road from TNC bytes to decoded packets: cutting frames, then decoding each frame's
// monitor text (splitting, dispatch by data type, the decoders). A busy APRS channel carries a few
// packets a second; this shows how far below any limit the intake stays.
#include <benchmark/benchmark.h>

#include "agwpe/AgwFrame.h"
#include "aprs/Decode.h"

namespace {

std::string Stream(int packets) {
    const std::string texts[] = {
        " 1:Fm N0CALL-9 To SS2UVT Via WIDE1-1,WIDE2-1 <UI pid=F0 Len=22 PF=0 >[09:38:22]\r"
        "`(_fn<O>/\"7d}Commuting\r",
        " 1:Fm N3CALL-5 To APDR16 Via WIDE1-1,WIDE2-1 <UI pid=F0 Len=43 PF=0 >[09:38:22]\r"
        "=4237.14N/07120.83W>088/036/A=001234 Mobile\r",
        " 1:Fm N7CALL-10 To APDW16 Via WIDE2-1 <UI pid=F0 Len=65 PF=0 >[09:38:22]\r"
        "}N8CALL-2>APRS,TCPIP,N7CALL-10*:=4015.25N/07520.50W-QTH via igate\r",
    };
    std::string stream;
    for (int i = 0; i < packets; ++i)
        stream += vireo::MakeAgwFrame('U', texts[i % 3] + std::string(1, '\0'));
    return stream;
}

void BM_IntakeThousandPackets(benchmark::State& state) {
    const std::string stream = Stream(1000);
    // Arrivals of 1400 bytes, as TCP segments on a loopback or LAN link would bring them.
    for (auto _ : state) {
        vireo::AgwFrameCutter cutter;
        std::string scratch;
        int stored = 0;
        for (std::size_t at = 0; at < stream.size(); at += 1400) {
            cutter.Append(std::string_view(stream).substr(at, 1400));
            while (auto frame = cutter.Next()) {
                stored += vireo::DecodePacket(frame->data, scratch).report.has_value();
            }
        }
        benchmark::DoNotOptimize(stored);
    }
    state.SetItemsProcessed(state.iterations() * 1000);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(stream.size()));
}
BENCHMARK(BM_IntakeThousandPackets);

}  // namespace
