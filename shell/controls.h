// The main window and its controls: process-wide handles, set once while the
// window is created and read by whatever shows a search.
#pragma once

#include <windows.h>

extern HWND MainWnd;
extern HWND ListWnd;
extern HWND PathWnd;
extern HWND StartWnd;
extern HWND BrowseWnd;
extern HWND LabelWnd;
extern HWND StatusWnd;
extern HFONT UiFont;
