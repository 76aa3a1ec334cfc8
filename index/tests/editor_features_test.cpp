#include "editor_features.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "file_findings.h"
#include "fixtures.h"
#include "open_texts.h"
#include "temp_tree.h"
#include "workspace.h"

TEST(EditorFeatures, CompletionAndFixesOfferNamesAsWritten) {
    // The line typed, and what completion offers at its end, or "none".
    const std::pair<std::string, std::string> completions[] = {
        {"ButtonImage = ", "ArrowHead;Arrows;BaseOnly;Listed_One;Знак;"},
        {"ButtonImage = arr", "ArrowHead;Arrows;"},
        {"  SelectPortrait= lis", "Listed_One;"},
        {"ButtonImage = Зн", "Знак;"},
        {"MappedImage Arr", "none"},
        {"ButtonImage = Arr ; x", "none"},
    };
    TTempTree tree;
    tree.File("base/c.ini", "MappedImage BaseOnly\n");
    tree.File("names.txt", "Listed_One\nLISTED_ONE\n");  // the first spelling holds
    tree.File("w/b.ini", "MappedImage ArrowHead\nMappedImage Arrows\nMappedImage \xD0\x97\xD0\xBD\xD0\xB0\xD0\xBA\n");
    TWorkspaceIndex index = Indexed(tree, "w", {{"base"}, {"names.txt"}});
    for (const auto& [line, expected] : completions)
        EXPECT_EQ(CompletedAtEnd(index, tree.Path("w/a.ini"), line), expected) << line;
    // A slip, and the names closest to it.
    const std::pair<std::string, std::string> slips[] = {
        {"arrow", "Arrows;"}, {"baseonl", "BaseOnly;"},   {"listedone", "Listed_One;"},
        {"xyz", ""},          {"arrowhed", "ArrowHead;"},
    };
    for (const auto& [slip, expected] : slips)
        EXPECT_EQ(Joined(index.ClosestNames(kImageRule, slip, 3)), expected) << slip;
}

TEST(EditorFeatures, HoverShowsTheDeclaringBlock) {
    TTempTree tree;
    tree.File("b.ini", "MappedImage Arrow\r\n  Texture = x\r\nEnd\r\nMappedImage Bow\r\nMappedImage Arrowhead\r\n");
    tree.File("u.ini", "ButtonImage = ARROW\nButtonImage = Gone\nButtonImage = Bow\n");
    const TWorkspaceIndex index = Indexed(tree);
    // A position in u.ini, and the block that hover shows there, or "none".
    const std::pair<TPosition, std::string> hovers[] = {
        {{0, 16}, "MappedImage Arrow\n  Texture = x\nEnd\n@0:0:12-0:17"},
        {{2, 14}, "MappedImage Bow\nMappedImage Arrowhead\n@0:3:12-3:15"},
        {{1, 15}, "none"},
        {{0, 3}, "none"},
    };
    for (const auto& [position, expected] : hovers) {
        const auto hover = index.Hover(1, position);
        EXPECT_EQ(hover ? hover->Block + "@" + std::to_string(hover->File) + ":" + Where(hover->Range) : "none",
                  expected)
            << Where(position);
    }
}

TEST(FileFindings, EachKindAsAskedAndWhatIsDeclaredElsewhere) {
    // a.ini's text, the kinds asked for (unused, duplicates), and a.ini's findings;
    // b.ini declares Twin and uses Kept, base/ declares Based, names.txt lists Listed.
    const std::tuple<std::string, bool, bool, std::string> cases[] = {
        {"ButtonImage = Nothing\nButtonImage = Based\nButtonImage = LISTED\n", true, true, "U 0:14-0:21 Nothing;"},
        {"MappedImage Kept\nMappedImage Spare\n", true, true, "N 1:12-1:17 Spare;"},
        {"MappedImage Kept\nMappedImage Spare\n", false, true, ""},
        {"MappedImage Twin\nButtonImage = Twin\n", true, true, "D 0:12-0:16 Twin @1:0:12-0:16;"},
        {"MappedImage Twin\nButtonImage = Twin\n", true, false, ""},
        // A name declared elsewhere and here is still this tree's to use.
        {"MappedImage Based\n", true, true, "N 0:12-0:17 Based;"},
        {"ButtonImage = Twin\nMappedImage A\nMappedImage A\n", true, true,
         "N 1:12-1:13 A;D 1:12-1:13 A @0:2:12-2:13;N 2:12-2:13 A;D 2:12-2:13 A @0:1:12-1:13;"},
    };
    for (const auto& [text, unused, duplicates, expected] : cases) {
        TTempTree tree;
        tree.File("base/c.ini", "MappedImage Based\n");
        tree.File("names.txt", "Listed\n");
        tree.File("w/a.ini", text);
        tree.File("w/b.ini", "MappedImage Twin\nButtonImage = Kept\n");
        const TWorkspaceIndex index = Indexed(tree, "w", {{"base"}, {"names.txt"}, unused, duplicates});
        EXPECT_EQ(Described(index.File(0).Findings), expected) << text;
    }
}

TEST(OpenTexts, EditsCountTheEditorsUnitsInUtf8Text) {
    // A text, the units, the range replaced, the new text, and the result.
    const std::tuple<std::string, TUnits, TRange, std::string, std::string> cases[] = {
        {"Я\xF0\x9F\x98\x80z", TUnits::Utf16, {{0, 3}, {0, 4}}, "!", "Я\xF0\x9F\x98\x80!"},
        {"Я\xF0\x9F\x98\x80z", TUnits::Utf8, {{0, 6}, {0, 7}}, "!", "Я\xF0\x9F\x98\x80!"},
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
