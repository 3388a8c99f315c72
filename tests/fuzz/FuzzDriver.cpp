// A small stand-alone driver for the fuzz targets, so that they run under any compiler's
// sanitizers without libFuzzer: it runs the target's corpus, then random byte strings and random
// mutations of the corpus inputs, for a given number of runs.
//
//   <target> <runs> <corpus folder>
//
// Built with clang's -fsanitize=fuzzer instead, the same target source is a libFuzzer target and
// this file is left out.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void Run(const std::string& input) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
}

// One to eight edits: a byte replaced or inserted, a run erased or repeated, the end cut off.
std::string Mutate(std::string s, std::mt19937& rng) {
    for (unsigned edits = 1 + rng() % 8; edits > 0; --edits) {
        const std::size_t at = rng() % (s.size() + 1);
        const auto kind = rng() % 5;
        const auto byte = static_cast<char>(rng());
        if (kind == 0 && at < s.size()) s[at] = byte;
        if (kind == 1) s.insert(at, 1, byte);
        if (kind == 2 && at < s.size()) s.erase(at, 1 + rng() % 8);
        if (kind == 3) s.resize(at);
        if (kind == 4 && at < s.size()) s.insert(at, s.substr(at, 1 + rng() % 16));
    }
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <runs> <corpus folder>\n", argv[0]);
        return 2;
    }
    const long runs = std::strtol(argv[1], nullptr, 10);
    std::vector<std::string> seeds;
    for (const auto& entry : std::filesystem::directory_iterator(argv[2])) {
        std::ifstream in(entry.path(), std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::sort(seeds.begin(), seeds.end());  // the same runs whatever order the folder lists
    for (const std::string& s : seeds) Run(s);

    std::mt19937 rng(20261206);
    for (long i = 0; i < runs; ++i) {
        std::string input;  // random bytes, or most often a mutated seed
        for (std::size_t n = rng() % 128; n > 0; --n) input += static_cast<char>(rng());
        Run(seeds.empty() || rng() % 4 == 0 ? input : Mutate(seeds[rng() % seeds.size()], rng));
    }
    std::printf("%ld inputs run\n", runs + static_cast<long>(seeds.size()));
    return 0;
}
