// Times each classifier path the processor has over the *.ini files of a tree,
// 64 KiB at a time from the reader's buffer, as the line scanner calls it.
// Prints the best of RUNS for each path, and its gain over the path before it.
//
//   tessaron-bench-classify ROOT [RUNS]
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fs.h"
#include "line_heads.h"
#include "scan_state.h"
#include "strip_masks.h"
#include "syntax.h"
#include "text_reader.h"
#include "walker.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: tessaron-bench-classify ROOT [RUNS]\n");
        return 2;
    }
    const int runs = argc == 3 ? std::atoi(argv[2]) : 15;
    TPathList files;
    WalkTree(argv[1], std::string(kDefinitionMask), files);
    std::vector<char> bytes;
    for (int32_t f = 0; f < files.Count(); ++f) {
        TInputFile file;
        if (!file.Open(std::string(files[f]))) continue;
        std::vector<char> chunk(kReadChunk);
        while (const std::size_t n = file.Read(chunk.data(), chunk.size()))
            bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + n);
        file.Close();
    }
    std::printf("%d files, %.1f MB; best of %d runs\n", files.Count(), bytes.size() / 1e6, runs);

    std::vector<char> buffer(kReadChunk);
    std::vector<TStripFacts> facts(kReadChunk / 64);
    double before = 0;
    const std::vector<const char*> paths = StripPathNames();
    for (std::size_t path = 1; path <= paths.size(); ++path) {
        LimitStripPaths(path);
        double best = 1e9;
        uint64_t lines = 0;
        for (int run = 0; run < runs; ++run) {
            std::chrono::steady_clock::duration spent{};
            lines = 0;
            uint64_t atLineHead = 1;
            for (std::size_t at = 0; at + 64 <= bytes.size(); at += kReadChunk) {
                const std::size_t n = std::min(kReadChunk, bytes.size() - at);
                std::memcpy(buffer.data(), bytes.data() + at, n);
                const auto start = std::chrono::steady_clock::now();
                ClassifyStrips(buffer.data(), n / 64, false, atLineHead, facts.data());
                spent += std::chrono::steady_clock::now() - start;
                for (std::size_t w = 0; w < n / 64; ++w) lines += facts[w].LfCount;
            }
            best = std::min(best, std::chrono::duration<double>(spent).count());
        }
        std::printf("%-9s %8.4f s %6.2f GB/s", paths[path - 1], best, bytes.size() / best / 1e9);
        if (before > 0) std::printf("  %+6.1f%% over the path before", 100 * (before / best - 1));
        std::printf("  (%llu line ends)\n", static_cast<unsigned long long>(lines));
        before = best;
    }
    return 0;
}
