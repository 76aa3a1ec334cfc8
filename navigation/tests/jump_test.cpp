#include "jump.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ansi_temp_dir.h"
#include "cp1251.h"
#include "line_scanner.h"
#include "notepad_windows.h"
#include "walker.h"

namespace {

constexpr DWORD kNotepadStartMs = 20000;

std::string CrLfText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

// Where `name` stands in `lines` as Notepad counts characters: CR LF is two.
std::pair<long, long> RangeOf(const std::vector<std::string>& lines, std::size_t lineIndex, const std::string& name) {
    long start = 0;
    for (std::size_t i = 0; i < lineIndex; ++i) start += static_cast<long>(lines[i].size()) + 2;
    start += static_cast<long>(lines[lineIndex].rfind(name));
    return {start, start + static_cast<long>(name.size())};
}

// A plain top-level window with an "EDIT" child, standing in for an editor
// that is already open with the given title.
class TFakeEditor {
public:
    TFakeEditor(const std::wstring& title, const std::string& text) {
        Frame_ = CreateWindowExW(0, L"STATIC", title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                 nullptr, nullptr);
        Edit_ = CreateWindowExA(0, "EDIT", text.c_str(), WS_CHILD | ES_MULTILINE, 0, 0, 300, 200, Frame_, nullptr,
                                nullptr, nullptr);
    }
    ~TFakeEditor() { DestroyWindow(Frame_); }
    TFakeEditor(const TFakeEditor&) = delete;
    TFakeEditor& operator=(const TFakeEditor&) = delete;
    HWND Frame() const { return Frame_; }

private:
    HWND Frame_;
    HWND Edit_;
};

class NotepadJump : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ChildNotepads().empty()); }
    void TearDown() override { EndChildNotepads(); }

    // Scans the tree as a search does.
    void Scan() {
        WalkTree(Tree.Root(), "*.ini", State.FileList);
        ScanFiles(State);
    }
    // The reference index of the first use of `name` (lower case).
    int32_t RefOf(const std::string& name) const {
        for (int32_t i = 0; i < State.UsedNames.Count(); ++i) {
            if (State.UsedNames[i] == name) return i;
        }
        ADD_FAILURE() << "no reference to " << name;
        return -1;
    }
    void Jump(int32_t index) { JumpToReference(index, State.FileList, State.RefTable, nullptr); }
    // Jumps and waits until Notepad shows `fileName`; that window is closed at the end.
    HWND JumpAndWait(int32_t index, const std::wstring& fileName) {
        Jump(index);
        HWND wnd = nullptr;
        WaitUntil(
            [&] {
                wnd = FindWindowW(nullptr, NotepadTitle(fileName).c_str());
                return wnd != nullptr && FindWindowExA(wnd, nullptr, "EDIT", nullptr) != nullptr;
            },
            kNotepadStartMs);
        return wnd;
    }

    TAnsiTempDir Tree;
    TScanState State;
};

}  // namespace

TEST(WideTitleName, TakesTheNameAfterTheLastBackslashInTheAnsiCodePage) {
    ASSERT_EQ(GetACP(), 1251u) << "the tests run under the Russian locale";
    const struct {
        std::string Path;
        std::wstring Expected;
    } cases[] = {
        {"C:\\data\\units\\a.ini", L"a.ini"},
        {"Z:\\tmp\\x y\\Hero Units.INI", L"Hero Units.INI"},
        {"a.ini", L""},
        {"C:\\data\\", L""},
        {"C:\\" + Cp1251FromUtf8("карта.ini"), L"\u043a\u0430\u0440\u0442\u0430.ini"},
    };
    for (const auto& c : cases) EXPECT_EQ(WideTitleName(c.Path), c.Expected) << c.Path;
}

TEST(SelectInEditor, SelectsFromTheLineStartPlusColumnMinusOne) {
    TFakeEditor editor(L"fake", "ab\r\n  SelectPortrait = SNPortrait\r\nx");
    const HWND frame = editor.Frame();
    const struct {
        TRefRec Ref;
        std::pair<long, long> Expected;
    } cases[] = {
        {{0, 0, 1, 2}, {0, 2}},
        {{0, 1, 20, 10}, {4 + 19, 4 + 29}},
        {{0, 2, 1, 1}, {35, 36}},
        // A line beyond the last: EM_LINEINDEX gives -1 and it is used as it comes.
        {{0, 7, 3, 2}, {1, 3}},
    };
    for (const auto& c : cases) {
        SelectInEditor(FindWindowExA(frame, nullptr, "EDIT", nullptr), c.Ref);
        EXPECT_EQ(EditorSelection(frame), c.Expected) << "line " << c.Ref.LineIndex;
    }
}

