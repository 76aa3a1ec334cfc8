// The other kinds of named things in a definition tree, besides images: for
// each kind, the block headers that declare a name of it and the keys whose
// values use one. A TRule is plain data as the project file gives it; a
// TRuleSet lowers it once for reading; a TRuleReader reads one file's lines,
// as the text reader gives them, into one set of records per rule.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scan_state.h"

// The key of a use that takes any key.
constexpr std::string_view kAnyKey = "*";

// Which value tokens of a line are names: the First-th (1-based), and with
// AndAfter every one after it too.
struct TTokenPick {
    uint32_t First = 1;
    bool AndAfter = false;
};

struct TRuleUse {
    std::string Key;  // kAnyKey: every key
    // The keyword of the context block the line must stand in; empty: anywhere.
    std::string In;
    TTokenPick Tokens;
};

struct TRule {
    std::string Id;
    std::string Title;                    // how messages call a thing of this kind
    std::vector<std::string> DeclaredBy;  // header keywords
    std::vector<std::string> Ignore;      // values that name nothing
    std::vector<std::string> Names;       // files of names declared outside the tree
    std::vector<TRuleUse> Uses;
};

// The context block open at a line: kNoBlock, or the index of its keyword.
constexpr int32_t kNoBlock = -1;

// Where a token that is a use of a rule stands, or would stand once typed.
struct TUseSite {
    int32_t Rule;
    uint32_t Column;  // 1-based byte in the line as read
    uint32_t Length;  // 0 for a token not typed yet
};

class TRuleSet {
public:
    explicit TRuleSet(std::vector<TRule> rules);

    // The rules as given, in their order; a rule's index is its place here.
    const std::vector<TRule>& Rules() const { return Rules_; }
    int32_t Count() const { return static_cast<int32_t>(Rules_.size()); }

    // Whether a line whose first byte above 32 is `head` can record anything
    // or change the open block, while `open` is open.
    bool MayMatter(char head, int32_t open) const {
        const auto byte = static_cast<unsigned char>(head);
        return (Heads_[static_cast<std::size_t>(open) + 1][byte / 64] >> (byte % 64) & 1) != 0;
    }
    // The same from the line's first two bytes from its head: `next` is the
    // byte after `head`, or any blank when the line ends there.
    bool MayMatter(char head, char next, int32_t open) const {
        return MayMatterIn(Pairs_[static_cast<std::size_t>(open) + 1].data(), head, next);
    }
    // Whether no keyword or key of the rules starts with a byte of 128 or
    // above: a line whose head (its first byte above 32) is such a byte then
    // matters only when one of 33 to 127 after it would pass MayMatter too.
    bool AsciiHeads() const { return AsciiHeads_; }
    // The context block open after `line` when `open` was open before it.
    int32_t BlockAfter(std::string_view line, int32_t open) const;
    // For a cursor before the 1-based byte `column` of `line`, read while
    // `open` is open: the first rule whose use takes the token that stands
    // there, or that typing there would start, whatever its text.
    std::optional<TUseSite> UseAt(std::string_view line, uint32_t column, int32_t open) const;
    // Whether `rule` takes `token` for no name (its ignore list, ASCII case aside).
    bool Ignores(int32_t rule, std::string_view token) const;

private:
    friend class TRuleReader;

    struct TUse {
        std::string Key;  // lowered
        bool AnyKey;
        int32_t Block;
        TTokenPick Tokens;
    };
    struct TKind {
        std::vector<std::string> Ignore;  // lowered
        std::size_t FirstUse;
        std::size_t EndUse;
    };
    struct THeader {
        std::string Keyword;            // lowered
        std::vector<int32_t> Declares;  // rules, each once
        int32_t Opens = kNoBlock;
    };
    using THeadSet = std::array<uint64_t, 4>;
    // By the low five bits of each of the two bytes, which keep apart the
    // ASCII letters, whatever their case, and little else.
    using TPairSet = std::array<uint64_t, 16>;
    static bool MayMatterIn(const uint64_t* pairs, char head, char next) {
        const unsigned pair = (static_cast<unsigned char>(head) & 31u) << 5 | (static_cast<unsigned char>(next) & 31u);
        return (pairs[pair / 64] >> (pair % 64) & 1) != 0;
    }

    bool Matches(const TUse& use, std::string_view key, int32_t open) const;
    const THeader* HeaderOf(std::string_view keyword) const;
    static int32_t OpenAfter(std::string_view keyword, const THeader* header, int32_t open);
    void AddHead(THeadSet& heads, std::string_view word);
    static void AddPair(TPairSet& pairs, std::string_view word);

    std::vector<TRule> Rules_;
    std::vector<TUse> Uses_;  // rule by rule
    std::vector<TKind> Kinds_;
    std::vector<THeader> Headers_;
    std::vector<THeadSet> Heads_;                       // [0] with no block open, [b + 1] inside block b
    std::vector<TPairSet> Pairs_;                       // as Heads_, by a line's first two bytes
    std::vector<std::vector<std::size_t>> Candidates_;  // per state as Heads_: the uses a line may match there
    bool AsciiHeads_ = true;
    uint64_t HeaderSizes_ = 0;  // bit n: a header keyword has n bytes (below 64)
};

// Reads the lines of files into `records`, one entry per rule, keeping the
// open context block from line to line.
class TRuleReader {
public:
    TRuleReader(const TRuleSet& rules, std::vector<TKindRecords>& records);

    // Closes the open block: a file starts outside every block.
    void StartFile() { Open(kNoBlock); }
    // Whether a line whose first byte above 32 is `head` may record anything
    // or change the reader's state; a line for which it is false can be skipped.
    bool MayMatter(char head) const { return Rules_.MayMatter(head, Open_); }
    bool MayMatter(char head, char next) const { return TRuleSet::MayMatterIn(Pairs_, head, next); }
    // Records one line, as read, of file `fileIndex`.
    void ReadLine(std::string_view line, uint32_t fileIndex, int32_t lineIndex);
    int32_t OpenBlock() const { return Open_; }

private:
    void ReadHeader(std::string_view text, std::string_view line, uint32_t fileIndex, int32_t lineIndex);
    void Open(int32_t block) {
        Open_ = block;
        Pairs_ = Rules_.Pairs_[static_cast<std::size_t>(block) + 1].data();
    }

    const TRuleSet& Rules_;
    std::vector<TKindRecords>& Records_;
    std::vector<char> Matched_;  // per use, for the line being read; all 0 between lines
    int32_t Open_ = kNoBlock;
    const uint64_t* Pairs_;  // the rule set's for the open block
};
