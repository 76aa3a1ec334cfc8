// What one run found, as indices into the scan state that the search filled.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cross_check.h"
#include "read_problems.h"
#include "scan_state.h"

struct TFindingKinds {
    bool Unused = false;
    bool Duplicates = false;
};

struct TFindings {
    TFindings(const TScanState& state, std::string root) : State(state), Root(std::move(root)) {}

    const TScanState& State;
    std::string Root;  // as typed
    TFindingKinds Kinds;
    std::vector<int32_t> Missing;  // reference indices, in reference order
    // First declarations of the names that no checked reference uses.
    std::vector<int32_t> Unused;
    // Every declaration of each name declared more than once, by first declaration.
    std::vector<std::vector<int32_t>> Duplicates;
    int32_t ExternalNames = -1;  // names declared elsewhere; -1 when none were asked for
    bool BaselineUsed = false;
    int32_t Baselined = 0;           // findings the baseline held back
    std::vector<std::string> Stale;  // baseline entries that matched nothing
    TTextId SummaryId = utNoUsed;
    std::string Summary;
    TReadProblems Problems;

    // The path as the report line shows it: the stored path without the
    // root's bytes, starting with a separator whether the root ends in one or not.
    std::string_view Relative(uint32_t fileIndex) const;
    const TRefRec& Declaration(int32_t index) const { return State.DefinedPlaces[index]; }
    // Sets the summary from what is left to report, the way the cross-check chooses it.
    void Summarize();
    // Whether anything asked for remains, which makes the exit status 1.
    bool Any() const;
};

// The window's report, less the uses that `external` declares, plus the kinds
// asked for. `external` may be null. Unused and duplicate names need the
// declaration places (TScanState::KeepDefinedPlaces).
TFindings FindingsOf(const std::string& root, const TScanState& state, const TReport& report, const TNameList* external,
                     TFindingKinds kinds);
