#include "findings.h"

#include <algorithm>
#include <optional>

#include "fs.h"

namespace {

void FindMissing(const TReport& report, const TNameList* external, TFindings& f) {
    const TScanState& state = f.State;
    std::optional<TNameIndex> declared;
    if (external != nullptr && external->Count() > 0) declared.emplace(*external);
    const auto keep = [&](int32_t k) {
        if (!declared || declared->FindDefined(state.UsedNames[k]) == -1) f.Missing.push_back(k);
    };
    // With nothing declared in the tree the report lists no line, though every use is undeclared.
    if (report.SummaryId == utNoDefined) {
        f.Missing.reserve(static_cast<std::size_t>(state.UsedNames.Count()));
        for (int32_t k = 0; k < state.UsedNames.Count(); ++k) keep(k);
    } else {
        for (const TReportItem& item : report.Items) keep(item.RefIndex);
    }
}

// One pass over the declarations for each kind asked for, on what the
// cross-check found out about them.
void FindDeclarationKinds(const TReport& report, TFindings& f) {
    const int32_t count = f.State.DefinedNames.Count();
    const std::vector<int32_t>& firstOf = report.FirstDeclaration;
    if (f.Kinds.Unused) {
        for (int32_t i = 0; i < count; ++i) {
            const auto at = static_cast<std::size_t>(i);
            if (firstOf[at] == i && !report.DeclarationUsed[at]) f.Unused.push_back(i);
        }
    }
    if (f.Kinds.Duplicates) {
        std::vector<int32_t> groupOf(static_cast<std::size_t>(count), -1);  // by first declaration
        for (int32_t i = 0; i < count; ++i) {
            const int32_t first = firstOf[static_cast<std::size_t>(i)];
            if (first == i) continue;
            int32_t& group = groupOf[static_cast<std::size_t>(first)];
            if (group == -1) {
                group = static_cast<int32_t>(f.Duplicates.size());
                f.Duplicates.push_back({first});
            }
            f.Duplicates[static_cast<std::size_t>(group)].push_back(i);
        }
    }
}

}  // namespace

std::string_view TFindings::Relative(uint32_t fileIndex) const {
    const std::string_view path = State.FileList[static_cast<int32_t>(fileIndex)];
    // The walk adds a separator after a root that ends in none; the one a
    // root ends in stays in the relative path, so that both read alike.
    const bool separated = !Root.empty() && Root.back() == kPathSeparator;
    return path.substr(std::min(Root.size() - (separated ? 1 : 0), path.size()));
}

void TFindings::Summarize() {
    if (State.UsedNames.Count() == 0) {
        SummaryId = utNoUsed;
    } else if (State.DefinedNames.Count() == 0 && ExternalNames <= 0) {
        SummaryId = utNoDefined;
    } else {
        SummaryId = Missing.empty() ? utAllFine : utDonePrefix;
    }
    Summary = SummaryText(SummaryId, Missing.size());
}

bool TFindings::Any() const {
    return SummaryId == utNoDefined || !Missing.empty() || !Unused.empty() || !Duplicates.empty();
}

TFindings FindingsOf(const std::string& root, const TScanState& state, const TReport& report, const TNameList* external,
                     TFindingKinds kinds) {
    TFindings findings(state, root);
    findings.Kinds = kinds;
    if (external != nullptr) findings.ExternalNames = external->Count();
    FindMissing(report, external, findings);
    if (kinds.Unused || kinds.Duplicates) FindDeclarationKinds(report, findings);
    findings.Summarize();
    return findings;
}
