// The window against the console checker on one tree, both under Wine: how
// long the window's search takes from the click to its summary, and how long
// tessaron-check.exe takes from its start to its end.
//
//   tessaron-bench-window TESSARON.EXE TESSARON-CHECK.EXE TREE RUNS
//
// Prints the medians: "window_s check_s lines", lines being the report lines
// the window shows.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "remote_window.h"
#include "ui_text.h"

namespace {

double Now() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool Start(std::string command, HANDLE output, PROCESS_INFORMATION& process) {
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    return CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process) !=
           0;
}

void Finish(PROCESS_INFORMATION& process) {
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

// The console checker's whole run, its report thrown away.
double TimeCheck(const std::string& checker, const std::string& tree) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    const HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    PROCESS_INFORMATION process{};
    const double start = Now();
    if (!Start("\"" + checker + "\" --format=json \"" + tree + "\"", nul, process)) std::exit(2);
    WaitForSingleObject(process.hProcess, 60000);
    const double seconds = Now() - start;
    Finish(process);
    CloseHandle(nul);
    return seconds;
}

// One search in a freshly started window; `lines` gets the list's line count.
double TimeWindow(const std::string& exe, const std::string& tree, LRESULT& lines) {
    PROCESS_INFORMATION process{};
    if (!Start("\"" + exe + "\"", nullptr, process)) std::exit(2);
    std::vector<HWND> found;
    for (int i = 0; i < 1000 && found.empty(); ++i, Sleep(10)) found = TopWindows(process.dwProcessId, "TForm");
    const std::vector<HWND> controls = found.empty() ? std::vector<HWND>{} : Children(found.front());
    if (controls.size() != 6) std::exit(2);
    const HWND list = controls[0], path = controls[1], start = controls[2], status = controls[5];
    SendMessageA(path, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(tree.c_str()));

    const std::string done = UiText[utDonePrefix];
    const double begin = Now();
    PostMessageA(found.front(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(start));
    // The window answers between its phases, so this asks as soon as it can.
    while (WindowText(status).compare(0, done.size(), done) != 0) Sleep(0);
    const double seconds = Now() - begin;
    lines = SendMessageW(list, LB_GETCOUNT, 0, 0);
    PostMessageA(found.front(), WM_CLOSE, 0, 0);
    Finish(process);
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: tessaron-bench-window TESSARON.EXE TESSARON-CHECK.EXE TREE RUNS\n");
        return 2;
    }
    InstallRussianTexts();
    const int runs = std::max(1, std::atoi(argv[4]));
    std::vector<double> window, check;
    LRESULT lines = 0;
    TimeCheck(argv[2], argv[3]);  // warms the cache
    for (int r = 0; r < runs; ++r) {
        check.push_back(TimeCheck(argv[2], argv[3]));
        window.push_back(TimeWindow(argv[1], argv[3], lines));
    }
    std::printf("%.4f %.4f %ld\n", Median(window), Median(check), static_cast<long>(lines));
    return 0;
}
