// Finds every file below a directory whose name matches a mask, depth first:
// a directory's own files come after those of all its subdirectories.
#pragma once

#include <string>

#include "scan_state.h"

// Appends the full path of each match to `files`, in the platform's listing
// order. Directories that cannot be listed contribute nothing; a link back to
// a directory on the current walk path is not entered again.
void WalkTree(const std::string& dir, const std::string& mask, TPathList& files);
