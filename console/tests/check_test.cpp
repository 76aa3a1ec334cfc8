#include "check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cp1251.h"
#include "cross_check.h"
#include "fs.h"
#include "io_error.h"
#include "json_reader.h"
#include "run_check.h"
#include "search.h"
#include "temp_tree.h"
#include "ui_text.h"
#include "unix_files.h"

namespace {

std::string Sep(const std::string& path) {
    std::string native = path;
    for (char& c : native) {
        if (c == '/') c = kPathSeparator;
    }
    return native;
}

// A content tree: two undeclared uses in two folders, one declared elsewhere.
void MakeContent(TTempTree& tree) {
    tree.File("INI/Object/units.ini", "Object A\r\n  SelectPortrait = Gone\r\n  ButtonImage = Known\r\n");
    tree.File("INI/buttons.INI", "; c\r\n\r\nButtonImage = \xC1\xF3\xEA\r\n");
    tree.File("Images/images.ini", "MappedImage KNOWN\r\n");
}

}  // namespace

TEST(Check, ExitStatusFollowsTheSummary) {
    TTempTree none, fine, missing, undeclared;
    none.File("a.ini", "MappedImage A\r\n");
    fine.File("a.ini", "MappedImage A\r\nButtonImage = a\r\n");
    MakeContent(missing);
    undeclared.File("a.ini", "ButtonImage = a\r\n");
    struct TCase {
        std::string Root;
        int Status;
        TTextId Summary;
    } cases[] = {
        {none.Root(), kExitClean, utNoUsed},
        {fine.Root(), kExitClean, utAllFine},
        {missing.Root(), kExitFindings, utDonePrefix},
        {undeclared.Root(), kExitFindings, utNoDefined},
    };
    for (const TCase& c : cases) {
        const TRun run = Checked({"--lang=en", c.Root});
        EXPECT_EQ(run.Status, c.Status) << c.Root;
        EXPECT_NE(run.Out.find(UiText[c.Summary]), std::string::npos) << run.Out;
        EXPECT_EQ(run.Err, "");
    }
}

TEST(Check, RefusalsAndUsageErrorsGoToStandardErrorWithStatusTwo) {
    TTempTree tree;
    tree.File("a.ini");
    struct TCase {
        std::vector<std::string> Args;
        std::string ErrHas;
    } cases[] = {
        {{"--lang=en", ""}, "Specify a path!\n"},
        {{"--lang=en", tree.Path("nowhere")}, "Path does not exist!\n"},
        {{"--lang=en", tree.Path("a.ini")}, "Path does not exist!\n"},
        {{tree.Path("nowhere")}, "Папки не существует!\n"},
        {{"--bogus", "--lang=en", tree.Root()},
         "tessaron-check: unknown option --bogus\ntry 'tessaron-check --help'\n"},
        {{"--bogus", tree.Root()},
         "tessaron-check: неизвестный параметр --bogus\nподробнее: 'tessaron-check --help'\n"},
        {{"--имя", tree.Root()}, ": неизвестный параметр --имя\n"},  // an argument stays the bytes it was
        {{}, "ROOT"},
    };
    for (const TCase& c : cases) {
        const TRun run = Checked(c.Args);
        EXPECT_EQ(run.Status, kExitError);
        EXPECT_EQ(run.Out, "");
        EXPECT_NE(run.Err.find(c.ErrHas), std::string::npos) << run.Err;
    }
    const TRun help = Checked({"--help"});
    EXPECT_EQ(help.Status, kExitClean);
    EXPECT_EQ(help.Out.rfind("использование: tessaron-check", 0), 0u) << help.Out;
    EXPECT_NE(help.Out.find("--format"), std::string::npos);
    EXPECT_EQ(Checked({"--lang=en", "--help"}).Out.rfind("usage: tessaron-check", 0), 0u);
}

