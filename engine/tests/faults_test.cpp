// Trees that change under the walk, entries that are not plain files, paths
// at the platform's limit, read errors and bad bytes: each ends the way the
// checker promises, and nothing else of the tree is lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "cross_check.h"
#include "fs.h"
#include "io_error.h"
#include "line_scanner.h"
#include "temp_tree.h"
#include "unix_files.h"
#include "walker.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using namespace std::string_literals;

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
constexpr const char* kFolder = "d";
#else
constexpr std::size_t kLongestPath = 4095;                         // PATH_MAX with its terminating zero
constexpr const char* kFolder = "dddddddddddddddddddddddddddddd";  // fewer levels to make
#endif

struct TFound {
    std::string Path;
    int32_t Line;
    std::string Name;
    bool operator==(const TFound& other) const {
        return Path == other.Path && Line == other.Line && Name == other.Name;
    }
};

std::ostream& operator<<(std::ostream& out, const TFound& found) {
    return out << found.Path << ":" << found.Line << ":" << found.Name;
}

// Every reference with its file's path, checking that the two tables agree.
std::vector<TFound> References(const TScanState& state) {
    EXPECT_EQ(state.UsedNames.Count(), state.RefTable.Count());
    std::vector<TFound> found;
    for (int32_t k = 0; k < state.RefTable.Count(); ++k) {
        const TRefRec& ref = state.RefTable[k];
        found.push_back({std::string(state.FileList[static_cast<int32_t>(ref.FileIndex)]), ref.LineIndex,
                         std::string(state.UsedNames[k])});
    }
    return found;
}

std::vector<std::string> Listed(const TPathList& files) {
    std::vector<std::string> paths;
    for (int32_t i = 0; i < files.Count(); ++i) paths.emplace_back(files[i]);
    return paths;
}

TScanState WalkedAndScanned(const std::string& root) {
    TScanState state;
    WalkTree(root, "*.ini", state.FileList);
    ScanFiles(state);
    return state;
}

}  // namespace

TEST(Faults, FilesGoneOrReplacedBetweenWalkAndScanAreSkipped) {
    TTempTree tree;
    tree.File("a.ini", "ButtonImage = A\n");
    tree.File("gone.ini", "ButtonImage = Gone\n");
    tree.File("moved.ini", "ButtonImage = Moved\n");
    tree.File("now_dir.ini", "ButtonImage = Dir\n");
    tree.File("sub/gone_with_folder.ini", "ButtonImage = Folder\n");
    tree.File("z.ini", "\nSelectPortrait = Z\n");
    TScanState state;
    WalkTree(tree.Root(), "*.ini", state.FileList);
    ASSERT_EQ(state.FileList.Count(), 6);

    fs::remove(tree.Path("gone.ini"));
    fs::rename(tree.Path("moved.ini"), tree.Path("moved.txt"));
    fs::remove(tree.Path("now_dir.ini"));
    tree.Dir("now_dir.ini");
    fs::remove_all(tree.Path("sub"));
    ScanFiles(state);

    EXPECT_EQ(References(state), (std::vector<TFound>{{tree.Path("a.ini"), 0, "a"}, {tree.Path("z.ini"), 1, "z"}}));
    EXPECT_EQ(state.FileList.Count(), 6) << "the walk's list stays as it was";
}

#ifndef _WIN32
TEST(Faults, FoldersRemovedOrRenamedDuringTheWalkContributeNothing) {
    struct TCase {
        const char* Name;
        const char* Trigger;  // the folder whose listing sets the change off
        std::function<void(const TTempTree&)> Change;
        std::vector<std::string> Expected;
    } cases[] = {
        {"later siblings removed and renamed",
         "a",
         [](const TTempTree& tree) {
             fs::remove_all(tree.Path("b"));
             fs::rename(tree.Path("c"), tree.Path("c2"));
         },
         {"a/x.ini", "r.ini"}},
        {"the folder being entered removed",
         "b",
         [](const TTempTree& tree) { fs::remove_all(tree.Path("b")); },
         {"a/x.ini", "c/v.ini", "r.ini"}},
        {"a file removed while its folder is walked",
         "b/deep",
         [](const TTempTree& tree) { fs::remove(tree.Path("b/y.ini")); },
         {"a/x.ini", "b/deep/w.ini", "c/v.ini", "r.ini"}},
    };
    for (const TCase& c : cases) {
        TTempTree tree;
        for (const char* file : {"a/x.ini", "b/y.ini", "b/deep/w.ini", "c/v.ini", "r.ini"}) {
            tree.File(file, std::string("ButtonImage = ") + file + "\n");
        }
        const std::string trigger = tree.Path(c.Trigger) + "/";
        bool changed = false;
        ListingHook = [&](const std::string& dir) {
            if (changed || dir != trigger) return;
            changed = true;
            c.Change(tree);
        };
        const TScanState state = WalkedAndScanned(tree.Root());
        ListingHook = nullptr;
        EXPECT_TRUE(changed) << c.Name;

        std::vector<std::string> expected;
        std::vector<TFound> references;
        for (const std::string& file : c.Expected) {
            expected.push_back(tree.Path(file));
            references.push_back({tree.Path(file), 0, file});
        }
        EXPECT_EQ(Listed(state.FileList), expected) << c.Name;
        EXPECT_EQ(References(state), references) << c.Name;
    }
}
#endif

