#include "rules.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "strip_masks.h"
#include "syntax.h"

namespace {

constexpr std::size_t kNone = std::string_view::npos;

// The byte tests as types of their own, so that a word loop inlines them.
constexpr auto kBlank = [](char c) { return IsBlank(c); };
constexpr auto kValueSeparator = [](char c) { return IsValueSeparator(c); };

// A line as the rules read it: its text after the leading blanks and before
// a comment, and the first '=' in that text (kNone on a header line).
struct TLineParts {
    std::string_view Text;
    std::size_t Eq;
};

TLineParts PartsOf(std::string_view line) {
    std::string_view text = line.substr(LeadingBlanks(line));
    text = text.substr(0, CommentStart(text));
    return {text, text.find(kAssignment)};
}

// The next word of `text` from `at`, between bytes for which `parts` holds;
// empty when there is none. Moves `at` past it.
template <typename F>
std::string_view NextWord(std::string_view text, std::size_t& at, F&& parts) {
    while (at < text.size() && parts(text[at])) ++at;
    const std::size_t begin = at;
    while (at < text.size() && !parts(text[at])) ++at;
    return text.substr(begin, at - begin);
}

std::string_view KeyOf(const TLineParts& parts) {
    return TrimBlanks(parts.Text.substr(0, parts.Eq));
}

std::string_view ValueOf(const TLineParts& parts) {
    return parts.Text.substr(parts.Eq + 1);
}

bool Picks(const TTokenPick& pick, uint32_t number) {
    return number == pick.First || (pick.AndAfter && number > pick.First);
}

uint32_t ColumnOf(std::string_view word, std::string_view line) {
    return static_cast<uint32_t>(word.data() - line.data() + 1);
}

}  // namespace

TRuleSet::TRuleSet(std::vector<TRule> rules) : Rules_(std::move(rules)) {
    std::vector<std::string> blocks;
    const auto blockOf = [&blocks](const std::string& in) {
        if (in.empty()) return kNoBlock;
        std::string keyword = AsciiLowered(in);
        const auto found = std::find(blocks.begin(), blocks.end(), keyword);
        if (found != blocks.end()) return static_cast<int32_t>(found - blocks.begin());
        blocks.push_back(std::move(keyword));
        return static_cast<int32_t>(blocks.size() - 1);
    };
    for (const TRule& rule : Rules_) {
        TKind kind{{}, Uses_.size(), 0};
        for (const std::string& ignore : rule.Ignore) kind.Ignore.push_back(AsciiLowered(ignore));
        for (const TRuleUse& use : rule.Uses) {
            Uses_.push_back({AsciiLowered(use.Key), use.Key == kAnyKey, blockOf(use.In), use.Tokens});
        }
        kind.EndUse = Uses_.size();
        Kinds_.push_back(std::move(kind));
    }

    const auto headerOf = [this](std::string keyword) -> THeader& {
        for (THeader& header : Headers_) {
            if (header.Keyword == keyword) return header;
        }
        Headers_.push_back({std::move(keyword), {}, kNoBlock});
        return Headers_.back();
    };
    for (int32_t r = 0; r < Count(); ++r) {
        for (const std::string& keyword : Rules_[static_cast<std::size_t>(r)].DeclaredBy) {
            std::vector<int32_t>& declares = headerOf(AsciiLowered(keyword)).Declares;
            if (std::find(declares.begin(), declares.end(), r) == declares.end()) declares.push_back(r);
        }
    }
    for (std::size_t b = 0; b < blocks.size(); ++b) headerOf(blocks[b]).Opens = static_cast<int32_t>(b);
    for (const THeader& header : Headers_) {
        HeaderSizes_ |= header.Keyword.size() < 64 ? uint64_t{1} << header.Keyword.size() : 0;
    }

    Heads_.assign(blocks.size() + 1, THeadSet{});
    Pairs_.assign(blocks.size() + 1, TPairSet{});
    Candidates_.resize(Heads_.size());
    for (std::size_t state = 0; state < Heads_.size(); ++state) {
        THeadSet& heads = Heads_[state];
        TPairSet& pairs = Pairs_[state];
        const int32_t open = static_cast<int32_t>(state) - 1;
        const auto add = [&](std::string_view word) {
            AddHead(heads, word);
            AddPair(pairs, word);
        };
        for (std::size_t u = 0; u < Uses_.size(); ++u) {
            if (Uses_[u].Block == kNoBlock || Uses_[u].Block == open) Candidates_[state].push_back(u);
        }
        for (const THeader& header : Headers_) add(header.Keyword);
        if (open != kNoBlock) add(kEndKeyword);
        for (const TUse& use : Uses_) {
            if (use.Block != kNoBlock && use.Block != open) continue;
            if (use.AnyKey) {
                heads.fill(~uint64_t{0});
                pairs.fill(~uint64_t{0});
            } else {
                // An empty key is that of a line that starts with its '='.
                add(use.Key.empty() ? std::string_view(&kAssignment, 1) : std::string_view(use.Key));
            }
        }
    }
}

