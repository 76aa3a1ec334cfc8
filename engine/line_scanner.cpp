#include "line_scanner.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "fs.h"
#include "io_error.h"
#include "line_heads.h"
#include "strip_masks.h"
#include "syntax.h"

namespace {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "a keyword's words are read as little-endian");

uint64_t Load8(const char* p) {
    uint64_t v = 0;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// A keyword as words of 8 of its bytes: at 0, 8, 16 and so on, the last one
// ending with the keyword; ASCII case aside. `Case` sets bit 5 of the bytes
// that are letters: that lowers a letter and makes nothing else equal to one.
struct TKeywordWords {
    std::size_t Size = 0;
    std::size_t Count = 0;
    std::size_t At[4] = {};
    uint64_t Word[4] = {};
    uint64_t Case[4] = {};
    uint64_t Used[4] = {};  // the bytes that belong to the keyword: all 8 unless it is shorter
};

constexpr TKeywordWords WordsOf(std::string_view keyword) {
    TKeywordWords words;
    words.Size = keyword.size();
    for (std::size_t at = 0;; at += 8) {
        const std::size_t start = keyword.size() < 8 ? 0 : std::min(at, keyword.size() - 8);
        const std::size_t w = words.Count++;
        words.At[w] = start;
        for (std::size_t i = 0; i < 8 && start + i < keyword.size(); ++i) {
            const char c = keyword[start + i];
            words.Word[w] |= uint64_t{static_cast<unsigned char>(c)} << (8 * i);
            words.Case[w] |= uint64_t{c >= 'a' && c <= 'z' ? 0x20u : 0u} << (8 * i);
            words.Used[w] |= uint64_t{0xFF} << (8 * i);
        }
        if (start + 8 >= keyword.size()) break;
    }
    return words;
}

static_assert([] {
    for (const std::string_view keyword : kImageKeywords) {
        if (keyword.empty() || keyword.size() > 32) return false;
    }
    return true;
}());

constexpr std::array<TKeywordWords, kImageKeywordCount> kKeywordWords = [] {
    std::array<TKeywordWords, kImageKeywordCount> all{};
    for (std::size_t k = 0; k < kImageKeywordCount; ++k) all[k] = WordsOf(kImageKeywords[k]);
    return all;
}();
constexpr const TKeywordWords& kDeclarationWords = kKeywordWords[kImageKeywordCount - 1];

// Whether `line` starts with the keyword, ASCII case aside.
bool StartsWithKey(std::string_view line, const TKeywordWords& key) {
    if (line.size() < key.Size) return false;
    if (key.Size < 8) {
        for (std::size_t i = 0; i < key.Size; ++i) {
            const uint64_t c = static_cast<unsigned char>(line[i]) | ((key.Case[0] >> (8 * i)) & 0xFF);
            if (c != ((key.Word[0] >> (8 * i)) & 0xFF)) return false;
        }
        return true;
    }
    for (std::size_t w = 0; w < key.Count; ++w) {
        if ((Load8(line.data() + key.At[w]) | key.Case[w]) != key.Word[w]) return false;
    }
    return true;
}

// Whether the line from `p`, with 8 bytes to read there, may start with a
// keyword: its first 8 bytes (fewer for a shorter keyword) are a keyword's.
bool MayStartKey(const char* p) {
    const uint64_t head = Load8(p);
    for (const TKeywordWords& key : kKeywordWords) {
        if (((head | key.Case[0]) & key.Used[0]) == key.Word[0]) return true;
    }
    return false;
}

constexpr std::size_t kNone = std::string_view::npos;

}  // namespace

