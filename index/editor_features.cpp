#include "editor_features.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "line_scanner.h"
#include "placing.h"
#include "syntax.h"

namespace {

std::size_t EditDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

const TOccurrence& DeclarationAt(const TIndexStore& store, const TItemRef& ref) {
    return store.Files[ref.File].Declarations[ref.Item];
}

// visit(key, written) for every declared name of `rule`: the workspace's
// first declaration's spelling, and each name declared elsewhere.
template <typename F>
void ForEachDeclaredName(const TIndexStore& store, int32_t rule, F&& visit) {
    store.Names.ForEach([&](const TNameEntry& name) {
        if (name.Rule == rule && !name.Places.Declarations.empty()) {
            visit(name.Key, DeclarationAt(store, name.Places.Declarations.front()).Written);
        }
    });
    store.Elsewhere.ForEach(rule, [&](const std::string& key, const std::string& written) { visit(key, written); });
}

// Line `line` of the reader's lines, without its CRs.
std::string LineOf(std::string_view bytes, const TReaderLines& lines, int32_t line) {
    const std::size_t begin = lines.LineStart(line);
    const std::size_t end = line + 1 < lines.Count() ? lines.LineStart(line + 1) - 1 : bytes.size();
    return WithoutCr(bytes.substr(begin, end - begin));
}

// Where a name is being typed: its rule, and the value typed so far on the
// line as read.
struct TTyped {
    int32_t Rule;
    std::string Prefix;
};

std::optional<TTyped> ImageTyped(std::string_view before) {
    // The line as read up to the position, and one more letter: the scanner
    // records a use there only when the position is in an image key's value.
    const std::string line = std::string(before) + "x";
    TScanState state;
    TLineScanner(state).ScanLine(line, 0, 0);
    if (state.RefTable.Count() != 1 || state.RefTable[0].Column - 1 + state.RefTable[0].Length != line.size()) {
        return std::nullopt;
    }
    return TTyped{kImageRule, line.substr(state.RefTable[0].Column - 1, state.RefTable[0].Length - 1)};
}

std::optional<TTyped> RuleTyped(const TRuleSet& rules, std::string_view bytes, const TReaderLines& lines, int32_t at,
                                std::size_t column) {
    // The context block open at the line, as the lines before it leave it.
    int32_t open = kNoBlock;
    for (int32_t line = 0; line < at; ++line) open = rules.BlockAfter(LineOf(bytes, lines, line), open);
    const std::string line = LineOf(bytes, lines, at);
    const auto site = rules.UseAt(line, static_cast<uint32_t>(column + 1), open);
    if (!site || site->Column - 1 > column) return std::nullopt;
    return TTyped{site->Rule, line.substr(site->Column - 1, column - (site->Column - 1))};
}

}  // namespace

const TOccurrence* OccurrenceAt(const TIndexStore& store, int32_t file, TPosition position) {
    const TFileEntry& entry = store.Files[file];
    for (const auto* items : {&entry.Uses, &entry.Declarations}) {
        for (const TOccurrence& item : *items) {
            if (item.Range.Holds(position)) return &item;
        }
    }
    return nullptr;
}

std::vector<TPlace> DeclarationsOf(const TIndexStore& store, int32_t rule, const std::string& key) {
    std::vector<TPlace> places;
    const TNameEntry* name = store.Names.Find(rule, key);
    if (name == nullptr) return places;
    for (const TItemRef& ref : name->Places.Declarations) places.push_back({ref.File, DeclarationAt(store, ref).Range});
    return places;
}

std::vector<TPlace> UsesOf(const TIndexStore& store, int32_t rule, const std::string& key) {
    std::vector<TPlace> places;
    const TNameEntry* name = store.Names.Find(rule, key);
    if (name == nullptr) return places;
    for (const TItemRef& ref : name->Places.Uses) {
        places.push_back({ref.File, store.Files[ref.File].Uses[ref.Item].Range});
    }
    return places;
}

