#include "report_list.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <numeric>
#include <string>
#include <vector>

namespace {

// The list box's own order: its locale's comparison, case ignored. Sort keys
// compare as the strings do, one conversion per line instead of per comparison.
std::vector<uint32_t> SortedOrder(HWND list, const std::vector<TReportItem>& items) {
    const LCID locale = static_cast<LCID>(SendMessageW(list, LB_GETLOCALE, 0, 0));
    std::vector<std::string> keys(items.size());
    std::wstring wide;
    for (std::size_t k = 0; k < items.size(); ++k) {
        const std::string& text = items[k].Text;
        const int size = static_cast<int>(text.size());
        wide.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0)));
        MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), static_cast<int>(wide.size()));
        const int wideSize = static_cast<int>(wide.size());
        const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
        keys[k].resize(static_cast<std::size_t>(LCMapStringW(locale, flags, wide.data(), wideSize, nullptr, 0)));
        LCMapStringW(locale, flags, wide.data(), wideSize, reinterpret_cast<LPWSTR>(keys[k].data()),
                     static_cast<int>(keys[k].size()));
    }
    std::vector<uint32_t> order(items.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&keys](uint32_t a, uint32_t b) { return keys[a] < keys[b]; });
    return order;
}

}  // namespace

void AddReportLines(HWND list, const TReport& report) {
    std::size_t bytes = 0;
    for (const TReportItem& item : report.Items) bytes += item.Text.size() + 1;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_INITSTORAGE, report.Items.size(), static_cast<LPARAM>(bytes));
    // Added one by one, a sorted list box searches for each line's place and
    // shifts the lines after it; sorted here first, each line goes at the end.
    for (const uint32_t k : SortedOrder(list, report.Items)) {
        const TReportItem& item = report.Items[k];
        const LRESULT line =
            SendMessageA(list, LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(item.Text.c_str()));
        if (line < 0) {
            SendMessageA(list, WM_SETREDRAW, TRUE, 0);
            throw std::bad_alloc();
        }
        SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(line), item.RefIndex);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}
