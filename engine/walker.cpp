#include "walker.h"

#include <algorithm>
#include <vector>

#include "fs.h"

namespace {

constexpr uint32_t kAllAttributes = 63;

class TWalker {
public:
    TWalker(const std::string& mask, TPathList& files) : Mask_(mask), Files_(files) {}

    void Walk(std::string dir) {
        if (dir.empty() || dir.back() != kPathSeparator) dir += kPathSeparator;
        TFileId id;
        const bool known = GetDirectoryId(dir, id);
        if (known) {
            if (std::find(Ancestors_.begin(), Ancestors_.end(), id) != Ancestors_.end()) return;
            Ancestors_.push_back(id);
        }
        WalkSubdirectories(dir);
        ListFiles(dir);
        if (known) Ancestors_.pop_back();
    }

private:
    void WalkSubdirectories(const std::string& dir) {
        TSearchRec rec;
        if (OpenListing(dir + "*.*", kAllAttributes, rec) != 0) return;
        do {
            if ((rec.EntryAttr & kAttrDirectory) != 0 && rec.EntryName != "." && rec.EntryName != "..") {
                Walk(dir + rec.EntryName);
            }
        } while (NextEntry(rec) == 0);
        CloseListing(rec);
    }

    void ListFiles(const std::string& dir) {
        TSearchRec rec;
        if (OpenListing(dir + Mask_, kAllAttributes, rec) != 0) return;
        do {
            if ((rec.EntryAttr & kAttrDirectory) == 0) Files_.Add(dir + rec.EntryName);
        } while (NextEntry(rec) == 0);
        CloseListing(rec);
    }

    const std::string& Mask_;
    TPathList& Files_;
    std::vector<TFileId> Ancestors_;
};

}  // namespace

void WalkTree(const std::string& dir, const std::string& mask, TPathList& files) {
    TWalker(mask, files).Walk(dir);
}
