// Trees that change under the walk, entries that are not plain files, paths
// at the platform's limit and read errors: each ends the way the checker
// promises, and nothing else of the tree is lost.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "fs.h"
#include "io_error.h"
#include "line_scanner.h"
#include "parallel_scan.h"
#include "random_tree.h"
#include "temp_tree.h"
#include "unix_files.h"
#include "walker.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
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

using TFound = std::tuple<std::string, int32_t, std::string>;  // path, line, name

std::vector<TFound> References(const TScanState& state) {
    EXPECT_EQ(state.UsedNames.Count(), state.RefTable.Count());
    std::vector<TFound> found;
    for (int32_t k = 0; k < state.RefTable.Count(); ++k) {
        const TRefRec& ref = state.RefTable[k];
        found.emplace_back(state.FileList[static_cast<int32_t>(ref.FileIndex)], ref.LineIndex, state.UsedNames[k]);
    }
    return found;
}

std::vector<std::string> Listed(const TPathList& files) {
    std::vector<std::string> paths;
    for (int32_t i = 0; i < files.Count(); ++i) paths.emplace_back(files[i]);
    return paths;
}

// What a scan recorded, as one string to compare; Capacity() tells whether
// the lists grew as one thread's do.
std::string Dump(const TScanState& state) {
    std::string dump;
    for (const TNameList* names : {&state.UsedNames, &state.DefinedNames}) {
        for (int32_t k = 0; k < names->Count(); ++k) dump.append((*names)[k]).append("|");
        dump += std::to_string(names->Capacity()) + "\n";
    }
    for (const TRefTable* refs : {&state.RefTable, &state.DefinedPlaces}) {
        for (int32_t k = 0; k < refs->Count(); ++k) {
            dump += std::to_string((*refs)[k].FileIndex) + ":" + std::to_string((*refs)[k].LineIndex) + ":" +
                    std::to_string((*refs)[k].Column) + " ";
        }
        dump += std::to_string(refs->Capacity()) + "\n";
    }
    return dump;
}

TScanState WalkedAndScanned(const std::string& root) {
    TScanState state;
    WalkTree(root, "*.ini", state.FileList);
    ScanFiles(state);
    return state;
}

}  // namespace

