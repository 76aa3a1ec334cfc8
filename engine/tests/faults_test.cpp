// The walk's order and mask, links that lead in circles, trees that change
// under the walk, entries that are not plain files, paths at the platform's
// limit and read errors: each ends the way the checker promises, and nothing
// else of the tree is lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "fs.h"
#include "io_error.h"
#include "line_scanner.h"
#include "parallel_scan.h"
#include "random_tree.h"
#include "rules.h"
#include "strip_paths.h"
#include "temp_tree.h"
#include "unix_files.h"
#include "walker.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#endif

namespace fs = std::filesystem;

#ifndef _WIN32
// The engine's directory listings go through this (linked with
// --wrap=opendir), so a test can change the tree at a chosen point of a walk.
std::function<void(const std::string&)> ListingHook;
extern "C" DIR* __real_opendir(const char* name);
extern "C" DIR* __wrap_opendir(const char* name) {
    if (ListingHook) ListingHook(name);
    return __real_opendir(name);
}
#endif

namespace {

#ifdef _WIN32
constexpr std::size_t kLongestPath = MAX_PATH - 1;
constexpr std::size_t kPatternTail = 5;  // a folder is listed as dir + "*.ini"
constexpr const char* kFolder = "d";
#else
constexpr std::size_t kLongestPath = 4095;                         // PATH_MAX with its terminating zero
constexpr std::size_t kPatternTail = 0;                            // opendir names the folder alone
constexpr const char* kFolder = "dddddddddddddddddddddddddddddd";  // fewer levels to make
#endif

// The files below `root`, each "/" + its relative path + " ".
std::string Listed(const TPathList& files, const std::string& root) {
    std::string paths;
    for (int32_t i = 0; i < files.Count(); ++i) paths.append(files[i].substr(root.size())) += " ";
    std::replace(paths.begin(), paths.end(), '\\', '/');
    return paths;
}

TScanState WalkedAndScanned(const std::string& root) {
    TScanState state;
    WalkTree(root, "*.ini", state.FileList);
    ScanFiles(state);
    return state;
}

}  // namespace

TEST(Walker, ListsSubfoldersFilesFirstAndMatchesTheMaskWithoutCaseInNtfsOrder) {
    TTempTree tree;
    EXPECT_EQ(WalkedAndScanned(tree.Path("missing")).FileList.Count(), 0);
    for (const char* name : {"_u.ini", "Zed.ini", "B.INI", "a.Ini", "c.ini.bak", "ini", "d.inx", "sub/b.ini",
                             "sub/deeper/c.ini", "notes/n.txt", "x.ini/inner.ini", ".hidden/a.ini", ".b.ini"}) {
        tree.File(name);
    }
    const std::string expected =
        "/.hidden/a.ini /sub/deeper/c.ini /sub/b.ini /x.ini/inner.ini /.b.ini /a.Ini /B.INI /Zed.ini /_u.ini ";
    EXPECT_EQ(Listed(WalkedAndScanned(tree.Root()).FileList, tree.Root()), expected);
    EXPECT_EQ(Listed(WalkedAndScanned(tree.Root() + kPathSeparator).FileList, tree.Root()), expected)
        << "a trailing separator is not doubled";
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
    EXPECT_EQ(Listed(WalkedAndScanned(tree.Root()).FileList, tree.Root()),
              "/data/other/b.ini /data/a.ini /x/toy/d.ini /x/c.ini ");
    // A folder passed over is passed over by every path that leads to it.
    std::vector<TFileId> passOver(2);
    ASSERT_TRUE(GetDirectoryId(tree.Path("other"), passOver[0]) && GetDirectoryId(tree.Path("x"), passOver[1]));
    TPathList files;
    WalkTree(tree.Root(), "*.ini", files, nullptr, {}, passOver);
    EXPECT_EQ(Listed(files, tree.Root()), "/data/a.ini /y/d.ini ");
}