// Every pair of bytes that starts the word, ASCII case aside; after a word of
// one byte, any byte.
void TRuleSet::AddPair(TPairSet& pairs, std::string_view word) {
    if (word.empty()) return;
    for (unsigned first = 0; first < 256; ++first) {
        if (AsciiLower(static_cast<char>(first)) != word[0]) continue;
        for (unsigned next = 0; next < 256; ++next) {
            if (word.size() > 1 && AsciiLower(static_cast<char>(next)) != word[1]) continue;
            const unsigned pair = (first & 31u) << 5 | (next & 31u);
            pairs[pair / 64] |= uint64_t{1} << (pair % 64);
        }
    }
}

void TRuleSet::AddHead(THeadSet& heads, std::string_view word) {
    if (word.empty()) return;
    AsciiHeads_ = AsciiHeads_ && static_cast<unsigned char>(word[0]) < 128;
    for (unsigned byte = 0; byte < 256; ++byte) {
        if (AsciiLower(static_cast<char>(byte)) == word[0]) heads[byte / 64] |= uint64_t{1} << (byte % 64);
    }
}

bool TRuleSet::Matches(const TUse& use, std::string_view key, int32_t open) const {
    return (use.Block == kNoBlock || use.Block == open) && (use.AnyKey || EqualsIgnoringAsciiCase(key, use.Key));
}

const TRuleSet::THeader* TRuleSet::HeaderOf(std::string_view keyword) const {
    if (keyword.size() < 64 && (HeaderSizes_ >> keyword.size() & 1) == 0) return nullptr;
    for (const THeader& header : Headers_) {
        if (header.Keyword.size() == keyword.size() && EqualsIgnoringAsciiCase(keyword, header.Keyword)) return &header;
    }
    return nullptr;
}

bool TRuleSet::Ignores(int32_t rule, std::string_view token) const {
    const std::vector<std::string>& ignore = Kinds_[static_cast<std::size_t>(rule)].Ignore;
    return std::any_of(ignore.begin(), ignore.end(),
                       [token](const std::string& entry) { return EqualsIgnoringAsciiCase(token, entry); });
}

// `End` closes whatever block is open, even when a use names it as a block.
int32_t TRuleSet::OpenAfter(std::string_view keyword, const THeader* header, int32_t open) {
    if (EqualsIgnoringAsciiCase(keyword, kEndKeyword)) return kNoBlock;
    return header != nullptr && header->Opens != kNoBlock ? header->Opens : open;
}

int32_t TRuleSet::BlockAfter(std::string_view line, int32_t open) const {
    const TLineParts parts = PartsOf(line);
    if (parts.Text.empty() || parts.Eq != kNone) return open;
    std::size_t at = 0;
    const std::string_view keyword = NextWord(parts.Text, at, kBlank);
    return OpenAfter(keyword, HeaderOf(keyword), open);
}

std::optional<TUseSite> TRuleSet::UseAt(std::string_view line, uint32_t column, int32_t open) const {
    const TLineParts parts = PartsOf(line);
    if (parts.Eq == kNone || column == 0) return std::nullopt;
    const std::string_view value = ValueOf(parts);
    const std::size_t valueBegin = static_cast<std::size_t>(value.data() - line.data());
    if (column - 1 < valueBegin || column - 1 > valueBegin + value.size()) return std::nullopt;
    const std::size_t cursor = column - 1 - valueBegin;

    // The token the cursor touches, or where one typed there would start.
    uint32_t number = 1;
    std::size_t start = cursor;
    std::size_t length = 0;
    std::size_t at = 0;
    for (std::string_view token; !(token = NextWord(value, at, kValueSeparator)).empty(); ++number) {
        const std::size_t begin = static_cast<std::size_t>(token.data() - value.data());
        if (begin > cursor) break;
        if (begin + token.size() >= cursor) {
            start = begin;
            length = token.size();
            break;
        }
    }
    const std::string_view key = KeyOf(parts);
    for (std::size_t r = 0; r < Kinds_.size(); ++r) {
        for (std::size_t u = Kinds_[r].FirstUse; u < Kinds_[r].EndUse; ++u) {
            if (Matches(Uses_[u], key, open) && Picks(Uses_[u].Tokens, number)) {
                return TUseSite{static_cast<int32_t>(r), static_cast<uint32_t>(valueBegin + start + 1),
                                static_cast<uint32_t>(length)};
            }
        }
    }
    return std::nullopt;
}

