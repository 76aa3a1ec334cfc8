// Compares the used names with the declared ones and turns every undeclared
// reference into one report line, plus the summary for the status bar.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scan_state.h"
#include "ui_text.h"

struct TReportItem {
    std::string Text;
    int32_t RefIndex;  // index into RefTable and UsedNames
};

struct TReport {
    std::vector<TReportItem> Items;
    TTextId SummaryId = utNoUsed;  // utNoUsed, utNoDefined, utAllFine or utDonePrefix
    std::string Summary;
    // Only when the state keeps declaration places: for each declaration the
    // index of the first one with its name, and, by that first index, whether
    // some reference names it.
    std::vector<int32_t> FirstDeclaration;
    std::vector<bool> DeclarationUsed;
};

// `rootText` is the root exactly as typed: its byte length is cut from each
// stored path to give the path shown in the line. Up to `jobs` threads look
// the references up, each a run of them; the report is the same for any number.
TReport CrossCheck(const std::string& rootText, const TScanState& state, unsigned jobs = 1);

// The summary text for `summaryId`; utDonePrefix takes the count of missing
// references between its two texts.
std::string SummaryText(TTextId summaryId, std::size_t missing);
