// The floor that the checker is measured against: the same walk and the same
// file reads through the file-system seam, and nothing else; with --jobs N the
// files are read by N threads, as the parallel scan reads them.
//
//   tessaron-bench-floor [--jobs N] ROOT
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "fs.h"
#include "scan_state.h"
#include "text_reader.h"
#include "walker.h"

int main(int argc, char** argv) {
    unsigned jobs = 1;
    if (argc == 4 && std::strcmp(argv[1], "--jobs") == 0) {
        jobs = static_cast<unsigned>(std::atoi(argv[2]));
        argv += 2;
        argc -= 2;
    }
    if (argc != 2 || jobs < 1) {
        std::fprintf(stderr, "usage: tessaron-bench-floor [--jobs N] ROOT\n");
        return 2;
    }
    TPathList files;
    WalkTree(argv[1], "*.ini", files);
    std::atomic<int32_t> next{0};
    std::atomic<uint64_t> bytes{0};
    const auto read = [&] {
        std::vector<char> buffer(kReadChunk);
        for (int32_t f = next++; f < files.Count(); f = next++) {
            TInputFile file;
            if (!file.Open(std::string(files[f]))) continue;
            while (const std::size_t n = file.Read(buffer.data(), buffer.size())) bytes += n;
            file.Close();
        }
    };
    std::vector<std::thread> threads;
    for (unsigned j = 1; j < jobs; ++j) threads.emplace_back(read);
    read();
    for (std::thread& thread : threads) thread.join();
    std::printf("%d files, %llu bytes\n", files.Count(), static_cast<unsigned long long>(bytes.load()));
    return 0;
}
