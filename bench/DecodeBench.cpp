// Cost of the whole decode road, monitor text in and the position to store out: line splitting,
// relayed-packet unwrapping, dispatch by data type and the three decoders, over a mix of Mic-E,
// uncompressed, compressed, relayed and refused packets. Per packet only the report's own texts
// are allocated.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "aprs/Decoders.h"

namespace {

std::vector<std::string> Corpus() {
    const std::string tail = " <UI pid=F0 Len=40 PF=0 >[09:38:22]\r";
    return {
        " 1:Fm N0CALL-9 To S32UVT Via WIDE1-1,WIDE2-1" + tail + "`(_fn\"Oj/]\"3x}Commuting\r",
        " 1:Fm W4RK-9 To S8SR5R Via KB4VSP-3,WIDE1*" + tail + "`x- n\"@>/]\"6>}=\r",
        " 1:Fm N3CALL-5 To APDR16 Via WIDE1-1,WIDE2-1" + tail +
            "=4237.14N/07120.83W>088/036/A=001234 Mobile\r",
        " 1:Fm YB1RUS-9 To APOTC1 Via WIDE2-2" + tail +
            "/180000z0609.31S/10642.85E>058/010/A=000079 13.8V\r",
        " 1:Fm OH2LCQ-10 To APZMDR Via WIDE3-2" + tail + "!//zPHTfVv>!V_ Tero, Green Volvo\r",
        " 1:Fm N0CALL To APRS" + tail + "=/5L!!<*e7>7P[/A=001234\r",
        " 1:Fm N7CALL-10 To APDW16 Via WIDE2-1" + tail +
            "}N8CALL-2>APRS,TCPIP,N7CALL-10*:=4015.25N/07520.50W>120/045 via igate\r",
        " 1:Fm OH2RDP-1 To BEACON-15 Via WIDE" + tail + "!6028.51N/02505.68E#PHG7220 RELAY\r",
        " 1:Fm OH2KKU-15 To APRS" + tail + "!I0-X;T_Wv&{-Aigate testing\r",
        " 1:Fm N0CALL To APRS" + tail + ">Status text only\r",
    };
}

void BM_DecodeMonitorText(benchmark::State& state) {
    const std::vector<std::string> corpus = Corpus();
    std::string scratch;
    std::size_t at = 0;
    for (auto _ : state) {
        auto report = vireo::DecodeMonitorText(corpus[at], scratch);
        benchmark::DoNotOptimize(report);
        if (++at == corpus.size()) at = 0;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeMonitorText);

}  // namespace
