#include "notepad_windows.h"

#include <tlhelp32.h>

std::wstring NotepadTitle(const std::wstring& fileName) {
    return fileName + L" - \u0411\u043b\u043e\u043a\u043d\u043e\u0442";
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() > deadline) return false;
        Sleep(20);
    }
    return true;
}

std::pair<long, long> ControlSelection(HWND control) {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageA(control, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {static_cast<long>(start), static_cast<long>(end)};
}

std::vector<DWORD> ChildNotepads() {
    std::vector<DWORD> ids;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID == GetCurrentProcessId() && lstrcmpiA(entry.szExeFile, "NOTEPAD.EXE") == 0) {
            ids.push_back(entry.th32ProcessID);
        }
    }
    CloseHandle(snapshot);
    return ids;
}

void EndChildNotepads() {
    for (const DWORD id : ChildNotepads()) {
        const HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id);
        if (process == nullptr) continue;
        EnumWindows(
            [](HWND wnd, LPARAM data) -> BOOL {
                DWORD owner = 0;
                GetWindowThreadProcessId(wnd, &owner);
                if (owner == static_cast<DWORD>(data)) PostMessageA(wnd, WM_CLOSE, 0, 0);
                return TRUE;
            },
            static_cast<LPARAM>(id));
        if (WaitForSingleObject(process, 3000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
        CloseHandle(process);
    }
}
