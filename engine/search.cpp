#include "search.h"

#include "fs.h"
#include "line_scanner.h"
#include "parallel_scan.h"
#include "walker.h"

std::optional<TTextId> RefusalOf(const std::string& root) {
    if (root.empty()) return utPathEmpty;
    if (!IsExistingDirectory(root)) return utPathMissing;
    return std::nullopt;
}

TReport RunSearchPhases(const std::string& root, TScanState& state, const std::function<void(TTextId)>& onPhase,
                        unsigned jobs) {
    const auto phase = [&](TTextId id) {
        if (onPhase) onPhase(id);
    };
    state.Reset();
    phase(utSearchingFiles);
    WalkTree(root, "*.ini", state.FileList, state.KeepSkipped ? &state.Skipped : nullptr);
    phase(utSearchingImages);
    if (jobs > 1) {
        ScanFilesInParallel(state, jobs);
    } else {
        ScanFiles(state);
    }
    phase(utComparing);
    return CrossCheck(root, state, jobs);
}
