// The POSIX side of the file-system seam. It stands in for the Windows
// listing: "." and ".." first, then the names in the order an NTFS volume
// gives them, masks with * and ? matched without regard to ASCII case.
#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "fs.h"
#include "io_error.h"

namespace {

constexpr int kNoMoreFiles = 18;
static_assert(kNoMatchingEntry == ENOENT, "a folder gone since its parent was listed matches nothing either");

// The platform error code that the run-time's messages know.
int CodeOf(int error) {
    switch (error) {
        case ENOENT:
            return 2;
        case ENOTDIR:
        case ENAMETOOLONG:
            return 3;
        case EMFILE:
        case ENFILE:
            return 4;
        case EACCES:
        case EPERM:
        case EISDIR:
            return 5;
        case ENOSPC:
            return 101;
        case EIO:
            return 30;  // as errno 5 it would read as "File access denied"
        default:
            return error;
    }
}

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

bool WildcardMatch(const char* mask, const char* name) {
    const char* starMask = nullptr;
    const char* starName = nullptr;
    while (*name != '\0') {
        if (*mask == '*') {
            starMask = ++mask;
            starName = name;
        } else if (*mask == '?' || (*mask != '\0' && AsciiUpper(*mask) == AsciiUpper(*name))) {
            ++mask;
            ++name;
        } else if (starMask != nullptr) {
            mask = starMask;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*mask == '*') ++mask;
    return *mask == '\0';
}

bool MaskMatches(const std::string& mask, const std::string& name) {
    return mask == "*.*" || WildcardMatch(mask.c_str(), name.c_str());
}

bool ListedFirst(const std::string& name) {
    return name == "." || name == "..";
}

bool NtfsOrder(const std::string& a, const std::string& b) {
    if (ListedFirst(a) || ListedFirst(b)) return ListedFirst(a) && (!ListedFirst(b) || a.size() < b.size());
    const auto upperLess = [](char x, char y) {
        return static_cast<unsigned char>(AsciiUpper(x)) < static_cast<unsigned char>(AsciiUpper(y));
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), upperLess)) return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), upperLess)) return false;
    return a < b;
}

uint32_t AttributesOf(const std::string& dir, const dirent& entry) {
    bool isDir = entry.d_type == DT_DIR;
    if (entry.d_type == DT_LNK || entry.d_type == DT_UNKNOWN) {
        struct stat st {};
        isDir = stat((dir + entry.d_name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    return isDir ? kAttrDirectory : 0x20;
}

}  // namespace

struct TPlatformListing {
    struct TEntry {
        std::string Name;
        uint32_t Attr;
    };
    std::vector<TEntry> Entries;
    std::size_t Next = 0;
};

namespace {

// Moves the cursor to the next entry that is not skipped; false at the end.
bool AdvanceListing(TSearchRec& rec) {
    TPlatformListing& listing = *rec.ListingHandle;
    while (listing.Next < listing.Entries.size()) {
        TPlatformListing::TEntry& entry = listing.Entries[listing.Next++];
        if ((entry.Attr & rec.SkipAttr) != 0) continue;
        rec.EntryAttr = entry.Attr;
        rec.EntryName = std::move(entry.Name);
        return true;
    }
    return false;
}

}  // namespace

int OpenListing(const std::string& pattern, uint32_t attr, TSearchRec& rec) {
    rec.SkipAttr = ~attr & 0x1E;
    const std::size_t cut = pattern.rfind('/');
    const std::string dir = cut == std::string::npos ? std::string() : pattern.substr(0, cut + 1);
    const std::string mask = pattern.substr(dir.size());

    DIR* handle = opendir(dir.empty() ? "." : dir.c_str());
    if (handle == nullptr) return errno;
    auto* listing = new TPlatformListing;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(handle);
        if (entry == nullptr) break;
        std::string name = entry->d_name;
        if (!MaskMatches(mask, name)) continue;
        listing->Entries.push_back({std::move(name), AttributesOf(dir, *entry)});
    }
    const int error = errno;
    closedir(handle);
    if (error != 0) {
        delete listing;
        return error;
    }
    std::sort(listing->Entries.begin(), listing->Entries.end(),
              [](const auto& a, const auto& b) { return NtfsOrder(a.Name, b.Name); });

    rec.ListingHandle = listing;
    if (AdvanceListing(rec)) return 0;
    CloseListing(rec);
    return kNoMatchingEntry;
}

int NextEntry(TSearchRec& rec) {
    if (rec.ListingHandle == nullptr) return kNoMoreFiles;
    return AdvanceListing(rec) ? 0 : kNoMoreFiles;
}

void CloseListing(TSearchRec& rec) {
    delete rec.ListingHandle;
    rec.ListingHandle = nullptr;
}

bool IsExistingDirectory(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ErrorText(int code) {
    return std::strerror(code);
}

bool GetFileId(const std::string& path, TFileId& id) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return false;
    id.Volume = static_cast<uint64_t>(st.st_dev);
    id.Index = static_cast<uint64_t>(st.st_ino);
    return true;
}

std::string AbsolutePath(const std::string& path) {
    std::string joined;
    if (path.empty() || path[0] != '/') {
        std::vector<char> cwd(256);
        while (getcwd(cwd.data(), cwd.size()) == nullptr) {
            if (errno != ERANGE) return path;
            cwd.resize(cwd.size() * 2);
        }
        joined = cwd.data();
        joined += '/';
    }
    joined += path;
    std::vector<std::string_view> parts;
    for (std::size_t at = 0; at < joined.size();) {
        std::size_t end = joined.find('/', at);
        if (end == std::string::npos) end = joined.size();
        const std::string_view part = std::string_view(joined).substr(at, end - at);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string absolute;
    for (const std::string_view part : parts) absolute.append("/").append(part);
    return absolute.empty() ? "/" : absolute;
}

int ReplaceFileWith(const std::string& path, std::string_view bytes) {
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temporary = path + "." + std::to_string(getpid()) + "-" + std::to_string(attempt) + ".tmp";
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt == 99)) return errno;
    }
    int error = 0;
    for (std::size_t done = 0; done < bytes.size() && error == 0;) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n == 0 || errno != EINTR) {
            error = n == 0 ? EIO : errno;
        }
    }
    // A full disk may be reported only when the bytes reach it.
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) ::unlink(temporary.c_str());
    return error;
}