TEST(Faults, AFileHeldOpenForWritingIsSkippedAndTheOthersReported) {
#ifdef _WIN32
    TTempTree tree;
    tree.File("a.ini", "ButtonImage = A\n");
    tree.File("locked.ini", "ButtonImage = Locked\n");
    tree.File("z.ini", "ButtonImage = Z\n");
    const HANDLE writer =
        CreateFileA(tree.Path("locked.ini").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    const TScanState locked = WalkedAndScanned(tree.Root());
    CloseHandle(writer);
    EXPECT_EQ(References(locked), (std::vector<TFound>{{tree.Path("a.ini"), 0, "a"}, {tree.Path("z.ini"), 0, "z"}}));
    EXPECT_EQ(References(WalkedAndScanned(tree.Root())).size(), 3u) << "read again once the writer has gone";
#else
    GTEST_SKIP() << "POSIX has no share modes: a file open for writing is read";
#endif
}

TEST(Faults, EntriesThatAreNoPlainFilesAreSkippedWithoutWaiting) {
    TTempTree tree;
    tree.File("a.ini", "ButtonImage = A\n");
    tree.File("z.ini", "ButtonImage = Z\n");
    if (!MakeFifo(tree.Path("fifo.ini")) || !MakeUnixLink("/dev/zero", tree.Path("zero.ini"))) {
        GTEST_SKIP() << "this platform makes no FIFOs or Unix links";
    }
    // Opened as files, the FIFO would wait for a writer and the device would
    // give one endless line.
    const TScanState state = WalkedAndScanned(tree.Root());
    EXPECT_EQ(state.FileList.Count(), 4);
    EXPECT_EQ(References(state), (std::vector<TFound>{{tree.Path("a.ini"), 0, "a"}, {tree.Path("z.ini"), 0, "z"}}));
}

TEST(Faults, AReadErrorAfterOpeningEndsTheScanWithEInOutError) {
    TTempTree tree;
    if (!MakeUnixLink("/proc/self/mem", tree.Path("mem.ini"))) GTEST_SKIP() << "this platform makes no Unix links";
    TScanState state;
    state.FileList.Add(tree.Path("mem.ini"));
    try {
        ScanFiles(state);
        FAIL() << "reading /proc/self/mem at offset 0 fails";
    } catch (const EInOutError& error) {
        EXPECT_NE(error.Code(), 0);
        EXPECT_EQ(error.what(), IoErrorMessage(error.Code()));
#ifndef _WIN32
        EXPECT_EQ(error.what(), std::string("I/O error 30")) << "EIO is no access denial";
#endif
    }
}

TEST(Faults, LinkCyclesEndTheWalk) {
    TTempTree tree;
    tree.File("data/a.ini", "ButtonImage = A\n");
    tree.File("data/sub/b.ini", "ButtonImage = B\n");
    // Two cycle links in one folder, and one two levels down.
    if (!tree.DirLink("data/self", ".") || !tree.DirLink("data/up", "..") || !tree.DirLink("data/sub/top", "../..")) {
        GTEST_SKIP() << "this platform lets the test make no directory links";
    }
    const TScanState state = WalkedAndScanned(tree.Root());
    EXPECT_EQ(Listed(state.FileList), (std::vector<std::string>{tree.Path("data/sub/b.ini"), tree.Path("data/a.ini")}));
    EXPECT_EQ(References(state).size(), 2u);
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

// `levels` folders kFolder nested below `root`, each holding x.ini that uses the
// image "l<level>". Made relative to an open folder, so natively the tree
// may reach deeper than a path can name (the temporary tree's removal copes).
class TDeepTree {
public:
    TDeepTree(const std::string& root, int levels) : Root_(root), Levels_(levels) {
#ifdef _WIN32
        std::string dir = kLongPrefix + root;
        for (int i = 1; i <= levels; ++i) {
            dir += std::string("\\") + kFolder;
            fs::create_directory(dir);
            std::ofstream(fs::path(dir + "\\x.ini"), std::ios::binary) << Text(i);
        }
#else
        int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
        for (int i = 1; i <= levels && fd >= 0; ++i) {
            mkdirat(fd, kFolder, 0700);
            const int next = openat(fd, kFolder, O_RDONLY | O_DIRECTORY);
            close(fd);
            fd = next;
            const int file = openat(fd, "x.ini", O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const std::string text = Text(i);
            EXPECT_EQ(write(file, text.data(), text.size()), static_cast<ssize_t>(text.size()));
            close(file);
        }
        close(fd);
#endif
    }

#ifdef _WIN32
    ~TDeepTree() {
        std::error_code ignored;
        fs::remove_all(kLongPrefix + Root_ + "\\" + kFolder, ignored);
    }
#endif

    // The folder of a level as the walker names it, with its separator.
    std::string Dir(int level) const {
        std::string dir = Root_ + kPathSeparator;
        for (int i = 0; i < level; ++i) dir += kFolder + std::string(1, kPathSeparator);
        return dir;
    }
    int Levels() const {
        return Levels_;
    }

private:
#ifdef _WIN32
    static constexpr const char* kLongPrefix = "\\\\?\\";  // lets the wide calls pass MAX_PATH
#endif
    static std::string Text(int level) {
        return "ButtonImage = l" + std::to_string(level) + "\n";
    }

    std::string Root_;
    int Levels_;
};

}  // namespace

TEST(Faults, TreesDeeperThanAPathCanNameEndTheWalkAtTheLimit) {
    TTempTree tree;
    const std::size_t step = std::string(kFolder).size() + 1;
    const TDeepTree deep(tree.Root(), static_cast<int>((kLongestPath + 200 - tree.Root().size()) / step));
    const TScanState state = WalkedAndScanned(tree.Root());

    std::vector<std::string> listed;
    std::vector<TFound> read;
    for (int level = 1; level <= deep.Levels(); ++level) {
        const std::string dir = deep.Dir(level);
#ifdef _WIN32
        const bool listable = dir.size() + 5 <= kLongestPath;  // the listing's pattern is dir + "*.ini"
#else
        const bool listable = dir.size() <= kLongestPath;
#endif
        if (listable) listed.insert(listed.begin(), dir + "x.ini");
        if (listable && dir.size() + 5 <= kLongestPath) {
            read.insert(read.begin(), {dir + "x.ini", 0, "l" + std::to_string(level)});
        }
    }
    ASSERT_FALSE(listed.empty());
    EXPECT_LT(listed.size(), static_cast<std::size_t>(deep.Levels()));
    EXPECT_EQ(Listed(state.FileList), listed);
    EXPECT_EQ(References(state), read);
}

TEST(Faults, BadBytesGiveTheDocumentedRecords) {
    struct TCase {
        const char* Name;
        std::string Bytes;
        std::vector<TFound> Used;  // Path holds the line as read
        std::vector<std::string> Declared;
    } cases[] = {
        {"NUL inside a name is kept, at an end it is trimmed",
         "ButtonImage = a\0b\0\r\nMappedImage \0c\r\n"s,
         {{"ButtonImage = a\0b\0"s, 0, "a\0b"s}},
         {"c"}},
        {"control bytes trimmed only at the ends",
         "\x01\x02SelectPortrait =\x05X\x06Y\x1f\n",
         {{"\x01\x02SelectPortrait =\x05X\x06Y\x1f", 0, "x\x06y"}},
         {}},
        {"bytes of 128 and above are neither trimmed nor lowered",
         "ButtonImage = \xA0\xC0Name\xFF\r\nMappedImage \x98\n",
         {{"ButtonImage = \xA0\xC0Name\xFF", 0, "\xA0\xC0name\xFF"}},
         {"\x98"}},
        {"100,000 empty lines are counted",
         std::string(100000, '\n') + "ButtonImage = Late",
         {{"ButtonImage = Late", 100000, "late"}},
         {}},
        {"CR LF and lone CR lines",
         std::string(50000, '\r') + "\r\n" + "ButtonImage = x\r\r\n",
         {{"ButtonImage = x", 1, "x"}},
         {}},
    };
    for (const TCase& c : cases) {
        TScanState state;
        TMemorySource source(c.Bytes);
        TLineScanner(state).ScanText(source, 0);
        ASSERT_EQ(state.UsedNames.Count(), state.RefTable.Count()) << c.Name;
        ASSERT_EQ(static_cast<std::size_t>(state.RefTable.Count()), c.Used.size()) << c.Name;
        for (std::size_t k = 0; k < c.Used.size(); ++k) {
            const TRefRec& ref = state.RefTable[static_cast<int32_t>(k)];
            EXPECT_EQ(state.UsedNames[static_cast<int32_t>(k)], c.Used[k].Name) << c.Name;
            EXPECT_EQ(ref.LineIndex, c.Used[k].Line) << c.Name;
            ASSERT_LE(ref.Column - 1 + ref.Length, c.Used[k].Path.size()) << c.Name;
            std::string at = c.Used[k].Path.substr(ref.Column - 1, ref.Length);
            for (char& ch : at) ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch + 32 : ch);
            EXPECT_EQ(at, c.Used[k].Name) << c.Name << ": the column points at the name";
        }
        ASSERT_EQ(static_cast<std::size_t>(state.DefinedNames.Count()), c.Declared.size()) << c.Name;
        for (std::size_t k = 0; k < c.Declared.size(); ++k) {
            EXPECT_EQ(state.DefinedNames[static_cast<int32_t>(k)], c.Declared[k]) << c.Name;
        }
    }
}

TEST(Faults, BinaryGarbageLosesNothingOfTheOtherFiles) {
    TTempTree tree;
    std::string garbage(256 * 1024, '\0');
    uint32_t seed = 12345;
    for (char& c : garbage) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 24);
    }
    tree.File("a.ini", "ButtonImage = A\n");
    tree.File("b_garbage.ini", garbage);
    tree.File("c_garbage.ini", "ButtonImage = C\n" + garbage + "\nButtonImage = after\n");
    tree.File("d.ini", "MappedImage a\nButtonImage = D\n");
    const TScanState state = WalkedAndScanned(tree.Root());
    const std::vector<TFound> found = References(state);
    std::vector<TFound> good;
    std::vector<TFound> fromC;
    for (const TFound& f : found) {
        if (f.Path.find("garbage") == std::string::npos) good.push_back(f);
        if (f.Path == tree.Path("c_garbage.ini")) fromC.push_back(f);
    }
    EXPECT_EQ(good, (std::vector<TFound>{{tree.Path("a.ini"), 0, "a"}, {tree.Path("d.ini"), 1, "d"}}));
    ASSERT_FALSE(fromC.empty());
    EXPECT_EQ(fromC[0], (TFound{tree.Path("c_garbage.ini"), 0, "c"})) << "lines before the garbage are read";

    const TReport report = CrossCheck(tree.Root(), state);
    EXPECT_EQ(report.Items.size(), found.size() - 1) << "every reference but the declared one is reported";
}

