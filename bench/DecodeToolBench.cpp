// The whole vireo-aprs-decode process against Direwolf's decode_aprs on the same input: a file of
// 200,000 TNC2 lines mixing the sample drive (Mic-E, uncompressed, compressed, relayed, status
// and object lines), the public test vectors (every format, and packets the libraries reject) and
// rubbish (cut packets, lines without addresses, random bytes). Each tool reads the file on
// standard input and writes to /dev/null; the runs alternate, and the medians of wall time and of
// user+sys CPU time are printed, with decode_aprs's time over ours. decode_aprs is looked up on
// PATH and skipped when it is not installed. Goal: at least 20 times faster.
//
// Before the timed runs each tool decodes the file once into a temporary file, and the positions
// it printed are counted, to show that both really decode the lines.
//
//   decode_tool_bench [repetitions] [another vireo-aprs-decode ...]
//   decode_tool_bench --write=FILE
//
// Further vireo-aprs-decode executables (an older build, say) are timed in the same rounds.
// --write only writes the input, to profile a tool on it.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace {

constexpr std::size_t kLines = 200000;

// The TNC2 text of each non-comment line of the sample drive ("stamp TNC2").
std::vector<std::string> SampleDrive() {
    std::ifstream in(VIREO_SAMPLE_DRIVE, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        const auto blank = line.find(' ');
        if (line.empty() || line[0] == '#' || blank == std::string::npos) continue;
        lines.push_back(line.substr(blank + 1));
    }
    return lines;
}

// The packet column of the public vectors ("\\", "\t" and "\xHH" escaped), without the packets
// that hold a line break or a NUL, which no line of text can carry.
std::vector<std::string> PublicVectors() {
    std::ifstream in(VIREO_PUBLIC_VECTORS, std::ios::binary);
    std::vector<std::string> packets;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#' || line.starts_with("source\t")) continue;
        const auto start = line.find('\t') + 1;
        const std::string cell = line.substr(start, line.find('\t', start) - start);
        std::string packet;
        for (std::size_t i = 0; i < cell.size(); ++i) {
            if (cell[i] != '\\' || i + 1 == cell.size()) {
                packet += cell[i];
            } else if (cell[++i] == 'x') {
                packet +=
                    static_cast<char>(std::strtol(cell.substr(i + 1, 2).c_str(), nullptr, 16));
                i += 2;
            } else {
                packet += cell[i] == 't'   ? '\t'
                          : cell[i] == 'r' ? '\r'
                          : cell[i] == 'n' ? '\n'
                                           : cell[i];
            }
        }
        if (packet.find_first_of(std::string("\r\n\0", 3)) == std::string::npos)
            packets.push_back(packet);
    }
    return packets;
}

// Writes the mixed input: 70% sample drive, 15% public vectors, 15% rubbish, in an order drawn
// by a fixed generator so that every run sees the same file.
std::string WriteInput(const std::vector<std::string>& drive,
                       const std::vector<std::string>& vectors, std::string path) {
    std::uint64_t state = 0x9E3779B97F4A7C15ULL;
    const auto next = [&state](std::uint64_t range) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return (state >> 33) % range;
    };
    std::string text;
    for (std::size_t i = 0; i < kLines; ++i) {
        const auto kind = next(100);
        if (kind < 70) {
            text += drive[next(drive.size())];
        } else if (kind < 85) {
            text += vectors[next(vectors.size())];
        } else if (kind < 92) {  // a packet cut short
            const std::string& whole = drive[next(drive.size())];
            text += whole.substr(0, next(whole.size()));
        } else if (kind < 96) {  // no addresses
            text += "Status without a header: ";
            text += std::to_string(next(1000000));
        } else {  // random printable bytes, now and then a ">" or ":"
            for (auto n = 10 + next(60); n > 0; --n) text += static_cast<char>(' ' + next(95));
        }
        text += '\n';
    }
    const int fd = path.ends_with("XXXXXX")
                       ? mkstemp(path.data())
                       : open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        std::perror("writing the input");
        std::exit(1);
    }
    close(fd);
    std::printf("input: %zu lines, %.1f MB\n", kLines, static_cast<double>(text.size()) / 1e6);
    return path;
}

struct Run {
    bool started = false;
    double wall = 0, cpu = 0;  // seconds
};

// Runs `program` with standard input from `input` and standard output to `output`.
Run Time(const std::string& program, const std::string& input, const char* output) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    Run run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv, environ) == 0) {
        int status = 0;
        rusage usage{};
        while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
        }
        run.started = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const auto seconds = [](const timeval& t) {
            return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
        };
        run.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    }
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

// Positions in a tool's output: our lines that are not "-"; decode_aprs's lines that read
// "N dd mm.mmmm, E ddd mm.mmmm..." once its colour sequences are taken out.
std::size_t CountPositions(const std::string& path, bool ours) {
    std::ifstream in(path, std::ios::binary);
    std::size_t count = 0;
    for (std::string line; std::getline(in, line);) {
        if (ours) {
            count += line != "-";
            continue;
        }
        std::string text;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] != '\x1b') {
                text += line[i];
            } else if (const auto end = line.find('m', i); end != std::string::npos) {
                i = end;
            }
        }
        count += (text.starts_with("N ") || text.starts_with("S ")) &&
                 (text.find(", E ") != std::string::npos || text.find(", W ") != std::string::npos);
    }
    return count;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Tool {
    std::string name, program;
    bool ours;
    std::vector<double> wall, cpu;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]).starts_with("--write=")) {
        WriteInput(SampleDrive(), PublicVectors(), argv[1] + 8);
        return 0;
    }
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::vector<Tool> tools = {{"vireo-aprs-decode", VIREO_DECODE_TOOL, true, {}, {}}};
    for (int i = 2; i < argc; ++i) tools.push_back({argv[i], argv[i], true, {}, {}});
    tools.push_back({"decode_aprs", "decode_aprs", false, {}, {}});

    const std::string input =
        WriteInput(SampleDrive(), PublicVectors(),
                   std::filesystem::temp_directory_path() / "decode_tool_bench_XXXXXX");
    const std::string output = input + ".out";
    for (auto it = tools.begin(); it != tools.end();) {
        if (!Time(it->program, input, output.c_str()).started) {
            std::printf("%s: not installed or failed, skipped\n", it->name.c_str());
            if (it->ours) {
                std::remove(input.c_str());
                return 1;
            }
            it = tools.erase(it);
            continue;
        }
        std::printf("%s: %zu positions\n", it->name.c_str(), CountPositions(output, it->ours));
        ++it;
    }
    std::remove(output.c_str());

    for (int round = 0; round < repetitions; ++round) {
        for (Tool& tool : tools) {
            const Run run = Time(tool.program, input, "/dev/null");
            tool.wall.push_back(run.wall);
            tool.cpu.push_back(run.cpu);
        }
    }
    std::remove(input.c_str());

    std::printf("%-40s %12s %14s  (medians of %d runs)\n", "", "wall s", "user+sys s", repetitions);
    for (const Tool& tool : tools) {
        std::printf("%-40s %12.4f %14.4f\n", tool.name.c_str(), Median(tool.wall),
                    Median(tool.cpu));
    }
    const Tool& theirs = tools.back();
    if (theirs.ours) return 0;
    for (const Tool& tool : tools) {
        if (!tool.ours) continue;
        std::printf("decode_aprs / %s: %.1fx wall, %.1fx user+sys\n", tool.name.c_str(),
                    Median(theirs.wall) / Median(tool.wall), Median(theirs.cpu) / Median(tool.cpu));
    }
    return 0;
}
