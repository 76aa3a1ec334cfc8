// Which names of one kind are used but declared nowhere, declared but never
// used, or declared more than once. Decided here once for every program: the
// console lists each finding's name, the editor marks each of its places.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "scan_state.h"

// How the machine formats and the editor's diagnostics name a finding: its
// word, the separator, then its kind's id ("undeclared-image").
constexpr std::string_view kImageRuleId = "image";
constexpr std::string_view kFindingWords[] = {"undeclared", "unused", "duplicate"};
constexpr char kFindingIdSeparator = '-';

struct TFindingKinds {
    bool Unused = false;
    bool Duplicates = false;
};

// What is known of one name within its kind.
struct TNameFacts {
    std::size_t Declarations = 0;  // in the checked tree
    std::size_t Uses = 0;
    bool External = false;  // declared outside the tree (declared-in folders, names files)
};

constexpr bool IsUndeclared(const TNameFacts& name) {
    return name.Declarations == 0 && !name.External;
}
constexpr bool IsUnused(const TNameFacts& name) {
    return name.Declarations > 0 && name.Uses == 0;
}
constexpr bool IsDuplicate(const TNameFacts& name) {
    return name.Declarations > 1;
}

// The findings of one kind, as indices into the names a scan recorded.
struct TKindFindings {
    std::vector<int32_t> Undeclared;  // uses, in use order
    // The first declaration of each unused name, in declaration order.
    std::vector<int32_t> Unused;
    // Every declaration of each name declared more than once, first to last;
    // the groups in the order of their names' second declarations.
    std::vector<std::vector<int32_t>> Duplicates;
};

// `used` and `declared` are a scan's lowered names; `external` (may be null)
// the names declared outside the tree. Up to `jobs` threads look the uses up,
// each a run of them; the findings are the same for any number.
TKindFindings FindKindFindings(const TNameList& used, const TNameList& declared, const TNameList* external,
                               TFindingKinds kinds, unsigned jobs = 1);