TEST(FindNotepadWindow, TriesTheRussianTitleFirstThenTheEnglishOne) {
    const TFakeEditor english(L"b.ini - Notepad", "");
    EXPECT_EQ(FindNotepadWindow(L"b.ini"), english.Frame());
    EXPECT_EQ(FindNotepadWindow(L"B.INI"), english.Frame()) << "letter case is ignored";
    const TFakeEditor russian(NotepadTitle(L"b.ini"), "");
    EXPECT_EQ(FindNotepadWindow(L"b.ini"), russian.Frame());
    EXPECT_EQ(FindNotepadWindow(L"c.ini"), nullptr);
}

TEST_F(NotepadJump, AnOpenWindowIsReusedAndNoNotepadStarts) {
    Tree.File("open.ini", CrLfText({"Object X", "  ButtonImage = Already"}));
    Scan();
    const TFakeEditor editor(L"open.ini - Notepad", CrLfText({"Object X", "  ButtonImage = Already"}));
    Jump(RefOf("already"));
    EXPECT_EQ(EditorSelection(editor.Frame()), (std::pair<long, long>{10 + 16, 10 + 23}));
    EXPECT_TRUE(ChildNotepads().empty());
}

TEST_F(NotepadJump, SelectsExactlyTheNameOnEveryLineAndReusesTheWindow) {
    const std::vector<std::string> lines = {
        "  SelectPortrait = SNPortrait",
        "Object Hero",
        "\tButtonImage = TabButton",
        "ButtonImage = button",
        "        SelectPortrait =   Eight ; portrait",
        "End",
    };
    Tree.Dir("sub");
    Tree.File("sub\\units.ini", CrLfText(lines));
    Tree.File("other.ini", CrLfText({"ButtonImage = Elsewhere"}));
    Scan();

    const HWND notepad = JumpAndWait(RefOf("snportrait"), L"units.ini");
    ASSERT_NE(notepad, nullptr) << "Notepad did not show units.ini";
    // Notepad may need longer than the jump's single wait to come up; the
    // jump then selects nothing, so every case below goes through reuse.
    const struct {
        std::string Name;
        std::size_t Line;
    } cases[] = {{"SNPortrait", 0}, {"TabButton", 2}, {"button", 3}, {"Eight", 4}};
    for (const auto& c : cases) {
        std::string lowered = c.Name;
        for (char& ch : lowered) ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
        Jump(RefOf(lowered));
        EXPECT_EQ(EditorSelection(notepad), RangeOf(lines, c.Line, c.Name)) << c.Name;
    }
    EXPECT_EQ(RangeOf(lines, 0, "SNPortrait"), (std::pair<long, long>{19, 29}));
    EXPECT_EQ(ChildNotepads().size(), 1u) << "the jumps reuse the one window";
}

TEST_F(NotepadJump, ACyrillicFileNameStaysInOneWindow) {
    const std::string name = Cp1251FromUtf8("карта.ini");
    const std::wstring wideName = L"\u043a\u0430\u0440\u0442\u0430.ini";
    const std::vector<std::string> lines = {"Object Map", "  ButtonImage = MapButton", "  SelectPortrait = MapFace"};
    Tree.File(name, CrLfText(lines));
    Scan();
    ASSERT_EQ(State.FileList.Count(), 1);

    const HWND notepad = JumpAndWait(RefOf("mapbutton"), wideName);
    ASSERT_NE(notepad, nullptr) << "Notepad did not show the Cyrillic name";
    Jump(RefOf("mapface"));
    EXPECT_EQ(EditorSelection(notepad), RangeOf(lines, 2, "MapFace"));
    Jump(RefOf("mapbutton"));
    EXPECT_EQ(EditorSelection(notepad), RangeOf(lines, 1, "MapButton"));
    EXPECT_EQ(ChildNotepads().size(), 1u);
}

TEST_F(NotepadJump, NoSelectedLineDoesNothing) {
    Tree.File("idle.ini", CrLfText({"ButtonImage = Idle"}));
    Scan();
    Jump(-1);
    EXPECT_FALSE(WaitUntil([] { return !ChildNotepads().empty(); }, 1000));
}
