// The Windows side of the file-system seam, over the ANSI file functions.
// Paths are bytes in the ANSI code page and may not exceed MAX_PATH - 1.
#include <windows.h>

#include <algorithm>
#include <new>
#include <string>
#include <string_view>

#include "fs.h"
#include "io_error.h"

struct TPlatformListing {
    HANDLE Handle;
    WIN32_FIND_DATAA Data;
};

namespace {

bool FitsMaxPath(const std::string& path) {
    return path.size() < MAX_PATH;
}

// Fills the cursor from the current platform entry, or from the next ones
// while they are skipped. Returns 0 or the platform's error code.
int TakeEntry(TSearchRec& rec) {
    TPlatformListing& listing = *rec.ListingHandle;
    while ((listing.Data.dwFileAttributes & rec.SkipAttr) != 0) {
        if (!FindNextFileA(listing.Handle, &listing.Data)) return static_cast<int>(GetLastError());
    }
    rec.EntryAttr = listing.Data.dwFileAttributes;
    rec.EntryName = listing.Data.cFileName;
    return 0;
}

}  // namespace

int OpenListing(const std::string& pattern, uint32_t attr, TSearchRec& rec) {
    rec.SkipAttr = ~attr & 0x1E;
    if (!FitsMaxPath(pattern)) return ERROR_FILENAME_EXCED_RANGE;
    auto* listing = new TPlatformListing;
    listing->Handle = FindFirstFileA(pattern.c_str(), &listing->Data);
    if (listing->Handle == INVALID_HANDLE_VALUE) {
        const int error = static_cast<int>(GetLastError());
        delete listing;
        return error;
    }
    rec.ListingHandle = listing;
    const int error = TakeEntry(rec);
    if (error != 0) CloseListing(rec);
    return error;
}

int NextEntry(TSearchRec& rec) {
    if (rec.ListingHandle == nullptr) return ERROR_NO_MORE_FILES;
    if (!FindNextFileA(rec.ListingHandle->Handle, &rec.ListingHandle->Data)) return static_cast<int>(GetLastError());
    return TakeEntry(rec);
}

void CloseListing(TSearchRec& rec) {
    if (rec.ListingHandle == nullptr) return;
    FindClose(rec.ListingHandle->Handle);
    delete rec.ListingHandle;
    rec.ListingHandle = nullptr;
}

