// The program's only window: its class, its controls and its procedure.
#pragma once

#include <windows.h>

// Process-wide handles, set once while the window is created.
extern HWND MainWnd;
extern HWND ListWnd;
extern HWND PathWnd;
extern HWND StartWnd;
extern HWND BrowseWnd;
extern HWND LabelWnd;
extern HWND StatusWnd;
extern HFONT UiFont;

// Registers the class "TForm" and creates the centred main window.
bool CreateMainWindow();
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
