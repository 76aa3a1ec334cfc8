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

TEST(Walker, FollowsLinksButEndsOnLinkCycles) {
    TTempTree tree;
    tree.File("data/a.ini");
    tree.File("other/b.ini");
    if (!tree.DirLink("data/up", "..") || !tree.DirLink("data/self", ".") ||
        !tree.DirLink("data/other", tree.Path("other"))) {
        GTEST_SKIP() << "this platform lets the test make no directory links";
    }
    // "up" leads to the root, which is not an ancestor of the walk from data/;
    // its data/ is, two levels down.
    EXPECT_EQ(Walk(tree.Path("data")),
              (std::vector<std::string>{tree.Path("data/other/b.ini"), tree.Path("data/up/other/b.ini"),
                                        tree.Path("data/a.ini")}));
}