// Between the walk and the scan files go, turn into folders or are held open
// for writing (Windows shares them with readers only); a FIFO would wait for a
// writer and a device give one endless line. The plain files are read whole.
TEST(Faults, TroubleInTheTreeLosesNothingOfThePlainFiles) {
    TTempTree tree;
    for (const char* lost : {"gone.ini", "now_dir.ini", "sub/gone_with_folder.ini", "locked.ini"}) {
        tree.File(lost, "ButtonImage = Lost\n");
    }
    tree.File("a.ini", "ButtonImage = A\n");
    tree.File("d.ini", "MappedImage a\nButtonImage = D\n");
    const bool oddEntries = MakeFifo(tree.Path("fifo.ini")) && MakeUnixLink("/dev/zero", tree.Path("zero.ini"));
    TScanState state;
    WalkTree(tree.Root(), "*.ini", state.FileList);
    ASSERT_EQ(state.FileList.Count(), oddEntries ? 8 : 6);

    fs::remove(tree.Path("gone.ini"));
    fs::remove(tree.Path("now_dir.ini"));
    fs::create_directory(tree.Path("now_dir.ini"));
    fs::remove_all(tree.Path("sub"));
    std::ofstream writer(tree.Path("locked.ini"), std::ios::app);
#ifndef _WIN32
    fs::remove(tree.Path("locked.ini"));  // POSIX has no share modes: a file open for writing is read
#endif
    const bool dirIsRegular = kPathSeparator == '/';  // a folder opens under POSIX, and is no regular file
    state.KeepSkipped = true;
    ScanFiles(state);

    EXPECT_EQ(Records(state.RefTable, state.UsedNames), "1:0:15 a\n2:1:15 d\n");  // after sub/ and its file
    // Each is named, with the platform's reason where it is a fault ("-": passed over by design).
    std::string skipped;
    for (const TSkippedEntry& entry : state.Skipped) skipped += entry.Path + (entry.Reason.empty() ? "- " : " ");
    EXPECT_EQ(skipped, tree.Path("sub/gone_with_folder.ini ") + (oddEntries ? tree.Path("fifo.ini- ") : "") +
                           tree.Path("gone.ini ") + tree.Path("locked.ini ") +
                           tree.Path(dirIsRegular ? "now_dir.ini- " : "now_dir.ini ") +
                           (oddEntries ? tree.Path("zero.ini- ") : ""));
}

#ifndef _WIN32
// Listing a removes and renames later siblings, listing d removes d itself,
// listing e/deep removes a file that e lists afterwards.
TEST(Faults, FoldersRemovedOrRenamedDuringTheWalkContributeNothing) {
    TTempTree tree;
    for (const char* file : {"a/x.ini", "b/y.ini", "c/v.ini", "d/u.ini", "e/y.ini", "e/deep/w.ini", "r.ini"}) {
        tree.File(file, std::string("ButtonImage = ") + file + "\n");
    }
    std::pair<std::string, std::function<void()>> changes[] = {
        {"a",
         [&] {
             fs::remove_all(tree.Path("b"));
             fs::rename(tree.Path("c"), tree.Path("c2"));
         }},
        {"d", [&] { fs::remove_all(tree.Path("d")); }},
        {"e/deep", [&] { fs::remove(tree.Path("e/y.ini")); }},
    };
    ListingHook = [&](const std::string& dir) {
        for (auto& [folder, change] : changes) {
            if (change && dir == tree.Path(folder) + "/") std::exchange(change, nullptr)();
        }
    };
    const TScanState state = WalkedAndScanned(tree.Root());
    ListingHook = nullptr;
    for (const auto& [folder, change] : changes) EXPECT_FALSE(change) << folder << " was never listed";
    EXPECT_EQ(Listed(state.FileList, tree.Root()), "/a/x.ini /e/deep/w.ini /r.ini ");
    EXPECT_EQ(Records(state.RefTable, state.UsedNames), "0:0:15 a/x.ini\n1:0:15 e/deep/w.ini\n2:0:15 r.ini\n");
}
#endif

