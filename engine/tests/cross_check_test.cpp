#include "cross_check.h"

#include <gtest/gtest.h>

#include "fs.h"
#include "line_scanner.h"
#include "search.h"
#include "temp_tree.h"
#include "text_reader.h"

// The window searches again with the state of its last search (here with the
// root's trailing separator the second time). The summaries without findings,
// its refusals of a root and its phases are tested by the console and window.
TEST(CrossCheck, OneLinePerUndeclaredReferenceInReferenceOrder) {
    TTempTree tree;
    tree.File("INI/x.ini",
              "; x\r\nObject\r\n  SelectPortrait = Foo\r\n  ButtonImage = Known\r\n  ButtonImage = foo\r\n");
    tree.File("y.ini", "MappedImage KNOWN\r\nButtonImage = \xC0\r\nSelectPortrait = \xE0\r\nMappedImage \xE0\r\n");
    TScanState state;
    for (const std::string& root : {tree.Root(), tree.Root() + kPathSeparator}) {
        const TReport report = RunSearchPhases(root, state);
        const auto line = [&](const std::string& name, const char* file, int lineNo) {
            return UiText[utMissingPrefix] + name + UiText[utInFile] + tree.Path(file).substr(root.size()) +
                   UiText[utAtLine] + std::to_string(lineNo);
        };
        std::vector<std::pair<std::string, int32_t>> items;
        for (const TReportItem& item : report.Items) items.emplace_back(item.Text, item.RefIndex);
        // Only ASCII letters are folded: \xC0 and \xE0 differ.
        EXPECT_EQ(items, (std::vector<std::pair<std::string, int32_t>>{{line("foo", "INI/x.ini", 3), 0},
                                                                       {line("foo", "INI/x.ini", 5), 2},
                                                                       {line("\xC0", "y.ini", 2), 3}}));
        EXPECT_EQ(report.Summary, UiText[utDonePrefix] + "3" + UiText[utDoneSuffix]);
    }
}

// Enough references for three threads, each a run: the lines, their order
// and the declarations used come out as one thread finds them.
TEST(CrossCheck, ThreadsEachTakingARunReportWhatOneThreadReports) {
    std::string text;
    // Most names are used only in the middle third, some in every run.
    for (int i = 0; i < 30000; ++i) {
        const int name = i / 10000 == 1 ? i * 7 % 9001 : i % 100;
        text += "ButtonImage = N" + std::to_string(name) + "\n";
    }
    for (int i = 0; i < 9001; i += 2) text += "MappedImage n" + std::to_string(i % 4001) + "\n";
    TScanState state;
    state.KeepDefinedPlaces = true;
    state.FileList.Add("root/a.ini");
    TMemorySource source(text);
    TLineScanner(state).ScanText(source, 0);
    const auto summary = [](const TReport& report) {
        std::string out = report.Summary + ";";
        for (const TReportItem& item : report.Items) out += item.Text + "@" + std::to_string(item.RefIndex) + ";";
        for (const int32_t first : report.FirstDeclaration) out += std::to_string(first) + ",";
        for (const bool used : report.DeclarationUsed) out += used ? "u" : "-";
        return out;
    };
    const std::string one = summary(CrossCheck("root/", state, 1));
    EXPECT_NE(one.find("n9000"), std::string::npos);  // undeclared: only names to 4000 are
    for (const unsigned jobs : {2u, 3u, 8u}) EXPECT_EQ(summary(CrossCheck("root/", state, jobs)), one) << jobs;
}
