#include "index_disk.h"

#include <algorithm>

#include "fs.h"
#include "io_error.h"
#include "syntax.h"

namespace {

char KeyChar(char c) {
#ifdef _WIN32
    return c == '/' ? '\\' : AsciiLower(c);
#else
    return c;
#endif
}

#ifdef _WIN32
constexpr std::string_view kSeparators = "/\\";
#else
constexpr std::string_view kSeparators = "/";
#endif

bool IsSeparator(char c) {
    return kSeparators.find(c) != std::string_view::npos;
}

}  // namespace

bool ReadDisk(const std::string& path, std::vector<char>& buffer, std::size_t& size, std::string* reason) {
    TInputFile file;
    if (!file.Open(path, reason)) return false;
    constexpr std::size_t kChunk = std::size_t{64} * 1024;
    size = 0;
    try {
        for (;;) {
            if (buffer.size() < size + kChunk) buffer.resize(std::max(2 * buffer.size(), size + kChunk));
            const std::size_t n = file.Read(buffer.data() + size, kChunk);
            if (n == 0) break;
            size += n;
        }
        file.Close();
    } catch (const EInOutError& error) {
        if (reason != nullptr) *reason = error.Reason();
        return false;
    }
    return true;
}

std::optional<std::string> ReadDisk(const std::string& path) {
    std::vector<char> buffer;
    std::size_t size = 0;
    if (!ReadDisk(path, buffer, size)) return std::nullopt;
    return std::string(buffer.data(), size);
}

std::string KeyOfPath(std::string_view path) {
    std::string key(path);
    std::transform(key.begin(), key.end(), key.begin(), KeyChar);
    return key;
}

uint64_t HashOfPathKey(std::string_view path) {
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const char c : path) hash = (hash ^ static_cast<unsigned char>(KeyChar(c))) * 1099511628211ull;
    return hash;
}

bool SamePath(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return KeyChar(x) == KeyChar(y); });
}

bool IsBelow(std::string_view path, std::string_view folder) {
    while (folder.size() > 1 && IsSeparator(folder.back())) folder.remove_suffix(1);
    if (folder.empty() || path.size() <= folder.size() || !SamePath(path.substr(0, folder.size()), folder))
        return false;
    return IsSeparator(folder.back()) || (IsSeparator(path[folder.size()]) && path.size() > folder.size() + 1);
}

std::string_view FolderOf(std::string_view path) {
    const std::size_t at = path.find_last_of(kSeparators);
    return at == std::string_view::npos ? std::string_view() : path.substr(0, at);
}

std::string_view FileNameOf(std::string_view path) {
    const std::size_t at = path.find_last_of(kSeparators);
    return at == std::string_view::npos ? path : path.substr(at + 1);
}
