// For scripts/screenshot: starts tessaron.exe in `root`, searches it,
// optionally opens the first line in Notepad, writes `readyFile` once the
// window is worth a picture and closes the program five seconds later.
//
//   screenshot_driver <tessaron.exe> <root> <ready file> [jump]
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "remote_window.h"

namespace {

template <typename TCondition>
bool WaitFor(TCondition condition) {
    for (int k = 0; k < 500; ++k, Sleep(20)) {
        if (condition()) return true;
    }
    return false;
}

int Show(const std::string& exe, const std::string& root, const std::string& readyFile, bool jump) {
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::string command = "\"" + exe + "\"";
    if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, root.c_str(), &startup,
                        &process)) {
        return 1;
    }
    std::vector<HWND> found;
    WaitFor([&] { return !(found = TopWindows(process.dwProcessId, "TForm")).empty(); });
    const std::vector<HWND> controls = found.empty() ? std::vector<HWND>{} : Children(found.front());
    // In creation order: the list, the path box, the start button.
    if (controls.size() < 3) return 1;
    const HWND main = found.front();
    const HWND list = controls[0];
    const HWND start = controls[2];
    SendMessageA(controls[1], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(root.c_str()));
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(start));
    if (!WaitFor([&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) > 0 && IsWindowEnabled(start); })) {
        std::fprintf(stderr, "screenshot_driver: the search shows no lines\n");
        return 1;
    }
    // Twice: a Notepad slower than the jump's wait is found the second time.
    for (int click = 0; jump && click < 2; ++click) {
        SendMessageW(list, LB_SETCURSEL, 0, 0);
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(0, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
        Sleep(1500);
    }
    std::ofstream(readyFile) << "ready\n";
    Sleep(5000);
    PostMessageA(main, WM_CLOSE, 0, 0);
    DWORD code = 1;
    if (WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 && !(argc == 5 && std::string(argv[4]) == "jump")) {
        std::fprintf(stderr, "usage: screenshot_driver <tessaron.exe> <root> <ready file> [jump]\n");
        return 2;
    }
    return Show(argv[1], argv[2], argv[3], argc == 5);
}
