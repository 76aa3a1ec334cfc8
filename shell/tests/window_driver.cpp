// window_driver <tessaron.exe> <scratch folder>: starts the real program and checks it
// from outside through window messages. scripts/test-window makes the scratch folder.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <regex>
#include <tuple>

#include "remote_window.h"
#include "ui_text.h"

namespace {

int Failures = 0, Checks = 0;
std::string Exe, Base;  // the program under test, the scratch folder

void Check(bool ok, const std::string& what) {
    ++Checks;
    if (!ok) ++Failures;
    if (!ok) std::printf("FAIL: %s\n", what.c_str());
}

void CheckText(const std::string& got, const std::string& want, const std::string& what) {
    Check(got == want, what + ": got \"" + got + "\", want \"" + want + "\"");
}

// Answers this thread's window messages while it waits.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000, DWORD pauseMs = 20) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        Sleep(pauseMs);
    }
    return true;
}

// The list's lines, each followed by " #" and its item data when asked.
std::vector<std::string> ListLines(HWND list, bool withData = false) {
    std::vector<std::string> lines;
    for (LRESULT line = 0, count = SendMessageW(list, LB_GETCOUNT, 0, 0); line < count; ++line) {
        std::wstring wide(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, line, 0)) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, line, reinterpret_cast<LPARAM>(wide.data()));
        const std::string data = " #" + std::to_string(SendMessageW(list, LB_GETITEMDATA, line, 0));
        lines.push_back(AnsiFromWide(wide.c_str()) + (withData ? data : ""));
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

