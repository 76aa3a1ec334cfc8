#include "read_problems.h"

#include <algorithm>

TTextId EncodingText(TOddEncoding encoding) {
    return encoding == TOddEncoding::Utf16 ? utUtf16Text : utUtf8BomHidesKey;
}

void TReadProblems::TakeFrom(const TScanState& state) {
    Skipped.insert(Skipped.end(), state.Skipped.begin(), state.Skipped.end());
    for (const TEncodingNote& note : state.OddEncodings) {
        Warnings.push_back({std::string(state.FileList[static_cast<int32_t>(note.FileIndex)]), note.Encoding});
    }
}

bool TReadProblems::Failed() const {
    return std::any_of(Skipped.begin(), Skipped.end(),
                       [](const TSkippedEntry& entry) { return !entry.Reason.empty(); });
}
