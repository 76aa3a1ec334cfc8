#include "report_list.h"

#include <new>

void AddReportLines(HWND list, const TReport& report) {
    std::size_t bytes = 0;
    for (const TReportItem& item : report.Items) bytes += item.Text.size() + 1;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_INITSTORAGE, report.Items.size(), static_cast<LPARAM>(bytes));
    for (const TReportItem& item : report.Items) {
        // The sorted list box puts the line at its sorted place and says where.
        const LRESULT line = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.Text.c_str()));
        if (line < 0) {
            SendMessageA(list, WM_SETREDRAW, TRUE, 0);
            throw std::bad_alloc();
        }
        SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(line), item.RefIndex);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}