std::string Folder(const std::string& name) {
    const std::string path = Base + "\\" + name;
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

// A running tessaron.exe, started in `Work`, and its controls in creation order.
class TApp {
public:
    explicit TApp(const std::string& folder) : Work(Folder(folder)) {
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        std::string command = "\"" + Exe + "\"";
        CreateProcessA(Exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, Work.c_str(), &startup,
                       &Process_);
        // A loaded machine may take more than 10 s for the first start.
        Main = WaitForTop("TForm", 30000);
        const auto children = Children(Main);
        Check(children.size() == 6, "tessaron.exe starts in " + Work + ", its window with six children");
        if (children.size() != 6) return;
        HWND* const controls[] = {&List, &Path, &Start, &Browse, &Label, &Status};
        for (std::size_t k = 0; k < 6; ++k) *controls[k] = children[k];
    }
    ~TApp() {
        if (Process_.hProcess == nullptr) return;
        if (WaitForSingleObject(Process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(Process_.hProcess, 99);
        CloseHandle(Process_.hThread);
        CloseHandle(Process_.hProcess);
    }
    bool Ready() const { return Status != nullptr; }

    HWND Focus() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        GetGUIThreadInfo(Process_.dwThreadId, &info);
        return info.hwndFocus;
    }
    void Click(HWND control, WORD code = BN_CLICKED) const {
        PostMessageA(Main, WM_COMMAND, MAKEWPARAM(0, code), (LPARAM)control);
    }
    void SetPath(const std::string& text) const { SendMessageA(Path, WM_SETTEXT, 0, (LPARAM)text.c_str()); }
    // The program's first visible top-level window of that class, or null after the timeout.
    HWND WaitForTop(const char* className, DWORD timeoutMs = 10000) const {
        std::vector<HWND> found;
        WaitFor([&] { return !(found = TopWindows(Process_.dwProcessId, className)).empty(); }, timeoutMs);
        return found.empty() ? nullptr : found.front();
    }
    bool Idle() const {
        return GetWindowLongA(Start, GWL_STYLE) == 0x50010000 && GetWindowLongA(Browse, GWL_STYLE) == 0x50010000;
    }
    // Clears the status first, so that the summary before cannot pass for this one's.
    void ClickStart() const {
        SendMessageA(Status, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
        Click(Start);
    }
    bool Search(const std::string& root, const std::string& summary) const {
        SetPath(root);
        ClickStart();
        return WaitFor([&] { return WindowText(Status) == summary && IsWindowEnabled(Start); });
    }
    long long ExitCode() const {
        DWORD code = 0;
        const bool ended = WaitForSingleObject(Process_.hProcess, 20000) == WAIT_OBJECT_0;
        return ended && GetExitCodeProcess(Process_.hProcess, &code) ? static_cast<long long>(code) : -1;
    }
    void Close(const std::string& what) const {
        PostMessageA(Main, WM_CLOSE, 0, 0);
        CheckText(std::to_string(ExitCode()), "0", what + ": exit code");
    }

    const std::string Work;
    HWND Main{}, List{}, Path{}, Start{}, Browse{}, Label{}, Status{};

private:
    PROCESS_INFORMATION Process_{};
};

// A box as "caption: text" (its first Static with a text, not the icon), marked when `owner` does not own it.
std::string BoxText(HWND box, HWND owner) {
    std::string text;
    for (HWND child : Children(box))
        if (text.empty() && ClassOf(child) == "Static" && SendMessageW(child, STM_GETICON, 0, 0) == 0)
            text = WindowText(child);
    return WindowText(box) + ": " + text + (GetWindow(box, GW_OWNER) == owner ? "" : " (wrong owner)");
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

// A window as one line: class, text, the `style` bits it has, and its place in its parent.
std::string Shape(const std::string& className, const std::string& text, LONG style, const RECT& r) {
    char line[400];
    std::snprintf(line, sizeof(line), "%s \"%s\" %08lX (%ld,%ld,%ld,%ld)", className.c_str(), text.c_str(), style,
                  r.left, r.top, r.right, r.bottom);
    return line;
}

// The main window at `frame` and its controls laid out in its client area.
void CheckControls(const TApp& app, const RECT& frame, const std::string& when) {
    RECT client, bar;
    GetClientRect(app.Main, &client);
    GetClientRect(app.Status, &bar);
    const LONG w = client.right, h = client.bottom, hs = bar.bottom;
    Check(hs > 10, when + ", status bar has its own height");
    const std::tuple<HWND, const char*, std::string, LONG, RECT> windows[] = {
        {app.Main, "TForm", UiText[utTitle], 0x10CF0000, frame},
        {app.List, "ListBox", "List1", 0x50700103, {1, 42, w, h - hs}},
        {app.Path, "Edit", "", 0x50410080, {120, 10, w - 160, 32}},
        {app.Start, "Button", UiText[utStart], 0x50010000, {w - 100, 10, w - 10, 32}},
        {app.Browse, "Button", UiText[utBrowse], 0x50010000, {w - 160, 10, w - 110, 32}},
        {app.Label, "Button", UiText[utPathLabel], 0x58000000, {10, 10, 120, 32}},
        {app.Status, "msctls_statusbar32", UiText[utHint], 0x50000010, {0, h - hs, w, h}},
    };
    for (const auto& [window, className, text, allStyle, rect] : windows) {
        // The list box drops its scroll bar bits while it needs no scroll bar.
        const LONG style = window == app.List ? allStyle & ~(WS_VSCROLL | WS_HSCROLL) : allStyle;
        RECT got;
        GetWindowRect(window, &got);
        MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&got), 2);
        CheckText(Shape(ClassOf(window), WindowText(window), GetWindowLongA(window, GWL_STYLE) & style, got),
                  Shape(className, text, style, rect), when + ", " + className + " " + text);
    }
}

// The run-time's unowned error report with `message` (any when empty); closing it ends with code 1.
void CheckErrorReport(const TApp& app, const std::string& message, const std::string& what) {
    const HWND box = app.WaitForTop("#32770");
    const std::string text = BoxText(box, nullptr);
    const std::regex shape("Application Error: Exception EInOutError in module tessaron\\.exe at [0-9A-F]{16}\\.\r\n" +
                           (message.empty() ? ".+\\." : message) + "\r\n");
    CloseBox(box);
    Check(std::regex_match(text, shape) && app.ExitCode() == 1,
          what + ": the report \"" + text + "\", closed with exit code 1");
}

void TestReadError() {
    const TApp app("work-broken");
    if (!app.Ready()) return;
    app.SetPath(Base + "\\broken");
    app.Click(app.Start);
    app.WaitForTop("#32770");
    Check((GetWindowLongA(app.Start, GWL_STYLE) & WS_DISABLED) != 0, "the buttons stay busy behind the report");
    CheckErrorReport(app, "", "a read error");
}

// Wine's Notepad under the Russian locale: "<file> - Блокнот".
std::string NotepadTitle(const std::string& file) {
    return file + " - \xC1\xEB\xEE\xEA\xED\xEE\xF2";
}

std::vector<HWND> Notepads() {
    std::vector<HWND> found;
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "Notepad", nullptr)) != nullptr;) found.push_back(w);
    return found;
}

