// Program entry: texts, the main window, the message loop, and tidying up.
#include <windows.h>

#include <commctrl.h>

#include "main_window.h"
#include "search_command.h"
#include "ui_text.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    InitCommonControls();
    InstallRussianTexts();
    if (!CreateMainWindow()) {
        MessageBoxA(nullptr, UiText[utNoWindow].c_str(), UiText[utError].c_str(), MB_ICONERROR);
    } else {
        // No IsDialogMessage: Tab and Enter do nothing special here.
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) != 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    ScanState.FileList.Clear();
    ScanState.RefTable.ClearRefs();
    return 0;
}
