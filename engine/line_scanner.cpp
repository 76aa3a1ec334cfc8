#include "line_scanner.h"

#include <algorithm>
#include <cstring>

#include "fs.h"
#include "io_error.h"
#include "line_heads.h"
#include "strip_masks.h"
#include "syntax.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

uint64_t Load8(const char* p) {
    uint64_t v = 0;
    std::memcpy(&v, p, sizeof v);
    return v;
}

constexpr uint64_t kCaseBits = 0x2020202020202020ull;

// Whether `line` starts with the lower-case `key` (letters only, 8 to 16 of
// them), ASCII case aside: setting bit 5 lowers a letter and makes nothing
// else equal to one.
bool StartsWithKey(std::string_view line, std::string_view key) {
    if (line.size() < key.size()) return false;
    const std::size_t tail = key.size() - 8;
    return (Load8(line.data()) | kCaseBits) == Load8(key.data()) &&
           (Load8(line.data() + tail) | kCaseBits) == Load8(key.data() + tail);
}

// Whether the line from `p`, at least as long as the shortest keyword, may
// start with one: its first 8 bytes, ASCII case aside, are those of a keyword.
bool MayStartKey(const char* p) {
    const uint64_t head = Load8(p) | kCaseBits;
    for (const std::string_view keyword : kImageKeywords) {
        if (head == Load8(keyword.data())) return true;
    }
    return false;
}

constexpr std::size_t kNone = std::string_view::npos;

// Where a comment (';' or "//") cuts `text`, its size when none does, and the
// first '=' before that, kNone when there is none.
std::size_t CutAndEquals(std::string_view text, std::size_t& eq) {
    const char* const s = text.data();
    const std::size_t size = text.size();
    eq = kNone;
#if defined(__SSE2__)
    // 16 bytes at a time, the last step on the last 16: the bytes in it that
    // an earlier step has seen hold no cut and no first '='.
    for (std::size_t at = 0; size >= 16; at += 16) {
        const std::size_t base = std::min(at, size - 16);
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + base));
        const auto semis = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_set1_epi8(';'))));
        const auto slashes = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_set1_epi8('/'))));
        const auto equals = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_set1_epi8('='))));
        unsigned pairs = slashes & (slashes >> 1);
        if ((slashes & 0x8000u) != 0 && base + 16 < size && s[base + 16] == '/') pairs |= 0x8000u;
        const unsigned cuts = semis | pairs;
        const unsigned before = cuts == 0 ? equals : equals & ((1u << __builtin_ctz(cuts)) - 1);
        if (eq == kNone && before != 0) eq = base + static_cast<std::size_t>(__builtin_ctz(before));
        if (cuts != 0) return base + static_cast<std::size_t>(__builtin_ctz(cuts));
        if (base + 16 == size) return size;
    }
#endif
    std::size_t at = 0;
    for (; at < size; ++at) {
        const char c = s[at];
        if (static_cast<unsigned char>(c - '/') > '=' - '/') continue;  // none of / ; =
        if (c == ';' || (c == '/' && at + 1 < size && s[at + 1] == '/')) break;
        if (c == '=' && eq == kNone) eq = at;
    }
    return at;
}

}  // namespace

