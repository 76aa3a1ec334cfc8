#include "report.h"

#include <algorithm>

#include "cross_check.h"
#include "fs.h"
#include "rules.h"

namespace {

TKindReport KindOf(std::string id, std::string title, const TNameList& used, const TRefTable& uses,
                   const TNameList& defined, const TRefTable& declarations) {
    TKindReport kind;
    kind.Id = std::move(id);
    kind.Title = std::move(title);
    kind.UsedNames = &used;
    kind.Uses = &uses;
    kind.DefinedNames = &defined;
    kind.Declarations = &declarations;
    return kind;
}

}  // namespace

std::string TKindReport::FindingId(TFindingKind finding) const {
    return std::string(kFindingWords[finding]) + kFindingIdSeparator + Id;
}

std::string_view TRunReport::Relative(uint32_t fileIndex) const {
    const std::string_view path = State.FileList[static_cast<int32_t>(fileIndex)];
    // The walk adds a separator after a root that ends in none; the one a
    // root ends in stays in the relative path, so that both read alike.
    const bool separated = !Root.empty() && Root.back() == kPathSeparator;
    return path.substr(std::min(Root.size() - (separated ? 1 : 0), path.size()));
}

void TRunReport::Summarize() {
    if (State.UsedNames.Count() == 0) {
        SummaryId = utNoUsed;
    } else if (State.DefinedNames.Count() == 0 && ExternalNames <= 0) {
        SummaryId = utNoDefined;
    } else {
        SummaryId = Images.Found.Undeclared.empty() ? utAllFine : utDonePrefix;
    }
    Summary = SummaryText(SummaryId, Images.Found.Undeclared.size());
}

bool TRunReport::Any() const {
    bool any = ImagesReported && SummaryId == utNoDefined;
    ForEachKind([&](const TKindReport& kind) { any = any || kind.Any(); });
    return any;
}

TRunReport ReportOf(const std::string& root, const TScanState& state, const TExternalNames& external,
                    TFindingKinds kinds, bool images, unsigned jobs) {
    TRunReport report(state, root);
    report.Kinds = kinds;
    report.ImagesReported = images;
    report.Images = KindOf(std::string(kImageRuleId), std::string(kImageRuleId), state.UsedNames, state.RefTable,
                           state.DefinedNames, state.DefinedPlaces);
    if (external.Asked) report.ExternalNames = external.Images.Count();
    if (images) {
        report.Images.Found = FindKindFindings(state.UsedNames, state.DefinedNames,
                                               external.Asked ? &external.Images : nullptr, kinds, jobs);
    }
    if (state.Rules != nullptr) {
        for (int32_t r = 0; r < state.Rules->Count(); ++r) {
            const auto at = static_cast<std::size_t>(r);
            const TRule& rule = state.Rules->Rules()[at];
            const TKindRecords& records = state.RuleRecords[at];
            TKindReport kind = KindOf(rule.Id, rule.Title, records.UsedNames, records.RefTable, records.DefinedNames,
                                      records.DefinedPlaces);
            const TNameList* outside = at < external.Rules.size() ? &external.Rules[at] : nullptr;
            kind.Found = FindKindFindings(records.UsedNames, records.DefinedNames, outside, kinds, jobs);
            report.Rules.push_back(std::move(kind));
        }
    }
    report.Summarize();
    return report;
}