// Between the walk and the scan files go, move, turn into folders or are held
// open for writing (Windows shares them with readers only); a FIFO would wait
// for a writer and a device give one endless line; binary garbage says what
// its bytes say. The plain files are read whole all the same.
TEST(Faults, TroubleInTheTreeLosesNothingOfThePlainFiles) {
    TTempTree tree;
    std::minstd_rand random(12345);
    std::string garbage(256 * 1024, '\0');
    for (char& c : garbage) c = static_cast<char>(random() >> 8);
    for (const char* lost : {"gone.ini", "moved.ini", "now_dir.ini", "sub/gone_with_folder.ini", "locked.ini"}) {
        tree.File(lost, "ButtonImage = Lost\n");
    }
    tree.File("a.ini", "ButtonImage = A\n");
    tree.File("b_garbage.ini", garbage);
    tree.File("c_garbage.ini", "ButtonImage = C\n" + garbage + "\nButtonImage = after\n");
    tree.File("d.ini", "MappedImage a\nButtonImage = D\n");
    const bool oddEntries = MakeFifo(tree.Path("fifo.ini")) && MakeUnixLink("/dev/zero", tree.Path("zero.ini"));
    TScanState state;
    WalkTree(tree.Root(), "*.ini", state.FileList);
    const int32_t listed = state.FileList.Count();
    ASSERT_EQ(listed, oddEntries ? 11 : 9);

    fs::remove(tree.Path("gone.ini"));
    fs::rename(tree.Path("moved.ini"), tree.Path("moved.txt"));
    fs::remove(tree.Path("now_dir.ini"));
    tree.Dir("now_dir.ini");
    fs::remove_all(tree.Path("sub"));
#ifdef _WIN32
    const HANDLE writer =
        CreateFileA(tree.Path("locked.ini").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
#else
    // POSIX has no share modes: a file open for writing is read.
    fs::remove(tree.Path("locked.ini"));
#endif
    state.KeepSkipped = true;
    ScanFiles(state);
#ifdef _WIN32
    CloseHandle(writer);
    const bool dirIsRegular = false;  // a folder does not open as a file
#else
    const bool dirIsRegular = true;  // a folder opens, and is no regular file
#endif

    EXPECT_EQ(state.FileList.Count(), listed) << "the walk's list stays as it was";
    std::vector<TFound> plain;
    for (const TFound& found : References(state)) {
        if (std::get<0>(found).find("garbage") == std::string::npos || std::get<1>(found) == 0) plain.push_back(found);
    }
    EXPECT_EQ(plain,
              (std::vector<TFound>{
                  {tree.Path("a.ini"), 0, "a"}, {tree.Path("c_garbage.ini"), 0, "c"}, {tree.Path("d.ini"), 1, "d"}}));
    // Each is named, with the platform's reason where it is a fault.
    std::vector<std::pair<std::string, bool>> skipped;  // path, passed over by design
    for (const TSkippedEntry& entry : state.Skipped) skipped.emplace_back(entry.Path, entry.Reason.empty());
    std::vector<std::pair<std::string, bool>> expected{{tree.Path("sub/gone_with_folder.ini"), false}};
    if (oddEntries) expected.emplace_back(tree.Path("fifo.ini"), true);
    for (const char* lost : {"gone.ini", "locked.ini", "moved.ini"}) expected.emplace_back(tree.Path(lost), false);
    expected.emplace_back(tree.Path("now_dir.ini"), dirIsRegular);
    if (oddEntries) expected.emplace_back(tree.Path("zero.ini"), true);
    EXPECT_EQ(skipped, expected);
}

#ifndef _WIN32
TEST(Faults, FoldersRemovedOrRenamedDuringTheWalkContributeNothing) {
    TTempTree tree;
    for (const char* file : {"a/x.ini", "b/y.ini", "c/v.ini", "d/u.ini", "e/y.ini", "e/deep/w.ini", "r.ini"}) {
        tree.File(file, std::string("ButtonImage = ") + file + "\n");
    }
    // Listing a removes and renames later siblings, listing d removes d
    // itself, listing e/deep removes a file that e lists afterwards.
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

    std::vector<std::string> expected;
    std::vector<TFound> references;
    for (const char* file : {"a/x.ini", "e/deep/w.ini", "r.ini"}) {
        expected.push_back(tree.Path(file));
        references.emplace_back(tree.Path(file), 0, file);
    }
    EXPECT_EQ(Listed(state.FileList), expected);
    EXPECT_EQ(References(state), references);
}
#endif

TEST(Faults, AReadErrorAfterOpeningEndsTheScanWithEInOutError) {
    TTempTree tree;
    if (!MakeUnixLink("/proc/self/mem", tree.Path("mem.ini"))) GTEST_SKIP() << "this platform makes no Unix links";
    TScanState state;
    state.FileList.Add(tree.Path("mem.ini"));
    try {
        ScanFiles(state);
        FAIL() << "reading /proc/self/mem at offset 0 fails";
    } catch (const EInOutError& error) {
#ifdef _WIN32
        EXPECT_NE(error.Code(), 0);
#else
        EXPECT_EQ(error.what(), std::string("I/O error 30")) << "EIO is no access denial";
        EXPECT_EQ(error.Reason(), ErrorText(EIO));
#endif
    }
    // Kept instead of raised when the caller asks, and the next file is read.
    tree.File("z.ini", "ButtonImage = After\n");
    state.FileList.Add(tree.Path("z.ini"));
    state.KeepSkipped = true;
    ScanFiles(state);
    ASSERT_EQ(state.Skipped.size(), 1u);
    EXPECT_EQ(state.Skipped[0].Path, tree.Path("mem.ini"));
    EXPECT_NE(state.Skipped[0].Reason, "");
    EXPECT_EQ(state.UsedNames.Count(), 1);
}

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
    ASSERT_EQ((dir + at259).size(), 259u);
    ASSERT_EQ((dir + at260).size(), 260u);

    const TScanState state = WalkedAndScanned(root);
    EXPECT_EQ(Listed(state.FileList), (std::vector<std::string>{dir + at259, dir + at260}));
    EXPECT_EQ(References(state), (std::vector<TFound>{{dir + at259, 0, "fits"}}));
}
#endif

