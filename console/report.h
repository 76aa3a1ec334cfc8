// What one run of the checker reports: for images and for each file rule,
// the findings that the engine decides, less what a baseline holds back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "findings.h"
#include "read_problems.h"
#include "scan_state.h"
#include "ui_text.h"

// What is wrong with a name, in the order the formats list the findings.
enum TFindingKind { fkUndeclared, fkUnused, fkDuplicate };
constexpr TFindingKind kFindingKinds[] = {fkUndeclared, fkUnused, fkDuplicate};

// One kind of named thing: what the scan recorded of it and what was found.
struct TKindReport {
    std::string Id;
    std::string Title;  // how the report lines call a thing of the kind (UTF-8)
    const TNameList* UsedNames = nullptr;
    const TRefTable* Uses = nullptr;
    const TNameList* DefinedNames = nullptr;
    const TRefTable* Declarations = nullptr;
    TKindFindings Found;

    bool IsImage() const { return Id == kImageRuleId; }
    // "undeclared-weapon": how the machine formats and baselines tell the finding.
    std::string FindingId(TFindingKind finding) const;
    bool Any() const { return !Found.Undeclared.empty() || !Found.Unused.empty() || !Found.Duplicates.empty(); }
    std::string_view UsedName(int32_t k) const { return (*UsedNames)[k]; }
    const TRefRec& Use(int32_t k) const { return (*Uses)[k]; }
    std::string_view DefinedName(int32_t i) const { return (*DefinedNames)[i]; }
    const TRefRec& Declaration(int32_t i) const { return (*Declarations)[i]; }
};

// The names declared outside the tree, kind by kind.
struct TExternalNames {
    bool Asked = false;  // some declared-in folder or image names file was given
    TNameList Images;
    std::vector<TNameList> Rules;  // by rule; may be shorter than the rules
};

struct TRunReport {
    TRunReport(const TScanState& state, std::string root) : State(state), Root(std::move(root)) {}

    const TScanState& State;
    std::string Root;  // as typed
    TFindingKinds Kinds;
    std::optional<std::string> RulesFile;  // the project file used, as given or found
    bool ImagesReported = true;
    TKindReport Images;
    std::vector<TKindReport> Rules;  // in the order of the rules
    int32_t ExternalNames = -1;      // image names declared elsewhere; -1 when none were asked for
    bool BaselineUsed = false;
    int32_t Baselined = 0;           // findings the baseline held back
    std::vector<std::string> Stale;  // baseline entries that matched nothing
    TTextId SummaryId = utNoUsed;
    std::string Summary;
    TReadProblems Problems;

    // The path as the report line shows it: the stored path without the
    // root's bytes, starting with a separator whether the root ends in one or not.
    std::string_view Relative(uint32_t fileIndex) const;
    // Calls visit(kind) for the images, when reported, and then each file rule.
    template <typename F>
    void ForEachKind(F&& visit) const {
        if (ImagesReported) visit(Images);
        for (const TKindReport& rule : Rules) visit(rule);
    }
    template <typename F>
    void ForEachKind(F&& visit) {
        if (ImagesReported) visit(Images);
        for (TKindReport& rule : Rules) visit(rule);
    }
    // Sets the image summary from what is left to report, the way the cross-check chooses it.
    void Summarize();
    // Whether anything asked for remains, which makes the exit status 1.
    bool Any() const;
};

// The findings of every kind that the scan of `state` recorded: the images'
// unless `images` is false, and those of state.Rules. Unused and duplicate
// images need the declaration places (TScanState::KeepDefinedPlaces).
TRunReport ReportOf(const std::string& root, const TScanState& state, const TExternalNames& external,
                    TFindingKinds kinds, bool images = true, unsigned jobs = 1);
