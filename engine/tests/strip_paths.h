// What the scan tests share: a run of a test body on each way of walking
// strips that this processor has, so that tables of cases test every width;
// the reader's lines of a text; a rule; records printed to compare whole.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "rules.h"
#include "scan_state.h"

void ForEachStripPath(const std::function<void(const char* path)>& body);
// Feeds the text reader's lines of `text` to `read(line, lineIndex)`.
void ForEachLine(const std::string& text, const std::function<void(std::string_view line, int32_t index)>& read);
// A rule titled by its id, with no files of names.
TRule Rule(const std::string& id, const std::string& declaredBy, std::vector<std::string> ignore,
           std::vector<TRuleUse> uses);
// `tag` + "file:line:column name\n" for each record; each place must be as long as its name.
std::string Records(const TRefTable& places, const TNameList& names, const std::string& tag = "");
// Kind by kind, its rule's id (its index without `rules`), then " U " before
// each use and " D " before each declaration.
std::string Records(const std::vector<TKindRecords>& kinds, const TRuleSet* rules = nullptr);
// The state's uses, its declarations after "D ", then its rules' records.
std::string Records(const TScanState& state);
