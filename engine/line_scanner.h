// Reads definition files line by line and records image references
// (`SelectPortrait = name`, `ButtonImage = name`) and declarations
// (`MappedImage name`). Every line is judged on its own; names are lowered.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "scan_state.h"
#include "text_reader.h"

class TLineScanner {
public:
    explicit TLineScanner(TScanState& state) : State_(state) {}

    // Records what one line, as read, references or declares.
    void ScanLine(std::string_view line, uint32_t fileIndex, int32_t lineIndex);
    // Records every line of one file's bytes.
    void ScanText(TByteSource& source, uint32_t fileIndex);

private:
    std::string_view Lowered(std::string_view text);

    TScanState& State_;
    std::string Lowered_;
};

// Scans the files FileList holds when the call starts; a file that cannot be
// opened is skipped, a read error after opening raises EInOutError.
void ScanFiles(TScanState& state);
