#include "findings.h"

#include <algorithm>

std::string_view TFindings::Relative(uint32_t fileIndex) const {
    const std::string_view path = State.FileList[static_cast<int32_t>(fileIndex)];
    return path.substr(std::min(Root.size(), path.size()));
}

TFindings FindingsOf(const std::string& root, const TScanState& state, const TReport& report) {
    TFindings findings(state, root);
    findings.Missing.reserve(report.Items.size());
    for (const TReportItem& item : report.Items) findings.Missing.push_back(item.RefIndex);
    findings.SummaryId = report.SummaryId;
    findings.Summary = report.Summary;
    return findings;
}
