// The shell's modal folder dialog, for picking the root instead of typing it.
#pragma once

#include <windows.h>

#include <string>

// Shows the dialog owned by `owner` with `prompt` above the folder tree. A
// non-empty `path` names the folder to preselect; after a confirmed choice it
// holds the chosen folder's path. True exactly when the user confirmed.
bool BrowseForFolder(HWND owner, const std::string& prompt, std::string& path);
