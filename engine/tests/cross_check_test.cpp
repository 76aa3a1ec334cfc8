#include "cross_check.h"

#include <gtest/gtest.h>

#include "line_scanner.h"
#include "search.h"
#include "temp_tree.h"

namespace {

// A scan state built from files given as (path, text).
TScanState Scanned(std::initializer_list<std::pair<std::string, std::string>> files) {
    TScanState state;
    TLineScanner scanner(state);
    for (const auto& [path, text] : files) {
        TMemorySource source(text);
        scanner.ScanText(source, static_cast<uint32_t>(state.FileList.Count()));
        state.FileList.Add(path);
    }
    return state;
}

}  // namespace

// The summaries without findings are rows of the console's check_test.
TEST(CrossCheck, OneLinePerUndeclaredReferenceInReferenceOrder) {
    const TScanState state = Scanned({
        {"C:\\data\\INI\\x.ini",
         "; x\r\nObject\r\n  SelectPortrait = Foo\r\n  ButtonImage = Known\r\n  ButtonImage = foo\r\n"},
        {"C:\\data\\y.ini", "MappedImage KNOWN\r\nButtonImage = \xC0\r\nSelectPortrait = \xE0\r\nMappedImage \xE0\r\n"},
    });
    const TReport report = CrossCheck("C:\\data", state);
    const auto line = [](const std::string& name, const std::string& path, int lineNo) {
        return UiText[utMissingPrefix] + name + UiText[utInFile] + path + UiText[utAtLine] + std::to_string(lineNo);
    };
    std::vector<std::pair<std::string, int32_t>> items;
    for (const TReportItem& item : report.Items) items.emplace_back(item.Text, item.RefIndex);
    // Only ASCII letters are folded: \xC0 and \xE0 differ.
    EXPECT_EQ(items, (std::vector<std::pair<std::string, int32_t>>{{line("foo", "\\INI\\x.ini", 3), 0},
                                                                   {line("foo", "\\INI\\x.ini", 5), 2},
                                                                   {line("\xC0", "\\y.ini", 2), 3}}));
    EXPECT_EQ(report.SummaryId, utDonePrefix);
    EXPECT_EQ(report.Summary, UiText[utDonePrefix] + "3" + UiText[utDoneSuffix]);

    const TReport trailing = CrossCheck("C:\\data\\", state);
    EXPECT_EQ(trailing.Items[0].Text, line("foo", "INI\\x.ini", 3));
}

// The window searches again with the state of its last search; its refusals
// of a root and its phases are the window driver's to see.
TEST(Search, ASecondSearchWithTheSameStateFindsTheSame) {
    TTempTree tree;
    tree.File("INI/obj.ini", "Object A\n  SelectPortrait = Gone\n  ButtonImage = Here\n");
    tree.File("MappedImages/images.INI", "MappedImage Here\n");
    TScanState state;
    for (int run = 0; run < 2; ++run) {
        const TReport report = RunSearchPhases(tree.Root(), state);
        EXPECT_EQ(state.FileList.Count(), 2);
        ASSERT_EQ(report.Items.size(), 1u) << "run " << run;
        EXPECT_EQ(state.UsedNames[report.Items[0].RefIndex], "gone");
        EXPECT_EQ(state.RefTable[report.Items[0].RefIndex].LineIndex, 1);
    }
}
