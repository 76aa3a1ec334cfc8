#include "main_window.h"

#include <commctrl.h>

#include <new>

#include "error_report.h"
#include "folder_chooser.h"
#include "io_error.h"
#include "jump.h"
#include "layout.h"
#include "saved_path.h"
#include "search_command.h"
#include "ui_text.h"

namespace {

constexpr char kClassName[] = "TForm";
constexpr DWORD kMainStyle = 0x10CF0000;
constexpr DWORD kListStyle = 0x50700103;
constexpr DWORD kPathStyle = 0x50410080;
constexpr DWORD kButtonStyle = 0x50010000;
constexpr DWORD kLabelStyle = 0x58000000;
constexpr DWORD kStatusStyle = 0x50000010;
constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr UINT kStatusId = 1;

HWND CreateChild(const char* className, const char* text, DWORD style) {
    return CreateWindowExA(0, className, text, style, 0, 0, 0, 0, MainWnd, nullptr, nullptr, nullptr);
}

void Place(HWND control, const TControlRect& rect) {
    MoveWindow(control, rect.Left, rect.Top, rect.Width, rect.Height, TRUE);
}

int ClientHeightOf(HWND window) {
    RECT rect;
    GetClientRect(window, &rect);
    return rect.bottom - rect.top;
}

void OnCreate(HWND window) {
    MainWnd = window;
    ListWnd = CreateChild("LISTBOX", "List1", kListStyle);
    PathWnd = CreateChild("EDIT", "", kPathStyle);
    StartWnd = CreateChild("BUTTON", UiText[utStart].c_str(), kButtonStyle);
    BrowseWnd = CreateChild("BUTTON", UiText[utBrowse].c_str(), kButtonStyle);
    LabelWnd = CreateChild("BUTTON", UiText[utPathLabel].c_str(), kLabelStyle);
    StatusWnd = CreateStatusWindowA(kStatusStyle, UiText[utHint].c_str(), MainWnd, kStatusId);
    SetWindowTextA(PathWnd, LoadSavedPath().c_str());

    LOGFONTA font{};
    font.lfHeight = 16;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DRAFT_QUALITY;
    lstrcpyA(font.lfFaceName, "Arial");
    UiFont = CreateFontIndirectA(&font);
    for (HWND control : {PathWnd, StartWnd, BrowseWnd, LabelWnd, ListWnd}) {
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont), 0);
    }
    SetFocus(StartWnd);
}

void OnDestroy() {
    SaveCurrentPath(GetPathText());
    PostQuitMessage(0);
}

void OnSize() {
    RECT client;
    GetClientRect(MainWnd, &client);
    // The list's height depends on the status bar's, known only once placed.
    const TLayout top = LayoutControls(client.right, client.bottom, 0);
    Place(PathWnd, top.Path);
    Place(StartWnd, top.Start);
    Place(LabelWnd, top.Label);
    Place(BrowseWnd, top.Browse);
    SendMessageA(StatusWnd, WM_SIZE, 0, 0);
    Place(ListWnd, LayoutControls(client.right, client.bottom, ClientHeightOf(StatusWnd)).List);
}

void OnListDoubleClick() {
    const LRESULT line = SendMessageA(ListWnd, LB_GETCURSEL, 0, 0);
    const LRESULT itemData = SendMessageA(ListWnd, LB_GETITEMDATA, static_cast<WPARAM>(line), 0);
    JumpToReference(static_cast<int32_t>(itemData), ScanState.FileList, ScanState.RefTable, MainWnd);
}

void OnBrowse() {
    // Closing the modal dialog activates the main window, which takes the
    // focus itself; a cancel must leave it where it was.
    const HWND focus = GetFocus();
    std::string path;
    if (BrowseForFolder(MainWnd, UiText[utBrowsePrompt], path)) {
        SetWindowTextA(PathWnd, path.c_str());
        SetFocus(StartWnd);
    } else {
        SetFocus(focus);
    }
}

void OnCommand(WPARAM wParam, LPARAM lParam) {
    const HWND sender = reinterpret_cast<HWND>(lParam);
    switch (HIWORD(wParam)) {
        case LBN_DBLCLK:
            OnListDoubleClick();
            break;
        case BN_CLICKED:
            if (sender == BrowseWnd) {
                OnBrowse();
            } else if (sender == StartWnd) {
                RunSearch();
            }
            break;
        default:
            break;
    }
}

LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            OnCreate(window);
            break;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        case WM_SIZE:
            OnSize();
            break;
        case WM_COMMAND:
            OnCommand(wParam, lParam);
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

bool CreateMainWindow() {
    WNDCLASSA windowClass{};
    windowClass.style = CS_VREDRAW | CS_HREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_SCROLLBAR + 1);
    windowClass.lpszClassName = kClassName;
    if (RegisterClassA(&windowClass) == 0) return false;

    const int left = GetSystemMetrics(SM_CXSCREEN) / 2 - kWidth / 2;
    const int top = GetSystemMetrics(SM_CYSCREEN) / 2 - kHeight / 2;
    return CreateWindowExA(0, kClassName, UiText[utTitle].c_str(), kMainStyle, left, top, kWidth, kHeight, nullptr,
                           nullptr, nullptr, nullptr) != nullptr;
}

// No C++ exception may unwind through the system's frames that called us:
// the run-time's errors end the program here with its standard report.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return HandleMessage(window, message, wParam, lParam);
    } catch (const EInOutError& error) {
        ReportRunTimeError(TRunTimeError::FromInOutError(error), reinterpret_cast<const void*>(&HandleMessage));
    } catch (const std::bad_alloc&) {
        ReportRunTimeError(TRunTimeError::OutOfMemory(), reinterpret_cast<const void*>(&HandleMessage));
    }
}