void* ResizePages(void* data, std::size_t oldBytes, std::size_t newBytes) {
#if defined(MREMAP_MAYMOVE)
    void* pages = data == nullptr ? mmap(nullptr, newBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)
                                  : mremap(data, oldBytes, newBytes, MREMAP_MAYMOVE);
#else
    // Only Linux remaps; elsewhere growing copies, as a heap would.
    void* pages = mmap(nullptr, newBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages != MAP_FAILED && data != nullptr) {
        std::memcpy(pages, data, oldBytes);
        munmap(data, oldBytes);
    }
#endif
    if (pages == MAP_FAILED) throw std::bad_alloc();
    return pages;
}

void FreePages(void* data, std::size_t bytes) {
    munmap(data, bytes);
}

struct TPlatformFile {
    int Fd;
};

TInputFile::~TInputFile() {
    if (File_ != nullptr) {
        ::close(File_->Fd);
        delete File_;
    }
}

void AdviseReadSoon(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return;
    posix_fadvise(fd, 0, 0, POSIX_FADV_WILLNEED);
    ::close(fd);
}

bool TInputFile::Open(const std::string& path, std::string* reason) {
    // Without O_NONBLOCK a FIFO would block the open until a writer comes;
    // only regular files are read, so a device never gives endless bytes.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (reason != nullptr) *reason = ErrorText(errno);
        return false;
    }
    struct stat st {};
    const bool statted = fstat(fd, &st) == 0;
    if (!statted || !S_ISREG(st.st_mode) || fcntl(fd, F_SETFL, 0) != 0) {
        if (reason != nullptr) *reason = statted && !S_ISREG(st.st_mode) ? std::string() : ErrorText(errno);
        ::close(fd);
        return false;
    }
    File_ = new TPlatformFile{fd};
    return true;
}

std::size_t TInputFile::Read(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(File_->Fd, buffer, size);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR) throw EInOutError(CodeOf(errno), ErrorText(errno));
    }
}

void TInputFile::Close() {
    TPlatformFile* file = File_;
    File_ = nullptr;
    const int error = ::close(file->Fd) == 0 ? 0 : errno;
    delete file;
    if (error != 0) throw EInOutError(CodeOf(error), ErrorText(error));
}

std::string RealPath(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) return {};
    std::string out(real);
    std::free(real);
    return out;
}
