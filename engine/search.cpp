#include "search.h"

#include "fs.h"
#include "line_scanner.h"
#include "parallel_scan.h"
#include "syntax.h"
#include "walker.h"

std::optional<TTextId> RefusalOf(const std::string& root) {
    if (root.empty()) return utPathEmpty;
    if (!IsExistingDirectory(root)) return utPathMissing;
    return std::nullopt;
}

void WalkAndScan(const std::string& root, TScanState& state, unsigned jobs,
                 const std::function<void(TTextId)>& onPhase) {
    const auto phase = [&](TTextId id) {
        if (onPhase) onPhase(id);
    };
    state.Reset();
    phase(utSearchingFiles);
    if (jobs > 1) {
        // The files are scanned while the walk lists them: both phases are told at once.
        phase(utSearchingImages);
        WalkAndScanInParallel(root, std::string(kDefinitionMask), state, jobs);
    } else {
        WalkTree(root, std::string(kDefinitionMask), state.FileList, state.KeepSkipped ? &state.Skipped : nullptr, {},
                 state.PassOver);
        phase(utSearchingImages);
        ScanFiles(state);
    }
}

TReport RunSearchPhases(const std::string& root, TScanState& state, const std::function<void(TTextId)>& onPhase,
                        unsigned jobs) {
    WalkAndScan(root, state, jobs, onPhase);
    if (onPhase) onPhase(utComparing);
    return CrossCheck(root, state, jobs);
}
