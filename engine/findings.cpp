#include "findings.h"

#include <algorithm>
#include <optional>

#include "threads.h"

namespace {

// Fewer uses a thread are looked up sooner than a thread starts.
constexpr int32_t kUsesPerJob = 1 << 13;

// What one thread finds in its run of uses.
struct TRun {
    std::vector<int32_t> Undeclared;
    std::vector<char> Used;  // by first declaration
};

}  // namespace

TKindFindings FindKindFindings(const TNameList& used, const TNameList& declared, const TNameList* external,
                               TFindingKinds kinds, unsigned jobs) {
    TKindFindings found;
    std::vector<int32_t> firstOf;
    const TNameIndex declarations(declared, &firstOf);
    std::optional<TNameIndex> outside;
    if (external != nullptr && external->Count() > 0) outside.emplace(*external);

    const int32_t count = used.Count();
    const auto runCount = std::clamp<int32_t>(count / kUsesPerJob, 1, static_cast<int32_t>(std::max(1u, jobs)));
    std::vector<TRun> runs(static_cast<std::size_t>(runCount));
    ForEachIndex(runs.size(), static_cast<unsigned>(runCount), [&](std::size_t r, unsigned) {
        TRun& run = runs[r];
        if (kinds.Unused) run.Used.assign(static_cast<std::size_t>(declared.Count()), 0);
        const auto from = static_cast<int32_t>(int64_t{count} * static_cast<int64_t>(r) / runCount);
        const auto to = static_cast<int32_t>(int64_t{count} * static_cast<int64_t>(r + 1) / runCount);
        declarations.FindEach(
            used,
            [&](int32_t k, int32_t first) {
                TNameFacts facts;
                facts.Declarations = first == -1 ? 0 : 1;
                if (first != -1 && kinds.Unused) run.Used[static_cast<std::size_t>(first)] = 1;
                if (first == -1) facts.External = outside && outside->FindDefined(used[k]) != -1;
                if (IsUndeclared(facts)) run.Undeclared.push_back(k);
            },
            from, to);
    });
    std::vector<char> usedByFirst(kinds.Unused ? static_cast<std::size_t>(declared.Count()) : 0, 0);
    for (TRun& run : runs) {
        found.Undeclared.insert(found.Undeclared.end(), run.Undeclared.begin(), run.Undeclared.end());
        for (std::size_t i = 0; i < run.Used.size(); ++i) usedByFirst[i] |= run.Used[i];
    }

    const int32_t declaredCount = declared.Count();
    if (kinds.Unused) {
        for (int32_t i = 0; i < declaredCount; ++i) {
            const auto at = static_cast<std::size_t>(i);
            if (firstOf[at] == i && IsUnused({1, static_cast<std::size_t>(usedByFirst[at]), false})) {
                found.Unused.push_back(i);
            }
        }
    }
    if (kinds.Duplicates) {
        std::vector<int32_t> groupOf(static_cast<std::size_t>(declaredCount), -1);  // by first declaration
        for (int32_t i = 0; i < declaredCount; ++i) {
            const int32_t first = firstOf[static_cast<std::size_t>(i)];
            if (first == i) continue;
            int32_t& group = groupOf[static_cast<std::size_t>(first)];
            if (group == -1) {
                group = static_cast<int32_t>(found.Duplicates.size());
                found.Duplicates.push_back({first});
            }
            found.Duplicates[static_cast<std::size_t>(group)].push_back(i);
        }
    }
    return found;
}