// Only lines whose first byte above 32 begins a key can record anything, so
// the scan finds those first bytes 64 at a time and hands just their lines to
// ScanLine. It stops before a Ctrl+Z, before a line with a CR that does not
// end it, and before a line that the buffer does not hold whole: the reader's
// own rules take those.
template <bool WithRules>
std::size_t TLineScanner::ScanWholeLines(std::string_view bytes, uint32_t fileIndex, int32_t& lineIndex) {
    if (bytes.empty()) return 0;
    const char* const begin = bytes.data();
    const char* const bytesEnd = begin + bytes.size();
    const char* const end = begin + bytes.size() / 64 * 64;
    const auto lineStartOf = [begin](const char* at) {
        while (at > begin && at[-1] != kLineFeed) --at;
        return at;
    };
    constexpr std::size_t kBatch = 16;
    TStripFacts facts[kBatch];
    TRuleReader* const rules = WithRules ? &*Rules_ : nullptr;
    int64_t lines = 0;  // LFs before the current strip
    uint64_t atLineHead = 1;
    const char* stop = nullptr;
    const char* p = begin;
    while (p < end && stop == nullptr) {
        const std::size_t count = std::min<std::size_t>(kBatch, static_cast<std::size_t>(end - p) / 64);
        const char* const after = p + 64 * count;
        ClassifyStrips(p, count, after < bytesEnd && *after == kLineFeed, atLineHead, facts);
        for (std::size_t w = 0; w < count && stop == nullptr; ++w, p += 64) {
            const TStripFacts& f = facts[w];
            // With file rules, every line's head is one to look at.
            const uint64_t heads = WithRules ? f.LineHeads : f.Heads;
            if ((heads | f.Breaks) == 0) {
                lines += f.LfCount;
                continue;
            }
            const uint64_t valid = f.Breaks == 0 ? ~uint64_t{0} : (uint64_t{1} << LowestBit(f.Breaks)) - 1;
            const char* const limit = f.Breaks == 0 ? end : p + LowestBit(f.Breaks);
            for (uint64_t found = heads & valid; found != 0; found &= found - 1) {
                const int bit = LowestBit(found);
                const char* const key = p + bit;
                const bool image = (!WithRules || (f.Heads >> bit & 1) != 0) && (limit - key < 8 || MayStartKey(key));
                // A line that the buffer holds whole holds the byte after its head.
                bool rule = false;
                if constexpr (WithRules) rule = rules->MayMatter(key[0], key + 1 < bytesEnd ? key[1] : ' ');
                if (!image && !rule) continue;
                const uint64_t lfBelow = f.Lf & ((uint64_t{1} << bit) - 1);
                const int64_t before = lines + BitCount(lfBelow);
                // Mostly the line ends in this strip or the next one with no
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
                // Without the rules, a line too short for an image key is done.
                if (!WithRules && lf != nullptr && static_cast<std::size_t>(lf - key) < kShortestImageKeyword) continue;
                const char* lineStart = nullptr;
                const bool judged = lf != nullptr;
                if (judged) {
                    lineStart = lfBelow != 0 ? p + HighestBit(lfBelow) + 1 : lineStartOf(key);
                } else {
                    lf = static_cast<const char*>(std::memchr(key, kLineFeed, static_cast<std::size_t>(limit - key)));
                    if (lf == nullptr) {
                        stop = lineStartOf(key);
                        lines = before;
                        break;
                    }
                    if (!WithRules && static_cast<std::size_t>(lf - key) < kShortestImageKeyword) continue;
                    lineStart = lineStartOf(key);
                }
                std::size_t length = static_cast<std::size_t>(lf - lineStart);
                if (lineStart[length - 1] == kCarriageReturn) --length;
                // A line that runs past the strips in hand holds bytes that the masks did not judge.
                if (!judged && (std::memchr(lineStart, kCarriageReturn, length) != nullptr ||
                                std::memchr(lineStart, kCtrlZ, length) != nullptr)) {
                    stop = lineStart;
                    lines = before;
                    break;
                }
                const int32_t at = static_cast<int32_t>(lineIndex + before);
                if (image && static_cast<std::size_t>(lf - key) >= kShortestImageKeyword) {
                    ScanLine({lineStart, length}, fileIndex, at);
                }
                if constexpr (WithRules) {
                    if (rule) rules->ReadLine({lineStart, length}, fileIndex, at);
                }
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
    const TCommentCut cut = CommentCutOf(line.substr(indent));
    const std::string_view text = line.substr(indent, cut.Cut);
    const std::size_t eq = cut.Equals;
    if (text.empty()) return;

    if (eq != kNone) {
        for (std::size_t k = 0; k < std::size(kImageKeys); ++k) {
            if (!StartsWithKey(text, kKeywordWords[k])) continue;
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
    if (StartsWithKey(text, kDeclarationWords)) {
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

TLineScanner::TLineScanner(TScanState& state, std::vector<char>& buffer) : State_(state), Buffer_(buffer) {
    if (&buffer == &Owned_) Owned_.resize(kReadChunk);
    if (state.Rules == nullptr) return;
    state.RuleRecords.resize(static_cast<std::size_t>(state.Rules->Count()));
    Rules_.emplace(*state.Rules, state.RuleRecords);
}

void TLineScanner::ScanText(TByteSource& source, uint32_t fileIndex) {
    TTextReader reader(source, Buffer_);
    if (State_.NoteEncodings) {
        const TOddEncoding odd = OddEncodingOf(reader.Buffered());
        if (odd != TOddEncoding::None) State_.OddEncodings.push_back({fileIndex, odd});
    }
    int32_t lineIndex = 0;
    if (Rules_) {
        // The file rules read lines in order, each in the block that the lines before it opened.
        Rules_->StartFile();
        if (!State_.Rules->AsciiHeads()) {
            for (; !reader.Eof(); ++lineIndex) {
                const std::string_view line = reader.ReadLine();
                ScanLine(line, fileIndex, lineIndex);
                Rules_->ReadLine(line, fileIndex, lineIndex);
            }
            return;
        }
    }
    for (;;) {
        reader.Consume(Rules_ ? ScanWholeLines<true>(reader.Buffered(), fileIndex, lineIndex)
                              : ScanWholeLines<false>(reader.Buffered(), fileIndex, lineIndex));
        if (reader.Eof()) break;
        const std::string_view line = reader.ReadLine();
        ScanLine(line, fileIndex, lineIndex);
        if (Rules_) Rules_->ReadLine(line, fileIndex, lineIndex);
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
