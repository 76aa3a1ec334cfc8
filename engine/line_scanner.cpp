#include "line_scanner.h"

#include <algorithm>

#include "fs.h"

namespace {

// Tried in this order; each is compared over its whole length.
constexpr std::string_view kImageKeys[] = {"selectportrait", "buttonimage"};
constexpr std::string_view kDeclarationKey = "mappedimage";

bool IsControl(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

std::size_t LeadingControls(std::string_view s) {
    std::size_t n = 0;
    while (n < s.size() && IsControl(s[n])) ++n;
    return n;
}

std::string_view TrimControls(std::string_view s) {
    s.remove_prefix(LeadingControls(s));
    while (!s.empty() && IsControl(s.back())) s.remove_suffix(1);
    return s;
}

// Whether `line` starts with the lower-case `key`, ASCII case aside.
bool StartsWithKey(std::string_view line, std::string_view key) {
    return line.size() >= key.size() &&
           std::equal(key.begin(), key.end(), line.begin(), [](char k, char c) { return k == AsciiLower(c); });
}

std::string_view CutComments(std::string_view line) {
    line = line.substr(0, line.find(';'));
    return line.substr(0, line.find("//"));
}

}  // namespace

std::string_view TLineScanner::Lowered(std::string_view text) {
    Lowered_.resize(text.size());
    std::transform(text.begin(), text.end(), Lowered_.begin(), AsciiLower);
    return Lowered_;
}

void TLineScanner::ScanLine(std::string_view line, uint32_t fileIndex, int32_t lineIndex) {
    const std::size_t indent = LeadingControls(line);
    const std::string_view text = CutComments(line.substr(indent));
    if (text.empty()) return;

    const std::size_t eq = text.find('=');
    if (eq != std::string_view::npos) {
        for (const std::string_view key : kImageKeys) {
            if (!StartsWithKey(text, key)) continue;
            const std::string_view afterEq = text.substr(eq + 1);
            const std::string_view value = TrimControls(afterEq);
            if (value.empty()) return;
            const std::size_t column = indent + eq + 1 + LeadingControls(afterEq) + 1;
            State_.UsedNames.Add(Lowered(value));
            State_.RefTable.AddRef(fileIndex, lineIndex, static_cast<uint32_t>(column),
                                   static_cast<uint32_t>(value.size()));
            return;
        }
        return;
    }
    if (StartsWithKey(text, kDeclarationKey)) {
        const std::size_t blank = text.find(' ');
        const std::string_view name = TrimControls(blank == std::string_view::npos ? text : text.substr(blank + 1));
        if (!name.empty()) State_.DefinedNames.Add(Lowered(name));
    }
}

void TLineScanner::ScanText(TByteSource& source, uint32_t fileIndex) {
    TTextReader reader(source);
    for (int32_t lineIndex = 0; !reader.Eof(); ++lineIndex) {
        ScanLine(reader.ReadLine(), fileIndex, lineIndex);
    }
}

void ScanFiles(TScanState& state) {
    TLineScanner scanner(state);
    const int32_t count = state.FileList.Count();
    for (int32_t f = 0; f < count; ++f) {
        TInputFile file;
        if (!file.Open(std::string(state.FileList[f]))) continue;
        scanner.ScanText(file, static_cast<uint32_t>(f));
        file.Close();
    }
}
