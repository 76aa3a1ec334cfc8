#include "workspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "fixtures.h"
#include "name_links.h"
#include "names.h"
#include "temp_tree.h"
#include "unix_files.h"

namespace {

using TFiles = std::vector<int32_t>;

}  // namespace

TEST(Workspace, FoldersThatGoAndComeTakeTheirFilesAlong) {
    TTempTree tree;
    tree.File("u.ini", "ButtonImage = A\nButtonImage = B\n");
    tree.File("old/deep/a.ini", "MappedImage A\n");
    TWorkspaceIndex index = Indexed(tree);
    EXPECT_EQ(State(index, tree), "u.ini: U 1:14-1:15 B; ");
    std::filesystem::rename(tree.Path("old"), tree.Path("new"));
    EXPECT_EQ(index.DiskChanged(tree.Path("old")), TFiles({1}));  // old/deep/a.ini had none
    EXPECT_EQ(State(index, tree), "u.ini: U 0:14-0:15 A;U 1:14-1:15 B; ");
    EXPECT_EQ(index.FileOf(tree.Path("old/deep/a.ini")), -1);
    tree.File("new/b.ini", "MappedImage B\n");
    EXPECT_EQ(index.DiskChanged(tree.Path("new")), TFiles({1}));
    EXPECT_EQ(State(index, tree), "");
    // The editor's text of a file below a folder that went still holds.
    index.Open(tree.Path("new/b.ini"), "MappedImage B\n");
    std::filesystem::remove_all(tree.Path("new"));
    EXPECT_EQ(index.DiskChanged(tree.Path("new")), TFiles({1}));
    EXPECT_EQ(State(index, tree), "u.ini: U 0:14-0:15 A; ");
    EXPECT_EQ(index.DiskChanged(tree.Path("elsewhere")), TFiles({}));  // nothing there, nothing below
}

TEST(Workspace, OneFileByEveryPathThatLeadsToIt) {
    TTempTree tree;
    tree.File("real/ws/sub/a.ini", "MappedImage A\n");
    tree.File("real/ws/u.ini", "ButtonImage = A\n");
    tree.File("out/x");
    if (!tree.DirLink("ws", tree.Path("real/ws")) || !MakeUnixLink("../real/ws/sub/a.ini", tree.Path("out/l.ini"))) {
        GTEST_SKIP() << "no links here";
    }
    TWorkspaceIndex index = Indexed(tree, "ws");
    const int32_t file = index.FileOf(tree.Path("ws/sub/a.ini"));
    ASSERT_GE(file, 0);
    // The root's real path, and a link from outside to the file itself.
    for (const std::string& path : {tree.Path("real/ws/sub/a.ini"), tree.Path("out/l.ini")}) {
        EXPECT_TRUE(index.InWorkspace(path)) << path;
        EXPECT_EQ(index.FileOf(path), file) << path;
    }
    EXPECT_FALSE(index.InWorkspace(tree.Path("real/other.ini")));
    index.Open(tree.Path("real/ws/sub/a.ini"), "MappedImage A\nMappedImage A2\n");
    EXPECT_EQ(State(index, tree), "ws/sub/a.ini: N 1:12-1:14 A2; ");
    RemoveUnixEntries(tree.Root());
}

TEST(Workspace, FoldersDeclaredElsewhereAreNotChecked) {
    TTempTree tree;
    tree.File("base/b.ini", "MappedImage Based\nButtonImage = Nowhere\n");
    tree.File("u.ini", "ButtonImage = Based\n");
    if (!MakeFifo(tree.Path("base/pipe.ini"))) GTEST_SKIP() << "no FIFOs here";
    TWorkspaceIndex index = Indexed(tree);
    EXPECT_EQ(State(index, tree), "base/b.ini: U 1:14-1:21 Nowhere; ");
    TIndexSettings settings;
    settings.DeclaredIn = {tree.Path("base"), tree.Path("missing")};
    std::vector<TComplaint> complaints;
    EXPECT_EQ(index.SetSettings(settings, &complaints), TFiles({0}));
    EXPECT_EQ(State(index, tree), "");
    std::string told;
    for (const TComplaint& c : complaints) told += std::to_string(c.Text) + " " + Relative(tree, c.Subject) + ";";
    EXPECT_EQ(told, std::to_string(utCannotRead) + " base/pipe.ini;" + std::to_string(utNotADirectory) + " missing;");
    EXPECT_EQ(index.FileOf(tree.Path("base/b.ini")), -1);
    EXPECT_EQ(index.Open(tree.Path("base/b.ini"), "ButtonImage = Gone\n"), TFiles({}));
    // Back in the tree, the folder's files are checked again.
    index.SetSettings({});
    EXPECT_EQ(State(index, tree), "base/b.ini: U 1:14-1:21 Nowhere; ");
    RemoveUnixEntries(tree.Root());
}

