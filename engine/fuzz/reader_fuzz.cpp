// Feeds arbitrary bytes to the text reader and the line scanner as one file
// and checks what they record against the bytes themselves.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "line_scanner.h"
#include "syntax.h"
#include "text_reader.h"

namespace {

void Require(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "reader_fuzz: %s\n", what);
    std::abort();
}

std::vector<std::string> ReadLines(std::string_view bytes, std::size_t chunk) {
    TMemorySource source(bytes);
    TTextReader reader(source, chunk);
    std::vector<std::string> lines;
    while (!reader.Eof()) lines.emplace_back(reader.ReadLine());
    return lines;
}

// The line rules, one byte at a time: LF ends a line, CR is dropped, Ctrl+Z
// ends the file at a line start or at a 128-byte block start, else ends the
// line and the rest of it is skipped (a further Ctrl+Z there ends the file).
std::vector<std::string> ModelLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::string line;
    bool begun = false, skipping = false;
    for (std::size_t pos = 0; pos < bytes.size(); ++pos) {
        const char c = bytes[pos];
        if (c == kCtrlZ && !begun) return lines;
        if (c == kCtrlZ && (skipping || pos % kCtrlZBlock == 0)) break;
        if (c == kLineFeed) {
            lines.push_back(std::exchange(line, {}));
            begun = skipping = false;
            continue;
        }
        begun = true;
        skipping = skipping || c == kCtrlZ;
        if (c != kCarriageReturn && !skipping) line += c;
    }
    if (begun) lines.push_back(line);
    return lines;
}

// What a scan recorded: each reference with its name, then each declared name.
auto Records(const TScanState& state) {
    std::vector<std::tuple<uint32_t, int32_t, uint32_t, uint32_t, std::string>> records;
    for (int32_t k = 0; k < state.RefTable.Count(); ++k) {
        const TRefRec& r = state.RefTable[k];
        records.emplace_back(r.FileIndex, r.LineIndex, r.Column, r.Length, state.UsedNames[k]);
    }
    for (int32_t k = 0; k < state.DefinedNames.Count(); ++k) records.emplace_back(0, -1, 0, 0, state.DefinedNames[k]);
    return records;
}

TScanState ScanBytes(std::string_view bytes, uint32_t fileIndex) {
    TScanState state;
    TMemorySource source(bytes);
    TLineScanner(state).ScanText(source, fileIndex);
    return state;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::vector<std::string> lines = ReadLines(bytes, kReadChunk);
    Require(lines == ModelLines(bytes), "the reader's lines differ from the line rules");
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{3}, std::size_t{128}, 1 + size % 251}) {
        Require(ReadLines(bytes, chunk) == lines, "another chunk size gives other lines");
    }

    const uint32_t fileIndex = static_cast<uint32_t>(size % 70000);
    const TScanState state = ScanBytes(bytes, fileIndex);
    Require(state.UsedNames.Count() == state.RefTable.Count(), "UsedNames and RefTable out of step");
    for (int32_t k = 0; k < state.RefTable.Count(); ++k) {
        const TRefRec& ref = state.RefTable[k];
        const std::string_view name = state.UsedNames[k];
        Require(ref.FileIndex == fileIndex, "wrong file index");
        Require(ref.LineIndex >= 0 && static_cast<std::size_t>(ref.LineIndex) < lines.size(),
                "line index out of range");
        Require(k == 0 || ref.LineIndex > state.RefTable[k - 1].LineIndex, "more than one reference in a line");
        const std::string& line = lines[static_cast<std::size_t>(ref.LineIndex)];
        Require(ref.Column >= 1 && ref.Length >= 1 && ref.Column - 1 + std::size_t{ref.Length} <= line.size(),
                "column and length outside the line");
        Require(AsciiLowered(line.substr(ref.Column - 1, ref.Length)) == name,
                "column and length do not cover the name");
        Require(!IsBlank(name.front()) && !IsBlank(name.back()), "name keeps blanks at an end");
        Require(name.find(';') == std::string_view::npos && name.find("//") == std::string_view::npos,
                "name keeps a comment");
        Require(line.find('=') < ref.Column - 1, "name does not follow an equals sign");
    }
    for (int32_t k = 0; k < state.DefinedNames.Count(); ++k) {
        const std::string_view name = state.DefinedNames[k];
        Require(!name.empty() && !IsBlank(name.front()) && !IsBlank(name.back()), "declared name not trimmed");
        Require(AsciiLowered(name) == name, "declared name not lowered");
    }

    // Line by line gives the same records, and so does a second reading.
    TScanState byLine;
    TLineScanner scanner(byLine);
    for (std::size_t i = 0; i < lines.size(); ++i) scanner.ScanLine(lines[i], fileIndex, static_cast<int32_t>(i));
    Require(Records(state) == Records(byLine), "scanning line by line records something else");
    Require(Records(state) == Records(ScanBytes(bytes, fileIndex)), "a second scan records something else");
    return 0;
}