std::optional<TCompletion> CompletionAt(const TIndexStore& store, int32_t file, TPosition position) {
    const TFileEntry& entry = store.Files[file];
    const std::string bytes = store.BytesOf(file);
    const TLineMap map(bytes, entry.Encoding, store.Units);
    const std::size_t offset = map.OffsetOf(position);
    const TReaderLines lines(bytes);
    const std::size_t lineStart = lines.LineStartOf(offset);
    const std::string before = WithoutCr({bytes.data() + lineStart, offset - lineStart});
    std::optional<TTyped> typed;
    if (store.Settings.Images) typed = ImageTyped(before);
    if (!typed && store.Rules() != nullptr) {
        const auto line = static_cast<int32_t>(std::count(bytes.begin(), bytes.begin() + lineStart, '\n'));
        typed = RuleTyped(*store.Rules(), bytes, lines, line, before.size());
    }
    if (!typed) return std::nullopt;
    const std::string prefix = AsciiLowered(typed->Prefix);
    std::size_t begin = offset;
    for (std::size_t left = prefix.size(); left > 0 && begin > lineStart; --begin) {
        if (bytes[begin - 1] != kCarriageReturn) --left;
    }
    TCompletion completion{map.RangeOf(begin, offset), {}};
    ForEachDeclaredName(store, typed->Rule, [&](const std::string& key, std::string_view written) {
        if (key.compare(0, prefix.size(), prefix) == 0) completion.Names.emplace_back(written);
    });
    std::sort(completion.Names.begin(), completion.Names.end(),
              [](const std::string& x, const std::string& y) { return AsciiLowered(x) < AsciiLowered(y); });
    completion.Names.erase(std::unique(completion.Names.begin(), completion.Names.end()), completion.Names.end());
    return completion;
}

std::optional<THover> HoverAt(const TIndexStore& store, int32_t file, TPosition position) {
    const TOccurrence* item = OccurrenceAt(store, file, position);
    if (item == nullptr || item->Entry->Places.Declarations.empty()) return std::nullopt;
    const TItemRef ref = item->Entry->Places.Declarations.front();
    const TOccurrence& declaration = DeclarationAt(store, ref);
    const std::string bytes = store.BytesOf(ref.File);
    const TReaderLines lines(bytes);
    // The block runs from its header to its End line, or a screenful of it.
    constexpr int32_t kMostLines = 40;
    std::string block;
    for (int32_t line = declaration.ReaderLine; line < lines.Count() && line < declaration.ReaderLine + kMostLines;
         ++line) {
        const std::size_t begin = lines.LineStart(line);
        if (begin == bytes.size()) break;
        const std::size_t end = line + 1 < lines.Count() ? lines.LineStart(line + 1) - 1 : bytes.size();
        const std::string text = WithoutCr({bytes.data() + begin, end - begin});
        block += text + "\n";
        if (line > declaration.ReaderLine && EqualsIgnoringAsciiCase(TrimBlanks(text), kEndKeyword)) break;
    }
    return THover{ToUtf8(block, store.Files[ref.File].Encoding), ref.File, declaration.Range};
}

std::vector<std::string> ClosestNames(const TIndexStore& store, int32_t rule, const std::string& key,
                                      std::size_t count) {
    // Farther than a third of the name is another name, not a slip.
    const std::size_t limit = std::max<std::size_t>(1, key.size() / 3);
    std::vector<std::pair<std::size_t, std::string>> near;
    ForEachDeclaredName(store, rule, [&](const std::string& candidate, std::string_view written) {
        // The lengths alone bound the distance from below.
        if (std::max(key.size(), candidate.size()) - std::min(key.size(), candidate.size()) > limit) return;
        const std::size_t distance = EditDistance(key, candidate);
        if (distance <= limit) near.emplace_back(distance, std::string(written));
    });
    std::sort(near.begin(), near.end());
    std::vector<std::string> names;
    for (const auto& [distance, written] : near) {
        if (names.size() == count) break;
        if (std::find(names.begin(), names.end(), written) == names.end()) names.push_back(written);
    }
    return names;
}

std::vector<TSymbol> DocumentSymbols(const TIndexStore& store, int32_t file) {
    std::vector<TSymbol> symbols;
    for (const TOccurrence& item : store.Files[file].Declarations) {
        symbols.push_back({std::string(item.Written), {file, item.Range}, item.Rule()});
    }
    return symbols;
}

std::vector<TSymbol> WorkspaceSymbols(const TIndexStore& store, const std::string& query) {
    const std::string wanted = AsciiLowered(query);
    std::vector<TSymbol> symbols;
    store.Names.ForEach([&](const TNameEntry& name) {
        if (name.Key.find(wanted) == std::string::npos) return;
        for (const TItemRef& ref : name.Places.Declarations) {
            const TOccurrence& declaration = DeclarationAt(store, ref);
            symbols.push_back({std::string(declaration.Written), {ref.File, declaration.Range}, name.Rule});
        }
    });
    std::sort(symbols.begin(), symbols.end(), [](const TSymbol& a, const TSymbol& b) {
        return a.Place.File != b.Place.File ? a.Place.File < b.Place.File : a.Place.Range.Start < b.Place.Range.Start;
    });
    return symbols;
}
