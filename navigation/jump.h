// Shows a reference in Notepad: reuses a Notepad window that shows the file,
// or starts Notepad on it, then selects the name and scrolls it into view.
#pragma once

#include <windows.h>

#include <cstdint>

#include "scan_state.h"

// `index` is a RefTable index, or -1 when no line is selected. `owner` owns
// the Notepad that may be started.
void JumpToReference(int32_t index, const TPathList& files, const TRefTable& refs, HWND owner);
