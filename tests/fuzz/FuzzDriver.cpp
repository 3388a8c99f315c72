// A small stand-alone driver for the fuzz targets, so that they run under any compiler's
// sanitizers without libFuzzer: it runs the target's corpus, then random mutations of the corpus
// inputs (bytes replaced, inserted or erased, the end cut off) for a given number of runs.
//
//   <target> <runs> <corpus folder>
//
// Built with clang's -fsanitize=fuzzer instead, the same target source is a libFuzzer target and
// this file is left out.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    std::vector<std::string> seeds{""};
    for (const auto& entry : std::filesystem::directory_iterator(argv[2])) {
        std::ifstream in(entry.path(), std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::sort(seeds.begin(), seeds.end());  // the same runs whatever order the folder lists
    std::mt19937 rng(20261206);
    for (long i = 0, runs = std::strtol(argv[1], nullptr, 10); i < runs + std::ssize(seeds); ++i) {
        std::string s = seeds[static_cast<std::size_t>(i) % seeds.size()];
        for (unsigned edits = i < std::ssize(seeds) ? 0 : 1 + rng() % 8; edits > 0; --edits) {
            const std::size_t at = rng() % (s.size() + 1), kind = rng() % 4;
            if (kind == 0 && at < s.size()) s[at] = static_cast<char>(rng());
            if (kind == 1) s.insert(at, 1 + rng() % 4, static_cast<char>(rng()));
            if (kind == 2) s.erase(at, 1 + rng() % 8);
            if (kind == 3 && rng() % 4 == 0) s.resize(at);
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
    }
    return 0;
}
