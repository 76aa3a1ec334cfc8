#include "folder_chooser.h"

#include <shlobj.h>

namespace {

// Preselects the folder named by `data` once the dialog exists.
int CALLBACK OnBrowseEvent(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data != 0) SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}

// The shell allocator and the dialog's name buffer taken from it, released
// together on every way out, exceptions included.
class TShellBuffer {
public:
    explicit TShellBuffer(IMalloc* allocator)
        : Allocator_(allocator), Text_(static_cast<char*>(allocator->Alloc(MAX_PATH))) {}
    ~TShellBuffer() {
        Allocator_->Free(Text_);
        Allocator_->Release();
    }
    TShellBuffer(const TShellBuffer&) = delete;
    TShellBuffer& operator=(const TShellBuffer&) = delete;

    char* Text() const { return Text_; }
    void FreeItem(LPITEMIDLIST item) const { Allocator_->Free(item); }

private:
    IMalloc* Allocator_;
    char* Text_;
};

}  // namespace

bool BrowseForFolder(HWND owner, const std::string& prompt, std::string& path) {
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)) || allocator == nullptr) return false;
    const TShellBuffer buffer(allocator);

    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.pszDisplayName = buffer.Text();
    info.lpszTitle = prompt.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    if (!path.empty()) {
        info.lpfn = OnBrowseEvent;
        info.lParam = reinterpret_cast<LPARAM>(path.c_str());
    }
    const LPITEMIDLIST item = SHBrowseForFolderA(&info);
    if (item == nullptr) return false;
    // A failed conversion leaves the display name in the buffer, and so in `path`.
    SHGetPathFromIDListA(item, buffer.Text());
    buffer.FreeItem(item);
    path = buffer.Text();
    return true;
}
