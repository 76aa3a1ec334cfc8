// What a program could not read, or not read as it was written: the entries
// that were skipped and the files in an encoding the reader does not know.
#pragma once

#include <string>
#include <vector>

#include "scan_state.h"
#include "ui_text.h"

struct TEncodingWarning {
    std::string Path;
    TOddEncoding Encoding;
};

// The warning's words for a file in `encoding`.
TTextId EncodingText(TOddEncoding encoding);

struct TReadProblems {
    TSkippedList Skipped;
    std::vector<TEncodingWarning> Warnings;

    // Appends what a search left in `state`.
    void TakeFrom(const TScanState& state);
    // Whether something was skipped for a fault, not by design, which makes the exit status 2.
    bool Failed() const;
};
