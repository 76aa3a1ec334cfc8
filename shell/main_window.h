// The program's only window: its class, its controls and its procedure.
#pragma once

#include <windows.h>

#include "controls.h"

// Registers the class "TForm" and creates the centred main window.
bool CreateMainWindow();
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
