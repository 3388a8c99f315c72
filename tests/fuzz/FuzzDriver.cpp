// A small stand-alone driver for the fuzz targets, so that their corpora run as ordinary tests
// under any compiler's sanitizers: every input of the corpus folder, and every input cut short at
// each length (each cut in a buffer of its own size, so that a read past its end is caught).
//
//   <target> <corpus folder>
//
// Built with clang's -fsanitize=fuzzer instead, the same target source is a coverage-guided
// libFuzzer target (scripts/fuzz.sh) and this file is left out.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<char> input{std::istreambuf_iterator<char>(in), {}};
        for (std::size_t size = input.size() + 1; size-- > 0;) {
            const std::vector<std::uint8_t> cut(input.begin(),
                                                input.begin() + static_cast<std::ptrdiff_t>(size));
            LLVMFuzzerTestOneInput(cut.data(), cut.size());
        }
    }
    return 0;
}
