#include "file_findings.h"

#include <algorithm>
#include <string>

std::vector<TFinding> FindingsOf(int32_t file, const std::vector<TFileEntry>& files,
                                 const TDeclaredElsewhere& elsewhere, TFindingKinds kinds) {
    std::vector<TFinding> findings;
    const TFileEntry& entry = files[file];
    const auto factsOf = [&](const TOccurrence& item) {
        const TNamePlaces& places = item.Entry->Places;
        return TNameFacts{places.Declarations.size(), places.Uses.size(), elsewhere.Holds(item.Rule(), item.Key())};
    };
    for (const TOccurrence& use : entry.Uses) {
        if (!use.Entry->Places.Declarations.empty()) continue;
        if (IsUndeclared(factsOf(use))) {
            findings.push_back({TFindingKind::Undeclared, use.Range, std::string(use.Written), {}, use.Rule()});
        }
    }
    for (std::size_t i = 0; i < entry.Declarations.size(); ++i) {
        const TOccurrence& declaration = entry.Declarations[i];
        const TNamePlaces& places = declaration.Entry->Places;
        const TNameFacts facts = factsOf(declaration);
        const std::string_view written = declaration.Written;
        if (kinds.Unused && IsUnused(facts)) {
            findings.push_back({TFindingKind::Unused, declaration.Range, std::string(written), {}, declaration.Rule()});
        }
        if (kinds.Duplicates && IsDuplicate(facts)) {
            TFinding duplicate{
                TFindingKind::Duplicate, declaration.Range, std::string(written), {}, declaration.Rule()};
            for (const TItemRef& other : places.Declarations) {
                if (other == TItemRef{file, static_cast<int32_t>(i)}) continue;
                duplicate.Related.push_back({other.File, files[other.File].Declarations[other.Item].Range});
            }
            findings.push_back(std::move(duplicate));
        }
    }
    std::stable_sort(findings.begin(), findings.end(),
                     [](const TFinding& a, const TFinding& b) { return a.Range.Start < b.Range.Start; });
    return findings;
}
