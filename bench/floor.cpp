// The floor that the checker is measured against: the same walk and the same
// file reads through the file-system seam, and nothing else.
//
//   tessaron-bench-floor ROOT
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fs.h"
#include "scan_state.h"
#include "text_reader.h"
#include "walker.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tessaron-bench-floor ROOT\n");
        return 2;
    }
    TPathList files;
    WalkTree(argv[1], "*.ini", files);
    std::vector<char> buffer(kReadChunk);
    uint64_t bytes = 0;
    for (int32_t f = 0; f < files.Count(); ++f) {
        TInputFile file;
        if (!file.Open(std::string(files[f]))) continue;
        while (const std::size_t n = file.Read(buffer.data(), buffer.size())) bytes += n;
        file.Close();
    }
    std::printf("%d files, %llu bytes\n", files.Count(), static_cast<unsigned long long>(bytes));
    return 0;
}
