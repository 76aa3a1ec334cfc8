#include "indexer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "fixtures.h"
#include "index_disk.h"
#include "path_map.h"
#include "temp_tree.h"
#include "workspace.h"

TEST(Indexer, PlacesWhatTheWindowFindsOnTheNamesRange) {
    // The declaring b.ini, the using a.ini, and a.ini's findings.
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"mappedimage FOO\n", "\tSelectPortrait\t=\tfoo ; Bar\n", ""},
        {"", "ButtonImage = \xD0\xAF\xD0\xAF\r\nButtonImage = b\r\n", "U 0:14-0:16 \xD0\xAF\xD0\xAF;U 1:14-1:15 b;"},
        // The reader drops a lone CR; the editor starts a line there.
        {"", "\rButtonImage = Bar\nx\rButtonImage = Baz\n", "U 1:14-1:17 Bar;"},
        {"", "ButtonImage = a\rb\nButtonImage =\rc\n", "U 0:14-1:1 ab;U 3:0-3:1 c;"},
        // Ctrl+Z ends the reader's line.
        {"", "ButtonImage = Bar\x1AZ\nButtonImage = C\n", "U 0:14-0:17 Bar;U 1:14-1:15 C;"},
        {"MappedImage Foo\n", "MappedImage Foo\nMappedImage Baz\n", "D 0:12-0:15 Foo @1:0:12-0:15;N 1:12-1:15 Baz;"},
    };
    for (const auto& [declarations, uses, expected] : cases) {
        TTempTree tree;
        TWorkspaceIndex index;
        index.SetRoots({tree.Root()});
        index.Open(tree.Path("a.ini"), uses);
        index.Open(tree.Path("b.ini"), declarations + "SelectPortrait = Foo\n");
        EXPECT_EQ(Described(index.File(0).Findings), expected) << uses;
    }
}

TEST(Indexer, IndexesEachFileOnceWhateverPathsLeadThere) {
    // Links (name -> target below the tree), the roots and the folders declared
    // elsewhere (below the tree), then the files indexed, as found below the tree.
    using TLinks = std::vector<std::pair<std::string, std::string>>;
    using TNames = std::vector<std::string>;
    const std::tuple<TLinks, TNames, TNames, std::string> cases[] = {
        {{}, {"w1", "w2"}, {}, "w1/a.ini;w1/s/b.ini;w2/c.ini;"},
        {{{"w2/l", "w1/s"}}, {"w2", "w1"}, {}, "w1/a.ini;w2/c.ini;w2/l/b.ini;"},
        {{{"w2/l", "w1/s"}}, {"w1", "w2"}, {}, "w1/a.ini;w1/s/b.ini;w2/c.ini;"},
        {{}, {"w1", "w1/s", "w1"}, {}, "w1/a.ini;w1/s/b.ini;"},
        {{}, {"w1", "w2"}, {"w1/s"}, "w1/a.ini;w2/c.ini;"},
        {{{"w2/l", "w1/s"}}, {"w2", "w1"}, {"w1/s"}, "w1/a.ini;w2/c.ini;"},
        {{}, {"w1"}, {"w1"}, ""},
    };
    for (const auto& [links, roots, elsewhere, expected] : cases) {
        TTempTree tree;
        tree.File("w1/a.ini", "MappedImage A\n");
        tree.File("w1/s/b.ini", "MappedImage B\nButtonImage = A\n");
        tree.File("w2/c.ini", "ButtonImage = B\n");
        bool linked = true;
        for (const auto& [link, target] : links) linked = linked && tree.DirLink(link, tree.Path(target));
        if (!linked) continue;
        TIndexStore store;
        for (const std::string& folder : elsewhere) store.Settings.DeclaredIn.push_back(tree.Path(folder));
        store.Elsewhere.Read(store.Settings, nullptr, nullptr);
        std::vector<std::string> paths;
        for (const std::string& root : roots) paths.push_back(tree.Path(root));
        IndexTrees(store, paths);
        std::set<std::string> indexed;
        for (int32_t f = 0; f < store.FileCount(); ++f) {
            if (!store.Files[f].Gone) indexed.insert(Relative(tree, store.PathOf(f)));
            EXPECT_EQ(Described(store.Files[f].Findings).find("D "), std::string::npos);
        }
        EXPECT_EQ(Joined({indexed.begin(), indexed.end()}), expected) << roots.size() << " roots, " << links.size();
    }
}

TEST(Indexer, PathsCompareAsThePlatformComparesThem) {
    // A path, a folder, and whether the path lies below the folder.
    const std::tuple<std::string, std::string, bool> cases[] = {
        {"/w/a.ini", "/w", true},   {"/w/a.ini", "/w/", true}, {"/wx/a.ini", "/w", false},
        {"/w", "/w", false},        {"/w/", "/w", false},      {"/a", "/", true},
        {"/w/s/a.ini", "/w", true}, {"/v/a.ini", "/w", false}, {"/w/a.ini", "", false},
    };
    for (const auto& [path, folder, below] : cases) EXPECT_EQ(IsBelow(path, folder), below) << path << " " << folder;
    EXPECT_EQ(FolderOf("/w/s/a.ini"), "/w/s");
    EXPECT_EQ(FileNameOf("/w/s/a.ini"), "a.ini");

    // The map of paths against a model, through growth and erasure.
    TPathList paths;
    for (int i = 0; i < 3000; ++i) paths.Add("/w/f" + std::to_string(i % 1500) + (i < 1500 ? ".ini" : ".INI"));
    TPathMap map;
    std::vector<bool> held(3000);
    std::mt19937 random(11);
    for (int step = 0; step < 20000; ++step) {
        const auto file = static_cast<int32_t>(random() % 3000);
        const int32_t twin = (file + 1500) % 3000;  // the same name in other case
        if (held[file]) {
            map.Erase(file, paths);
            held[file] = false;
        } else if (map.Find(paths[file], paths) < 0) {
            map.Insert(file, paths);
            held[file] = true;
        }
        const int32_t found = map.Find(paths[file], paths);
#ifdef _WIN32
        EXPECT_EQ(found, held[file] ? file : held[twin] ? twin : -1);
#else
        EXPECT_EQ(found, held[file] ? file : -1);
        (void)twin;
#endif
    }
}
