#include "folder_chooser.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

// The window always opens the dialog at the desktop; only these tests reach the
// preselection of a given folder, so they keep to that.
namespace {

// Waits for this process's folder dialog, titled "Обзор", and posts `button`
// to it, as a user's click would. Returns whether the dialog showed.
bool PressWhenShown(int button) {
    HWND dialog = nullptr;
    const ULONGLONG deadline = GetTickCount64() + 15000;
    while (GetTickCount64() < deadline) {
        dialog = FindWindowW(L"#32770", L"\u041e\u0431\u0437\u043e\u0440");
        DWORD owner = 0;
        if (dialog != nullptr) GetWindowThreadProcessId(dialog, &owner);
        if (owner == GetCurrentProcessId() && FindWindowExA(dialog, nullptr, "SysTreeView32", nullptr) != nullptr) {
            break;
        }
        dialog = nullptr;
        Sleep(20);
    }
    if (dialog == nullptr) return false;
    PostMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(button), 0);
    return true;
}

std::string WindowsDirectory() {
    char text[MAX_PATH] = {};
    return std::string(text, GetWindowsDirectoryA(text, MAX_PATH));
}

}  // namespace

// Cancelling, and confirming without a preselection, are the window tests' part.
TEST(FolderChooser, ConfirmingGivesThePreselectedFolder) {
    std::string path = WindowsDirectory();
    bool shown = false;
    std::thread driver([&shown] { shown = PressWhenShown(IDOK); });
    const bool confirmed = BrowseForFolder(nullptr, "prompt", path);
    driver.join();
    ASSERT_TRUE(shown);
    EXPECT_TRUE(confirmed);
    EXPECT_EQ(lstrcmpiA(path.c_str(), WindowsDirectory().c_str()), 0) << path;
}
