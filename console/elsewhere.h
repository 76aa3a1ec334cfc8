// Names declared outside the checked tree: by the *.ini files below another
// folder (--declared-in), or listed one a line in a text file (--names).
#pragma once

#include <string>

#include "scan_state.h"

// Each returns an error message, or an empty string when the names were added.
// Names are lowered like the scanner lowers them (ASCII letters only).
std::string AddDeclaredIn(const std::string& dir, TNameList& names);
std::string AddNameFile(const std::string& path, TNameList& names);
