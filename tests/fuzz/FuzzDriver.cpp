// A small stand-alone driver for the fuzz targets, so that they run under any compiler's
// sanitizers without libFuzzer: it feeds the target its seed inputs, then random byte strings and
// random mutations of the seeds, for a given number of runs.
//
//   <target> [runs] [seed-file...]
//
// Built with clang's -fsanitize=fuzzer instead, the same target source is a libFuzzer target and
// this file is left out.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

std::string Mutate(std::string s, std::mt19937& rng) {
    std::uniform_int_distribution<int> byte(0, 255);
    const int edits = 1 + static_cast<int>(rng() % 8);
    for (int e = 0; e < edits; ++e) {
        const std::size_t at = s.empty() ? 0 : rng() % (s.size() + 1);
        switch (rng() % 5) {
            case 0:  // replace a byte
                if (at < s.size()) s[at] = static_cast<char>(byte(rng));
                break;
            case 1:  // insert a byte
                s.insert(s.begin() + static_cast<std::ptrdiff_t>(at), static_cast<char>(byte(rng)));
                break;
            case 2:  // erase a run
                if (at < s.size()) s.erase(at, 1 + rng() % 8);
                break;
            case 3:  // truncate
                s.resize(at);
                break;
            default:  // duplicate a run
                if (at < s.size()) s.insert(at, s.substr(at, 1 + rng() % 16));
                break;
        }
    }
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    long runs = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 100000;
    std::vector<std::string> seeds = FuzzSeeds();
    for (int i = 2; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    for (const std::string& s : seeds) Run(s);

    std::mt19937 rng(20261206);
    std::uniform_int_distribution<int> byte(0, 255);
    for (long i = 0; i < runs; ++i) {
        std::string input;
        if (!seeds.empty() && rng() % 4 != 0) {
            input = Mutate(seeds[rng() % seeds.size()], rng);
        } else {
            input.resize(rng() % 128);
            for (char& c : input) c = static_cast<char>(byte(rng));
        }
        Run(input);
    }
    std::printf("%ld inputs run\n", runs + static_cast<long>(seeds.size()));
    return 0;
}
