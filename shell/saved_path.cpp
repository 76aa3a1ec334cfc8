#include "saved_path.h"

#include <windows.h>

#include "fs.h"
#include "io_error.h"
#include "text_reader.h"

namespace {

constexpr char kSavedPathFile[] = "path.txt";
// The run-time's code for a write that the disk could not take whole.
constexpr int kDiskFull = 101;

}  // namespace

std::string LoadSavedPath() {
    TInputFile file;
    if (!file.Open(kSavedPathFile)) return "";
    std::string line;
    {
        TTextReader reader(file);
        line = reader.ReadLine();
    }
    file.Close();
    return line;
}

void SaveCurrentPath(const std::string& text) {
    const HANDLE file =
        CreateFileA(kSavedPathFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw EInOutError(static_cast<int>(GetLastError()));
    const std::string bytes = text + "\r\n";
    DWORD written = 0;
    int error = 0;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
        error = static_cast<int>(GetLastError());
    } else if (written != bytes.size()) {
        error = kDiskFull;
    }
    if (!CloseHandle(file) && error == 0) error = static_cast<int>(GetLastError());
    if (error != 0) throw EInOutError(error);
}