bool IsExistingDirectory(const std::string& path) {
    if (!FitsMaxPath(path)) return false;
    const DWORD attr = GetFileAttributesA(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string ErrorText(int code) {
    char* text = nullptr;
    const DWORD size =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = size == 0 ? "error " + std::to_string(code) : std::string(text, size);
    LocalFree(text);
    // The system's messages end with a full stop and CR LF.
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.')) {
        message.pop_back();
    }
    return message;
}

bool GetFileId(const std::string& path, TFileId& id) {
    if (!FitsMaxPath(path)) return false;
    const HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool ok = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    if (!ok) return false;
    id.Volume = info.dwVolumeSerialNumber;
    id.Index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

std::string AbsolutePath(const std::string& path) {
    const DWORD size = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::string absolute(size, '\0');
    const DWORD length = GetFullPathNameA(path.c_str(), size, absolute.data(), nullptr);
    if (length == 0 || length >= size) return path;
    absolute.resize(length);
    // A drive's root, "C:\", keeps its separator.
    const bool atRoot = absolute.size() == 3 && absolute[1] == ':';
    if (!atRoot && absolute.size() > 1 && absolute.back() == '\\') absolute.pop_back();
    return absolute;
}

int ReplaceFileWith(const std::string& path, std::string_view bytes) {
    std::string temporary;
    HANDLE handle = INVALID_HANDLE_VALUE;
    for (int attempt = 0; handle == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = path + "." + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt) + ".tmp";
        if (!FitsMaxPath(temporary)) return ERROR_FILENAME_EXCED_RANGE;
        handle = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        const DWORD error = handle == INVALID_HANDLE_VALUE ? GetLastError() : 0;
        if (error != 0 && (error != ERROR_FILE_EXISTS || attempt == 99)) return static_cast<int>(error);
    }
    DWORD error = 0;
    for (std::size_t done = 0; done < bytes.size() && error == 0;) {
        constexpr std::size_t kMostAtOnce = std::size_t{1} << 30;
        const auto size = static_cast<DWORD>(std::min(bytes.size() - done, kMostAtOnce));
        DWORD written = 0;
        if (WriteFile(handle, bytes.data() + done, size, &written, nullptr)) {
            done += written;
        } else {
            error = GetLastError();
        }
    }
    if (error == 0 && !FlushFileBuffers(handle)) error = GetLastError();
    if (!CloseHandle(handle) && error == 0) error = GetLastError();
    if (error == 0 &&
        !MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = GetLastError();
    }
    if (error != 0) DeleteFileA(temporary.c_str());
    return static_cast<int>(error);
}

// Windows has no remapping, so a table takes address space for several times
// its size and grows by committing pages where it ends; only when that space is
// used up does it move, copying, as a heap would. Large pages need a privilege
// that a desktop user does not hold.
void* ResizePages(void* data, std::size_t oldBytes, std::size_t newBytes) {
    if (data != nullptr) {
        char* const end = static_cast<char*>(data) + oldBytes;
        MEMORY_BASIC_INFORMATION after{};
        if (VirtualQuery(end, &after, sizeof after) == sizeof after && after.AllocationBase == data &&
            after.State == MEM_RESERVE && after.RegionSize >= newBytes - oldBytes) {
            if (VirtualAlloc(end, newBytes - oldBytes, MEM_COMMIT, PAGE_READWRITE) == nullptr) throw std::bad_alloc();
            return data;
        }
    }
    constexpr std::size_t kRoomFactor = 8;
    void* pages = newBytes <= SIZE_MAX / kRoomFactor
                      ? VirtualAlloc(nullptr, newBytes * kRoomFactor, MEM_RESERVE, PAGE_NOACCESS)
                      : nullptr;
    // A 32-bit process may not have that much address space in one piece.
    if (pages == nullptr) pages = VirtualAlloc(nullptr, newBytes, MEM_RESERVE, PAGE_NOACCESS);
    if (pages == nullptr) throw std::bad_alloc();
    if (VirtualAlloc(pages, newBytes, MEM_COMMIT, PAGE_READWRITE) == nullptr) {
        VirtualFree(pages, 0, MEM_RELEASE);
        throw std::bad_alloc();
    }
    if (data != nullptr) {
        CopyMemory(pages, data, oldBytes);
        FreePages(data, oldBytes);
    }
    return pages;
}

void FreePages(void* data, std::size_t) {
    VirtualFree(data, 0, MEM_RELEASE);
}

struct TPlatformFile {
    HANDLE Handle;
};

void AdviseReadSoon(const std::string&) {}

TInputFile::~TInputFile() {
    if (File_ != nullptr) {
        CloseHandle(File_->Handle);
        delete File_;
    }
}

bool TInputFile::Open(const std::string& path, std::string* reason) {
    const auto fail = [reason](int code) {
        if (reason != nullptr) *reason = code == 0 ? std::string() : ErrorText(code);
        return false;
    };
    if (!FitsMaxPath(path)) return fail(ERROR_FILENAME_EXCED_RANGE);
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return fail(static_cast<int>(GetLastError()));
    // A device or pipe behind the name (CON.ini, a link to one) is no definition file.
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return fail(0);
    }
    File_ = new TPlatformFile{handle};
    return true;
}

std::size_t TInputFile::Read(char* buffer, std::size_t size) {
    DWORD read = 0;
    if (!ReadFile(File_->Handle, buffer, static_cast<DWORD>(size), &read, nullptr)) {
        const auto error = static_cast<int>(GetLastError());
        throw EInOutError(error, ErrorText(error));
    }
    return read;
}

void TInputFile::Close() {
    TPlatformFile* file = File_;
    File_ = nullptr;
    const BOOL ok = CloseHandle(file->Handle);
    delete file;
    if (!ok) {
        const auto error = static_cast<int>(GetLastError());
        throw EInOutError(error, ErrorText(error));
    }
}

std::string RealPath(const std::string& path) {
    if (!FitsMaxPath(path)) return {};
    const HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return {};
    char buffer[MAX_PATH + 8];
    const DWORD size = GetFinalPathNameByHandleA(handle, buffer, sizeof buffer, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(handle);
    if (size == 0 || size >= sizeof buffer) return {};
    std::string out(buffer, size);
    // The platform's long-path prefix: the rest is the path as other calls take it.
    constexpr std::string_view kLongPrefix = "\\\\?\\";
    if (out.compare(0, kLongPrefix.size(), kLongPrefix) == 0) out.erase(0, kLongPrefix.size());
    return out;
}