TRuleReader::TRuleReader(const TRuleSet& rules, std::vector<TKindRecords>& records)
    : Rules_(rules), Records_(records), Matched_(rules.Uses_.size()) {
    Records_.resize(rules.Rules().size());
    Open(kNoBlock);
}

void TRuleReader::ReadHeader(std::string_view text, std::string_view line, uint32_t fileIndex, int32_t lineIndex) {
    if (text.empty()) return;
    std::size_t at = 0;
    const std::string_view keyword = NextWord(text, at, kBlank);
    const TRuleSet::THeader* const header = Rules_.HeaderOf(keyword);
    if (header != nullptr && !header->Declares.empty()) {
        const std::string_view name = NextWord(text, at, kBlank);
        if (!name.empty()) {
            for (const int32_t rule : header->Declares) {
                TKindRecords& records = Records_[static_cast<std::size_t>(rule)];
                records.DefinedNames.AddLowered(name);
                records.DefinedPlaces.AddRef(fileIndex, lineIndex, ColumnOf(name, line),
                                             static_cast<uint32_t>(name.size()));
            }
        }
    }
    Open(TRuleSet::OpenAfter(keyword, header, Open_));
}

void TRuleReader::ReadLine(std::string_view line, uint32_t fileIndex, int32_t lineIndex) {
    const std::string_view text = line.substr(LeadingBlanks(line));
    const TCommentCut cut = CommentCutOf(text);
    if (cut.Equals == kNone) {
        ReadHeader(text.substr(0, cut.Cut), line, fileIndex, lineIndex);
        return;
    }
    // Most keys are no use's, and their values need no reading.
    const std::string_view key = TrimBlanks(text.substr(0, cut.Equals));
    bool any = false;
    for (const std::size_t u : Rules_.Candidates_[static_cast<std::size_t>(Open_) + 1]) {
        const TRuleSet::TUse& use = Rules_.Uses_[u];
        Matched_[u] = use.AnyKey || (use.Key.size() == key.size() && EqualsIgnoringAsciiCase(key, use.Key));
        any = any || Matched_[u] != 0;
    }
    if (!any) return;
    const std::string_view value = text.substr(cut.Equals + 1, cut.Cut - cut.Equals - 1);
    for (std::size_t r = 0; r < Rules_.Kinds_.size(); ++r) {
        const TRuleSet::TKind& kind = Rules_.Kinds_[r];
        uint32_t last = 0;  // the highest token number a matching use takes
        for (std::size_t u = kind.FirstUse; u < kind.EndUse; ++u) {
            const TRuleSet::TUse& use = Rules_.Uses_[u];
            if (Matched_[u] != 0) {
                last = std::max(last, use.Tokens.AndAfter ? std::numeric_limits<uint32_t>::max() : use.Tokens.First);
            }
        }
        if (last == 0) continue;
        TKindRecords& records = Records_[r];
        std::size_t at = 0;
        uint32_t number = 0;
        for (std::string_view token; number < last && !(token = NextWord(value, at, kValueSeparator)).empty();) {
            ++number;
            bool picked = false;
            for (std::size_t u = kind.FirstUse; u < kind.EndUse && !picked; ++u) {
                picked = Matched_[u] != 0 && Picks(Rules_.Uses_[u].Tokens, number);
            }
            if (!picked || Rules_.Ignores(static_cast<int32_t>(r), token)) continue;
            records.UsedNames.AddLowered(token);
            records.RefTable.AddRef(fileIndex, lineIndex, ColumnOf(token, line), static_cast<uint32_t>(token.size()));
        }
    }
    for (const std::size_t u : Rules_.Candidates_[static_cast<std::size_t>(Open_) + 1]) Matched_[u] = 0;
}
