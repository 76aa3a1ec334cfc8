#include "check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "checked.h"
#include "fs.h"
#include "random_tree.h"
#include "search.h"
#include "temp_tree.h"
#include "unix_files.h"
#include "version.h"

namespace {

const std::string kTryRu = "\nподробнее: 'tessaron-check --help'\n";
const std::string kTryEn = "\ntry 'tessaron-check --help'\n";
const std::string kDoneRu =
    "Готово! Найдено несуществующих MI: 2. Двойной щелчок по строке в списке должен перенести Вас в место "
    "редактирования";

std::string Sep(std::string path) {
    std::replace(path.begin(), path.end(), '/', kPathSeparator);
    return path;
}

// A content tree: two undeclared uses in two folders, one declared elsewhere.
void MakeContent(TTempTree& tree) {
    tree.File("INI/Object/units.ini", "Object A\r\n  SelectPortrait = Gone\r\n  ButtonImage = Known\r\n");
    tree.File("INI/buttons.INI", "; c\r\n\r\nButtonImage = \xC1\xF3\xEA\r\n");
    tree.File("Images/images.ini", "MappedImage KNOWN\r\n");
}

}  // namespace

TEST(Check, ExitStatusAndMessages) {
    TTempTree none, fine, content, undeclared;
    none.File("a.ini", "MappedImage A\r\n");
    fine.File("a.ini", "MappedImage A\r\nButtonImage = a\r\n");
    MakeContent(content);
    undeclared.File("a.ini", "ButtonImage = a\r\n");
    const std::string root = fine.Root(), file = fine.Path("a.ini"), nowhere = fine.Path("nowhere");
    fine.File("bad.txt", "# header\nmissing a.ini gone\n");  // blanks for tabs
    const std::string bad = fine.Path("bad.txt"), zero = fine.Path("zero.txt");
    if (!MakeUnixLink("/dev/zero", zero)) GTEST_SKIP() << "no Unix links here";
    struct TCase {
        std::vector<std::string> Args;
        int Status;
        std::string OutHas;  // empty: nothing on stdout
        std::string Err;
    } cases[] = {
        {{"--lang=en", none.Root()}, kExitClean, "No used MI Found!", ""},
        {{"--lang=en", root}, kExitClean, "That's Alright!", ""},
        {{"--lang=en", content.Root()}, kExitFindings, "Done! Missing MI Total: 2.", ""},
        {{"--lang=en", undeclared.Root()}, kExitFindings, "No defined MI found!", ""},
        {{"--help"}, kExitClean, "использование: tessaron-check [параметры] ROOT\n", ""},
        {{"-h", "--lang=en"}, kExitClean, "usage: tessaron-check [options] ROOT\n", ""},
        {{"--version", root}, kExitClean, "tessaron-check " TESSARON_VERSION "\n", ""},
        // Refusals of the root name it, with the platform's reason.
        {{""}, kExitError, "", "tessaron-check: Укажите папку!\n"},
        {{"--lang=en", nowhere}, kExitError, "", "tessaron-check: cannot read " + nowhere + ": "},
        {{"--lang=en", file}, kExitError, "", "tessaron-check: cannot read " + file + ": "},
        // The first fault is named, in the language of the whole command line.
        {{"--bogus", "--lang=en", root}, kExitError, "", "tessaron-check: unknown option --bogus" + kTryEn},
        {{"--имя", root}, kExitError, "", "tessaron-check: неизвестный параметр --имя" + kTryRu},
        {{}, kExitError, "", "tessaron-check: не указан ROOT" + kTryRu},
        {{"--lang=en", "--format=xml", root},
         kExitError,
         "",
         "tessaron-check: invalid value for --format: xml" + kTryEn},
        {{"--lang=xx", root}, kExitError, "", "tessaron-check: недопустимое значение --lang: xx" + kTryRu},
        {{"--lang=en", "--baseline"}, kExitError, "", "tessaron-check: a value is needed for --baseline" + kTryEn},
        {{root, nowhere}, kExitError, "", "tessaron-check: проверить можно только один ROOT: " + nowhere + kTryRu},
        // Sources named in the options.
        {{"--lang=en", "--names", nowhere, root}, kExitError, "", "tessaron-check: cannot read " + nowhere + ": "},
        {{"--baseline", nowhere, root}, kExitError, "", "tessaron-check: не могу прочитать " + nowhere + ": "},
        {{"--lang=en", "--names", zero, root},
         kExitError,
         "",
         "tessaron-check: cannot read " + zero + ": not a regular file\n"},
        {{"--lang=en", "--baseline", bad, root},
         kExitError,
         "",
         "tessaron-check: not a baseline entry: " + bad + ":2\n"},
        {{"--declared-in", file, root}, kExitError, "", "tessaron-check: это не папка: " + file + "\n"},
        {{"--lang=en", "--write-baseline", root, root}, kExitError, "", "tessaron-check: cannot write " + root + "\n"},
    };
    for (const TCase& c : cases) {
        const TRun run = Checked(c.Args);
        const std::string what = c.Args.empty() ? "(none)" : c.Args.front() + " " + c.Args.back();
        EXPECT_EQ(run.Status, c.Status) << what;
        if (c.OutHas.empty()) {
            EXPECT_EQ(run.Out, "") << what;
        } else {
            EXPECT_NE(run.Out.find(c.OutHas), std::string::npos) << what << ": " << run.Out;
        }
        // A text that stops at ": " leaves the platform's reason open.
        if (c.Err.size() > 1 && c.Err.compare(c.Err.size() - 2, 2, ": ") == 0) {
            EXPECT_EQ(run.Err.substr(0, c.Err.size()), c.Err) << what;
            EXPECT_GT(run.Err.size(), c.Err.size() + 1) << what;
            EXPECT_EQ(run.Err.find('\n'), run.Err.size() - 1) << what;
        } else {
            EXPECT_EQ(run.Err, c.Err) << what;
        }
    }
}

