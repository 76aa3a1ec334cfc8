// The root path remembered from one run to the next in path.txt, in the
// current directory.
#pragma once

#include <string>

// The first line of path.txt, or "" when the file cannot be opened.
std::string LoadSavedPath();
// Writes `text` and CR LF to path.txt; raises EInOutError when that fails.
void SaveCurrentPath(const std::string& text);
