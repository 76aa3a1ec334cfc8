// Starts the real tessaron.exe and checks it from outside through window
// messages, as a user's clicks and a screen reader would see it.
//
//   window_driver <tessaron.exe> <scratch folder>
//
// The scratch folder must hold broken\defs.ini, a definition file whose reads
// fail after it was opened, the big tree and the long folder (scripts/test-window
// makes them). Prints one line per failed check and exits with 1 when any failed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "remote_window.h"
#include "ui_text.h"

namespace {

int Failures = 0;
int Checks = 0;

void Check(bool ok, const std::string& what) {
    ++Checks;
    if (!ok) {
        ++Failures;
        std::printf("FAIL: %s\n", what.c_str());
    }
}

void CheckText(const std::string& got, const std::string& want, const std::string& what) {
    Check(got == want, what + ": got \"" + got + "\", want \"" + want + "\"");
}

void CheckNumber(long long got, long long want, const std::string& what) {
    Check(got == want, what + ": got " + std::to_string(got) + ", want " + std::to_string(want));
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

std::vector<std::string> ListLines(HWND list) {
    std::vector<std::string> lines;
    const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT line = 0; line < count; ++line) {
        std::wstring wide(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, line, 0)) + 1, L'\0');
        const auto copied = SendMessageW(list, LB_GETTEXT, line, reinterpret_cast<LPARAM>(wide.data()));
        wide.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
        lines.push_back(AnsiFromWide(wide));
    }
    return lines;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

