// Names declared outside the checked tree: by the *.ini files below another
// folder (--declared-in), or listed one a line in a text file (--names).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "complaint.h"
#include "read_problems.h"
#include "rules.h"
#include "scan_state.h"

// Each complains, or returns nothing when the names were added.
// Names are lowered like the scanner lowers them (ASCII letters only).
// What the walk and scan below `dir` could not read goes to `problems`; the
// paths of the files it read go to `files` when given. With `rules`, the
// files are read with them too, and the declarations of rule r go to
// (*ruleNames)[r], which has an entry per rule.
TMaybeComplaint AddDeclaredIn(const std::string& dir, TNameList& names, TReadProblems& problems,
                              TPathList* files = nullptr, const TRuleSet* rules = nullptr,
                              std::vector<TNameList>* ruleNames = nullptr);
TMaybeComplaint AddNameFile(const std::string& path, TNameList& names);

// The names of a names file's bytes: one a line, blanks around it and a ';'
// comment cut off.
void AddNames(std::string_view bytes, TNameList& names);
