#include "cross_check.h"

#include <algorithm>
#include <optional>

TReport CrossCheck(const std::string& rootText, const TScanState& state) {
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
        declared->FindEach(state.UsedNames, [&](int32_t k, int32_t first) {
            if (first != -1) {
                if (places) report.DeclarationUsed[static_cast<std::size_t>(first)] = true;
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
            report.Items.push_back({std::move(text), k});
        });
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
