#include "jump.h"

#include <gtest/gtest.h>

#include <string>

#include "cp1251.h"
#include "notepad_windows.h"

namespace {

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

// Ends any Notepad that a faulty jump started.
class NotepadJump : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ChildNotepads().empty()); }
    void TearDown() override { EndChildNotepads(); }

    TPathList Files;
    TRefTable Refs;
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
    const TFakeEditor editor(L"open.ini - Notepad", "Object X\r\n  ButtonImage = Already\r\n");
    Files.Add("C:\\no such folder\\open.ini");
    Refs.AddRef(0, 1, 17, 7);
    JumpToReference(0, Files, Refs, nullptr);
    EXPECT_EQ(EditorSelection(editor.Frame()), (std::pair<long, long>{10 + 16, 10 + 23}));
    EXPECT_TRUE(ChildNotepads().empty());
}

TEST_F(NotepadJump, NoSelectedLineDoesNothing) {
    JumpToReference(-1, Files, Refs, nullptr);
    EXPECT_FALSE(WaitUntil([] { return !ChildNotepads().empty(); }, 1000));
}
