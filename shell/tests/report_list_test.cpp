// The report step against a real sorted LISTBOX in a hidden window: the window
// tests see a few lines only, all in lower case.
#include "report_list.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

HWND SortedListBox() {
    return CreateWindowExA(0, "LISTBOX", "", WS_POPUP | LBS_SORT, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
}

std::string LineText(HWND list, int line) {
    std::string text(static_cast<std::size_t>(SendMessageA(list, LB_GETTEXTLEN, line, 0)), '\0');
    SendMessageA(list, LB_GETTEXT, line, reinterpret_cast<LPARAM>(text.data()));
    return text;
}

TEST(AddReportLines, PutsEachLineWhereTheListBoxItselfWouldWithItsReferenceAndRedrawsAgain) {
    // Case, digits, punctuation, Windows-1251 letters, a line that begins another.
    TReport report;
    for (const char* text : {"delta", "alpha", "Charlie", "bravo", "alpha", "co-op", "coop", "Co_op", "line 10",
                             "line 9", "line", "\xC1\xF3\xEA\xE2\xE0", "\xE0\xE7\xE1\xF3\xEA\xE0", "\xDF\xF1\xED\xEE",
                             "zeta", "_under", "~tilde", "[bracket]", "image.ini"})
        report.Items.push_back({text, static_cast<int32_t>(report.Items.size())});
    const HWND list = SortedListBox(), itself = SortedListBox();
    AddReportLines(list, report);
    for (const TReportItem& item : report.Items) SendMessageA(itself, LB_ADDSTRING, 0, (LPARAM)item.Text.c_str());

    // Each line in the list box's own place, with the index of a reference of its text, each index once.
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), static_cast<LRESULT>(report.Items.size()));
    std::set<std::size_t> seen;
    for (int line = 0; line < static_cast<int>(report.Items.size()); ++line) {
        const auto data = static_cast<std::size_t>(SendMessageA(list, LB_GETITEMDATA, line, 0));
        ASSERT_TRUE(data < report.Items.size() && seen.insert(data).second) << line;
        EXPECT_EQ(LineText(list, line), LineText(itself, line)) << line;
        EXPECT_EQ(LineText(list, line), report.Items[data].Text) << line;
    }
    // Redrawing is on again: the list paints its first line, opaque, over a new bitmap's black.
    const HDC dc = CreateCompatibleDC(nullptr);
    const HBITMAP bitmap = CreateBitmap(200, 200, 1, 32, nullptr);
    SelectObject(dc, bitmap);
    SendMessageA(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    EXPECT_NE(GetPixel(dc, 1, 1), RGB(0, 0, 0));
}

}  // namespace
