#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "baseline.h"
#include "checked.h"
#include "fs.h"
#include "temp_tree.h"

TEST(Baseline, RoundTripSurvivesUnrelatedEditsAndCatchesNewFindings) {
    TTempTree tree, work;
    tree.File("INI/a.ini", "ButtonImage = Old\r\nButtonImage = Old\r\nButtonImage = Known\r\n");
    tree.File("images.ini", "MappedImage Known\r\nMappedImage Spare\r\n");
    const std::string baseline = work.Path("baseline.txt");

    const TRun written = Checked({"--unused", "--write-baseline", baseline, tree.Root()});
    EXPECT_EQ(written.Status, 0) << written.Err;
    std::ifstream file(baseline, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}),
              "# tessaron-check baseline: kind, path below the root, name\nmissing\tINI/a.ini\told"
              "\nmissing\tINI/a.ini\told\nunused\timages.ini\tspare\n");
    EXPECT_EQ(written.Err, "tessaron-check: записано находок: 3, базовый список " + baseline + "\n");

    // Lines move: the entries hold no line numbers.
    tree.File("INI/a.ini", "; new comment\r\n\r\nButtonImage = Old\r\nButtonImage = Known\r\nButtonImage = OLD\r\n");
    const TRun moved = Checked({"--unused", "--baseline", baseline, tree.Root()});
    EXPECT_EQ(std::to_string(moved.Status) + moved.Err, "0") << moved.Out;

    // A third use of the same name is new, and so is another file's.
    tree.File("INI/a.ini", "ButtonImage = Old\r\nButtonImage = Old\r\nButtonImage = Old\r\n");
    tree.File("INI/b.ini", "ButtonImage = Old\r\n");
    const TRun grown = Checked({"--format=json", "--unused", "--baseline", baseline, tree.Root()});
    const TJson doc = ValidJson(grown.Out);
    EXPECT_EQ(std::to_string(grown.Status) + ": " + Fields(doc["missing"], "line") + "; " + doc["baselined"].dump(),
              "1: 3, 1; 3");

    // An entry left over is stale and fails nothing; one of a kind not asked for is not judged.
    tree.File("INI/a.ini", "ButtonImage = Old\r\n");
    tree.File("INI/b.ini");
    tree.File("images.ini", "MappedImage Known\r\n");
    const TRun stale = Checked({"--lang=en", "--baseline", baseline, tree.Root()});
    EXPECT_EQ(std::to_string(stale.Status) + stale.Err,
              "0tessaron-check: stale baseline entry: missing\tINI/a.ini\told\n");
    const TRun unused = Checked({"--unused", "--baseline", baseline, tree.Root()});
    EXPECT_NE(unused.Err.find("устаревшая запись базового списка: unused\timages.ini\tspare\n"), std::string::npos)
        << unused.Err;
#ifndef _WIN32
    // What the writer escapes (tab, LF, CR, backslash) reads back.
    tree.File("odd\nname\r\tand\\.ini", "ButtonImage = Gone\r\n");
    EXPECT_EQ(Checked({"--write-baseline", baseline, tree.Root()}).Status, 0);
    const TRun read = Checked({"--baseline", baseline, tree.Root()});
    EXPECT_EQ(std::to_string(read.Status) + read.Err, "0");
    // A backslash is a byte of a name here, not a separator: its entry hides no finding of back/slash.ini.
    std::remove(tree.Path("odd\nname\r\tand\\.ini").c_str());
    tree.File("back\\slash.ini", "ButtonImage = Gone\r\n");
    EXPECT_EQ(Checked({"--write-baseline", baseline, tree.Root()}).Status, 0);
    std::remove(tree.Path("back\\slash.ini").c_str());
    tree.File("back/slash.ini", "ButtonImage = Gone\r\n");
    const TRun apart = Checked({"--lang=en", "--baseline", baseline, tree.Root()});
    EXPECT_EQ(std::to_string(apart.Status) + apart.Err,
              "1tessaron-check: stale baseline entry: missing\tback\\\\slash.ini\tgone\n");