namespace {

// `levels` folders kFolder nested below `root`, each holding x.ini that uses
// the image "l<level>". Made relative to an open folder, so natively the tree
// may reach deeper than a path can name (the temporary tree's removal copes).
void MakeDeepTree(const std::string& root, int levels) {
#ifdef _WIN32
    std::string dir = "\\\\?\\" + root;  // lets the wide calls pass MAX_PATH
    for (int i = 1; i <= levels; ++i) {
        dir += std::string("\\") + kFolder;
        fs::create_directory(dir);
        std::ofstream(fs::path(dir + "\\x.ini"), std::ios::binary) << "ButtonImage = l" << i << "\n";
    }
#else
    int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 1; i <= levels && fd >= 0; ++i) {
        mkdirat(fd, kFolder, 0700);
        const int next = openat(fd, kFolder, O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = next;
        const std::string text = "ButtonImage = l" + std::to_string(i) + "\n";
        const int file = openat(fd, "x.ini", O_WRONLY | O_CREAT | O_TRUNC, 0600);
        EXPECT_EQ(write(file, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        close(file);
    }
    close(fd);
#endif
}

}  // namespace

TEST(Faults, TreesDeeperThanAPathCanNameEndTheWalkAtTheLimit) {
    TTempTree tree;
    const std::string root = tree.Root();
    const int levels = static_cast<int>((kLongestPath + 200 - root.size()) / (std::string(kFolder).size() + 1));
    MakeDeepTree(root, levels);
    const TScanState state = WalkedAndScanned(root);
#ifdef _WIN32
    // Past MAX_PATH the temporary tree's removal fails: deepest level first.
    std::wstring deepest = L"\\\\?\\" + std::wstring(root.begin(), root.end());
    for (int level = 0; level < levels; ++level) deepest += L"\\d";  // kFolder
    for (int level = levels; level > 0; --level, deepest.resize(deepest.size() - 2)) {
        DeleteFileW((deepest + L"\\x.ini").c_str());
        RemoveDirectoryW(deepest.c_str());
    }
#endif

    std::vector<std::string> listed;
    std::vector<TFound> read;
    std::string dir = root + kPathSeparator;
    for (int level = 1; level <= levels; ++level) {
        dir += kFolder + std::string(1, kPathSeparator);
        if (dir.size() + kPatternTail > kLongestPath) break;
        listed.insert(listed.begin(), dir + "x.ini");
        if (dir.size() + 5 <= kLongestPath) read.emplace(read.begin(), dir + "x.ini", 0, "l" + std::to_string(level));
    }
    ASSERT_FALSE(read.empty());
    EXPECT_LT(listed.size(), static_cast<std::size_t>(levels));
    EXPECT_EQ(Listed(state.FileList), listed);
    EXPECT_EQ(References(state), read);
}

// Threads scan files into records of their own, joined in file order: what
// a scan that raises its read errors leaves, and the error, are one thread's.
// (The console's run, which names them instead, is a table of check_test.)
TEST(Faults, ParallelScansRaiseTheFirstReadErrorInFileOrder) {
    TTempTree tree;
    MakeRandomTree(tree, 2);
    for (const char* path : {"d1/e2/unreadable.ini", "d2/unreadable.ini", "z.ini"}) {
        if (!MakeUnixLink("/proc/self/mem", tree.Path(path))) GTEST_SKIP() << "this platform makes no Unix links";
    }
    TPathList files;
    WalkTree(tree.Root(), "*.ini", files);
    std::string oneThread;
    for (const unsigned jobs : {1u, 2u, 3u, 8u}) {
        TScanState state;
        state.FileList = files;
        state.KeepDefinedPlaces = true;
        std::string error = "none";
        try {
            ScanFilesInParallel(state, jobs);
        } catch (const EInOutError& e) {
            error = e.what();
        }
        if (jobs == 1) oneThread = Dump(state) + error;
        EXPECT_EQ(Dump(state) + error, oneThread) << jobs << " threads";
    }
    EXPECT_NE(oneThread.find("I/O error"), std::string::npos);
    EXPECT_GT(oneThread.size(), 2000u) << "records before the error are kept";
}
