// Finds every file below a directory whose name matches a mask, depth first:
// a directory's own files come after those of all its subdirectories.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "fs.h"
#include "scan_state.h"

// Appends the full path of each match to `files`, in the platform's listing
// order. Each folder is entered once, by the first path that leads to it,
// whatever links lead there again. A folder that cannot be listed contributes
// nothing, and is named in `skipped` when that is given. `onListed`, when
// given, is called after each folder's files were appended. The folders of
// `passOver` are never entered, as if entered already.
void WalkTree(const std::string& dir, const std::string& mask, TPathList& files, TSkippedList* skipped = nullptr,
              const std::function<void()>& onListed = {}, const std::vector<TFileId>& passOver = {});