bool CloseNotepads() {
    for (HWND w : Notepads()) PostMessageA(w, WM_CLOSE, 0, 0);
    return WaitFor([] { return Notepads().empty(); });
}

// An editor's text control: Notepad's Edit, or the stand-in's rich edit one level down.
HWND TextControl(HWND editor) {
    if (const HWND edit = FindWindowExA(editor, nullptr, "EDIT", nullptr)) return edit;
    return FindWindowExA(FindWindowExA(editor, nullptr, "STATIC", nullptr), nullptr, "RICHEDIT50W", nullptr);
}

// The selection "start-end" in the editor titled `title`, and how many Notepads are open.
std::string Editor(const std::string& title) {
    const HWND editor = FindWindowA(nullptr, title.c_str());
    DWORD start = 0, end = 0;
    if (editor) SendMessageW(TextControl(editor), EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    return (editor ? "" : "no editor ") + std::to_string(start) + "-" + std::to_string(end) + ", " +
           std::to_string(Notepads().size()) + " Notepads";
}

// From the empty list the window test leaves.
void TestJump(const TApp& app) {
    const std::string root = Folder("notes");
    const std::string cyrillic = "\xEA\xE0\xF0\xF2\xE0.ini";          // карта.ini in Windows-1251
    WriteFileBytes(root + "\\decl.ini", "MappedImage Declared\r\n");  // a tree without any is its own case
    WriteFileBytes(root + "\\plain.ini", "  SelectPortrait = SNPortrait\r\n\tButtonImage = TabName\r\n");
    WriteFileBytes(root + "\\" + cyrillic, "ButtonImage = Cyr\r\n");
    WriteFileBytes(root + "\\wrap.ini", "; " + std::string(600, 'w') + "\r\n  ButtonImage = Wrapped\r\n");
    const char richText[] = "Object R\r\n  ButtonImage = InRichEdit\r\n";
    WriteFileBytes(root + "\\rich.ini", richText);
    WriteFileBytes(root + "\\gone.ini", "\r\n\r\nButtonImage = Gone\r\n");
    // Today's Notepad as the jump sees it: a rich edit one level below "<file> - Notepad".
    const std::string standInTitle = "rich.ini - Notepad";
    LoadLibraryA("msftedit.dll");
    const HWND standIn = CreateWindowExA(0, "STATIC", standInTitle.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                         nullptr, nullptr, nullptr, nullptr);
    const HWND pane = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 400, 300, standIn, nullptr, nullptr, nullptr);
    CreateWindowExA(0, "RICHEDIT50W", richText, WS_CHILD | ES_MULTILINE, 0, 0, 400, 300, pane, nullptr, nullptr,
                    nullptr);
    app.Click(app.List, LBN_DBLCLK);
    Sleep(1000);
    CheckText(std::to_string(Notepads().size()), "0", "a double-click on the empty list starts no Notepad");
    Check(app.Search(root, DoneSummary(6)), "the jump tree is searched");
    // Line 3 is gone since the search: the selection counts from the text's start.
    WriteFileBytes(root + "\\gone.ini", "; line 3 is gone now\r\n");

    // Name, file, line, the selection, and the Notepads open afterwards (a file's window is reused).
    const std::tuple<std::string, std::string, int, std::string> jumps[] = {
        {"snportrait", "plain.ini", 1, "19-29, 1 Notepads"},
        {"tabname", "plain.ini", 2, "46-53, 1 Notepads"},  // line 2 starts at 31
        {"cyr", cyrillic, 1, "14-17, 2 Notepads"},
        {"cyr", cyrillic, 1, "14-17, 2 Notepads"},
        // Notepad wraps the long line (scripts/test-window sets it); line 2 starts at 604.
        {"wrapped", "wrap.ini", 2, "620-627, 3 Notepads"},
        // The rich edit counts a line end as one position.
        {"inrichedit", "rich.ini", 2, "25-35, 3 Notepads"},
        // From -1: column 15, less one, and the name's 4 letters.
        {"gone", "gone.ini", 3, "13-17, 4 Notepads"},
    };
    for (const auto& [name, file, number, want] : jumps) {
        const std::string what = "jump to " + name, title = file == "rich.ini" ? standInTitle : NotepadTitle(file);
        // A reused window shows the new selection, not the one before.
        if (const HWND editor = FindWindowA(nullptr, title.c_str())) SendMessageW(TextControl(editor), EM_SETSEL, 0, 0);
        const auto lines = ListLines(app.List);
        const auto line = std::find(lines.begin(), lines.end(), ReportLine(name, "\\" + file, number));
        Check(line != lines.end(), what + ": the line is listed");
        SendMessageW(app.List, LB_SETCURSEL, static_cast<WPARAM>(line - lines.begin()), 0);
        app.Click(app.List, LBN_DBLCLK);
        WaitFor([&] { return Editor(title) == want; }, 20000);
        CheckText(Editor(title), want, what + ": the editor, its selection and the Notepads open");
    }
    const HWND wrap = FindWindowA(nullptr, NotepadTitle("wrap.ini").c_str());
    Check(SendMessageW(TextControl(wrap), EM_LINEFROMCHAR, 604, 0) > 1, "Notepad wraps the long line");

    Check(CloseNotepads(), "the Notepads close");
    DestroyWindow(standIn);
}

