#include "folder_chooser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "cp1251.h"

namespace {

// What the driver saw of the dialog before it pressed the button.
struct TDialogSeen {
    bool Found = false;
    std::vector<std::string> Texts;  // of the dialog's children
};

// Waits for this process's folder dialog, titled "Обзор", notes its texts and
// posts `button` to it, as a user's click would.
TDialogSeen PressWhenShown(int button) {
    TDialogSeen seen;
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
    if (dialog == nullptr) return seen;
    seen.Found = true;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char text[512];
        seen.Texts.emplace_back(text, static_cast<std::size_t>(GetWindowTextA(child, text, sizeof text)));
    }
    PostMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(button), 0);
    return seen;
}

struct TBrowseResult {
    bool Confirmed;
    std::string Path;
    TDialogSeen Seen;
};

TBrowseResult Browse(const std::string& prompt, std::string path, int button) {
    TDialogSeen seen;
    std::thread driver([&seen, button] { seen = PressWhenShown(button); });
    const bool confirmed = BrowseForFolder(nullptr, prompt, path);
    driver.join();
    return {confirmed, path, seen};
}

std::string WindowsDirectory() {
    char text[MAX_PATH];
    return std::string(text, GetWindowsDirectoryA(text, MAX_PATH));
}

bool IsFolder(const std::string& path) {
    const DWORD attr = GetFileAttributesA(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

TEST(FolderChooser, ConfirmingReturnsTheSelectedFolderAndShowsThePrompt) {
    const std::string prompt = Cp1251FromUtf8("Укажите папку для проверки");
    const TBrowseResult result = Browse(prompt, "", IDOK);
    ASSERT_TRUE(result.Seen.Found);
    EXPECT_TRUE(result.Confirmed);
    EXPECT_TRUE(IsFolder(result.Path)) << result.Path;
    EXPECT_NE(result.Path, WindowsDirectory()) << "nothing is preselected without a path";
    EXPECT_EQ(std::count(result.Seen.Texts.begin(), result.Seen.Texts.end(), prompt), 1);
}

TEST(FolderChooser, AGivenFolderIsPreselected) {
    const TBrowseResult result = Browse("prompt", WindowsDirectory(), IDOK);
    ASSERT_TRUE(result.Seen.Found);
    EXPECT_TRUE(result.Confirmed);
    EXPECT_EQ(lstrcmpiA(result.Path.c_str(), WindowsDirectory().c_str()), 0) << result.Path;
}

TEST(FolderChooser, CancellingLeavesThePathUnchanged) {
    for (const std::string& path : {std::string(), WindowsDirectory()}) {
        const TBrowseResult result = Browse("prompt", path, IDCANCEL);
        ASSERT_TRUE(result.Seen.Found);
        EXPECT_FALSE(result.Confirmed);
        EXPECT_EQ(result.Path, path);
    }
}
