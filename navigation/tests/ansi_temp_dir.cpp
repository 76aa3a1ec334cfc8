#include "ansi_temp_dir.h"

#include <windows.h>

#include <stdexcept>

TAnsiTempDir::TAnsiTempDir() {
    char temp[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, temp);
    Root_ = std::string(temp, length) + "tessaron-nav-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(GetTickCount64());
    if (!CreateDirectoryA(Root_.c_str(), nullptr)) throw std::runtime_error("cannot make " + Root_);
}

TAnsiTempDir::~TAnsiTempDir() {
    for (auto it = Made_.rbegin(); it != Made_.rend(); ++it) {
        if (!DeleteFileA(it->c_str())) RemoveDirectoryA(it->c_str());
    }
    RemoveDirectoryA(Root_.c_str());
}

void TAnsiTempDir::File(const std::string& relative, const std::string& bytes) {
    const std::string path = Path(relative);
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot make " + path);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    Made_.push_back(path);
}

void TAnsiTempDir::Dir(const std::string& relative) {
    const std::string path = Path(relative);
    if (!CreateDirectoryA(path.c_str(), nullptr)) throw std::runtime_error("cannot make " + path);
    Made_.push_back(path);
}
