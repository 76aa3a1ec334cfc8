#include "walker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fs.h"
#include "temp_tree.h"

namespace {

std::vector<std::string> Walk(const std::string& root, const std::string& mask = "*.ini") {
    TPathList files;
    WalkTree(root, mask, files);
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(files.Count()));
    for (int32_t i = 0; i < files.Count(); ++i) paths.emplace_back(files[i]);
    return paths;
}

std::string Native(std::string path) {
    for (char& c : path) {
        if (c == '/') c = kPathSeparator;
    }
    return path;
}

}  // namespace

TEST(Walker, ListsSubdirectoryFilesBeforeTheirParentsFiles) {
    TTempTree tree;
    tree.File("a.ini");
    tree.File("sub/b.ini");
    tree.File("sub/deeper/c.ini");
    tree.File("sub/notes.txt");
    tree.File("z.ini");
    const std::string root = tree.Root();
    const std::vector<std::string> expected = {root + Native("/sub/deeper/c.ini"), root + Native("/sub/b.ini"),
                                               root + Native("/a.ini"), root + Native("/z.ini")};
    EXPECT_EQ(Walk(root), expected);
    EXPECT_EQ(Walk(root + kPathSeparator), expected) << "a trailing separator is not doubled";
}

TEST(Walker, MatchesTheMaskWithoutCaseAndSortsLikeNtfs) {
    TTempTree tree;
    for (const char* name : {"_u.ini", "Zed.ini", "B.INI", "a.Ini", "c.ini.bak", "ini", "d.inx"}) tree.File(name);
    const std::string root = tree.Root() + kPathSeparator;
    const std::vector<std::string> expected = {root + "a.Ini", root + "B.INI", root + "Zed.ini", root + "_u.ini"};
    EXPECT_EQ(Walk(tree.Root()), expected);
}

TEST(Walker, WalksFoldersNamedLikeFilesAndHiddenEntriesButListsOnlyFiles) {
    TTempTree tree;
    EXPECT_TRUE(Walk(tree.Root()).empty());
    EXPECT_TRUE(Walk(tree.Path("missing")).empty());
    tree.File("x.ini/inner.ini");
    tree.File(".hidden/a.ini");
    tree.File(".b.ini");
    EXPECT_EQ(Walk(tree.Root()), (std::vector<std::string>{tree.Path(".hidden/a.ini"), tree.Path("x.ini/inner.ini"),
                                                           tree.Path(".b.ini")}));
}

TEST(Walker, FollowsLinksButEndsOnLinkCycles) {
    TTempTree tree;
    tree.File("data/a.ini");
    tree.File("other/b.ini");
    if (!tree.DirLink("data/up", "..") || !tree.DirLink("data/self", ".") ||
        !tree.DirLink("data/other", tree.Path("other"))) {
        GTEST_SKIP() << "this platform lets the test make no directory links";
    }
    const std::vector<std::string> files = Walk(tree.Path("data"));
    // "up" leads to the root, which is not an ancestor of the walk from data/.
    const std::vector<std::string> expected = {tree.Path("data/other/b.ini"), tree.Path("data/up/other/b.ini"),
                                               tree.Path("data/a.ini")};
    EXPECT_EQ(files, expected);
}