TEST(Check, EachFormatOfTheSameFindings) {
    TTempTree tree;
    MakeContent(tree);
    const std::string units = tree.Path("INI/Object/units.ini"), buttons = tree.Path("INI/buttons.INI");
    // The engine's own report, in English, is what the console must print.
    TScanState state;
    const TReport report = RunSearchPhases(tree.Root(), state);
    std::string expected;
    for (const TReportItem& item : report.Items) expected += item.Text + "\n";
    EXPECT_EQ(report.Items.size(), 2u);
    EXPECT_EQ(Checked({"--lang=en", tree.Root()}).Out, expected + report.Summary + "\n");
    // A Windows-1251 name stays the bytes it was.
    EXPECT_EQ(Checked({tree.Root() + kPathSeparator}).Out,
              "Несуществующая MI \"gone\" в \"" + Sep("INI/Object/units.ini") + "\", строка 2\n" +
                  "Несуществующая MI \"\xC1\xF3\xEA\" в \"" + Sep("INI/buttons.INI") + "\", строка 3\n" + kDoneRu +
                  "\n");

    const TRun gnu = Checked({"--lang=en", "--format=gnu", tree.Root()});
    EXPECT_EQ(gnu.Status, kExitFindings);
    EXPECT_EQ(gnu.Out, units + ":2:20: missing image \"gone\"\n" + buttons + ":3:15: missing image \"\xC1\xF3\xEA\"\n");
    EXPECT_EQ(gnu.Err, "Done! Missing MI Total: 2. Double click the line brings You to edit position\n");

    const TJson doc = ValidJson(Checked({"--format=json", tree.Root()}).Out);
    EXPECT_EQ(Fields(doc, "root files references declarations summary"), tree.Root() + " 3 3 1 " + kDoneRu);
    // Bytes outside UTF-8 as Windows-1251, the window's code page.
    EXPECT_EQ(Fields(doc["missing"], "ref name file relative line column length"),
              "0 gone " + units + " " + Sep("/INI/Object/units.ini") + " 2 20 4, 2 Бук " + buttons + " " +
                  Sep("/INI/buttons.INI") + " 3 15 3");
}

