#include "editor_features.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "fixtures.h"
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
    for (const auto& [line, expected] : completions) {
        index.Open(tree.Path("w/a.ini"), line);
        const auto completion = index.Completion(1, {0, static_cast<uint32_t>(line.size())});
        EXPECT_EQ(completion ? Joined(completion->Names) : "none", expected) << line;
    }
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
