// Puts a report's lines into a sorted list box, each with its reference index.
#pragma once

#include <windows.h>

#include "cross_check.h"

// Fills the empty list box with redrawing suspended and the storage reserved
// up front. Raises std::bad_alloc when the list box runs out of space.
void AddReportLines(HWND list, const TReport& report);
