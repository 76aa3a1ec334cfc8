// The report step against a real sorted LISTBOX in a hidden window.
#include "report_list.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class TListBox {
public:
    TListBox()
        : Window_(CreateWindowExA(0, "LISTBOX", "", WS_POPUP | LBS_SORT | LBS_NOTIFY, 0, 0, 200, 200, nullptr, nullptr,
                                  nullptr, nullptr)) {}
    ~TListBox() { DestroyWindow(Window_); }
    TListBox(const TListBox&) = delete;
    TListBox& operator=(const TListBox&) = delete;

    HWND Handle() const { return Window_; }
    int Count() const { return static_cast<int>(SendMessageA(Window_, LB_GETCOUNT, 0, 0)); }
    std::string Text(int line) const {
        std::string text(static_cast<std::size_t>(SendMessageA(Window_, LB_GETTEXTLEN, line, 0)), '\0');
        SendMessageA(Window_, LB_GETTEXT, line, reinterpret_cast<LPARAM>(text.data()));
        return text;
    }
    LRESULT Data(int line) const { return SendMessageA(Window_, LB_GETITEMDATA, line, 0); }

private:
    HWND Window_;
};

TReport ReportOf(const std::vector<TReportItem>& items) {
    TReport report;
    report.Items = items;
    return report;
}

TEST(AddReportLines, KeepsEachLineWithItsReferenceAtTheSortedPlace) {
    const TListBox list;
    ASSERT_NE(list.Handle(), nullptr);
    AddReportLines(list.Handle(), ReportOf({{"delta", 0}, {"alpha", 1}, {"Charlie", 2}, {"bravo", 3}, {"alpha", 4}}));

    ASSERT_EQ(list.Count(), 5);
    const std::vector<std::string> sorted = {"alpha", "alpha", "bravo", "Charlie", "delta"};
    for (int line = 0; line < list.Count(); ++line) EXPECT_EQ(list.Text(line), sorted[line]) << line;
    EXPECT_EQ(list.Data(2), 3);
    EXPECT_EQ(list.Data(3), 2);
    EXPECT_EQ(list.Data(4), 0);
    // Equal lines: each keeps its own reference.
    EXPECT_EQ(list.Data(0) + list.Data(1), 1 + 4);
    EXPECT_NE(list.Data(0), list.Data(1));
}

TEST(AddReportLines, AppendsToWhatTheListHoldsAndRedrawsAgain) {
    const TListBox list;
    AddReportLines(list.Handle(), ReportOf({{"m", 7}}));
    AddReportLines(list.Handle(), ReportOf({}));
    AddReportLines(list.Handle(), ReportOf({{"z", 9}, {"a", 8}}));
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Text(0), "a");
    EXPECT_EQ(list.Data(0), 8);
    EXPECT_EQ(list.Data(1), 7);
    EXPECT_EQ(list.Data(2), 9);
    // Redrawing is on again: a painted list box validates its update region.
    InvalidateRect(list.Handle(), nullptr, FALSE);
    ShowWindow(list.Handle(), SW_SHOWNOACTIVATE);
    UpdateWindow(list.Handle());
    EXPECT_FALSE(GetUpdateRect(list.Handle(), nullptr, FALSE));
}

TEST(AddReportLines, FillsAThousandLinesInOrder) {
    const TListBox list;
    std::vector<TReportItem> items;
    for (int k = 999; k >= 0; --k) {
        char text[16];
        wsprintfA(text, "line %04d", k);
        items.push_back({text, 999 - k});
    }
    AddReportLines(list.Handle(), ReportOf(items));
    ASSERT_EQ(list.Count(), 1000);
    for (int line = 0; line < 1000; line += 111) {
        char text[16];
        wsprintfA(text, "line %04d", line);
        EXPECT_EQ(list.Text(line), text);
        EXPECT_EQ(list.Data(line), 999 - line);
    }
}

}  // namespace
