// One whole search, as the window and the console run it: check the root,
// reset the state, walk, scan, cross-check.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "cross_check.h"
#include "scan_state.h"
#include "ui_text.h"

// The text of the refusal for a root that cannot be searched: utPathEmpty or
// utPathMissing; nothing for an existing directory.
std::optional<TTextId> RefusalOf(const std::string& root);

// The walk and the scan of a search, without the cross-check, for a caller
// that decides the findings itself. `onPhase` is told utSearchingFiles and
// utSearchingImages before each; more than one of `jobs` scan in parallel,
// to the same records.
void WalkAndScan(const std::string& root, TScanState& state, unsigned jobs = 1,
                 const std::function<void(TTextId)>& onPhase = {});

// Runs the walk, the scan and the cross-check on an accepted root. `onPhase`
// is told utSearchingFiles, utSearchingImages and utComparing before each.
// More than one of `jobs` scan and cross-check in parallel, to the same result.
TReport RunSearchPhases(const std::string& root, TScanState& state, const std::function<void(TTextId)>& onPhase = {},
                        unsigned jobs = 1);
