#include "error_report.h"

#include <gtest/gtest.h>

#include "io_error.h"

namespace {

TEST(FormatErrorReport, FillsTheRunTimeTemplate) {
    // A message that already ends with a full stop gets no second one; an empty one gets none at all.
    const struct {
        TRunTimeError Error;
        uintptr_t Address;
        const char* Expected;  // after "Exception "
    } cases[] = {
        {TRunTimeError::FromInOutError(EInOutError(31)), 0xFEDCBA9876543210,
         "EInOutError in module m at FEDCBA9876543210.\r\nI/O error 31.\r\n"},
        {TRunTimeError::OutOfMemory(), 0, "EOutOfMemory in module m at 0000000000000000.\r\nOut of memory.\r\n"},
        {{"EInOutError", "Done."}, 16, "EInOutError in module m at 0000000000000010.\r\nDone.\r\n"},
        {{"EInOutError", ""}, 16, "EInOutError in module m at 0000000000000010.\r\n\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatErrorReport(c.Error, "m", c.Address), std::string("Exception ") + c.Expected);
    }
}

}  // namespace
