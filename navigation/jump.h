// Shows a reference in Notepad: reuses a Notepad window that shows the file,
// or starts Notepad on it, then selects the name and scrolls it into view.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "scan_state.h"

// `index` is a RefTable index, or -1 when no line is selected. `owner` owns
// the Notepad that may be started.
void JumpToReference(int32_t index, const TPathList& files, const TRefTable& refs, HWND owner);

// The part of `path` after its last '\' (empty when it has none), as wide
// text in the system's ANSI code page, the way Notepad's title shows it.
std::wstring WideTitleName(const std::string& path);
// The top-level window titled `fileName` + " - Блокнот", else + " - Notepad";
// null when there is neither.
HWND FindNotepadWindow(const std::wstring& fileName);
// Selects the reference's name in `edit`, an edit or rich-edit control, and
// scrolls to it; the line is found in the control's text, so word wrap does
// not shift it.
void SelectInEditor(HWND edit, const TRefRec& ref);
