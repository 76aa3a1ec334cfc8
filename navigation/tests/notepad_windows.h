// Finds, counts and ends the Notepads that a test makes the jump start.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

// `fileName` + " - Блокнот", the title Wine's Notepad shows under the Russian locale.
std::wstring NotepadTitle(const std::wstring& fileName);
// Polls `done` every few milliseconds until it holds or `timeoutMs` passes.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs);
// The [start, end) selection of an edit or rich-edit control.
std::pair<long, long> ControlSelection(HWND control);
// The ids of the Notepad processes that this process started.
std::vector<DWORD> ChildNotepads();
// Asks each of them to close, and ends those that do not in time.
void EndChildNotepads();
