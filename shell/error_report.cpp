#include "error_report.h"

#include <windows.h>

#include "io_error.h"

namespace {

// The run-time's own texts, not the program's table.
constexpr char kCaption[] = "Application Error";
constexpr char kOutOfMemoryType[] = "EOutOfMemory";
constexpr char kOutOfMemoryMessage[] = "Out of memory";
constexpr char kInOutErrorType[] = "EInOutError";

std::string HexAddress(uintptr_t address) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(sizeof(address) * 2, '0');
    for (auto digit = text.rbegin(); digit != text.rend(); ++digit, address >>= 4) *digit = kDigits[address & 0xF];
    return text;
}

std::string ModuleFileName(HMODULE module) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(module, path, MAX_PATH);
    const std::string full = path;
    const std::size_t slash = full.find_last_of("\\/");
    return slash == std::string::npos ? full : full.substr(slash + 1);
}

}  // namespace

TRunTimeError TRunTimeError::FromInOutError(const EInOutError& error) {
    return {kInOutErrorType, error.what()};
}

TRunTimeError TRunTimeError::OutOfMemory() {
    return {kOutOfMemoryType, kOutOfMemoryMessage};
}

std::string FormatErrorReport(const TRunTimeError& error, const std::string& moduleName, uintptr_t address) {
    std::string text = "Exception " + error.TypeName + " in module " + moduleName + " at " + HexAddress(address) +
                       ".\r\n" + error.Message;
    if (!error.Message.empty() && error.Message.back() != '.') text += '.';
    return text + "\r\n";
}

void ReportRunTimeError(const TRunTimeError& error, const void* where) {
    const HMODULE module = GetModuleHandleA(nullptr);
    const uintptr_t offset = reinterpret_cast<uintptr_t>(where) - reinterpret_cast<uintptr_t>(module);
    const std::string text = FormatErrorReport(error, ModuleFileName(module), offset);
    MessageBoxA(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONERROR | MB_TASKMODAL);
    ExitProcess(1);
}