#ifdef _WIN32
TEST(Faults, PathsOfUpTo259BytesAreReadLongerOnesSkipped) {
    TTempTree tree;
    const std::string root = tree.Root();
    const std::string folder(200 - root.size() - 2, 'p');
    const std::string dir = root + "\\" + folder + "\\";
    const std::string at259 = std::string(259 - dir.size() - 4, 'a') + ".ini";
    const std::string at260 = std::string(260 - dir.size() - 4, 'b') + ".ini";
    tree.File(folder + "/" + at259, "ButtonImage = Fits\n");
    tree.File(folder + "/" + at260, "ButtonImage = TooLong\n");
    ASSERT_EQ((dir + at260).size(), 260u);

    const TScanState state = WalkedAndScanned(root);
    EXPECT_EQ(Listed(state.FileList, dir), at259 + " " + at260 + " ");
    EXPECT_EQ(Records(state.RefTable, state.UsedNames), "0:0:15 fits\n");
}
#endif

// `levels` folders kFolder nested below the root, each holding x.ini that uses
// "l<level>", made from the folder above, so natively the tree may reach
// deeper than a path can name (the temporary tree's removal copes).
TEST(Faults, TreesDeeperThanAPathCanNameEndTheWalkAtTheLimit) {
    TTempTree tree;
    const std::string root = tree.Root();
    const int levels = static_cast<int>((kLongestPath + 200 - root.size()) / (std::string(kFolder).size() + 1));
#ifdef _WIN32
    std::string at = "\\\\?\\" + root + "\\";  // lets the wide calls pass MAX_PATH
#else
    const fs::path home = fs::current_path();
    fs::current_path(root);
    std::string at;
#endif
    for (int i = 1; i <= levels; ++i) {
        const std::string dir = at + kFolder;
        fs::create_directory(dir);
        std::ofstream(fs::path(dir) / "x.ini", std::ios::binary) << "ButtonImage = l" << i << "\n";
#ifdef _WIN32
        at = dir + "\\";
#else
        fs::current_path(dir);
#endif
    }
#ifndef _WIN32
    fs::current_path(home);
#endif
    const TScanState state = WalkedAndScanned(root);
#ifdef _WIN32
    // Past MAX_PATH the temporary tree's removal fails: deepest level first.
    for (std::wstring dir(at.begin(), at.end() - 1); dir.size() > root.size() + 4; dir.resize(dir.rfind(L'\\'))) {
        DeleteFileW((dir + L"\\x.ini").c_str());
        RemoveDirectoryW(dir.c_str());
    }
#endif

    std::string listed, dir, read;
    int level = 1, fits = 0;
    for (; level <= levels; ++level) {
        dir += "/" + std::string(kFolder);
        if (root.size() + dir.size() + 1 + kPatternTail > kLongestPath) break;
        listed = dir + "/x.ini " + listed;
        if (root.size() + dir.size() + 6 <= kLongestPath) fits = level;
    }
    // Deepest first: level l is file level - 1 - l.
    for (int l = fits; l >= 1; --l) read += std::to_string(level - 1 - l) + ":0:15 l" + std::to_string(l) + "\n";
    ASSERT_GT(fits, 0);
    EXPECT_LE(level, levels) << "the walk ends before the deepest level";
    EXPECT_EQ(Listed(state.FileList, root), listed);
    EXPECT_EQ(Records(state.RefTable, state.UsedNames), read);
}