namespace {

// `head`, then `count` copies of `fill`, made as they are read: the test
// holds no copy of its own.
class TRunSource : public TByteSource {
public:
    TRunSource(std::string head, char fill, std::size_t count) : Head_(std::move(head)), Fill_(fill), Left_(count) {}
    std::size_t Read(char* buffer, std::size_t size) override {
        std::size_t n = 0;
        for (; n < size && Pos_ < Head_.size(); ++n) buffer[n] = Head_[Pos_++];
        const std::size_t run = std::min(size - n, Left_);
        std::fill_n(buffer + n, run, Fill_);
        Left_ -= run;
        return n + run;
    }

private:
    std::string Head_;
    std::size_t Pos_ = 0;
    char Fill_;
    std::size_t Left_;
};

}  // namespace

TEST(Faults, AHundredMegabyteLineWithNoEndIsOneReference) {
    constexpr std::size_t kRun = std::size_t{100} << 20;
    TScanState state;
    TRunSource source("MappedImage q\nButtonImage = ", 'Q', kRun);
    TLineScanner(state).ScanText(source, 0);
    ASSERT_EQ(state.RefTable.Count(), 1);
    const TRefRec& ref = state.RefTable[0];
    EXPECT_EQ(ref.LineIndex, 1);
    EXPECT_EQ(ref.Column, 15u);
    EXPECT_EQ(ref.Length, kRun);
    EXPECT_EQ(state.UsedNames[0], std::string(kRun, 'q'));
    ASSERT_EQ(state.DefinedNames.Count(), 1);
    EXPECT_EQ(state.DefinedNames[0], "q");
}
