#include "search_command.h"

#include <windows.h>

#include <vector>

#include "controls.h"
#include "report_list.h"
#include "search.h"
#include "ui_text.h"

TScanState ScanState;

namespace {

constexpr LONG kBusyButtonStyle = 0x58010000;
constexpr LONG kIdleButtonStyle = 0x50010000;

bool QuitPending = false;
int QuitCode = 0;

// A style word set directly does not repaint: without the invalidation a
// button would keep looking disabled after the search.
void SetButtonsStyle(LONG style) {
    for (HWND button : {StartWnd, BrowseWnd}) {
        SetWindowLongA(button, GWL_STYLE, style);
        InvalidateRect(button, nullptr, TRUE);
    }
}

void ShowStatus(TTextId id) {
    SetWindowTextA(StatusWnd, UiText[id].c_str());
}

void Refuse(TTextId message) {
    SetButtonsIdle();
    ShowStatus(utError);
    const UINT icon = message == utPathEmpty ? MB_ICONWARNING : MB_ICONERROR;
    MessageBoxA(MainWnd, UiText[message].c_str(), UiText[utError].c_str(), icon);
}

void ShowReport(const std::string& root) {
    SendMessageA(ListWnd, LB_RESETCONTENT, 0, 0);
    const TReport report = RunSearchPhases(root, ScanState, [](TTextId phase) {
        ShowStatus(phase);
        DrainMessageQueue();
    });
    AddReportLines(ListWnd, report);
    SetWindowTextA(StatusWnd, report.Summary.c_str());
    ScanState.UsedNames.Clear();
    ScanState.DefinedNames.Clear();
    SetButtonsIdle();
    SetFocus(ListWnd);
}

}  // namespace

void DrainMessageQueue() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            QuitPending = true;
            QuitCode = static_cast<int>(message.wParam);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void SetButtonsBusy() {
    SetButtonsStyle(kBusyButtonStyle);
}

void SetButtonsIdle() {
    SetButtonsStyle(kIdleButtonStyle);
}

std::string GetPathText() {
    const auto length = static_cast<int>(SendMessageA(PathWnd, WM_GETTEXTLENGTH, 0, 0));
    if (length <= 0) return "";
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
    const int copied = GetWindowTextA(PathWnd, buffer.data(), length + 1);
    return std::string(buffer.data(), static_cast<std::size_t>(copied > 0 ? copied : 0));
}

void RunSearch() {
    SetButtonsBusy();
    ShowStatus(utPreparing);
    DrainMessageQueue();
    const std::string root = GetPathText();
    if (const auto refusal = RefusalOf(root)) {
        Refuse(*refusal);
    } else {
        ShowReport(root);
    }
    if (QuitPending) {
        QuitPending = false;
        PostQuitMessage(QuitCode);
    }
}
