// Cost of the whole decode road, monitor text in and the decoded packet out: line splitting,
// relayed-packet unwrapping, dispatch by data type and the three decoders, over a mix of Mic-E,
// uncompressed, compressed, relayed and refused packets. A counting allocator shows what is
// allocated per packet: only the texts too long for a string's own buffer (the report's position,
// long comments), and nothing at all for a refused packet.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "aprs/Decode.h"

namespace {
std::size_t allocations = 0;
}

// GCC sees the free() of the replaced deletes inlined against new-expressions and warns; the pair
// below is consistent.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

const std::string kTail = " <UI pid=F0 Len=40 PF=0 >[09:38:22]\r";

const std::vector<std::string> kRefused = {
    " 1:Fm OH2RDP-1 To BEACON-15 Via WIDE" + kTail + "!6028.51N/02505.68E#PHG7220 RELAY\r",
    " 1:Fm N0CALL To APRS" + kTail + ">Status text only\r",
    " 1:Fm N3CALL-5 To APDR16" + kTail + "=4237.14N/07120.83W-QTH of a fixed station\r",
    " 1:Fm N7CALL-10 To APDW16 Via WIDE2-1" + kTail +
        "}N8CALL-2>APRS,TCPIP,N7CALL-10*:=4015.25N/07520.50W-QTH via igate\r",
    " 1:Fm N0CALL-9 To APRS Via WIDE1-1" + kTail + "`(_fn\"Oj/]\"3x}not a Mic-E destination\r",
};

std::vector<std::string> Mix() {
    std::vector<std::string> mix = {
        " 1:Fm N0CALL-9 To S32UVT Via WIDE1-1,WIDE2-1" + kTail + "`(_fn\"Oj/]\"3x}Commuting\r",
        " 1:Fm W4RK-9 To S8SR5R Via KB4VSP-3,WIDE1*" + kTail + "`x- n\"@>/]\"6>}=\r",
        " 1:Fm N3CALL-5 To APDR16 Via WIDE1-1,WIDE2-1" + kTail +
            "=4237.14N/07120.83W>088/036/A=001234 Mobile\r",
        " 1:Fm YB1RUS-9 To APOTC1 Via WIDE2-2" + kTail +
            "/180000z0609.31S/10642.85E>058/010/A=000079 13.8V\r",
        " 1:Fm OH2LCQ-10 To APZMDR Via WIDE3-2" + kTail + "!//zPHTfVv>!V_ Tero, Green Volvo\r",
        " 1:Fm N0CALL To APRS" + kTail + "=/5L!!<*e7>7P[/A=001234\r",
        " 1:Fm N7CALL-10 To APDW16 Via WIDE2-1" + kTail +
            "}N8CALL-2>APRS,TCPIP,N7CALL-10*:=4015.25N/07520.50W>120/045 via igate\r",
        " 1:Fm OH2KKU-15 To APRS" + kTail + "!I0-X;T_Wv&{-Aigate testing\r",
    };
    mix.insert(mix.end(), kRefused.begin(), kRefused.begin() + 2);
    return mix;
}

// Returns the number of allocations per packet (counted around the decoding only: the
// benchmark's own loop may allocate).
double Decode(benchmark::State& state, const std::vector<std::string>& packets) {
    std::string scratch(256, '\0');
    std::size_t at = 0, counted = 0;
    for (auto _ : state) {
        const std::size_t before = allocations;
        auto packet = vireo::DecodePacket(packets[at], scratch);
        benchmark::DoNotOptimize(packet);
        counted += allocations - before;
        if (++at == packets.size()) at = 0;
    }
    state.SetItemsProcessed(state.iterations());
    const double perPacket = static_cast<double>(counted) / static_cast<double>(state.iterations());
    state.counters["allocs/packet"] = perPacket;
    return perPacket;
}

void BM_DecodePacket(benchmark::State& state) {
    Decode(state, Mix());
}
BENCHMARK(BM_DecodePacket);

void BM_DecodeRefusedPacket(benchmark::State& state) {
    if (Decode(state, kRefused) != 0) state.SkipWithError("a refused packet allocated");
}
BENCHMARK(BM_DecodeRefusedPacket);

}  // namespace
