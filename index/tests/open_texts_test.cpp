#include "open_texts.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "fixtures.h"
#include "temp_tree.h"
#include "workspace.h"

TEST(OpenTexts, EditsCountTheEditorsUnitsInUtf8Text) {
    // A text, the units, the range replaced, the new text, and the result.
    const std::tuple<std::string, TUnits, TRange, std::string, std::string> cases[] = {
        {"ab\ncd", TUnits::Utf16, {{1, 0}, {1, 1}}, "X", "ab\nXd"},
        {"Я\xF0\x9F\x98\x80z", TUnits::Utf16, {{0, 3}, {0, 4}}, "!", "Я\xF0\x9F\x98\x80!"},
        {"Я\xF0\x9F\x98\x80z", TUnits::Utf8, {{0, 6}, {0, 7}}, "!", "Я\xF0\x9F\x98\x80!"},
        {"a\rb", TUnits::Utf16, {{1, 0}, {1, 9}}, "c", "a\rc"},   // a lone CR ends a line; clamped to it
        {"abcd", TUnits::Utf16, {{0, 3}, {0, 1}}, "c", "abccd"},  // an end before the start inserts
    };
    for (const auto& [text, units, range, insert, expected] : cases) {
        TOpenTexts texts(units);
        texts.Set(3, text);
        EXPECT_EQ(texts.Edit(3, range, insert), expected) << text;
        texts.Close(3);
        EXPECT_EQ(texts.Find(3), nullptr);
    }
}

TEST(OpenTexts, AnOpenTextIsTheTruthInEveryEncoding) {
    // A Windows-1251 file on disk, the editor's text, and the findings of both files.
    const std::tuple<std::string, std::string> cases[] = {
        // A character outside the code page keeps its place and its name.
        {"ButtonImage = Знак😀\n", "U 0:14-0:20 Знак😀;|N 0:12-0:16 Знак;"},
        // What the code page holds still names the disk's declaration.
        {"ButtonImage = Знак\n", "|"},
        {"MappedImage Знак\nMappedImage Ещё\n",
         "N 0:12-0:16 Знак;D 0:12-0:16 Знак @1:0:12-0:16;N 1:12-1:15 Ещё;|N 0:12-0:16 Знак;D 0:12-0:16 Знак "
         "@0:0:12-0:16;"},
    };
    for (const auto& [text, expected] : cases) {
        TTempTree tree;
        tree.File("a.ini", "ButtonImage = \xC7\xED\xE0\xEA\n");
        tree.File("b.ini", "MappedImage \xC7\xED\xE0\xEA\n");
        TWorkspaceIndex index = Indexed(tree);
        index.Open(tree.Path("a.ini"), text);
        EXPECT_EQ(Described(index.File(0).Findings) + "|" + Described(index.File(1).Findings), expected) << text;
        EXPECT_EQ(index.CurrentText(0), text);
        index.Close(0);
        EXPECT_EQ(Described(index.File(0).Findings), "");
    }
}
