// Reading the windows of another process, as the window tests and the window
// benchmark do: texts come back in the ANSI code page.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

std::string AnsiFromWide(const std::wstring& wide);
// Asked for wide: some controls answer A requests across processes with UTF-16.
std::string WindowText(HWND window);
std::string ClassOf(HWND window);
// The visible top-level windows of one process with the given class.
std::vector<HWND> TopWindows(DWORD processId, const char* className);
std::vector<HWND> Children(HWND parent);
