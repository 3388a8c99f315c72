// Cost of deciding a request and building its answer: what the server does per poll.
#include <benchmark/benchmark.h>

#include <string>

#include "earth/HttpProtocol.h"

namespace {

const std::string kPoll =
    "GET / HTTP/1.1\r\nAccept: application/vnd.google-earth.kml+xml, */*\r\n"
    "Cache-Control: no-cache\r\nUser-Agent: GoogleEarth/7.3.6 (X11; Linux)\r\n"
    "Host: 127.0.0.1:8008\r\nConnection: Keep-Alive\r\n\r\n";

// A document of some hundred stations, about the size a busy area gives.
std::string SampleDocument() {
    std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><kml><Document>";
    for (int i = 0; i < 100; ++i) {
        doc += "<Placemark><name>N0CALL-" + std::to_string(i % 16) +
               "</name><description>45\xC2\xB0 12.34' N</description><Point><coordinates>"
               "9.1234,45.5678,120</coordinates></Point></Placemark>";
    }
    return doc + "</Document></kml>";
}

void BM_ClassifyPoll(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(vireo::ClassifyHttpRequest(kPoll));
}
BENCHMARK(BM_ClassifyPoll);

void BM_ClassifyTrack(benchmark::State& state) {
    const std::string request = "GET /track/N0CALL-9 HTTP/1.1\r\nHost: 127.0.0.1:8008\r\n\r\n";
    for (auto _ : state) benchmark::DoNotOptimize(vireo::ClassifyHttpRequest(request));
}
BENCHMARK(BM_ClassifyTrack);

void BM_PollAnsweredWithDocument(benchmark::State& state) {
    const std::string doc = SampleDocument();
    for (auto _ : state) {
        const vireo::HttpRequest request = vireo::ClassifyHttpRequest(kPoll);
        benchmark::DoNotOptimize(request);
        benchmark::DoNotOptimize(vireo::DocumentAnswer(doc));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(doc.size()));
}
BENCHMARK(BM_PollAnsweredWithDocument);

void BM_LinkPage(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(vireo::LinkPageAnswer(true, "N0CALL-9"));
}
BENCHMARK(BM_LinkPage);

}  // namespace
