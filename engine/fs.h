// The file-system seam: the few platform calls that the engine makes.
// fs_win32.cpp implements it over FindFirstFileA and CreateFileA, fs_posix.cpp
// over opendir and open, listing entries the way an NTFS volume does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "byte_source.h"

constexpr uint32_t kAttrDirectory = 0x10;
// Lists every entry, hidden and system ones too.
constexpr uint32_t kAnyAttributes = 63;

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

struct TPlatformListing;

// The cursor of one directory listing.
struct TSearchRec {
    uint32_t EntryAttr = 0;
    std::string EntryName;
    uint32_t SkipAttr = 0;
    TPlatformListing* ListingHandle = nullptr;  // null when closed
};

// OpenListing's code when the directory holds nothing that matches the mask.
constexpr int kNoMatchingEntry = 2;

// Opens a listing of `pattern` (a directory, a separator and a mask with * and
// ?) and moves to its first entry that shares no bit with the skip mask
// (~attr & 0x1E). Returns 0, kNoMatchingEntry or the platform's error code.
int OpenListing(const std::string& pattern, uint32_t attr, TSearchRec& rec);
// Moves to the next entry that is not skipped. Returns 0 or an error code.
int NextEntry(TSearchRec& rec);
// Closes the listing if it is open.
void CloseListing(TSearchRec& rec);

bool IsExistingDirectory(const std::string& path);

// The platform's own message for an error code of this seam (strerror,
// FormatMessage), in the platform's code page.
std::string ErrorText(int code);

// Identifies a file or a directory across the links and paths that lead to it.
struct TFileId {
    uint64_t Volume = 0;
    uint64_t Index = 0;
    bool operator==(const TFileId& other) const { return Volume == other.Volume && Index == other.Index; }
};
// False when nothing is there.
bool GetFileId(const std::string& path, TFileId& id);
inline bool GetDirectoryId(const std::string& path, TFileId& id) {
    return GetFileId(path, id);
}

// The path made absolute against the current directory, "." and ".." taken
// by name as Windows takes them, without a trailing separator but at a root.
std::string AbsolutePath(const std::string& path);

// Writes `bytes` to a new file beside `path` and renames it over `path`, so
// that `path` holds either what it held or all of `bytes`, never a part.
// Returns 0 or the platform's error code; the new file is gone on failure.
int ReplaceFileWith(const std::string& path, std::string_view bytes);

// Memory for a large table, straight from the platform's pages. Growing it
// keeps its bytes and mostly copies none (Linux remaps the pages, Windows
// commits room set aside after them).
// `data` null with `oldBytes` 0 allocates. Raises std::bad_alloc when the
// memory is not there.
void* ResizePages(void* data, std::size_t oldBytes, std::size_t newBytes);
void FreePages(void* data, std::size_t bytes);

// Asks the platform to start reading a file that is read soon, so that the
// disk has several reads to serve; does nothing where that cannot be asked.
void AdviseReadSoon(const std::string& path);

struct TPlatformFile;

// A definition file opened read-only, shared with readers only.
class TInputFile : public TByteSource {
public:
    TInputFile() = default;
    TInputFile(const TInputFile&) = delete;
    TInputFile& operator=(const TInputFile&) = delete;
    ~TInputFile() override;

    // False, and nothing raised, when the file cannot be opened; `reason` then
    // gets the platform's message, or stays empty for an entry that is no
    // regular file (a FIFO, a device), which is passed over by design.
    bool Open(const std::string& path, std::string* reason = nullptr);
    // Reads up to `size` bytes; 0 at the end. Raises EInOutError, with the
    // platform's message as its reason, on failure.
    std::size_t Read(char* buffer, std::size_t size) override;
    // Raises EInOutError when the platform reports a failure.
    void Close();

private:
    TPlatformFile* File_ = nullptr;
};

// The path with every link resolved, as the platform names the file itself;
// empty when the path leads nowhere.
std::string RealPath(const std::string& path);
