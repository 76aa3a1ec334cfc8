#include "unix_files.h"

#ifdef _WIN32

#include <windows.h>

#include <vector>

namespace {

// Wine's own export; missing on Windows itself.
using TUnixNameOf = char*(CDECL*)(LPCWSTR);

TUnixNameOf UnixNameFunction() {
    return reinterpret_cast<TUnixNameOf>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
}

bool UnixPath(const std::string& path, std::string& unixPath) {
    const TUnixNameOf unixNameOf = UnixNameFunction();
    if (unixNameOf == nullptr) return false;
    std::vector<wchar_t> wide(path.size() + 1);
    if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size())) == 0) return false;
    char* name = unixNameOf(wide.data());
    if (name == nullptr) return false;
    unixPath = name;
    HeapFree(GetProcessHeap(), 0, name);
    return true;
}

bool IsAbsolute(const std::string& path) {
    return (path.size() > 1 && path[1] == ':') || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}

// Entries made through Unix programs, which Wine's own removal would follow
// (links to folders) or wait on (FIFOs).
std::vector<std::string> Made;

bool Exists(const std::string& path) {
    WIN32_FIND_DATAA data;
    const HANDLE found = FindFirstFileA(path.c_str(), &data);
    if (found == INVALID_HANDLE_VALUE) return false;
    FindClose(found);
    return true;
}

// Wine runs a Unix program without a process handle to wait on, so the
// caller waits until `entry` exists, or no longer does.
bool RunUnix(const char* program, const std::string& arguments, const std::string& entry, bool exists = true) {
    std::string commandLine = std::string(program) + " " + arguments;
    const std::string windowsProgram = std::string("Z:") + program;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(windowsProgram.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    if (process.hProcess != nullptr) CloseHandle(process.hProcess);
    if (process.hThread != nullptr) CloseHandle(process.hThread);
    for (int i = 0; i < 500; ++i) {
        if (Exists(entry) == exists) return true;
        Sleep(10);
    }
    return false;
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

}  // namespace

bool MakeUnixLink(const std::string& target, const std::string& link) {
    std::string unixLink;
    std::string unixTarget = target;
    if (!UnixPath(link, unixLink)) return false;
    if (IsAbsolute(target)) {
        if (!UnixPath(target, unixTarget)) return false;
    } else {
        for (char& c : unixTarget) {
            if (c == '\\') c = '/';
        }
    }
    if (!RunUnix("/bin/ln", "-s " + Quoted(unixTarget) + " " + Quoted(unixLink), link)) return false;
    Made.push_back(link);
    return true;
}

bool MakeFifo(const std::string& path) {
    std::string unixPath;
    if (!UnixPath(path, unixPath) || !RunUnix("/usr/bin/mkfifo", Quoted(unixPath), path)) return false;
    Made.push_back(path);
    return true;
}

void RemoveUnixEntries(const std::string& below) {
    for (auto it = Made.begin(); it != Made.end();) {
        std::string unixPath;
        if (it->compare(0, below.size(), below) != 0) {
            ++it;
        } else {
            if (Exists(*it) && UnixPath(*it, unixPath)) RunUnix("/bin/rm", "-f " + Quoted(unixPath), *it, false);
            it = Made.erase(it);
        }
    }
}

#else

#include <sys/stat.h>
#include <unistd.h>

bool MakeUnixLink(const std::string& target, const std::string& link) {
    return symlink(target.c_str(), link.c_str()) == 0;
}

bool MakeFifo(const std::string& path) {
    return mkfifo(path.c_str(), 0600) == 0;
}

void RemoveUnixEntries(const std::string&) {}

#endif
