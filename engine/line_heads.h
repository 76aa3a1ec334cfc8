// Looks at the bytes of a buffer 64 at a time for the line scanner's fast
// path: where lines end, which lines may begin with a key, and where the
// plain line rules stop holding. Bit i of a mask stands for byte i of a window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct TWindowFacts {
    uint64_t Lf;
    // The first byte above 32 of each line, where it is s, b or m in either
    // case (bytes of 128 and above count as blanks here; the line's own check
    // tells them apart).
    uint64_t Heads;
    // Ctrl+Z, and CR not followed by LF: bytes that the reader must judge.
    uint64_t Breaks;
    int LfCount;
};

// Fills facts[i] for the 64 bytes from bytes + 64 * i, for i < count.
// `lfAfter` tells whether the byte after the last window is an LF.
// `atLineHead` is 1 when the first window starts among a line's leading
// blanks (at a line start, say); it comes back set for the next window.
void ClassifyWindows(const char* bytes, std::size_t count, bool lfAfter, uint64_t& atLineHead, TWindowFacts* facts);

using TClassifier = void (*)(const char*, std::size_t, bool, uint64_t&, TWindowFacts*);
struct TClassifierPath {
    const char* Name;
    TClassifier Classify;
};
// The ways of ClassifyWindows that this processor can run, narrowest first:
// "portable" always, then "sse2", "avx2", "avx512". ClassifyWindows takes the last.
std::vector<TClassifierPath> ClassifierPaths();