// Waits for the status to show any of `texts`, not after `over`. A busy search answers
// only when it pumps; asking again at once keeps a question waiting at each pump.
bool WaitForStatus(const TApp& app, const std::vector<std::string>& texts, const std::string& over = "") {
    std::string now;
    const auto shown = [&] { return std::find(texts.begin(), texts.end(), now) != texts.end(); };
    WaitFor([&] { return (now = WindowText(app.Status)) == over || shown(); }, 20000, 0);
    return shown();
}

void TestDuringSearch() {
    const std::string big = Base + "\\big";
    const std::string done = DoneSummary(2 * 3000);  // two uses in each of its 3000 files
    // Each close comes in a second search, so that the list has lines to lose. The
    // preparing phase is too short to see: its close follows the click at once. A run
    // that missed a phase (seen only by a question waiting at its pump) is tried again.
    for (TTextId phase : {utPreparing, utSearchingFiles, utSearchingImages, utComparing}) {
        const std::string what = "closing while \"" + UiText[phase] + "\" shows";
        bool seen = phase == utPreparing;
        for (int attempt = 0; attempt < 5; ++attempt) {
            const TApp app("work-busy");
            if (!app.Ready()) return;
            Check(app.Search(big, done), what + ": the first search ends");
            app.ClickStart();
            if (phase != utPreparing) seen = WaitForStatus(app, {UiText[phase]}, done);
            app.Close(what);
            CheckText(ReadFileBytes(app.Work + "\\path.txt"), big + "\r\n", what + ": the path is saved");
            if (seen) break;
        }
        Check(seen, what + ": the phase is seen");
    }

    // Typing and a double-click on the (emptied) list while the search runs.
    const TApp app("work-busy");
    if (!app.Ready()) return;
    app.SetPath(big);
    SendMessageA(app.Path, EM_SETSEL, big.size(), big.size());
    app.Click(app.Start);
    Check(WaitForStatus(app, {UiText[utSearchingFiles], UiText[utSearchingImages], UiText[utComparing]}, done),
          "busy: the search is seen running");
    for (char c : std::string("xyz")) PostMessageA(app.Path, WM_CHAR, static_cast<WPARAM>(c), 0);
    app.Click(app.List, LBN_DBLCLK);
    Check(WaitForStatus(app, {done}), "busy: the search ends with its summary");
    CheckText(std::to_string(SendMessageW(app.List, LB_GETCOUNT, 0, 0)), "6000", "busy: every line is listed");
    CheckText(WindowText(app.Path), big + "xyz", "busy: what was typed during the search is in the path box");
    CheckText(std::to_string(Notepads().size()), "0", "busy: a double-click during the search opens no Notepad");
    app.Close("busy");
}

