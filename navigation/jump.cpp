#include "jump.h"

#include <shellapi.h>

#include <string_view>

namespace {

// Notepad's title after the file name, Russian first.
constexpr std::wstring_view kNotepadSuffixes[] = {L" - \u0411\u043b\u043e\u043a\u043d\u043e\u0442", L" - Notepad"};
constexpr char kNotepadProgram[] = "\\NOTEPAD.EXE";
constexpr char kEditClass[] = "EDIT";
constexpr DWORD kStartWaitMs = 250;

std::string NotepadProgram() {
    char dir[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(dir, MAX_PATH);
    return std::string(dir, length < MAX_PATH ? length : 0) + kNotepadProgram;
}

void SelectInNotepad(HWND notepad, const TRefRec& ref) {
    const HWND edit = FindWindowExA(notepad, nullptr, kEditClass, nullptr);
    if (edit != nullptr) SelectInEditor(edit, ref);
}

}  // namespace

std::wstring WideTitleName(const std::string& path) {
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string::npos || slash + 1 == path.size()) return {};
    const char* name = path.c_str() + slash + 1;
    const int nameLength = static_cast<int>(path.size() - slash - 1);
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, name, nameLength, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, name, nameLength, wide.data(), wideLength);
    return wide;
}

HWND FindNotepadWindow(const std::wstring& fileName) {
    for (const std::wstring_view suffix : kNotepadSuffixes) {
        const std::wstring title = fileName + std::wstring(suffix);
        if (const HWND wnd = FindWindowW(nullptr, title.c_str())) return wnd;
    }
    return nullptr;
}

void SelectInEditor(HWND edit, const TRefRec& ref) {
    // Beyond Notepad's last line this is -1 and the selection counts from the
    // start of the text; that is accepted as it comes.
    const LRESULT lineStart = SendMessageA(edit, EM_LINEINDEX, static_cast<WPARAM>(ref.LineIndex), 0);
    const LRESULT start = lineStart + static_cast<LRESULT>(ref.Column) - 1;
    SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(start), start + static_cast<LRESULT>(ref.Length));
    SendMessageA(edit, EM_SCROLLCARET, 0, 0);
}

void JumpToReference(int32_t index, const TPathList& files, const TRefTable& refs, HWND owner) {
    if (index == -1) return;
    const TRefRec& ref = refs[index];
    const std::string path(files[static_cast<int32_t>(ref.FileIndex)]);
    const std::wstring fileName = WideTitleName(path);

    if (const HWND wnd = FindNotepadWindow(fileName)) {
        BringWindowToTop(wnd);
        SelectInNotepad(wnd, ref);
        return;
    }
    // The path goes unquoted: Notepad takes the rest of its command line as the name.
    ShellExecuteA(owner, nullptr, NotepadProgram().c_str(), path.c_str(), nullptr, SW_SHOW);
    Sleep(kStartWaitMs);
    if (const HWND wnd = FindNotepadWindow(fileName)) SelectInNotepad(wnd, ref);
}