#endif
}

// A baseline never replaces a file of the trees it names, whatever path leads to it; any other file it
// replaces whole.
TEST(Baseline, NeverReplacesADefinitionFile) {
    TTempTree tree, base, work;
    const std::string uses = "ButtonImage = Gone\r\n", declares = "MappedImage Known\r\n";
    tree.File("INI/a.ini", uses);
    tree.File("notes.txt", "old");
    tree.File("images.ini", declares);
    base.File("images/b.INI", declares);
    const std::string sep(1, kPathSeparator), in = "--declared-in=" + base.Root();
    // TARGET, its bytes before; "STATUS ERR-PREFIX" and whether the bytes stayed
    const std::tuple<std::vector<std::string>, std::string, std::string> cases[] = {
        {{tree.Path("INI/a.ini")}, uses, "2 tessaron-check: the baseline would replace a definition file: 1"},
        {{tree.Root() + sep + "." + sep + "INI" + sep + ".." + sep + "INI" + sep + "a.ini", in},
         uses,
         "2 tessaron-check: the baseline would replace a definition file: 1"},
        {{base.Path("images/b.INI"), in},
         declares,
         "2 tessaron-check: the baseline would replace a definition file: 1"},
        {{tree.Path("notes.txt")}, "old", "0  0"},
        {{work.Path("new.ini")}, "", "0  0"},
    };
    for (const auto& [target, before, expected] : cases) {
        std::vector<std::string> args = {"--lang=en", "--write-baseline", target[0], tree.Root()};
        args.insert(args.begin(), target.begin() + 1, target.end());
        const TRun run = Checked(args);
        std::ifstream file(target[0], std::ios::binary);
        const bool kept = std::string(std::istreambuf_iterator<char>(file), {}) == before;
        EXPECT_EQ(std::to_string(run.Status) + " " + run.Err.substr(0, run.Err.find(": ", 16) + 1) + " " +
                      std::to_string(kept),
                  expected)
            << target[0] << run.Err;
    }
}

// What does not parse is refused with its file and line.
TEST(Baseline, LinesThatAreNoEntryAreRefusedWithTheirLine) {
    // "FILE:LINE of the complaint, ENTRIES read"
    const std::pair<std::string, std::string> cases[] = {
        {"\xEF\xBB\xBF# c\r\nmissing\ta.ini\tx\r\n\r\nunused\ta\\n\\r\\t\\\\.ini\tx\rduplicate\ta\tb", ", 3"},
        {"garbage\n", "b.txt:1, 0"},
        {"undeclared-weapon\ta.ini\tx\nduplicate-w-2\ta\tb\n", ", 2"},
        {"undeclared-\ta.ini\tx\n", "b.txt:1, 0"},
        {"unused-Weapon\ta.ini\tx\n", "b.txt:1, 0"},
        {"missing-x\ta.ini\tx\n", "b.txt:1, 0"},
        {"# c\r\nmissing a.ini x\r\n", "b.txt:2, 0"},
        {"missing\ta.ini\n", "b.txt:1, 0"},
        {"missing\ta.ini\tx\tmore\n", "b.txt:1, 0"},
        {"stale\ta.ini\tx\n", "b.txt:1, 0"},
        {"missing\t\tx\n", "b.txt:1, 0"},
        {"missing\ta.ini\t\n", "b.txt:1, 0"},
        {"missing\ta\\q.ini\tx\n", "b.txt:1, 0"},
        {"missing\ta.ini\tx\\\n", "b.txt:1, 0"},
    };
    for (const auto& [bytes, expected] : cases) {
        std::vector<std::string> entries;
        const TMaybeComplaint complaint = ParseBaseline(bytes, "b.txt", entries);
        EXPECT_EQ((complaint ? complaint->Subject : "") + ", " + std::to_string(entries.size()), expected) << bytes;
    }
}