// After a search, which puts the focus on the list, where a cancel must leave it.
void TestBrowse(const TApp& app) {
    // The dialog starts at the desktop whatever the path box holds.
    char path[MAX_PATH] = {};
    const std::string windows(path, GetWindowsDirectoryA(path, MAX_PATH));
    GetEnvironmentVariableA("USERPROFILE", path, MAX_PATH);
    for (const WPARAM button : {IDCANCEL, IDOK}) {
        const std::string what = button == IDOK ? "confirm" : "cancel", typed = button == IDOK ? windows : "typed";
        app.SetPath(typed);
        const HWND focusBefore = app.Focus();
        app.Click(app.Browse);
        const HWND dialog = app.WaitForTop("#32770");
        // "Обзор" (Browse) is Wine's own caption.
        CheckText(BoxText(dialog, app.Main), "\xCE\xE1\xE7\xEE\xF0: " + UiText[utBrowsePrompt],
                  what + ": the folder dialog");
        Check(FindWindowExA(dialog, nullptr, "SysTreeView32", nullptr) != nullptr, what + ": the folder tree");
        PostMessageA(dialog, WM_COMMAND, button, 0);
        Check(WaitFor([&] { return !IsWindow(dialog); }), what + ": the dialog closes");
        Sleep(200);
        CheckText(WindowText(app.Path), button == IDOK ? std::string(path) + "\\Desktop" : typed,
                  what + ": the path box");
        const HWND focus = app.Focus();
        Check(focus == (button == IDOK ? app.Start : focusBefore), what + ": the focus is on " + WindowText(focus));
    }
}

