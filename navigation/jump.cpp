#include "jump.h"

#include <shellapi.h>

#include <string_view>

namespace {

// Notepad's title after the file name, Russian first.
constexpr std::wstring_view kNotepadSuffixes[] = {L" - \u0411\u043b\u043e\u043a\u043d\u043e\u0442", L" - Notepad"};
constexpr char kNotepadProgram[] = "\\NOTEPAD.EXE";
constexpr char kEditClass[] = "EDIT";
// Today's Notepad keeps its text in a rich-edit control ("RichEditD2DPT", ...).
constexpr std::string_view kRichEditPrefix = "RichEdit";
constexpr DWORD kStartLimitMs = 5000;
constexpr DWORD kLookEveryMs = 50;

std::string NotepadProgram() {
    char dir[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(dir, MAX_PATH);
    return std::string(dir, length < MAX_PATH ? length : 0) + kNotepadProgram;
}

bool IsRichEdit(HWND wnd) {
    char name[64];
    const int length = GetClassNameA(wnd, name, sizeof name);
    const auto prefix = static_cast<int>(kRichEditPrefix.size());
    return length >= prefix && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name, prefix, kRichEditPrefix.data(),
                                              prefix) == CSTR_EQUAL;
}

// The "EDIT" child, else the first rich-edit control at any depth below.
HWND TextControl(HWND notepad) {
    if (const HWND edit = FindWindowExA(notepad, nullptr, kEditClass, nullptr)) return edit;
    HWND found = nullptr;
    EnumChildWindows(
        notepad,
        [](HWND child, LPARAM data) -> BOOL {
            if (!IsRichEdit(child)) return TRUE;
            *reinterpret_cast<HWND*>(data) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

void SelectInNotepad(HWND notepad, const TRefRec& ref) {
    if (const HWND text = TextControl(notepad)) SelectInEditor(text, ref);
}

// Where line `line` starts in the control, or -1 beyond its last line. Counted
// in the text, since EM_LINEINDEX counts the lines that word wrap makes.
LRESULT LineStart(HWND edit, int32_t line) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(edit, WM_GETTEXT, static_cast<WPARAM>(text.size()), reinterpret_cast<LPARAM>(text.data()))));
    // A rich-edit control hands out each line end as CR LF but counts it as one position.
    const bool lineEndIsOne = IsRichEdit(edit);
    std::size_t at = 0;
    LRESULT crLf = 0;
    for (int32_t k = 0; k < line; ++k) {
        at = text.find(L'\n', at);
        if (at == std::wstring::npos) return -1;
        if (at > 0 && text[at - 1] == L'\r') ++crLf;
        ++at;
    }
    return static_cast<LRESULT>(at) - (lineEndIsOne ? crLf : 0);
}

// Starts Notepad on `path` and waits, without pumping, until its window for
// the file is there and ready for input, at most kStartLimitMs.
HWND StartNotepad(const std::string& path, const std::wstring& fileName, HWND owner) {
    const std::string program = NotepadProgram();
    SHELLEXECUTEINFOA start{};
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOCLOSEPROCESS;
    start.hwnd = owner;
    start.lpFile = program.c_str();
    // The path goes unquoted: Notepad takes the rest of its command line as the name.
    start.lpParameters = path.c_str();
    start.nShow = SW_SHOW;
    if (!ShellExecuteExA(&start)) return nullptr;
    const ULONGLONG deadline = GetTickCount64() + kStartLimitMs;
    if (start.hProcess != nullptr) {
        WaitForInputIdle(start.hProcess, kStartLimitMs);
        CloseHandle(start.hProcess);
    }
    // A Notepad with tabs may hand the file to a window it already has and end.
    HWND wnd = FindNotepadWindow(fileName);
    while (wnd == nullptr && GetTickCount64() < deadline) {
        Sleep(kLookEveryMs);
        wnd = FindNotepadWindow(fileName);
    }
    return wnd;
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
    // Beyond the last line this is -1 and the selection counts from the start
    // of the text; that is accepted as it comes.
    const LRESULT lineStart = LineStart(edit, ref.LineIndex);
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
    if (const HWND wnd = StartNotepad(path, fileName, owner)) SelectInNotepad(wnd, ref);
}
