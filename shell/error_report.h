// The run-time's standard error report: a task-modal box, then exit code 1.
#pragma once

#include <cstdint>
#include <string>

class EInOutError;

struct TRunTimeError {
    std::string TypeName;
    std::string Message;

    static TRunTimeError FromInOutError(const EInOutError& error);
    static TRunTimeError OutOfMemory();
};

// "Exception <type> in module <module> at <address>.\r\n<message>[.]\r\n";
// the address is printed as the platform's %p prints it.
std::string FormatErrorReport(const TRunTimeError& error, const std::string& moduleName, uintptr_t address);

// Shows the report for `error`, raised in the code at `where`, and ends the
// process with exit code 1.
[[noreturn]] void ReportRunTimeError(const TRunTimeError& error, const void* where);
