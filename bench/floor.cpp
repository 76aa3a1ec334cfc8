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
#include <vector>

#include "fs.h"
#include "scan_state.h"
#include "syntax.h"
#include "text_reader.h"
#include "threads.h"
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
    WalkTree(argv[1], std::string(kDefinitionMask), files);
    std::atomic<uint64_t> bytes{0};
    std::vector<std::vector<char>> buffers(jobs);
    ForEachIndex(static_cast<std::size_t>(files.Count()), jobs, [&](std::size_t f, unsigned lane) {
        std::vector<char>& buffer = buffers[lane];
        if (buffer.empty()) buffer.resize(kReadChunk);
        TInputFile file;
        if (!file.Open(std::string(files[static_cast<int32_t>(f)]))) return;
        while (const std::size_t n = file.Read(buffer.data(), buffer.size())) bytes += n;
        file.Close();
    });
    std::printf("%d files, %llu bytes\n", files.Count(), static_cast<unsigned long long>(bytes.load()));
    return 0;
}
