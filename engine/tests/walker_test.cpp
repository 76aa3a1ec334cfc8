#include "walker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fs.h"
#include "temp_tree.h"

namespace {

std::vector<std::string> Walk(const std::string& root) {
    TPathList files;
    WalkTree(root, "*.ini", files);
    std::vector<std::string> paths;
    for (int32_t i = 0; i < files.Count(); ++i) paths.emplace_back(files[i]);
    return paths;
}

}  // namespace

TEST(Walker, ListsSubfoldersFilesFirstAndMatchesTheMaskWithoutCaseInNtfsOrder) {
    TTempTree tree;
    EXPECT_TRUE(Walk(tree.Path("missing")).empty());
    for (const char* name : {"_u.ini", "Zed.ini", "B.INI", "a.Ini", "c.ini.bak", "ini", "d.inx", "sub/b.ini",
                             "sub/deeper/c.ini", "notes/n.txt", "x.ini/inner.ini", ".hidden/a.ini", ".b.ini"}) {
        tree.File(name);
    }
    std::vector<std::string> expected;
    for (const char* name : {".hidden/a.ini", "sub/deeper/c.ini", "sub/b.ini", "x.ini/inner.ini", ".b.ini", "a.Ini",
                             "B.INI", "Zed.ini", "_u.ini"}) {
        expected.push_back(tree.Path(name));
    }
    EXPECT_EQ(Walk(tree.Root()), expected);
    EXPECT_EQ(Walk(tree.Root() + kPathSeparator), expected) << "a trailing separator is not doubled";
}

TEST(Walker, EntersEachFolderOnceWhateverLinksLeadThere) {
    TTempTree tree;
    for (const char* name : {"data/a.ini", "other/b.ini", "x/c.ini", "y/d.ini"}) tree.File(name);
    // A link back up, one to itself, a second path to other/, and two siblings
    // that lead to each other: the first path in walk order wins.
    if (!tree.DirLink("data/up", "..") || !tree.DirLink("data/self", ".") ||
        !tree.DirLink("data/other", tree.Path("other")) || !tree.DirLink("x/toy", tree.Path("y")) ||
        !tree.DirLink("y/tox", tree.Path("x"))) {
        GTEST_SKIP() << "this platform lets the test make no directory links";
    }
    EXPECT_EQ(Walk(tree.Root()), (std::vector<std::string>{tree.Path("data/other/b.ini"), tree.Path("data/a.ini"),
                                                           tree.Path("x/toy/d.ini"), tree.Path("x/c.ini")}));
}
