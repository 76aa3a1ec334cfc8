// What one run found, as indices into the scan state that the search filled.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cross_check.h"
#include "scan_state.h"

struct TFindings {
    TFindings(const TScanState& state, std::string root) : State(state), Root(std::move(root)) {}

    const TScanState& State;
    std::string Root;              // as typed
    std::vector<int32_t> Missing;  // reference indices, in reference order
    TTextId SummaryId = utNoUsed;
    std::string Summary;

    // The path as the report line shows it: the stored path without the root's bytes.
    std::string_view Relative(uint32_t fileIndex) const;
};

// The findings of the window's report.
TFindings FindingsOf(const std::string& root, const TScanState& state, const TReport& report);
