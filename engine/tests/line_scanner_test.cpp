#include "line_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TLineCase {
    std::string Line;
    std::string Used;  // empty: no reference
    uint32_t Column;
    std::string Declared;  // empty: no declaration
};

}  // namespace

TEST(LineScanner, RecordsReferencesAndDeclarations) {
    const TLineCase cases[] = {
        {"  SelectPortrait = SNPortrait ; comment", "snportrait", 20, ""},
        {"ButtonImage = button", "button", 15, ""},
        {"\tButtonImage = Foo", "foo", 16, ""},
        {"        SelectPortrait      = Pad", "pad", 31, ""},
        {"SelectPortraitX = other", "other", 19, ""},
        {"selectportrait=Tight", "tight", 16, ""},
        {"ButtonImage = a//b", "a", 15, ""},
        {"ButtonImage = x = y", "x = y", 15, ""},
        {"ButtonImage = \xC0\xC1Name", "\xC0\xC1name", 15, ""},
        {"ButtonImage=", "", 0, ""},
        {"ButtonImage = ; x", "", 0, ""},
        {"; ButtonImage = x", "", 0, ""},
        {"// ButtonImage = x", "", 0, ""},
        {"Button = x", "", 0, ""},
        {"ButtonImag = x", "", 0, ""},
        {"Image = ButtonImage", "", 0, ""},
        {"MappedImage  SSFoo", "", 0, "ssfoo"},
        {"MappedImage", "", 0, "mappedimage"},
        {"MappedImage\tSSFoo", "", 0, "mappedimage\tssfoo"},
        {"  MappedImage Bar ; old", "", 0, "bar"},
        {"MappedImageX Baz", "", 0, "baz"},
        {"MappedImage = X", "", 0, ""},
        {"Mapped Image Foo", "", 0, ""},
        {"", "", 0, ""},
        {"   \t  ", "", 0, ""},
    };
    for (const TLineCase& c : cases) {
        TScanState state;
        TLineScanner(state).ScanLine(c.Line, 3, 7);
        SCOPED_TRACE(c.Line);
        ASSERT_EQ(state.UsedNames.Count(), state.RefTable.Count());
        if (c.Used.empty()) {
            EXPECT_EQ(state.UsedNames.Count(), 0);
        } else {
            ASSERT_EQ(state.UsedNames.Count(), 1);
            EXPECT_EQ(state.UsedNames[0], c.Used);
            const TRefRec& ref = state.RefTable[0];
            EXPECT_EQ(ref.FileIndex, 3u);
            EXPECT_EQ(ref.LineIndex, 7);
            EXPECT_EQ(ref.Column, c.Column);
            EXPECT_EQ(ref.Length, c.Used.size());
        }
        if (c.Declared.empty()) {
            EXPECT_EQ(state.DefinedNames.Count(), 0);
        } else {
            ASSERT_EQ(state.DefinedNames.Count(), 1);
            EXPECT_EQ(state.DefinedNames[0], c.Declared);
        }
    }
}

TEST(LineScanner, LineIndicesCountEveryPhysicalLine) {
    TScanState state;
    TMemorySource source(
        "; header\r\n"
        "\r\n"
        "Object X\r\n"
        "  SelectPortrait = A\r\n"
        "MappedImage B\r\n"
        "  ButtonImage = B\r\n");
    TLineScanner(state).ScanText(source, 0);
    ASSERT_EQ(state.RefTable.Count(), 2);
    EXPECT_EQ(state.RefTable[0].LineIndex, 3);
    EXPECT_EQ(state.RefTable[1].LineIndex, 5);
    EXPECT_EQ(state.UsedNames[0], "a");
    EXPECT_EQ(state.DefinedNames[0], "b");
}

TEST(LineScanner, ColumnPointsAtTheNameInTheLineAsRead) {
    const std::string text = "\t  ButtonImage\t=\t MyButton   ; trailing\n";
    TScanState state;
    TMemorySource source(text);
    TLineScanner(state).ScanText(source, 0);
    ASSERT_EQ(state.RefTable.Count(), 1);
    const TRefRec& ref = state.RefTable[0];
    EXPECT_EQ(text.substr(ref.Column - 1, ref.Length), "MyButton");
}
