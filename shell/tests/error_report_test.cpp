#include "error_report.h"

#include <gtest/gtest.h>

#include <tuple>

#include "io_error.h"

TEST(FormatErrorReport, FillsTheRunTimeTemplate) {
    // The error, its address and the report after "Exception ". A message that already ends with a full
    // stop gets no second one; an empty one gets none at all.
    const std::tuple<TRunTimeError, uintptr_t, const char*> cases[] = {
        {TRunTimeError::FromInOutError(EInOutError(31)), 0xFEDCBA9876543210,
         "EInOutError in module m at FEDCBA9876543210.\r\nI/O error 31.\r\n"},
        {TRunTimeError::OutOfMemory(), 0, "EOutOfMemory in module m at 0000000000000000.\r\nOut of memory.\r\n"},
        {{"EInOutError", "Done."}, 16, "EInOutError in module m at 0000000000000010.\r\nDone.\r\n"},
        {{"EInOutError", ""}, 16, "EInOutError in module m at 0000000000000010.\r\n\r\n"},
    };
    for (const auto& [error, address, expected] : cases)
        EXPECT_EQ(FormatErrorReport(error, "m", address), std::string("Exception ") + expected);
}