TEST(NameTable, EntriesStayInPlaceThroughGrowthAndErasure) {
    TNameTable table;
    // The same key of another rule is another entry.
    std::map<std::pair<int32_t, std::string>, TNameEntry*> model;
    std::mt19937 random(7);
    for (int step = 0; step < 20000; ++step) {
        const auto rule = static_cast<int32_t>(random() % 3) - 1;
        const std::string key = "n" + std::to_string(random() % 2000);
        const auto held = model.find({rule, key});
        TNameEntry* const was = held == model.end() ? nullptr : held->second;
        if (random() % 3 == 0) {
            ASSERT_EQ(table.Find(rule, key), was) << key;
            if (was == nullptr) continue;
            table.Erase(*was);
            model.erase(held);
        } else {
            TNameEntry& entry = table.Insert(rule, key);
            ASSERT_TRUE(entry.Key == key && entry.Rule == rule) << key;
            ASSERT_TRUE(was == nullptr || &entry == was) << key;
            if (was != nullptr) continue;
            EXPECT_TRUE(entry.Places.Uses.empty()) << key;  // an erased entry comes back empty
            entry.Places.Uses.push_back({step, 0});
            model[{rule, key}] = &entry;
        }
    }
    std::size_t visited = 0;
    table.ForEach([&](const TNameEntry& entry) {
        ++visited;
        EXPECT_EQ(model.at({entry.Rule, entry.Key}), &entry);
    });
    EXPECT_EQ(visited, model.size());
}

TEST(NameLinks, ChangesTellWhichFilesFindingsChanged) {
    TTempTree tree;
    tree.File("a.ini", "ButtonImage = Foo\n");
    tree.File("b.ini", "MappedImage Bar\n");
    tree.File("sub/c.ini", "ButtonImage = Foo\n");
    TWorkspaceIndex index;
    index.SetRoots({tree.Root()});
    EXPECT_EQ(index.IndexAll(), TFiles({0, 1, 2}));  // walk order: sub first
    EXPECT_EQ(index.FileOf(tree.Path("sub/c.ini")), 0);
    EXPECT_EQ(Described(index.File(2).Findings), "N 0:12-0:15 Bar;");
    // Declaring Foo clears both uses; a use of Bar clears its hint.
    EXPECT_EQ(index.Open(tree.Path("b.ini"), "MappedImage Bar\nMappedImage Foo\n"), TFiles({0, 1}));
    EXPECT_EQ(index.Edit(2, {{1, 12}, {1, 15}}, "Fox"), TFiles({0, 1, 2}));
    EXPECT_EQ(Described(index.File(2).Findings), "N 0:12-0:15 Bar;N 1:12-1:15 Fox;");
    EXPECT_EQ(index.Replace(2, "MappedImage Foo\nMappedImage Bar\n"), TFiles({0, 1, 2}));
    // Lines above a duplicate move the place that the other one points at.
    index.Open(tree.Path("sub/c.ini"), "MappedImage Foo\n");
    EXPECT_EQ(index.Edit(0, {{0, 0}, {0, 0}}, "\n"), TFiles({0, 2}));
    EXPECT_EQ(Described(index.File(2).Findings), "D 0:12-0:15 Foo @0:1:12-1:15;N 1:12-1:15 Bar;");
    EXPECT_EQ(index.Edit(2, {{1, 12}, {1, 15}}, "Bar"), TFiles({}));                       // the same findings again
    EXPECT_EQ(Places(index.Declarations(kImageRule, "foo")), "0:1:12-1:15;2:0:12-0:15;");  // walk order, not scan order
    EXPECT_EQ(index.DiskChanged(tree.Path("sub/c.ini")), TFiles({}));                      // the editor's text holds
    EXPECT_EQ(index.Close(0), TFiles({0, 2}));                                             // back to the disk's use
    tree.File("new.ini", "MappedImage Gone\n");
    EXPECT_EQ(index.DiskChanged(tree.Path("new.ini")), TFiles({3}));
    EXPECT_EQ(index.Close(2), TFiles({0, 1, 2}));  // b.ini's disk text declares nothing used
}