// Threads scan files into records of their own while the walk lists them,
// joined in file order: what a scan leaves, the read error it raises or the
// entries it skips, are one thread's. (The console's run is a table of check_test.)
TEST(Faults, ParallelScansLeaveWhatOneThreadLeaves) {
    TTempTree tree;
    MakeRandomTree(tree, 2);
    // Reading /proc/self/mem at offset 0 fails after a good open.
    for (const char* path : {"d1/e2/unreadable.ini", "d2/unreadable.ini", "z.ini"}) {
        if (!MakeUnixLink("/proc/self/mem", tree.Path(path))) GTEST_SKIP() << "this platform makes no Unix links";
    }
    const std::string turned = tree.Path("t/turned");
#ifndef _WIN32
    // A folder that turns into a file as the walk comes to list it is skipped by the walk.
    ListingHook = [&](const std::string& dir) {
        if (dir != turned + "/") return;
        fs::remove_all(turned);
        tree.File("t/turned", "");
    };
#endif
    // A file rule whose blocks span lines, so that each file must be read in order.
    // Jobs 0: two threads, with a keyword of a high byte too, for which the rules read every line.
    const TRule rule = Rule("r", "MappedImage", {}, {{"*", "ButtonImage", {1, true}}, {"SelectPortrait", "", {}}});
    const TRuleSet rules({rule}), everyLine({rule, Rule("h", "\xC9", {}, {})});
    for (const bool keepSkipped : {false, true}) {
        std::string oneThread;
        for (const unsigned jobs : {1u, 2u, 3u, 8u, 0u}) {
            fs::remove_all(turned);
            tree.File("t/turned/x.ini", "ButtonImage = Never\n");
            TScanState state;
            state.KeepDefinedPlaces = true;
            state.KeepSkipped = keepSkipped;
            state.Rules = jobs == 0 ? &everyLine : &rules;
            std::string dump = "none";
            try {
                WalkAndScanInParallel(tree.Root(), "*.ini", state, jobs == 0 ? 2 : jobs);
            } catch (const EInOutError& e) {
                dump = e.what() + (": " + e.Reason());
            }
            dump += "\n";
            for (int32_t f = 0; f < state.FileList.Count(); ++f) dump.append(state.FileList[f]) += " ";
            for (const TSkippedEntry& entry : state.Skipped) dump += "\n" + entry.Path + ": " + entry.Reason;
            dump += "\n" + Records(state);
            // Capacity() tells whether the lists grew as one thread's do.
            const TKindRecords& r = state.RuleRecords.at(0);
            for (const int32_t capacity :
                 {state.UsedNames.Capacity(), state.DefinedNames.Capacity(), r.UsedNames.Capacity(),
                  r.DefinedNames.Capacity(), state.RefTable.Capacity(), state.DefinedPlaces.Capacity(),
                  r.RefTable.Capacity(), r.DefinedPlaces.Capacity()}) {
                dump += std::to_string(capacity) + " ";
            }
            if (jobs == 1) oneThread = dump;
            EXPECT_EQ(dump, oneThread) << jobs << " threads";
        }
        EXPECT_GT(oneThread.size(), 2000u) << "records before the error are kept";
        EXPECT_NE(oneThread.find("\n0 U "), std::string::npos) << "the rule records names";
        if (keepSkipped) {
            EXPECT_EQ(oneThread.find("none\n"), 0u);
            const std::size_t file = oneThread.find("\n" + tree.Path("d1/e2/unreadable.ini") + ": ");
            EXPECT_NE(oneThread.find("\n" + tree.Path("z.ini") + ": ", file), std::string::npos);
#ifndef _WIN32
            // The walk's folder first, then the files in file order.
            EXPECT_LT(oneThread.find("\n" + turned + ": " + ErrorText(ENOTDIR)), file);
#endif
        } else {
#ifdef _WIN32
            EXPECT_EQ(oneThread.rfind("I/O error", 0), 0u) << oneThread.substr(0, 100);
#else
            EXPECT_EQ(oneThread.rfind("I/O error 30: " + ErrorText(EIO) + "\n", 0), 0u) << "EIO is no access denial";
#endif
        }
    }
#ifndef _WIN32
    ListingHook = nullptr;
#endif
}
