#include "error_report.h"

#include <gtest/gtest.h>

#include "io_error.h"

namespace {

struct TReportCase {
    TRunTimeError Error;
    uintptr_t Address;
    const char* Expected;
};

TEST(FormatErrorReport, FillsTheRunTimeTemplate) {
    const TReportCase cases[] = {
        {TRunTimeError::FromInOutError(EInOutError(31)), 0xFEDCBA9876543210,
         "Exception EInOutError in module tessaron.exe at FEDCBA9876543210.\r\nI/O error 31.\r\n"},
        {TRunTimeError::OutOfMemory(), 0,
         "Exception EOutOfMemory in module tessaron.exe at 0000000000000000.\r\nOut of memory.\r\n"},
        // A message that already ends with a full stop gets no second one; an
        // empty message gets none at all.
        {{"EInOutError", "Done."},
         16,
         "Exception EInOutError in module tessaron.exe at 0000000000000010.\r\nDone.\r\n"},
        {{"EInOutError", ""}, 16, "Exception EInOutError in module tessaron.exe at 0000000000000010.\r\n\r\n"},
    };
    for (const TReportCase& c : cases) {
        EXPECT_EQ(FormatErrorReport(c.Error, "tessaron.exe", c.Address), c.Expected);
    }
}

}  // namespace