RECT RectIn(HWND parent, HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// A running tessaron.exe and its controls, in creation order.
class TApp {
public:
    TApp(const std::string& exe, const std::string& currentDir) {
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        std::string command = "\"" + exe + "\"";
        Started_ = CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, currentDir.c_str(),
                                  &startup, &Process_) != 0;
        Check(Started_, "tessaron.exe starts in " + currentDir);
        if (!Started_) return;
        // A loaded machine may take more than 10 s for the first start.
        WaitFor(
            [&] {
                const auto windows = TopWindows(Process_.dwProcessId, "TForm");
                if (!windows.empty()) Main = windows.front();
                return Main != nullptr;
            },
            30000);
        Check(Main != nullptr, "the main window appears");
        if (Main == nullptr) return;
        const auto children = Children(Main);
        if (children.size() == 6) {
            List = children[0];
            Path = children[1];
            Start = children[2];
            Browse = children[3];
            Label = children[4];
            Status = children[5];
        }
    }
    ~TApp() {
        if (!Started_) return;
        if (WaitForSingleObject(Process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(Process_.hProcess, 99);
        CloseHandle(Process_.hThread);
        CloseHandle(Process_.hProcess);
    }
    TApp(const TApp&) = delete;
    TApp& operator=(const TApp&) = delete;

    bool Ready() const { return Status != nullptr; }
    DWORD ProcessId() const { return Process_.dwProcessId; }

    HWND Focus() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        GetGUIThreadInfo(Process_.dwThreadId, &info);
        return info.hwndFocus;
    }
    void Click(HWND button) const { PostMessageA(Main, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), (LPARAM)button); }
    void SetPath(const std::string& text) const {
        SendMessageA(Path, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    // The first message box of the program, or null after the timeout.
    HWND WaitForBox(DWORD timeoutMs = 10000) const {
        HWND box = nullptr;
        WaitFor(
            [&] {
                const auto boxes = TopWindows(Process_.dwProcessId, "#32770");
                if (!boxes.empty()) box = boxes.front();
                return box != nullptr;
            },
            timeoutMs);
        return box;
    }
    // The status is cleared first: the summary of a search before must not
    // pass for this one's.
    void ClickStart() const {
        SendMessageA(Status, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
        Click(Start);
    }
    // Runs a search and waits until the status bar shows `summary`.
    bool Search(const std::string& root, const std::string& summary) const {
        SetPath(root);
        ClickStart();
        return WaitFor([&] { return WindowText(Status) == summary && IsWindowEnabled(Start); });
    }
    // Exit code once the process has ended, or -1 after the timeout.
    long long ExitCode(DWORD timeoutMs = 10000) const {
        if (WaitForSingleObject(Process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(Process_.hProcess, &code);
        return code;
    }

    HWND Main = nullptr;
    HWND List = nullptr;
    HWND Path = nullptr;
    HWND Start = nullptr;
    HWND Browse = nullptr;
    HWND Label = nullptr;
    HWND Status = nullptr;

private:
    PROCESS_INFORMATION Process_{};
    bool Started_ = false;
};

// The text of a message box: its Static that is not the icon.
std::string BoxText(HWND box) {
    for (HWND child : Children(box)) {
        if (ClassOf(child) == "Static" && SendMessageW(child, STM_GETICON, 0, 0) == 0) {
            const std::string text = WindowText(child);
            if (!text.empty()) return text;
        }
    }
    return "";
}

void CloseBox(HWND box) {
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    WaitFor([&] { return !IsWindow(box); });
}

std::string ReportLine(const std::string& name, const std::string& path, int line) {
    return UiText[utMissingPrefix] + name + UiText[utInFile] + path + UiText[utAtLine] + std::to_string(line);
}

std::string DoneSummary(int count) {
    return UiText[utDonePrefix] + std::to_string(count) + UiText[utDoneSuffix];
}

struct TExpectedControl {
    const char* Name;
    HWND TApp::*Handle;
    const char* ClassName;
    std::string Text;
    LONG Style;
};

void CheckControls(const TApp& app, const std::string& when) {
    const TExpectedControl controls[] = {
        {"list", &TApp::List, "ListBox", "", 0x50700103},
        {"path box", &TApp::Path, "Edit", "", 0x50410080},
        {"start button", &TApp::Start, "Button", UiText[utStart], 0x50010000},
        {"browse button", &TApp::Browse, "Button", UiText[utBrowse], 0x50010000},
        {"label", &TApp::Label, "Button", UiText[utPathLabel], 0x58000000},
        {"status bar", &TApp::Status, "msctls_statusbar32", UiText[utHint], 0x50000010},
    };
    for (const TExpectedControl& c : controls) {
        const HWND window = app.*c.Handle;
        const std::string what = when + ", " + c.Name;
        CheckText(ClassOf(window), c.ClassName, what + " class");
        if (c.Handle != &TApp::List) CheckText(WindowText(window), c.Text, what + " text");
        const LONG style = GetWindowLongA(window, GWL_STYLE);
        // The list box drops its scroll bar bits while it needs no scroll bar.
        const LONG want = c.Handle == &TApp::List ? c.Style & ~(WS_VSCROLL | WS_HSCROLL) : c.Style;
        Check((style & want) == want, what + " style bits");
    }

    RECT client;
    GetClientRect(app.Main, &client);
    const int w = client.right;
    const int h = client.bottom;
    RECT statusClient;
    GetClientRect(app.Status, &statusClient);
    const int hs = statusClient.bottom;
    struct TExpectedRect {
        const char* Name;
        HWND Window;
        RECT Rect;
    };
    const TExpectedRect rects[] = {
        {"path box", app.Path, {120, 10, w - 160, 32}}, {"start button", app.Start, {w - 100, 10, w - 10, 32}},
        {"label", app.Label, {10, 10, 120, 32}},        {"browse button", app.Browse, {w - 160, 10, w - 110, 32}},
        {"status bar", app.Status, {0, h - hs, w, h}},  {"list", app.List, {1, 42, w, h - hs}},
    };
    for (const TExpectedRect& r : rects) {
        const RECT got = RectIn(app.Main, r.Window);
        char text[160];
        std::snprintf(text, sizeof(text), "%s, %s rect (%ld,%ld,%ld,%ld) want (%ld,%ld,%ld,%ld)", when.c_str(), r.Name,
                      got.left, got.top, got.right, got.bottom, r.Rect.left, r.Rect.top, r.Rect.right, r.Rect.bottom);
        Check(EqualRect(&got, &r.Rect) != 0, text);
    }
    Check(hs > 10, when + ", status bar has its own height");
}

// A tree with three undeclared uses, in two files; the item data of each line
// is the index of its reference in scan order (sub\b.ini is read first).
struct TTree {
    std::string Root;
    std::vector<std::string> Lines;  // sorted as the list box shows them
    std::vector<LRESULT> ItemData;
};

TTree MakeSearchTree(const std::string& base) {
    const std::string root = base + "\\tree";
    CreateDirectoryA(root.c_str(), nullptr);
    CreateDirectoryA((root + "\\sub").c_str(), nullptr);
    WriteFileBytes(root + "\\sub\\b.ini", "ButtonImage = Alpha\r\nSelectPortrait = Known\r\n");
    WriteFileBytes(root + "\\a.ini",
                   "MappedImage Known\r\n; a comment\r\n  SelectPortrait = Zeta\r\nButtonImage = Mu\r\n");
    return {root,
            {ReportLine("alpha", "\\sub\\b.ini", 1), ReportLine("mu", "\\a.ini", 4), ReportLine("zeta", "\\a.ini", 3)},
            {0, 3, 2}};
}

// The folder that scripts/test-window makes below long\\: six names of 50
// bytes, so that its path passes 260 bytes wherever the scratch folder is.
std::string LongFolder(const std::string& base) {
    std::string path = base + "\\long";
    for (int k = 0; k < 6; ++k) path += "\\" + std::string(50, 'l');
    return path;
}

void TestWindowAndSearch(const std::string& exe, const std::string& base) {
    const std::string work = base + "\\work";
    CreateDirectoryA(work.c_str(), nullptr);
    const TApp app(exe, work);
    Check(app.Ready(), "the main window has six children");
    if (!app.Ready()) return;

    CheckText(WindowText(app.Main), "Tessaron 1.1 Beta by Quennick", "title");
    RECT frame;
    GetWindowRect(app.Main, &frame);
    const int left = GetSystemMetrics(SM_CXSCREEN) / 2 - 320;
    const int top = GetSystemMetrics(SM_CYSCREEN) / 2 - 240;
    const RECT wantFrame = {left, top, left + 640, top + 480};
    Check(EqualRect(&frame, &wantFrame) != 0, "the window is centred, 640x480");
    Check((GetWindowLongA(app.Main, GWL_STYLE) & 0x10CF0000) == 0x10CF0000, "main window style");
    Check(GetClassLongPtrA(app.Main, GCLP_HICON) == 0, "the class names no icon");
    CheckControls(app, "at start");
    Check(app.Focus() == app.Start, "the start button has the focus at start");

    SetWindowPos(app.Main, nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CheckControls(app, "at 800x600");

    // A real search, twice.
    const TTree tree = MakeSearchTree(base);
    for (const char* round : {"first search", "second search"}) {
        Check(app.Search(tree.Root, DoneSummary(3)), std::string(round) + " ends with the summary");
        const auto lines = ListLines(app.List);
        CheckNumber(static_cast<long long>(lines.size()), 3, std::string(round) + " line count");
        for (std::size_t k = 0; k < lines.size() && k < tree.Lines.size(); ++k) {
            CheckText(lines[k], tree.Lines[k], std::string(round) + " line " + std::to_string(k));
            CheckNumber(SendMessageW(app.List, LB_GETITEMDATA, k, 0), tree.ItemData[k],
                        std::string(round) + " item data of line " + std::to_string(k));
        }
        Check(app.Focus() == app.List, std::string(round) + ": the list has the focus");
        CheckNumber(GetWindowLongA(app.Start, GWL_STYLE), 0x50010000, std::string(round) + ": start button idle");
        CheckNumber(GetWindowLongA(app.Browse, GWL_STYLE), 0x50010000, std::string(round) + ": browse button idle");
    }

    // Refusals keep the previous lines.
    struct TRefusal {
        const char* Name;
        std::string Path;
        TTextId Message;
    };
    const TRefusal refusals[] = {
        {"empty path", "", utPathEmpty},
        {"missing path", base + "\\no such folder", utPathMissing},
        {"blanks only", "   ", utPathMissing},
        {"an existing folder beyond 260 bytes", LongFolder(base), utPathMissing},
    };
    for (const TRefusal& r : refusals) {
        app.SetPath(r.Path);
        app.Click(app.Start);
        const HWND box = app.WaitForBox();
        Check(box != nullptr, std::string(r.Name) + ": a message box appears");
        if (box == nullptr) continue;
        CheckText(WindowText(box), UiText[utError], std::string(r.Name) + " box caption");
        CheckText(BoxText(box), UiText[r.Message], std::string(r.Name) + " box text");
        Check(GetWindow(box, GW_OWNER) == app.Main, std::string(r.Name) + " box owned by the main window");
        CheckText(WindowText(app.Status), UiText[utError], std::string(r.Name) + " status");
        CheckNumber(GetWindowLongA(app.Start, GWL_STYLE), 0x50010000, std::string(r.Name) + ": start button idle");
        CloseBox(box);
        Check(ListLines(app.List) == tree.Lines, std::string(r.Name) + ": the list is unchanged");
    }

    // A tree without any use.
    const std::string empty = base + "\\empty";
    CreateDirectoryA(empty.c_str(), nullptr);
    Check(app.Search(empty, UiText[utNoUsed]), "an empty tree ends with the no-use summary");
    CheckNumber(SendMessageW(app.List, LB_GETCOUNT, 0, 0), 0, "an empty tree empties the list");

    PostMessageA(app.Main, WM_CLOSE, 0, 0);
    CheckNumber(app.ExitCode(), 0, "closing the window ends the program with code 0");
}

// The run-time's error report: its caption, the exception, a 16-digit address
// and the message (any when `message` is empty) with its full stop. Returns the text.
std::string CheckErrorReport(HWND box, const std::string& message, const std::string& what) {
    CheckText(WindowText(box), "Application Error", what + ": the report's caption");
    const std::string text = BoxText(box);
    const std::string head = "Exception EInOutError in module tessaron.exe at ";
    const std::size_t dot = text.find(".\r\n", head.size());
    const bool shaped = text.compare(0, head.size(), head) == 0 && dot == head.size() + 16 &&
                        text.find_first_not_of("0123456789ABCDEF", head.size()) == dot;
    const std::string said = shaped ? text.substr(dot + 3) : "";
    Check(shaped && said.size() > 3 && said.compare(said.size() - 3, 3, ".\r\n") == 0 &&
              (message.empty() || said == message + "\r\n"),
          what + ": the report's text \"" + text + "\"");
    return text;
}

void TestReadError(const std::string& exe, const std::string& base) {
    const std::string work = base + "\\work-broken";
    CreateDirectoryA(work.c_str(), nullptr);
    const TApp app(exe, work);
    if (!app.Ready()) return;
    app.SetPath(base + "\\broken");
    app.Click(app.Start);
    const HWND box = app.WaitForBox();
    Check(box != nullptr, "a read error shows the error report");
    if (box == nullptr) return;
    const std::string text = CheckErrorReport(box, "", "a read error");
    Check(GetWindow(box, GW_OWNER) == nullptr, "error report has no owner");
    Check((GetWindowLongA(app.Start, GWL_STYLE) & WS_DISABLED) != 0, "the buttons stay busy behind the report");
    CloseBox(box);
    CheckNumber(app.ExitCode(), 1, "a read error ends the program with code 1");
    std::printf("error report: %s", text.c_str());
}

std::wstring WideFromAnsi(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

// Every visible Notepad window, or those titled `<fileName> - Блокнот`.
std::vector<HWND> NotepadWindows(const std::string& fileName = "") {
    struct TQuery {
        std::wstring Name;
        std::vector<HWND> Found;
    } query{WideFromAnsi(fileName), {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& q = *reinterpret_cast<TQuery*>(data);
            const std::wstring suffix = L" - \u0411\u043b\u043e\u043a\u043d\u043e\u0442";
            wchar_t title[512] = {};
            GetWindowTextW(window, title, 512);
            const std::wstring t = title;
            const bool notepad =
                t.size() > suffix.size() && t.compare(t.size() - suffix.size(), suffix.size(), suffix) == 0;
            if (IsWindowVisible(window) && notepad && (q.Name.empty() || t == q.Name + suffix))
                q.Found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&query));
    return query.Found;
}

void CloseNotepads() {
    for (HWND window : NotepadWindows()) PostMessageA(window, WM_CLOSE, 0, 0);
    WaitFor([] { return NotepadWindows().empty(); });
}

// Selects the line that shows `text` and sends the double-click
// notification the way the list box does.
bool DoubleClickLine(const TApp& app, const std::string& text) {
    const auto lines = ListLines(app.List);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        if (lines[k] != text) continue;
        SendMessageW(app.List, LB_SETCURSEL, k, 0);
        PostMessageA(app.Main, WM_COMMAND, MAKEWPARAM(0, LBN_DBLCLK), reinterpret_cast<LPARAM>(app.List));
        return true;
    }
    return false;
}

struct TSelection {
    DWORD Start = 0;
    DWORD End = 0;
};

// A control's selection once it has one.
TSelection WaitForControlSelection(HWND control) {
    TSelection selection;
    WaitFor(
        [&] {
            SendMessageW(control, EM_GETSEL, reinterpret_cast<WPARAM>(&selection.Start),
                         reinterpret_cast<LPARAM>(&selection.End));
            return selection.End > selection.Start;
        },
        3000);
    return selection;
}

// Notepad's selection once it has one, read from its Edit control.
TSelection WaitForSelection(HWND notepad) {
    return WaitForControlSelection(FindWindowExA(notepad, nullptr, "EDIT", nullptr));
}

DWORD LineStart(HWND notepad, int line) {
    const HWND edit = FindWindowExA(notepad, nullptr, "EDIT", nullptr);
    return static_cast<DWORD>(SendMessageW(edit, EM_LINEINDEX, line, 0));
}

std::string WindowsFolder() {
    char path[MAX_PATH] = {};
    return std::string(path, GetWindowsDirectoryA(path, MAX_PATH));
}

// Starts the stand-in for today's Notepad on `file` (see stand_in_editor.cpp)
// and returns its rich-edit control, null when it did not come up.
HWND StartStandInEditor(const std::string& file, PROCESS_INFORMATION& process) {
    char self[MAX_PATH] = {};
    std::string program(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
    program = program.substr(0, program.rfind('\\')) + "\\stand_in_editor.exe";
    std::string command = "\"" + program + "\" " + file;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    if (!CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return nullptr;
    }
    const std::string title = file.substr(file.rfind('\\') + 1) + " - Notepad";
    HWND frame = nullptr;
    if (!WaitFor([&] { return (frame = FindWindowA("StandInEditor", title.c_str())) != nullptr; })) {
        TerminateProcess(process.hProcess, 1);
        return nullptr;
    }
    return FindWindowExA(FindWindowExA(frame, nullptr, "STATIC", nullptr), nullptr, "RICHEDIT50W", nullptr);
}

// Today's Notepad: the text in a rich-edit control below the top-level window.
void TestJumpToRichEdit(const TApp& app, const std::string& file) {
    PROCESS_INFORMATION process{};
    const HWND rich = StartStandInEditor(file, process);
    Check(rich != nullptr, "the stand-in editor shows rich.ini");
    Check(DoubleClickLine(app, ReportLine("inrichedit", "\\rich.ini", 2)), "the line of inrichedit is listed");
    const TSelection selection = WaitForControlSelection(rich);
    // Its line end counts one position there.
    CheckNumber(selection.Start, 9 + 16, "rich edit: selection start");
    CheckNumber(selection.End, 9 + 26, "rich edit: selection end");
    Check(NotepadWindows("rich.ini").empty(), "the stand-in's window is reused: no Notepad starts");
    PostMessageA(GetAncestor(rich, GA_ROOT), WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

void TestJumpToNotepad(const std::string& exe, const std::string& base) {
    const std::string root = base + "\\notes";
    const std::string cyrillic = "\xEA\xE0\xF0\xF2\xE0.ini";  // карта.ini in Windows-1251
    CreateDirectoryA(root.c_str(), nullptr);
    WriteFileBytes(root + "\\decl.ini", "MappedImage Declared\r\n");
    WriteFileBytes(root + "\\plain.ini", "  SelectPortrait = SNPortrait\r\n\tButtonImage = TabName\r\n");
    WriteFileBytes(root + "\\" + cyrillic, "ButtonImage = Cyr\r\n");
    WriteFileBytes(root + "\\wrap.ini", "; " + std::string(600, 'w') + "\r\n  ButtonImage = Wrapped\r\n");
    WriteFileBytes(root + "\\rich.ini", "Object R\r\n  ButtonImage = InRichEdit\r\n");
    const std::string work = base + "\\work-jump";
    CreateDirectoryA(work.c_str(), nullptr);
    const TApp app(exe, work);
    if (!app.Ready()) return;

    // An empty list: a double-click does nothing.
    PostMessageA(app.Main, WM_COMMAND, MAKEWPARAM(0, LBN_DBLCLK), reinterpret_cast<LPARAM>(app.List));
    Sleep(1000);
    Check(NotepadWindows().empty(), "a double-click on the empty list starts no Notepad");

    if (!app.Search(root, DoneSummary(5))) {
        Check(false, "the jump tree is searched");
        return;
    }
    Check(DoubleClickLine(app, ReportLine("snportrait", "\\plain.ini", 1)), "the line of snportrait is listed");
    Check(WaitFor([] { return NotepadWindows("plain.ini").size() == 1; }), "Notepad opens plain.ini");
    const auto plain = NotepadWindows("plain.ini");
    if (plain.size() != 1) return;
    // The first double-click selects: the jump waits for a slow Notepad.
    const TSelection first = WaitForSelection(plain[0]);
    CheckNumber(first.Start, 19, "two blanks of indent: selection start");
    CheckNumber(first.End, 29, "two blanks of indent: selection end");

    Check(DoubleClickLine(app, ReportLine("tabname", "\\plain.ini", 2)), "the line of tabname is listed");
    Sleep(1000);
    CheckNumber(static_cast<long long>(NotepadWindows("plain.ini").size()), 1,
                "a second line of the same file reuses the Notepad window");
    const DWORD tabLine = LineStart(plain[0], 1);
    const TSelection second = WaitForSelection(plain[0]);
    CheckNumber(second.Start, tabLine + 15, "tab indent: selection start");
    CheckNumber(second.End, tabLine + 22, "tab indent: selection end");

    for (int round = 1; round <= 2; ++round) {
        Check(DoubleClickLine(app, ReportLine("cyr", "\\" + cyrillic, 1)), "the line of the Cyrillic file is listed");
        Sleep(1500);
        CheckNumber(static_cast<long long>(NotepadWindows(cyrillic).size()), 1,
                    "a Cyrillic file name stays one Notepad window, double-click " + std::to_string(round));
    }
    const auto cyr = NotepadWindows(cyrillic);
    if (cyr.size() == 1) {
        const TSelection selection = WaitForSelection(cyr[0]);
        CheckNumber(selection.Start, 14, "Cyrillic file: selection start");
        CheckNumber(selection.End, 17, "Cyrillic file: selection end");
    }

    Check(DoubleClickLine(app, ReportLine("wrapped", "\\wrap.ini", 2)), "the line of wrapped is listed");
    Check(WaitFor([] { return NotepadWindows("wrap.ini").size() == 1; }), "Notepad opens wrap.ini");
    for (const HWND notepad : NotepadWindows("wrap.ini")) {
        const TSelection selection = WaitForSelection(notepad);
        CheckNumber(selection.Start, 604 + 16, "word wrap: selection start");
        CheckNumber(selection.End, 604 + 23, "word wrap: selection end");
        Check(SendMessageW(FindWindowExA(notepad, nullptr, "EDIT", nullptr), EM_LINEFROMCHAR, 604, 0) > 1,
              "word wrap: Notepad wraps the long line");
    }
    TestJumpToRichEdit(app, root + "\\rich.ini");
    CloseNotepads();
    PostMessageA(app.Main, WM_CLOSE, 0, 0);
    CheckNumber(app.ExitCode(), 0, "the jump run ends with code 0");
}

// Waits for the status to show any of `texts`; gives up once it shows `over`.
// A busy search answers only when it pumps, between its phases; asking again
// at once keeps a question waiting for each of them.
bool WaitForStatus(const TApp& app, const std::vector<std::string>& texts, const std::string& over = "") {
    const DWORD start = GetTickCount();
    for (std::string now = WindowText(app.Status); std::find(texts.begin(), texts.end(), now) == texts.end();
         now = WindowText(app.Status)) {
        if (now == over || GetTickCount() - start > 20000) return false;
        Sleep(0);
    }
    return true;
}

// The big tree (scripts/test-window makes it) reports two uses of each file.
constexpr int kBigTreeLines = 2 * 3000;

void TestDuringSearch(const std::string& exe, const std::string& base) {
    const std::string work = base + "\\work-busy";
    const std::string big = base + "\\big";
    CreateDirectoryA(work.c_str(), nullptr);
    // Each close comes in a second search, so that the list has lines to lose.
    // The preparing phase is too short to be seen from outside: that close is
    // posted right behind the click, so the search's first pump takes it. The
    // walk's phase is seen only when a question waits at the pump that begins
    // it, so a run that missed it is tried again.
    for (TTextId phase : {utPreparing, utSearchingFiles, utSearchingImages, utComparing}) {
        const std::string what = "closing while \"" + UiText[phase] + "\" shows";
        bool seen = phase == utPreparing;
        for (int attempt = 0; attempt < 5; ++attempt) {
            const TApp app(exe, work);
            if (!app.Ready()) return;
            Check(app.Search(big, DoneSummary(kBigTreeLines)), what + ": the first search ends");
            app.ClickStart();
            if (phase != utPreparing) seen = WaitForStatus(app, {UiText[phase]}, DoneSummary(kBigTreeLines));
            PostMessageA(app.Main, WM_CLOSE, 0, 0);
            CheckNumber(app.ExitCode(20000), 0, what + ": exit code");
            Check(TopWindows(app.ProcessId(), "#32770").empty(), what + ": no box is left");
            CheckText(ReadFileBytes(work + "\\path.txt"), big + "\r\n", what + ": the path is saved");
            if (seen) break;
        }
        Check(seen, what + ": the phase is seen");
    }

    // Typing and a double-click on the (emptied) list while the search runs.
    const TApp app(exe, work);
    if (!app.Ready()) return;
    app.SetPath(big);
    SendMessageA(app.Path, EM_SETSEL, big.size(), big.size());
    app.Click(app.Start);
    Check(WaitForStatus(app, {UiText[utSearchingFiles], UiText[utSearchingImages], UiText[utComparing]},
                        DoneSummary(kBigTreeLines)),
          "busy: the search is seen running");
    for (char c : std::string("xyz")) PostMessageA(app.Path, WM_CHAR, static_cast<WPARAM>(c), 0);
    PostMessageA(app.Main, WM_COMMAND, MAKEWPARAM(0, LBN_DBLCLK), reinterpret_cast<LPARAM>(app.List));
    Check(WaitForStatus(app, {DoneSummary(kBigTreeLines)}), "busy: the search ends with its summary");
    CheckNumber(SendMessageW(app.List, LB_GETCOUNT, 0, 0), kBigTreeLines, "busy: every line is listed");
    CheckText(WindowText(app.Path), big + "xyz", "busy: what was typed during the search is in the path box");
    Check(NotepadWindows().empty(), "busy: a double-click during the search opens no Notepad");
    PostMessageA(app.Main, WM_CLOSE, 0, 0);
    CheckNumber(app.ExitCode(), 0, "busy: exit code");
}

std::string DesktopFolder() {
    char path[MAX_PATH] = {};
    // The folder dialog starts at the desktop; confirming it gives this path.
    GetEnvironmentVariableA("USERPROFILE", path, MAX_PATH);
    return std::string(path) + "\\Desktop";
}

void TestBrowse(const std::string& exe, const std::string& base) {
    const std::string work = base + "\\work-browse";
    CreateDirectoryA(work.c_str(), nullptr);
    const TApp app(exe, work);
    if (!app.Ready()) return;
    SetFocus(nullptr);

    // The dialog starts at the desktop whatever the path box holds.
    const std::string windows = WindowsFolder();
    struct TBrowseCase {
        const char* Name;
        WPARAM Button;
        std::string Typed;
        std::string Path;
    };
    const TBrowseCase cases[] = {
        {"cancel", IDCANCEL, "typed", "typed"},
        {"confirm", IDOK, windows, DesktopFolder()},
    };
    for (const TBrowseCase& c : cases) {
        app.SetPath(c.Typed);
        const HWND focusBefore = app.Focus();
        app.Click(app.Browse);
        const HWND dialog = app.WaitForBox();
        Check(dialog != nullptr, std::string(c.Name) + ": the folder dialog appears");
        if (dialog == nullptr) continue;
        CheckText(BoxText(dialog), UiText[utBrowsePrompt], std::string(c.Name) + ": the dialog's prompt");
        Check(GetWindow(dialog, GW_OWNER) == app.Main, std::string(c.Name) + ": the dialog is owned by the window");
        Check(FindWindowExA(dialog, nullptr, "SysTreeView32", nullptr) != nullptr,
              std::string(c.Name) + ": the dialog shows the folder tree");
        PostMessageA(dialog, WM_COMMAND, c.Button, 0);
        Check(WaitFor([&] { return !IsWindow(dialog); }), std::string(c.Name) + ": the dialog closes");
        Sleep(200);
        CheckText(WindowText(app.Path), c.Path, std::string(c.Name) + ": the path box");
        const HWND focus = app.Focus();
        Check(focus == (c.Button == IDOK ? app.Start : focusBefore),
              std::string(c.Name) + ": the focus " + ClassOf(focus) + " " + WindowText(focus) + " before " +
                  ClassOf(focusBefore) + " " + WindowText(focusBefore));
    }
    PostMessageA(app.Main, WM_CLOSE, 0, 0);
    CheckNumber(app.ExitCode(), 0, "the browse run ends with code 0");
}

void TestSavedPath(const std::string& exe, const std::string& base) {
    const std::string work = base + "\\work-saved";
    CreateDirectoryA(work.c_str(), nullptr);
    const std::string file = work + "\\path.txt";
    // Only the first line counts, blanks kept, whether it ends in LF or CR LF.
    WriteFileBytes(file, "  Z:\\with blanks  \nsecond line\r\n");
    const std::string cyrillic = " C:\\\xC8\xE3\xF0\xFB ";  // " C:\Игры " in Windows-1251
    struct TRun {
        const char* Name;
        std::string Shown;  // the path box at start
        std::string Typed;  // typed before closing
        std::string Saved;  // path.txt afterwards
    };
    const TRun runs[] = {
        {"prepared file", "  Z:\\with blanks  ", cyrillic, cyrillic + "\r\n"},
        {"typed path", cyrillic, "", "\r\n"},
        {"empty line", "", "kept", "kept\r\n"},
    };
    for (const TRun& r : runs) {
        const TApp app(exe, work);
        if (!app.Ready()) return;
        CheckText(WindowText(app.Path), r.Shown, std::string(r.Name) + ": the path box at start");
        app.SetPath(r.Typed);
        PostMessageA(app.Main, WM_CLOSE, 0, 0);
        CheckNumber(app.ExitCode(), 0, std::string(r.Name) + ": exit code");
        CheckText(ReadFileBytes(file), r.Saved, std::string(r.Name) + ": path.txt");
    }

    // A directory named path.txt cannot be written.
    const std::string locked = base + "\\work-unwritable";
    CreateDirectoryA(locked.c_str(), nullptr);
    CreateDirectoryA((locked + "\\path.txt").c_str(), nullptr);
    const TApp app(exe, locked);
    if (!app.Ready()) return;
    CheckText(WindowText(app.Path), "", "an unreadable path.txt gives an empty path box");
    PostMessageA(app.Main, WM_CLOSE, 0, 0);
    const HWND box = app.WaitForBox();
    Check(box != nullptr, "an unwritable path.txt shows the error report");
    if (box == nullptr) return;
    CheckErrorReport(box, "File access denied.", "unwritable path.txt");
    CloseBox(box);
    CheckNumber(app.ExitCode(), 1, "unwritable path.txt: exit code 1");
}

}  // namespace

int main(int argc, char** argv) {
    InstallRussianTexts();
    if (argc != 3) {
        std::fprintf(stderr, "usage: window_driver <tessaron.exe> <scratch folder>\n");
        return 2;
    }
    const std::string exe = argv[1];
    const std::string base = argv[2];
    TestWindowAndSearch(exe, base);
    TestDuringSearch(exe, base);
    TestReadError(exe, base);
    TestSavedPath(exe, base);
    TestBrowse(exe, base);
    TestJumpToNotepad(exe, base);
    std::printf("window tests: %d checks, %d failed\n", Checks, Failures);
    return Failures == 0 ? 0 : 1;
}
