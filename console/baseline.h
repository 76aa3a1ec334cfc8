// Findings accepted earlier. One entry a line, "kind<TAB>path<TAB>name", the
// path relative to the root with '/' separators (a backslash is one only on
// Windows); no line numbers, so edits elsewhere in a file leave the entries
// valid. Sorted, so diffs stay small.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "complaint.h"
#include "report.h"

// The entries of every finding, sorted; a name used twice in a file is two entries.
std::vector<std::string> BaselineEntries(const TRunReport& report);

// Each complains, or returns nothing on success.
TMaybeComplaint ReadBaseline(const std::string& path, std::vector<std::string>& entries);
// The entries of a baseline's bytes; complains of the first line that is no entry.
TMaybeComplaint ParseBaseline(std::string_view bytes, const std::string& path, std::vector<std::string>& entries);
// Replaces the file whole, or leaves it as it was.
TMaybeComplaint WriteBaseline(const std::string& path, const std::vector<std::string>& entries);

// Removes the findings that `entries` hold, each entry holding back one
// finding; the entries of the kinds asked for that matched nothing become Stale.
void ApplyBaseline(const std::vector<std::string>& entries, TRunReport& report);
