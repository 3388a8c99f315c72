// A small stand-alone driver for the fuzz targets, so that they run under any compiler's
// sanitizers without libFuzzer: it feeds the target its seed inputs, then random byte strings and
// random mutations of the seeds, for a given number of runs.
//
//   <target> [runs [corpus folder]]   the folder's files are run first, as seeds too
//   <target> --write-seeds <folder>    writes the target's own seeds there, for libFuzzer
//
// Built with clang's -fsanitize=fuzzer instead, the same target source is a libFuzzer target and
// this file is left out.
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

// Seeds the target offers itself (may be empty).
std::vector<std::string> FuzzSeeds();

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
    std::vector<std::string> seeds = FuzzSeeds();
    const std::string first = argc > 1 ? argv[1] : "";
    if (first == "--write-seeds" && argc > 2) {
        for (std::size_t i = 0; i < seeds.size(); ++i) {
            std::ofstream(std::filesystem::path(argv[2]) / ("seed-" + std::to_string(i)),
                          std::ios::binary)
                << seeds[i];
        }
        return 0;
    }
    const long runs = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 100000;
    if (argc > 2) {
        for (const auto& entry : std::filesystem::directory_iterator(argv[2])) {
            std::ifstream in(entry.path(), std::ios::binary);
            seeds.emplace_back(std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>());
        }
    }
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
