#include "jump.h"

#include <gtest/gtest.h>

#include <string>

#include "cp1251.h"
#include "notepad_windows.h"

namespace {

// A top-level window standing in for an editor that is already open with the
// given title: an "EDIT" child, or a rich-edit control one level deeper, the
// way today's Notepad nests it. Both wrap long lines.
class TFakeEditor {
public:
    TFakeEditor(const std::wstring& title, const std::string& text, bool richEdit = false) {
        Frame_ = CreateWindowExW(0, L"STATIC", title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                 nullptr, nullptr);
        HWND parent = Frame_;
        if (richEdit) {
            LoadLibraryA("msftedit.dll");
            parent = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 300, 200, Frame_, nullptr, nullptr, nullptr);
        }
        Text_ = CreateWindowExA(0, richEdit ? "RICHEDIT50W" : "EDIT", text.c_str(), WS_CHILD | ES_MULTILINE, 0, 0, 300,
                                200, parent, nullptr, nullptr, nullptr);
    }
    ~TFakeEditor() { DestroyWindow(Frame_); }
    TFakeEditor(const TFakeEditor&) = delete;
    TFakeEditor& operator=(const TFakeEditor&) = delete;
    HWND Frame() const { return Frame_; }
    HWND Text() const { return Text_; }

private:
    HWND Frame_;
    HWND Text_;
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

TEST(SelectInEditor, SelectsFromTheLineStartPlusColumnMinusOneWithWordWrapInBothControls) {
    // The second line wraps in the narrow control; a rich-edit control counts
    // each line end as one position.
    const std::string text = "ab\r\n" + std::string(400, 'w') + "\r\n  SelectPortrait = SNPortrait\r\nx";
    const struct {
        TRefRec Ref;
        std::pair<long, long> Edit;
        std::pair<long, long> RichEdit;
    } cases[] = {
        {{0, 0, 1, 2}, {0, 2}, {0, 2}},
        {{0, 2, 20, 10}, {406 + 19, 406 + 29}, {404 + 19, 404 + 29}},
        {{0, 3, 1, 1}, {437, 438}, {434, 435}},
        // A line beyond the last: the start is -1 and it is used as it comes.
        {{0, 7, 3, 2}, {1, 3}, {1, 3}},
    };
    for (const bool richEdit : {false, true}) {
        const TFakeEditor editor(L"fake", text, richEdit);
        ASSERT_GT(SendMessageA(editor.Text(), EM_GETLINECOUNT, 0, 0), 5) << "the long line wraps";
        for (const auto& c : cases) {
            SelectInEditor(editor.Text(), c.Ref);
            EXPECT_EQ(ControlSelection(editor.Text()), richEdit ? c.RichEdit : c.Edit)
                << "line " << c.Ref.LineIndex << (richEdit ? ", rich edit" : ", edit");
        }
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

TEST_F(NotepadJump, AnOpenWindowIsReusedWithItsEditOrNestedRichEditAndNoNotepadStarts) {
    Files.Add("C:\\no such folder\\open.ini");
    Refs.AddRef(0, 1, 17, 7);
    for (const bool richEdit : {false, true}) {
        const TFakeEditor editor(L"open.ini - Notepad", "Object X\r\n  ButtonImage = Already\r\n", richEdit);
        JumpToReference(0, Files, Refs, nullptr);
        // The rich-edit control counts the line end as one position.
        const long line = richEdit ? 9 : 10;
        EXPECT_EQ(ControlSelection(editor.Text()), (std::pair<long, long>{line + 16, line + 23}))
            << (richEdit ? "rich edit" : "edit");
    }
    EXPECT_TRUE(ChildNotepads().empty());
}

TEST_F(NotepadJump, NoSelectedLineDoesNothing) {
    JumpToReference(-1, Files, Refs, nullptr);
    EXPECT_FALSE(WaitUntil([] { return !ChildNotepads().empty(); }, 1000));
}
