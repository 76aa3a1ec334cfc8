// Names declared outside the checked tree: by the *.ini files below another
// folder (--declared-in), or listed one a line in a text file (--names).
#pragma once

#include <string>

#include "complaint.h"
#include "scan_state.h"

// Each complains, or returns nothing when the names were added.
// Names are lowered like the scanner lowers them (ASCII letters only).
TMaybeComplaint AddDeclaredIn(const std::string& dir, TNameList& names);
TMaybeComplaint AddNameFile(const std::string& path, TNameList& names);