TEST(Check, TextLinesAreTheWindowsLinesAndRussianIsUtf8) {
    TTempTree tree;
    MakeContent(tree);
    // The engine's own report, in English, is what the console must print.
    const TRun english = Checked({"--lang=en", tree.Root()});
    TScanState state;
    const TReport report = RunSearchPhases(tree.Root(), state);
    std::string expected;
    for (const TReportItem& item : report.Items) expected += item.Text + "\n";
    expected += report.Summary + "\n";
    ASSERT_EQ(report.Items.size(), 2u);
    EXPECT_EQ(english.Out, expected);

    const TRun russian = Checked({tree.Root() + kPathSeparator});
    const std::string name = "\xC1\xF3\xEA";  // a Windows-1251 name stays the bytes it was
    EXPECT_EQ(russian.Out, "Несуществующая MI \"gone\" в \"" + Sep("INI/Object/units.ini") +
                               "\", строка 2\n"
                               "Несуществующая MI \"" +
                               name + "\" в \"" + Sep("INI/buttons.INI") +
                               "\", строка 3\n"
                               "Готово! Найдено несуществующих MI: 2. Двойной щелчок по строке в списке должен "
                               "перенести Вас в место редактирования\n");
}

TEST(Check, GnuLinesNameTheStoredPathAndTheSummaryGoesToStandardError) {
    TTempTree tree;
    MakeContent(tree);
    const TRun run = Checked({"--lang=en", "--format=gnu", tree.Root()});
    EXPECT_EQ(run.Status, kExitFindings);
    EXPECT_EQ(run.Out, tree.Path("INI/Object/units.ini") + ":2:20: missing image \"gone\"\n" +
                           tree.Path("INI/buttons.INI") + ":3:15: missing image \"\xC1\xF3\xEA\"\n");
    EXPECT_EQ(run.Err, "Done! Missing MI Total: 2. Double click the line brings You to edit position\n");
}

TEST(Check, JsonIsOneValidDocumentWithEveryField) {
    TTempTree tree;
    MakeContent(tree);
    const TRun run = Checked({"--format=json", tree.Root()});
    EXPECT_EQ(run.Status, kExitFindings);
    std::string error;
    const auto doc = ParseJson(run.Out, &error);
    ASSERT_TRUE(doc.has_value()) << error << "\n" << run.Out;
    EXPECT_EQ((*doc)["root"].Str, tree.Root());
    EXPECT_EQ((*doc)["files"].Num, 3);
    EXPECT_EQ((*doc)["references"].Num, 3);
    EXPECT_EQ((*doc)["declarations"].Num, 1);
    EXPECT_EQ((*doc)["summary"].Str, Utf8FromCp1251(UiText[utDonePrefix] + "2" + UiText[utDoneSuffix]));
    EXPECT_EQ((*doc)["summary"].Str.substr(0, 12), "Готово");
    const auto& missing = (*doc)["missing"].Items;
    ASSERT_EQ(missing.size(), 2u);
    const TJsonValue& first = missing[0];
    EXPECT_EQ(first["ref"].Num, 0);
    EXPECT_EQ(first["name"].Str, "gone");
    EXPECT_EQ(first["file"].Str, tree.Path("INI/Object/units.ini"));
    EXPECT_EQ(first["relative"].Str, Sep("/INI/Object/units.ini"));
    EXPECT_EQ(first["line"].Num, 2);
    EXPECT_EQ(first["column"].Num, 20);
    EXPECT_EQ(first["length"].Num, 4);
    EXPECT_EQ(missing[1]["ref"].Num, 2);
    EXPECT_EQ(missing[1]["name"].Str, "\u00C1\u00F3\u00EA") << "bytes outside UTF-8 as their code points";
}

TEST(Check, ReadErrorIsReportedNotRaised) {
    TTempTree tree;
    tree.File("a.ini", "ButtonImage = a\r\n");
    // Reading /proc/self/mem at offset 0 fails after a good open.
    if (!MakeUnixLink("/proc/self/mem", tree.Path("b.ini"))) GTEST_SKIP() << "no Unix links here";
    int code = 0;
    try {
        TScanState state;
        RunSearchPhases(tree.Root(), state);
    } catch (const EInOutError& error) {
        code = error.Code();
    }
    ASSERT_NE(code, 0) << "the engine raises the error";
    const TRun run = Checked({"--lang=en", tree.Root()});
    EXPECT_EQ(run.Status, kExitError);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err, "tessaron-check: " + IoErrorMessage(code) + "\n");
}
