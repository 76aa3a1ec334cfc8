#include "controls.h"

HWND MainWnd = nullptr;
HWND ListWnd = nullptr;
HWND PathWnd = nullptr;
HWND StartWnd = nullptr;
HWND BrowseWnd = nullptr;
HWND LabelWnd = nullptr;
HWND StatusWnd = nullptr;
HFONT UiFont = nullptr;
