#include "name_links.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "fixtures.h"
#include "names.h"
#include "temp_tree.h"
#include "workspace.h"

namespace {

using TFiles = std::vector<int32_t>;

}  // namespace

TEST(NameTable, EntriesStayInPlaceThroughGrowthAndErasure) {
    TNameTable table;
    // The same key of another rule is another entry.
    std::map<std::pair<int32_t, std::string>, TNameEntry*> model;
    std::mt19937 random(7);
    for (int step = 0; step < 20000; ++step) {
        const auto rule = static_cast<int32_t>(random() % 3) - 1;
        const std::string key = "n" + std::to_string(random() % 2000);
        const auto held = model.find({rule, key});
        if (random() % 3 == 0) {
            TNameEntry* entry = table.Find(rule, key);
            ASSERT_EQ(entry, held == model.end() ? nullptr : held->second) << key;
            if (entry == nullptr) continue;
            table.Erase(*entry);
            model.erase(held);
        } else {
            TNameEntry& entry = table.Insert(rule, key);
            ASSERT_EQ(entry.Key, key);
            ASSERT_EQ(entry.Rule, rule);
            if (held != model.end()) {
                ASSERT_EQ(&entry, held->second) << key;
                continue;
            }
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
    EXPECT_EQ(index.Declarations(kImageRule, "foo"),
              (std::vector<TPlace>{{0, {{1, 12}, {1, 15}}}, {2, {{0, 12}, {0, 15}}}}));  // walk order, not scan order
    EXPECT_EQ(index.DiskChanged(tree.Path("sub/c.ini")), TFiles({}));                    // the editor's text holds
    EXPECT_EQ(index.Close(0), TFiles({0, 2}));                                           // back to the disk's use
    tree.File("new.ini", "MappedImage Gone\n");
    EXPECT_EQ(index.DiskChanged(tree.Path("new.ini")), TFiles({3}));
    EXPECT_EQ(index.Close(2), TFiles({0, 1, 2}));  // b.ini's disk text declares nothing used
    EXPECT_EQ(index.DiskChanged(tree.Path("outside.txt")), TFiles({}));
}
