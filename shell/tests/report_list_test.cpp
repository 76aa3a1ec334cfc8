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

TEST(AddReportLines, PutsEachLineWhereTheListBoxItselfWouldWithItsReference) {
    // Case, digits, punctuation, Windows-1251 letters, a line that begins another.
    std::vector<TReportItem> items;
    for (const char* text : {"delta", "alpha", "Charlie", "bravo", "alpha", "co-op", "coop", "Co_op", "line 10",
                             "line 9", "line", "\xC1\xF3\xEA\xE2\xE0", "\xE0\xE7\xE1\xF3\xEA\xE0", "\xDF\xF1\xED\xEE",
                             "zeta", "_under", "~tilde", "[bracket]", "image.ini"}) {
        items.push_back({text, static_cast<int32_t>(items.size())});
    }
    for (int k = 999; k >= 0; --k) {
        char text[16];
        wsprintfA(text, "line %04d", k);
        items.push_back({text, static_cast<int32_t>(items.size())});
    }
    const TListBox list, itself;
    AddReportLines(list.Handle(), ReportOf(items));
    for (const TReportItem& item : items) SendMessageA(itself.Handle(), LB_ADDSTRING, 0, (LPARAM)item.Text.c_str());

    ASSERT_EQ(list.Count(), static_cast<int>(items.size()));
    std::vector<bool> seen(items.size());
    for (int line = 0; line < list.Count(); ++line) {
        EXPECT_EQ(list.Text(line), itself.Text(line)) << line;
        const LRESULT data = list.Data(line);
        ASSERT_TRUE(data >= 0 && data < static_cast<LRESULT>(items.size())) << line;
        EXPECT_EQ(items[static_cast<std::size_t>(data)].Text, list.Text(line)) << line;
        EXPECT_FALSE(seen[static_cast<std::size_t>(data)]) << "each reference once: " << data;
        seen[static_cast<std::size_t>(data)] = true;
    }
}

TEST(AddReportLines, RedrawsAgain) {
    const TListBox list;
    AddReportLines(list.Handle(), ReportOf({}));
    AddReportLines(list.Handle(), ReportOf({{"z", 9}, {"a", 8}}));
    ASSERT_EQ(list.Count(), 2);
    // Redrawing is on again: a painted list box validates its update region.
    InvalidateRect(list.Handle(), nullptr, FALSE);
    ShowWindow(list.Handle(), SW_SHOWNOACTIVATE);
    UpdateWindow(list.Handle());
    EXPECT_FALSE(GetUpdateRect(list.Handle(), nullptr, FALSE));
}

}  // namespace