void TestWindowAndSearch() {
    const TApp app("work");
    if (!app.Ready()) return;
    const int left = GetSystemMetrics(SM_CXSCREEN) / 2 - 320, top = GetSystemMetrics(SM_CYSCREEN) / 2 - 240;
    CheckControls(app, {left, top, left + 640, top + 480}, "at start: centred, 640x480");
    Check(GetClassLongPtrA(app.Main, GCLP_HICON) == 0 && app.Focus() == app.Start,
          "at start: the class names no icon, the start button has the focus");
    SetWindowPos(app.Main, nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CheckControls(app, {left, top, left + 800, top + 600}, "at 800x600");

    // Sorted lines with their references' indexes in scan order (sub\b.ini is read first).
    const std::string tree = Folder("tree");
    Folder("tree\\sub");
    WriteFileBytes(tree + "\\sub\\b.ini", "ButtonImage = Alpha\r\nSelectPortrait = Known\r\n");
    WriteFileBytes(tree + "\\a.ini",
                   "MappedImage Known\r\n; a comment\r\n  SelectPortrait = Zeta\r\nButtonImage = Mu\r\n");
    const std::vector<std::string> lines = {ReportLine("alpha", "\\sub\\b.ini", 1) + " #0",
                                            ReportLine("mu", "\\a.ini", 4) + " #3",
                                            ReportLine("zeta", "\\a.ini", 3) + " #2"};
    for (const std::string round : {"first search", "second search"}) {
        Check(app.Search(tree, DoneSummary(3)), round + " ends with the summary");
        Check(ListLines(app.List, true) == lines && app.Focus() == app.List && app.Idle(),
              round + ": the lines and their item data, the focus on the list, the buttons idle");
    }

    // Refusals keep the previous lines. The long folder exists: six names of 50 bytes.
    std::string longFolder = Base + "\\long";
    for (int k = 0; k < 6; ++k) longFolder += "\\" + std::string(50, 'l');
    const std::tuple<std::string, std::string, TTextId> refusals[] = {
        {"empty path", "", utPathEmpty},
        {"missing path", Base + "\\no such folder", utPathMissing},
        {"blanks only", "   ", utPathMissing},
        {"an existing folder beyond 260 bytes", longFolder, utPathMissing},
    };
    for (const auto& [what, path, message] : refusals) {
        app.SetPath(path);
        app.Click(app.Start);
        const HWND box = app.WaitForTop("#32770");
        CheckText(BoxText(box, app.Main) + " / " + WindowText(app.Status) + (app.Idle() ? "" : " / busy"),
                  UiText[utError] + ": " + UiText[message] + " / " + UiText[utError], what + ": box, status, buttons");
        CloseBox(box);
        Check(ListLines(app.List, true) == lines, what + ": the list is unchanged");
    }

    Check(app.Search(Folder("empty"), UiText[utNoUsed]), "an empty tree ends with the no-use summary");
    CheckText(std::to_string(SendMessageW(app.List, LB_GETCOUNT, 0, 0)), "0", "an empty tree empties the list");
    TestBrowse(app);
    TestJump(app);
    app.Close("after the searches, the folder dialog and the jumps");
}

void TestSavedPath() {
    const std::string file = Folder("work-saved") + "\\path.txt";
    // Only the first line counts, blanks kept; each run shows what the one before saved.
    WriteFileBytes(file, "  Z:\\with blanks  \nsecond line\r\n");
    std::string shown = "  Z:\\with blanks  ";
    for (const std::string typed : {" C:\\\xC8\xE3\xF0\xFB ", "", "kept"}) {  // " C:\Игры " in Windows-1251
        const TApp app("work-saved");
        if (!app.Ready()) return;
        CheckText(WindowText(app.Path), shown, "the path box at start");
        app.SetPath(typed);
        app.Close("saving \"" + typed + "\"");
        CheckText(ReadFileBytes(file), typed + "\r\n", "path.txt");
        shown = typed;
    }

    // A directory named path.txt can be neither read nor written.
    Folder("work-unwritable");
    Folder("work-unwritable\\path.txt");
    const TApp app("work-unwritable");
    if (!app.Ready()) return;
    CheckText(WindowText(app.Path), "", "an unreadable path.txt gives an empty path box");
    PostMessageA(app.Main, WM_CLOSE, 0, 0);
    CheckErrorReport(app, "File access denied.", "unwritable path.txt");
}

}  // namespace

int main(int argc, char** argv) {
    InstallRussianTexts();
    if (argc != 3) {
        std::fprintf(stderr, "usage: window_driver <tessaron.exe> <scratch folder>\n");
        return 2;
    }
    Exe = argv[1];
    Base = argv[2];
    CloseNotepads();  // left open by a run that failed
    for (const auto test : {TestWindowAndSearch, TestDuringSearch, TestReadError, TestSavedPath}) test();
    std::printf("window tests: %d checks, %d failed\n", Checks, Failures);
    return Failures == 0 ? 0 : 1;
}
