#include "baseline.h"
#include "checked.h"

TEST(Baseline, RoundTripSurvivesUnrelatedEditsAndCatchesNewFindings) {
    TTempTree tree, work;
    tree.File("INI/a.ini", "ButtonImage = Old\r\nButtonImage = Old\r\nButtonImage = Known\r\n");
    tree.File("images.ini", "MappedImage Known\r\nMappedImage Spare\r\n");
    const std::string baseline = work.Path("baseline.txt");
    // "STATUS STDERR" of a run of ARGS, the baseline and the root.
    const auto said = [&](std::vector<std::string> args) {
        args.insert(args.end(), {baseline, tree.Root()});
        return Checked(args).Said();
    };
    EXPECT_EQ(said({"--unused", "--write-baseline"}),
              "0tessaron-check: записано находок: 3, базовый список " + baseline + "\n");
    EXPECT_EQ(FileBytes(baseline),
              "# tessaron-check baseline: kind, path below the root, name\nmissing\tINI/a.ini\told"
              "\nmissing\tINI/a.ini\told\nunused\timages.ini\tspare\n");

    // Lines move: the entries hold no line numbers.
    tree.File("INI/a.ini", "; new comment\r\n\r\nButtonImage = Old\r\nButtonImage = Known\r\nButtonImage = OLD\r\n");
    EXPECT_EQ(said({"--unused", "--baseline"}), "0");

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
    const std::string stale = "tessaron-check: stale baseline entry: missing\t",
                      staleRu = "tessaron-check: устаревшая запись базового списка: ";
    EXPECT_EQ(said({"--lang=en", "--baseline"}), "0" + stale + "INI/a.ini\told\n");
    EXPECT_EQ(said({"--unused", "--baseline"}),  // "known" is unused now
              "1" + staleRu + "missing\tINI/a.ini\told\n" + staleRu + "unused\timages.ini\tspare\n");
#ifndef _WIN32
    // What the writer escapes (tab, LF, CR, backslash) reads back.
    tree.File("odd\nname\r\tand\\.ini", "ButtonImage = Gone\r\n");
    EXPECT_EQ(said({"--write-baseline"}).substr(0, 1), "0");
    EXPECT_EQ(said({"--baseline"}), "0");
    // A backslash is a byte of a name here, not a separator: its entry hides no finding of back/slash.ini.
    tree.File("odd\nname\r\tand\\.ini");
    tree.File("back\\slash.ini", "ButtonImage = Gone\r\n");
    EXPECT_EQ(said({"--write-baseline"}).substr(0, 1), "0");
    tree.File("back\\slash.ini");
    tree.File("back/slash.ini", "ButtonImage = Gone\r\n");
    EXPECT_EQ(said({"--lang=en", "--baseline"}), "1" + stale + "back\\\\slash.ini\tgone\n");
#endif
}

// A baseline never replaces a file of the trees it names, whatever path leads
// to it; any other file it replaces whole.
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
        const bool kept = FileBytes(target[0]) == before;
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
        {"\xEF\xBB\xBF# "
         "c\r\nmissing\ta.ini\tx\r\n\r\nunused\ta\\n\\r\\t\\\\."
         "ini\tx\rduplicate\ta\tb",
         ", 3"},
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
