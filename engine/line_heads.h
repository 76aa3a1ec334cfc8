// Looks at the bytes of a buffer a strip of 64 at a time for the line
// scanner's fast path: where lines end, which lines may begin with a key, and
// where the plain line rules stop holding. Bit i of a mask stands for byte i
// of a strip.
#pragma once

#include <cstddef>
#include <cstdint>

struct TStripFacts {
    uint64_t Lf;
    // The first byte above the blanks of each line, where it may be a
    // keyword's initial (bytes of 128 and above count as blanks here; the
    // line's own check tells them apart).
    uint64_t Heads;
    // The first byte above the blanks of every line (as Heads counts them).
    uint64_t LineHeads;
    // Ctrl+Z, and CR not followed by LF: bytes that the reader must judge.
    uint64_t Breaks;
    int LfCount;
};

// Fills facts[i] for the 64 bytes from bytes + 64 * i, for i < count.
// `lfAfter` tells whether the byte after the last strip is an LF.
// `atLineHead` is 1 when the first strip starts among a line's leading
// blanks (at a line start, say); it comes back set for the next strip.
void ClassifyStrips(const char* bytes, std::size_t count, bool lfAfter, uint64_t& atLineHead, TStripFacts* facts);
