#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "fixtures.h"
#include "temp_tree.h"
#include "workspace.h"

namespace {

using TFiles = std::vector<int32_t>;

// Weapons declared by their headers, used as the second word in WeaponSet
// blocks and by DeathWeapon anywhere; buttons used by every word of every
// key in ButtonList blocks. Images, weapons and buttons share the name Shared.
TIndexSettings RuleSettings() {
    TIndexSettings settings;
    settings.DeclaredIn = {"base"};
    settings.Rules = {
        {"weapon",
         "weapon",
         {"Weapon"},
         {"NONE"},
         {"weapons.txt"},
         {{"Weapon", "WeaponSet", {2, false}}, {"DeathWeapon", "", {1, false}}}},
        {"button", "button", {"Button"}, {}, {}, {{std::string(kAnyKey), "ButtonList", {1, true}}}},
    };
    return settings;
}

constexpr const char* kUses =
    "Weapon Cannon\nEnd\nMappedImage Shared\nButton Shared\n"
    "WeaponSet\n  Weapon = PRIMARY Cannon\n  Weapon = SECONDARY Missing\nEnd\n"
    "Weapon = PRIMARY Outside\n"
    "Object Tank\n  DeathWeapon = None\n  DeathWeapon = Shared\n  ButtonImage = Shared\n  DeathWeapon = Builtin\nEnd\n"
    "ButtonList\n  1 = Shared Based Builtin\nEnd\n";

void MakeTree(TTempTree& tree) {
    tree.File("base/c.ini", "Button Based\n");
    tree.File("weapons.txt", "Builtin\n");
    tree.File("w/a.ini", kUses);
    tree.File("w/b.ini", "");
}

}  // namespace

TEST(IndexRules, FindingsPerRuleFollowTheEdits) {
    TTempTree tree;
    MakeTree(tree);
    TWorkspaceIndex index = Indexed(tree, "w", RuleSettings());
    const std::string undeclared = "U 6:21-6:28 Missing/0;U 11:16-11:22 Shared/0;U 16:19-16:26 Builtin/1;";
    EXPECT_EQ(State(index, tree), "w/a.ini: " + undeclared + " ");
    index.Open(tree.Path("w/b.ini"), "");
    // b.ini's text, the files whose findings change with it, and the findings after.
    const std::tuple<std::string, TFiles, std::string> edits[] = {
        {"Weapon Missing\n", {0}, "w/a.ini: U 11:16-11:22 Shared/0;U 16:19-16:26 Builtin/1; "},
        {"Weapon Missing\nweapon cannon\n",
         {0, 1},
         "w/a.ini: D 0:7-0:13 Cannon/0 @1:1:7-1:13;U 11:16-11:22 Shared/0;U 16:19-16:26 Builtin/1; "
         "w/b.ini: D 1:7-1:13 cannon/0 @0:0:7-0:13; "},
        {"MappedImage Missing\nButton Spare\n",
         {0, 1},
         "w/a.ini: " + undeclared + " w/b.ini: N 0:12-0:19 Missing;N 1:7-1:12 Spare/1; "},
    };
    for (const auto& [text, changed, expected] : edits) {
        EXPECT_EQ(index.Replace(1, text), changed) << text;
        EXPECT_EQ(State(index, tree), expected) << text;
    }
    // Other rules read the files again; without images, image names are neither kept nor found.
    TIndexSettings settings = RuleSettings();
    settings.DeclaredIn = {tree.Path("base")};
    settings.Rules[0].Names = {tree.Path("weapons.txt")};
    settings.Rules[1].DeclaredBy = {"Knob"};
    EXPECT_EQ(index.SetSettings(settings), TFiles({0, 1}));
    EXPECT_EQ(State(index, tree),
              "w/a.ini: U 6:21-6:28 Missing/0;U 11:16-11:22 Shared/0;U 16:6-16:12 Shared/1;U 16:13-16:18 Based/1;"
              "U 16:19-16:26 Builtin/1; w/b.ini: N 0:12-0:19 Missing; ");
    settings.Images = false;
    EXPECT_EQ(index.SetSettings(settings), TFiles({1}));
    EXPECT_EQ(index.Uses(kImageRule, "shared").size(), 0u);
    index.Replace(1, "ButtonImage = ");
    EXPECT_FALSE(index.Completion(1, {0, 14}));
    EXPECT_EQ(index.SetSettings({}), TFiles({0}));
    EXPECT_EQ(State(index, tree), "");
}

TEST(IndexRules, EditorFeaturesKeepTheKindsApart) {
    TTempTree tree;
    MakeTree(tree);
    TWorkspaceIndex index = Indexed(tree, "w", RuleSettings());
    // What a rename of each name would change: its declarations, then its uses.
    const std::tuple<int32_t, std::string, std::string> names[] = {
        {0, "cannon", "0:0:7-0:13;0:5:19-5:25;"},
        {1, "cannon", ""},
        {1, "shared", "0:3:7-3:13;0:16:6-16:12;"},
        {kImageRule, "shared", "0:2:12-2:18;0:12:16-12:22;"},
        {0, "outside", ""},
    };
    for (const auto& [rule, key, expected] : names)
        EXPECT_EQ(Places(index.Declarations(rule, key)) + Places(index.Uses(rule, key)), expected) << key;
    EXPECT_EQ(*index.DeclaredOnlyElsewhere(1, "based"), tree.Path("base"));
    EXPECT_EQ(*index.DeclaredOnlyElsewhere(0, "builtin"), tree.Path("weapons.txt"));
    EXPECT_EQ(index.DeclaredOnlyElsewhere(0, "based"), nullptr);
    EXPECT_EQ(Joined(index.ClosestNames(0, "canon", 3)) + Joined(index.ClosestNames(1, "canon", 3)), "Cannon;");
    const auto hover = index.Hover(0, {5, 20});
    EXPECT_EQ(hover ? hover->Block : "none", "Weapon Cannon\nEnd\n");
    // Symbols, in file and line order, each with its rule.
    std::string symbols;
    for (const auto& found : {index.DocumentSymbols(0), index.WorkspaceSymbols("SHAR"), index.DocumentSymbols(1)}) {
        for (const TSymbol& symbol : found)
            symbols += symbol.Name + std::to_string(symbol.Rule) + " " + Where(symbol.Place.Range) + ";";
        symbols += "|";
    }
    EXPECT_EQ(symbols, "Cannon0 0:7-0:13;Shared-1 2:12-2:18;Shared1 3:7-3:13;|Shared-1 2:12-2:18;Shared1 3:7-3:13;||");

    // The text before the cursor, and what completion offers there, or "none".
    const std::pair<std::string, std::string> completions[] = {
        {"WeaponSet\n  Weapon = PRIMARY C", "Cannon;"},
        {"WeaponSet ; a set\n  Weapon = PRIMARY ", "Builtin;Cannon;"},
        {"WeaponSet\nEnd\n  Weapon = PRIMARY C", "none"},
        {"DeathWeapon = ", "Builtin;Cannon;"},
        {"ButtonImage = S", "Shared;"},
        {"ButtonList\r\n  1 = Shared b", "Based;"},
        {"ButtonList\n  Any = ", "Based;Shared;"},
    };
    for (const auto& [text, expected] : completions)
        EXPECT_EQ(CompletedAtEnd(index, tree.Path("w/b.ini"), text), expected) << text;
}
