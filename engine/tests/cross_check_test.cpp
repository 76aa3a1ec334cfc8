#include "cross_check.h"

#include <gtest/gtest.h>

#include "fs.h"
#include "search.h"
#include "temp_tree.h"

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
