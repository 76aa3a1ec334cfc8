#include "baseline.h"

#include <algorithm>
#include <unordered_map>

#include "fs.h"
#include "text_file.h"

namespace {

constexpr char kHeader[] = "# tessaron-check baseline: kind, path below the root, name\n";
constexpr std::string_view kMissing = "missing";
constexpr std::string_view kUnused = "unused";
constexpr std::string_view kDuplicate = "duplicate";

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

bool IsEntry(std::string_view line) {
    const std::size_t first = line.find('\t');
    const std::size_t second = first == std::string_view::npos ? first : line.find('\t', first + 1);
    if (second == std::string_view::npos || line.find('\t', second + 1) != std::string_view::npos) return false;
    const std::string_view kind = line.substr(0, first);
    return (kind == kMissing || kind == kUnused || kind == kDuplicate) &&
           IsField(line.substr(first + 1, second - first - 1)) && IsField(line.substr(second + 1));
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

std::string MissingEntry(const TFindings& f, int32_t k) {
    return Entry(kMissing, f.Relative(f.State.RefTable[k].FileIndex), f.State.UsedNames[k]);
}

std::string DeclarationEntry(const TFindings& f, std::string_view kind, int32_t i) {
    return Entry(kind, f.Relative(f.Declaration(i).FileIndex), f.State.DefinedNames[i]);
}

// Keeps the items whose entry the baseline does not hold back.
template <typename TItem, typename TEntryOf>
void Filter(std::vector<TItem>& items, std::unordered_map<std::string, int>& left, TFindings& f, TEntryOf entryOf) {
    const auto held = [&](const TItem& item) {
        const auto it = left.find(entryOf(item));
        if (it == left.end() || it->second == 0) return false;
        --it->second;
        ++f.Baselined;
        return true;
    };
    items.erase(std::remove_if(items.begin(), items.end(), held), items.end());
}

bool KindAsked(std::string_view entry, const TFindingKinds& kinds) {
    const std::string_view kind = entry.substr(0, entry.find('\t'));
    return kind == kMissing || (kind == kUnused && kinds.Unused) || (kind == kDuplicate && kinds.Duplicates);
}

}  // namespace

std::vector<std::string> BaselineEntries(const TFindings& f) {
    std::vector<std::string> entries;
    entries.reserve(f.Missing.size() + f.Unused.size() + f.Duplicates.size());
    for (const int32_t k : f.Missing) entries.push_back(MissingEntry(f, k));
    for (const int32_t i : f.Unused) entries.push_back(DeclarationEntry(f, kUnused, i));
    for (const auto& places : f.Duplicates) entries.push_back(DeclarationEntry(f, kDuplicate, places.front()));
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

void ApplyBaseline(const std::vector<std::string>& entries, TFindings& f) {
    f.BaselineUsed = true;
    std::unordered_map<std::string, int> left;
    for (const std::string& entry : entries) ++left[entry];
    Filter(f.Missing, left, f, [&](int32_t k) { return MissingEntry(f, k); });
    Filter(f.Unused, left, f, [&](int32_t i) { return DeclarationEntry(f, kUnused, i); });
    Filter(f.Duplicates, left, f,
           [&](const std::vector<int32_t>& places) { return DeclarationEntry(f, kDuplicate, places.front()); });
    for (const std::string& entry : entries) {
        const auto it = left.find(entry);
        if (it->second == 0 || !KindAsked(entry, f.Kinds)) continue;
        --it->second;
        f.Stale.push_back(entry);
    }
    std::sort(f.Stale.begin(), f.Stale.end());
}
