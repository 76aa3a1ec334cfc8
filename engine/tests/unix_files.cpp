#include "unix_files.h"

#ifdef _WIN32

#include <windows.h>

#include <algorithm>
#include <vector>

namespace {

// Entries made through Unix programs, which Wine's own removal would follow
// (links to folders) or wait on (FIFOs).
std::vector<std::string> Made;

// Through Wine's own export, which Windows itself lacks.
bool UnixPath(const std::string& path, std::string& unixPath) {
    using TUnixNameOf = char*(CDECL*)(LPCWSTR);
    const auto unixNameOf = reinterpret_cast<TUnixNameOf>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    std::vector<wchar_t> wide(path.size() + 1);  // room for any path in the code page
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    char* name = unixNameOf == nullptr ? nullptr : unixNameOf(wide.data());
    if (name == nullptr) return false;
    unixPath = name;
    HeapFree(GetProcessHeap(), 0, name);
    return true;
}

bool Exists(const std::string& path) {
    WIN32_FIND_DATAA data;
    const HANDLE found = FindFirstFileA(path.c_str(), &data);
    if (found == INVALID_HANDLE_VALUE) return false;
    FindClose(found);
    return true;
}

// Runs a Unix program on quoted arguments. Wine gives no process handle to
// wait on, so this waits until `entry` exists (and notes it as made), or no
// longer does.
bool RunUnix(const std::string& program, const std::vector<std::string>& arguments, const std::string& entry,
             bool exists) {
    std::string commandLine = program;
    for (const std::string& argument : arguments) commandLine += " \"" + argument + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(("Z:" + program).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    CloseHandle(process.hProcess);  // a null handle is refused, harmlessly
    CloseHandle(process.hThread);
    for (int i = 0; i < 3000 && Exists(entry) != exists; ++i) Sleep(10);  // 30 s: Wine starts slowly under load
    if (Exists(entry) != exists) return false;
    if (exists) Made.push_back(entry);
    return true;
}

}  // namespace

bool MakeUnixLink(const std::string& target, const std::string& link) {
    std::string unixLink;
    std::string unixTarget = target;
    const bool onDrive = target.size() > 1 && target[1] == ':';
    if (!UnixPath(link, unixLink) || (onDrive && !UnixPath(target, unixTarget))) return false;
    std::replace(unixTarget.begin(), unixTarget.end(), '\\', '/');
    return RunUnix("/bin/ln", {"-s", unixTarget, unixLink}, link, true);
}

bool MakeFifo(const std::string& path) {
    std::string unixPath;
    return UnixPath(path, unixPath) && RunUnix("/usr/bin/mkfifo", {unixPath}, path, true);
}

void RemoveUnixEntries(const std::string& below) {
    std::string unixPath;
    for (const std::string& made : Made) {
        if (made.rfind(below, 0) == 0 && Exists(made) && UnixPath(made, unixPath)) {
            RunUnix("/bin/rm", {"-f", unixPath}, made, false);
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
