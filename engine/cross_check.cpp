#include "cross_check.h"

#include <algorithm>
#include <optional>

#include "threads.h"

namespace {

// Fewer references a thread are looked up sooner than a thread starts.
constexpr int32_t kReferencesPerJob = 1 << 13;

// What one thread finds in its run of references.
struct TRun {
    std::vector<TReportItem> Items;
    std::vector<char> Used;  // by first declaration, when the state keeps places
};

}  // namespace

TReport CrossCheck(const std::string& rootText, const TScanState& state, unsigned jobs) {
    TReport report;
    const int32_t count = state.UsedNames.Count();
    const bool places = state.KeepDefinedPlaces && state.DefinedNames.Count() > 0;
    std::optional<TNameIndex> declared;
    if (places) {
        declared.emplace(state.DefinedNames, &report.FirstDeclaration);
        report.DeclarationUsed.assign(static_cast<std::size_t>(state.DefinedNames.Count()), false);
    }
    if (count == 0) {
        report.SummaryId = utNoUsed;
    } else if (state.DefinedNames.Count() == 0) {
        report.SummaryId = utNoDefined;
    } else {
        if (!declared) declared.emplace(state.DefinedNames);
        const auto runCount =
            std::clamp<int32_t>(count / kReferencesPerJob, 1, static_cast<int32_t>(std::max(1u, jobs)));
        std::vector<TRun> runs(static_cast<std::size_t>(runCount));
        const auto look = [&](int32_t r) {
            TRun& run = runs[static_cast<std::size_t>(r)];
            if (places) run.Used.assign(static_cast<std::size_t>(state.DefinedNames.Count()), 0);
            const auto from = static_cast<int32_t>(int64_t{count} * r / runCount);
            const auto to = static_cast<int32_t>(int64_t{count} * (r + 1) / runCount);
            declared->FindEach(
                state.UsedNames,
                [&](int32_t k, int32_t first) {
                    if (first != -1) {
                        if (places) run.Used[static_cast<std::size_t>(first)] = 1;
                        return;
                    }
                    const TRefRec& ref = state.RefTable[k];
                    const std::string_view path = state.FileList[static_cast<int32_t>(ref.FileIndex)];
                    std::string text = UiText[utMissingPrefix];
                    text += state.UsedNames[k];
                    text += UiText[utInFile];
                    text += path.substr(std::min(rootText.size(), path.size()));
                    text += UiText[utAtLine];
                    text += std::to_string(static_cast<int64_t>(ref.LineIndex) + 1);
                    run.Items.push_back({std::move(text), k});
                },
                from, to);
        };
        // A run that fails (out of memory, say) fails the check once all are done.
        ForEachIndex(runs.size(), static_cast<unsigned>(runCount),
                     [&](std::size_t r, unsigned) { look(static_cast<int32_t>(r)); });
        for (TRun& run : runs) {
            for (TReportItem& item : run.Items) report.Items.push_back(std::move(item));
            for (std::size_t i = 0; i < run.Used.size(); ++i) {
                if (run.Used[i] != 0) report.DeclarationUsed[i] = true;
            }
        }
        report.SummaryId = report.Items.empty() ? utAllFine : utDonePrefix;
    }
    report.Summary = SummaryText(report.SummaryId, report.Items.size());
    return report;
}

std::string SummaryText(TTextId summaryId, std::size_t missing) {
    std::string summary = UiText[summaryId];
    if (summaryId == utDonePrefix) summary += std::to_string(missing) + UiText[utDoneSuffix];
    return summary;
}
