#include "baseline.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "fs.h"
#include "project_file.h"
#include "text_file.h"

namespace {

constexpr char kHeader[] = "# tessaron-check baseline: kind, path below the root, name\n";
// The image kinds keep the words of the baselines written before file rules
// existed; a file rule's entries name the finding kind ("undeclared-weapon").
constexpr std::string_view kImageWords[] = {"missing", "unused", "duplicate"};

// Tabs, line ends and backslashes inside a field are escaped so that a line
// splits back into the same three fields.
constexpr std::string_view kEscaped = "\\\t\n\r";
constexpr std::string_view kEscapes = "\\tnr";

void AppendField(std::string& out, std::string_view field) {
    for (const char c : field) {
        const std::size_t special = kEscaped.find(c);
        if (special == std::string_view::npos) {
            out += c;
        } else {
            out += '\\';
            out += kEscapes[special];
        }
    }
}

// A field as AppendField writes it: not empty, every backslash escaping.
bool IsField(std::string_view field) {
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && (++i == field.size() || kEscapes.find(field[i]) == std::string_view::npos)) {
            return false;
        }
    }
    return !field.empty();
}

// The finding kind an entry's first field names, and whether it is an image's.
struct TEntryKind {
    TFindingKind Finding;
    bool Image;
};

std::optional<TEntryKind> KindOf(std::string_view word) {
    for (const TFindingKind finding : kFindingKinds) {
        if (word == kImageWords[finding]) return TEntryKind{finding, true};
        const std::string_view prefix = kFindingWords[finding];
        if (word.size() > prefix.size() && word.substr(0, prefix.size()) == prefix &&
            word[prefix.size()] == kFindingIdSeparator && IsRuleId(word.substr(prefix.size() + 1))) {
            return TEntryKind{finding, false};
        }
    }
    return std::nullopt;
}

bool IsEntry(std::string_view line) {
    const std::size_t first = line.find('\t');
    const std::size_t second = first == std::string_view::npos ? first : line.find('\t', first + 1);
    if (second == std::string_view::npos || line.find('\t', second + 1) != std::string_view::npos) return false;
    return KindOf(line.substr(0, first)).has_value() && IsField(line.substr(first + 1, second - first - 1)) &&
           IsField(line.substr(second + 1));
}

std::string Entry(std::string_view kind, std::string_view relative, std::string_view name) {
    std::string path(relative);
    // Entries name folders with '/' everywhere; on POSIX a backslash is a byte of a name.
    std::replace(path.begin(), path.end(), kPathSeparator, '/');
    const std::size_t start = path.find_first_not_of('/');
    std::string entry(kind);
    entry += '\t';
    AppendField(entry, start == std::string::npos ? std::string_view() : std::string_view(path).substr(start));
    entry += '\t';
    AppendField(entry, name);
    return entry;
}

std::string KindWord(const TKindReport& kind, TFindingKind finding) {
    return kind.IsImage() ? std::string(kImageWords[finding]) : kind.FindingId(finding);
}

std::string UseEntry(const TRunReport& f, const TKindReport& kind, int32_t k) {
    return Entry(KindWord(kind, fkUndeclared), f.Relative(kind.Use(k).FileIndex), kind.UsedName(k));
}

std::string DeclarationEntry(const TRunReport& f, const TKindReport& kind, TFindingKind finding, int32_t i) {
    return Entry(KindWord(kind, finding), f.Relative(kind.Declaration(i).FileIndex), kind.DefinedName(i));
}

// Keeps the items whose entry the baseline does not hold back.
template <typename TItem, typename TEntryOf>
void Filter(std::vector<TItem>& items, std::unordered_map<std::string, int>& left, TRunReport& f, TEntryOf entryOf) {
    const auto held = [&](const TItem& item) {
        const auto it = left.find(entryOf(item));
        if (it == left.end() || it->second == 0) return false;
        --it->second;
        ++f.Baselined;
        return true;
    };
    items.erase(std::remove_if(items.begin(), items.end(), held), items.end());
}

// Whether the run judges entries of this kind: one of a kind not asked for, or
// of images when they are not reported, is neither used nor stale.
bool KindAsked(std::string_view entry, const TRunReport& f) {
    const TEntryKind kind = *KindOf(entry.substr(0, entry.find('\t')));
    if (kind.Image && !f.ImagesReported) return false;
    return kind.Finding == fkUndeclared || (kind.Finding == fkUnused && f.Kinds.Unused) ||
           (kind.Finding == fkDuplicate && f.Kinds.Duplicates);
}

}  // namespace

std::vector<std::string> BaselineEntries(const TRunReport& report) {
    std::vector<std::string> entries;
    report.ForEachKind([&](const TKindReport& kind) {
        for (const int32_t k : kind.Found.Undeclared) entries.push_back(UseEntry(report, kind, k));
        for (const int32_t i : kind.Found.Unused) entries.push_back(DeclarationEntry(report, kind, fkUnused, i));
        for (const auto& places : kind.Found.Duplicates) {
            entries.push_back(DeclarationEntry(report, kind, fkDuplicate, places.front()));
        }
    });
    std::sort(entries.begin(), entries.end());
    return entries;
}

TMaybeComplaint ReadBaseline(const std::string& path, std::vector<std::string>& entries) {
    std::string bytes;
    if (auto complaint = ReadTextFile(path, bytes)) return complaint;
    return ParseBaseline(bytes, path, entries);
}

TMaybeComplaint ParseBaseline(std::string_view bytes, const std::string& path, std::vector<std::string>& entries) {
    const std::vector<std::string_view> lines = TextLines(bytes);
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const std::string_view line = lines[n];
        if (line.empty() || line[0] == '#') continue;
        if (!IsEntry(line)) return TComplaint{utBadBaselineLine, path + ":" + std::to_string(n + 1)};
        entries.emplace_back(line);
    }
    return {};
}

TMaybeComplaint WriteBaseline(const std::string& path, const std::vector<std::string>& entries) {
    std::string text = kHeader;
    for (const std::string& entry : entries) text += entry + '\n';
    if (const int error = ReplaceFileWith(path, text)) return TComplaint{utCannotWrite, path, ErrorText(error)};
    return {};
}

void ApplyBaseline(const std::vector<std::string>& entries, TRunReport& report) {
    report.BaselineUsed = true;
    std::unordered_map<std::string, int> left;
    for (const std::string& entry : entries) ++left[entry];
    report.ForEachKind([&](TKindReport& kind) {
        TKindFindings& found = kind.Found;
        Filter(found.Undeclared, left, report, [&](int32_t k) { return UseEntry(report, kind, k); });
        Filter(found.Unused, left, report, [&](int32_t i) { return DeclarationEntry(report, kind, fkUnused, i); });
        Filter(found.Duplicates, left, report, [&](const std::vector<int32_t>& places) {
            return DeclarationEntry(report, kind, fkDuplicate, places.front());
        });
    });
    for (const std::string& entry : entries) {
        const auto it = left.find(entry);
        if (it->second == 0 || !KindAsked(entry, report)) continue;
        --it->second;
        report.Stale.push_back(entry);
    }
    std::sort(report.Stale.begin(), report.Stale.end());
}
