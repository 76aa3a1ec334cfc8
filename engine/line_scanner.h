// Reads definition files line by line and records image references
// (`SelectPortrait = name`, `ButtonImage = name`) and declarations
// (`MappedImage name`). Every line is judged on its own; names are lowered.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rules.h"
#include "scan_state.h"
#include "text_reader.h"

class TLineScanner {
public:
    explicit TLineScanner(TScanState& state) : TLineScanner(state, Owned_) {}
    // Reads through `buffer` (kReadChunk bytes), which outlives many scanners.
    TLineScanner(TScanState& state, std::vector<char>& buffer);

    // Records what one line, as read, references or declares.
    void ScanLine(std::string_view line, uint32_t fileIndex, int32_t lineIndex);
    // Records every line of one file's bytes.
    void ScanText(TByteSource& source, uint32_t fileIndex);
    // Opens and scans one file, as ScanFiles does each of its files.
    void ScanFile(const std::string& path, uint32_t fileIndex);

private:
    // Scans whole lines from the start of `bytes` as far as that can be done
    // without the reader; returns the bytes taken and advances `lineIndex`.
    // With the file rules, the lines whose heads may matter to them are read too.
    template <bool WithRules>
    std::size_t ScanWholeLines(std::string_view bytes, uint32_t fileIndex, int32_t& lineIndex);

    TScanState& State_;
    std::vector<char> Owned_;
    std::vector<char>& Buffer_;
    // The state's file rules, when it has any.
    std::optional<TRuleReader> Rules_;
};

// Scans the files FileList holds when the call starts. A file that cannot be
// opened is skipped; a read error after opening raises EInOutError, unless the
// state keeps what it skipped: the file then counts as read up to the failure.
void ScanFiles(TScanState& state);