// Each entry that cannot be read is named, the rest is reported whole; only
// faults, not FIFOs or devices, make the status 2. Encoding warnings change nothing.
TEST(Check, WhatCannotBeReadIsNamedAndTheRestReported) {
    TTempTree tree;
    tree.File("a.ini", "ButtonImage = a\r\n");
    tree.File("bom.ini", "\xEF\xBB\xBFMappedImage A\r\n");
    tree.File("wide.ini", std::string("M\0a\0p\0", 6));
    // Reading /proc/self/mem at offset 0 fails after a good open.
    if (!MakeUnixLink("/proc/self/mem", tree.Path("b.ini")) || !MakeFifo(tree.Path("c.ini"))) {
        GTEST_SKIP() << "no Unix links here";
    }
    // A link to nothing does not open; Wine lists none.
    const bool dangling = MakeUnixLink(tree.Path("nowhere"), tree.Path("d.ini"));
    const std::string b = tree.Path("b.ini"), c = tree.Path("c.ini"), d = tree.Path("d.ini");
    const std::string bom = tree.Path("bom.ini"), wide = tree.Path("wide.ini");
    const TRun run = Checked({"--lang=en", "--format=json", tree.Root()});
    EXPECT_EQ(run.Status, kExitError);
    const TJson doc = ValidJson(run.Out);
    EXPECT_EQ(Fields(doc["missing"], "name"), "a");
    EXPECT_EQ(Fields(doc["skipped"], "path"), b + ", " + c + (dangling ? ", " + d : ""));
    EXPECT_EQ(doc["skipped"][1]["reason"], "not a regular file");
    EXPECT_EQ(Fields(doc["warnings"], "kind path"), "encoding " + bom + ", encoding " + wide);
    for (const std::string& line : {"cannot read " + b + ": ", "cannot read " + c + ": not a regular file\n",
                                    "cannot read " + (dangling ? d : b) + ": ",
                                    "warning: " + bom + ": a UTF-8 byte order mark hides the first line's key\n",
                                    "warning: " + wide + ": UTF-16 text, its lines are not read as definitions\n"}) {
        EXPECT_NE(run.Err.find("tessaron-check: " + line), std::string::npos) << line << run.Err;
    }
#ifndef _WIN32
    EXPECT_NE(run.Err.find(b + ": " + ErrorText(EIO) + "\n"), std::string::npos) << run.Err;
#endif
    TTempTree fifo;
    fifo.File("a.ini", "ButtonImage = a\r\n");
    ASSERT_TRUE(MakeFifo(fifo.Path("c.ini")));
    EXPECT_EQ(Checked({fifo.Root()}).Status, kExitFindings) << "a FIFO is passed over by design";
}

// With nothing declared the machine formats still list every use.
TEST(Check, UsesWithNoDeclarationAnywhereAreListedInMachineFormats) {
    TTempTree tree;
    tree.File("a.ini", "ButtonImage = a\r\nSelectPortrait = b\r\n");
    const std::string a = tree.Path("a.ini");
    const TRun gnu = Checked({"--format=gnu", tree.Root()});
    const TRun json = Checked({"--format=json", tree.Root()});
    const TRun sarif = Checked({"--format=sarif", tree.Root()});
    for (const TRun* run : {&gnu, &json, &sarif}) EXPECT_EQ(run->Status, kExitFindings);
    EXPECT_EQ(gnu.Out, a + ":1:15: missing image \"a\"\n" + a + ":2:18: missing image \"b\"\n");
    EXPECT_EQ(Fields(ValidJson(json.Out)["missing"], "name line"), "a 1, b 2");
    EXPECT_EQ(ValidJson(sarif.Out)["runs"][0]["results"].size(), 2u);
}

// Threads or not, every byte of the run is the same: the files skipped, and
// a file that grows under the scan past the Ctrl+Z that ends it (not under
// Wine, which refuses readers a file open for writing).
TEST(Check, EveryNumberOfJobsGivesTheSameRun) {
    for (const bool unreadable : {false, true}) {
        TTempTree tree;
        MakeRandomTree(tree, 4);
        tree.File("grow.ini", "ButtonImage = Grows\n\x1a");
        if (unreadable && !MakeUnixLink("/proc/self/mem", tree.Path("d1/m.ini"))) continue;
        std::atomic<bool> growing{!unreadable && kPathSeparator == '/'};
        std::thread grower([&] {
            while (growing) std::ofstream(tree.Path("grow.ini"), std::ios::app) << "ButtonImage = Late\n";
        });
        std::vector<std::string> runs;
        for (const char* jobs : {"--jobs=1", "--jobs=2", "--jobs=8"}) {
            const TRun run = Checked({jobs, "--format=json", "--unused", "--duplicates", tree.Root()});
            runs.push_back(std::to_string(run.Status) + run.Err + run.Out);
        }
        growing = false;
        grower.join();
        EXPECT_EQ(runs[0].substr(0, 1), unreadable ? "2" : "1");
        EXPECT_NE(runs[0].find("\"grows\""), std::string::npos);
        EXPECT_EQ(runs[1], runs[0]);
        EXPECT_EQ(runs[2], runs[0]);
    }
}