// Only lines whose first byte above 32 begins a key can record anything, so
// the scan finds those first bytes 64 at a time and hands just their lines to
// ScanLine. It stops before a Ctrl+Z, before a line with a CR that does not
// end it, and before a line that the buffer does not hold whole: the reader's
// own rules take those.
std::size_t TLineScanner::ScanWholeLines(std::string_view bytes, uint32_t fileIndex, int32_t& lineIndex) {
    if (bytes.empty()) return 0;
    const char* const begin = bytes.data();
    const char* const bytesEnd = begin + bytes.size();
    const char* const end = begin + bytes.size() / 64 * 64;
    const auto lineStartOf = [begin](const char* at) {
        while (at > begin && at[-1] != '\n') --at;
        return at;
    };
    constexpr std::size_t kBatch = 16;
    TStripFacts facts[kBatch];
    int64_t lines = 0;  // LFs before the current window
    uint64_t atLineHead = 1;
    const char* stop = nullptr;
    const char* p = begin;
    while (p < end && stop == nullptr) {
        const std::size_t count = std::min<std::size_t>(kBatch, static_cast<std::size_t>(end - p) / 64);
        const char* const after = p + 64 * count;
        ClassifyStrips(p, count, after < bytesEnd && *after == '\n', atLineHead, facts);
        for (std::size_t w = 0; w < count && stop == nullptr; ++w, p += 64) {
            const TStripFacts& f = facts[w];
            if ((f.Heads | f.Breaks) == 0) {
                lines += f.LfCount;
                continue;
            }
            const uint64_t valid = f.Breaks == 0 ? ~uint64_t{0} : (uint64_t{1} << LowestBit(f.Breaks)) - 1;
            const char* const limit = f.Breaks == 0 ? end : p + LowestBit(f.Breaks);
            for (uint64_t found = f.Heads & valid; found != 0; found &= found - 1) {
                const int bit = LowestBit(found);
                const char* const key = p + bit;
                if (limit - key >= 8 && !MayStartKey(key)) continue;
                const uint64_t lfBelow = f.Lf & ((uint64_t{1} << bit) - 1);
                const int64_t before = lines + BitCount(lfBelow);
                // Mostly the line ends in this window or the next one with no
                // break before its LF, and the masks give both of its ends.
                const char* lf = nullptr;
                if (const uint64_t lfAbove = f.Lf >> bit << bit; lfAbove != 0) {
                    if (f.Breaks == 0 || LowestBit(lfAbove) < LowestBit(f.Breaks)) lf = p + LowestBit(lfAbove);
                } else if (f.Breaks == 0 && w + 1 < count) {
                    const TStripFacts& next = facts[w + 1];
                    if (next.Lf != 0 && (next.Breaks == 0 || LowestBit(next.Lf) < LowestBit(next.Breaks))) {
                        lf = p + 64 + LowestBit(next.Lf);
                    }
                }
                if (lf != nullptr) {
                    if (static_cast<std::size_t>(lf - key) < kShortestImageKeyword) continue;
                    const char* const lineStart = lfBelow != 0 ? p + HighestBit(lfBelow) + 1 : lineStartOf(key);
                    std::size_t length = static_cast<std::size_t>(lf - lineStart);
                    if (lineStart[length - 1] == '\r') --length;
                    ScanLine({lineStart, length}, fileIndex, static_cast<int32_t>(lineIndex + before));
                    continue;
                }
                lf = static_cast<const char*>(std::memchr(key, '\n', static_cast<std::size_t>(limit - key)));
                if (lf == nullptr) {
                    stop = lineStartOf(key);
                    lines = before;
                    break;
                }
                if (static_cast<std::size_t>(lf - key) < kShortestImageKeyword) continue;
                const char* const lineStart = lineStartOf(key);
                std::size_t length = static_cast<std::size_t>(lf - lineStart);
                if (lineStart[length - 1] == '\r') --length;
                if (std::memchr(lineStart, '\r', length) != nullptr ||
                    std::memchr(lineStart, kCtrlZ, length) != nullptr) {
                    stop = lineStart;
                    lines = before;
                    break;
                }
                ScanLine({lineStart, length}, fileIndex, static_cast<int32_t>(lineIndex + before));
            }
            if (stop != nullptr) break;
            if (f.Breaks != 0) {
                lines += BitCount(f.Lf & valid);
                stop = lineStartOf(limit);
                break;
            }
            lines += f.LfCount;
        }
    }
    if (stop == nullptr) stop = lineStartOf(p);
    lineIndex = static_cast<int32_t>(lineIndex + lines);
    return static_cast<std::size_t>(stop - begin);
}

void TLineScanner::ScanLine(std::string_view line, uint32_t fileIndex, int32_t lineIndex) {
    const std::size_t indent = LeadingBlanks(line);
    std::size_t eq = kNone;
    const std::string_view text = line.substr(indent, CutAndEquals(line.substr(indent), eq));
    if (text.empty()) return;

    if (eq != kNone) {
        for (const std::string_view key : kImageKeys) {
            if (!StartsWithKey(text, key)) continue;
            const std::string_view afterEq = text.substr(eq + 1);
            const std::string_view value = TrimBlanks(afterEq);
            if (value.empty()) return;
            const std::size_t column = indent + eq + 1 + LeadingBlanks(afterEq) + 1;
            State_.UsedNames.AddLowered(value);
            State_.RefTable.AddRef(fileIndex, lineIndex, static_cast<uint32_t>(column),
                                   static_cast<uint32_t>(value.size()));
            return;
        }
        return;
    }
    if (StartsWithKey(text, kDeclarationKey)) {
        const std::size_t blank = text.find(kNameSeparator);
        const std::string_view name = TrimBlanks(blank == std::string_view::npos ? text : text.substr(blank + 1));
        if (name.empty()) return;
        State_.DefinedNames.AddLowered(name);
        if (State_.KeepDefinedPlaces) {
            const std::size_t column = indent + static_cast<std::size_t>(name.data() - text.data()) + 1;
            State_.DefinedPlaces.AddRef(fileIndex, lineIndex, static_cast<uint32_t>(column),
                                        static_cast<uint32_t>(name.size()));
        }
    }
}

void TLineScanner::ScanText(TByteSource& source, uint32_t fileIndex) {
    TTextReader reader(source, Buffer_);
    if (State_.NoteEncodings) {
        const TOddEncoding odd = OddEncodingOf(reader.Buffered());
        if (odd != TOddEncoding::None) State_.OddEncodings.push_back({fileIndex, odd});
    }
    int32_t lineIndex = 0;
    for (;;) {
        reader.Consume(ScanWholeLines(reader.Buffered(), fileIndex, lineIndex));
        if (reader.Eof()) break;
        ScanLine(reader.ReadLine(), fileIndex, lineIndex);
        ++lineIndex;
    }
}

void TLineScanner::ScanFile(const std::string& path, uint32_t fileIndex) {
    TInputFile file;
    std::string reason;
    if (!file.Open(path, State_.KeepSkipped ? &reason : nullptr)) {
        if (State_.KeepSkipped) State_.Skipped.push_back({path, reason});
        return;
    }
    try {
        ScanText(file, fileIndex);
        file.Close();
    } catch (const EInOutError& error) {
        if (!State_.KeepSkipped) throw;
        State_.Skipped.push_back({path, error.Reason()});
    }
}

void ScanFiles(TScanState& state) {
    TLineScanner scanner(state);
    const int32_t count = state.FileList.Count();
    for (int32_t f = 0; f < count; ++f) scanner.ScanFile(std::string(state.FileList[f]), static_cast<uint32_t>(f));
}
