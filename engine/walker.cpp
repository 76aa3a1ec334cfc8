#include "walker.h"

#include <set>
#include <utility>

#include "fs.h"

namespace {

class TWalker {
public:
    TWalker(const std::string& mask, TPathList& files, TSkippedList* skipped, const std::function<void()>& onListed,
            const std::vector<TFileId>& passOver)
        : Mask_(mask), Files_(files), Skipped_(skipped), OnListed_(onListed) {
        for (const TFileId& id : passOver) Entered_.emplace(id.Volume, id.Index);
    }

    void Walk(std::string dir) {
        if (dir.empty() || dir.back() != kPathSeparator) dir += kPathSeparator;
        // Links may lead into a folder from many places, or to the root of the
        // file system: a folder entered once is never entered again.
        TFileId id;
        if (GetDirectoryId(dir, id) && !Entered_.emplace(id.Volume, id.Index).second) return;
        const bool listed = WalkSubdirectories(dir);
        ListFiles(dir, listed);
        if (OnListed_) OnListed_();
    }

private:
    // False when the folder cannot be listed at all.
    bool WalkSubdirectories(const std::string& dir) {
        TSearchRec rec;
        if (const int error = OpenListing(dir + "*.*", kAnyAttributes, rec); error != 0) {
            // Nothing at all matches only where a folder went since its parent was listed.
            if (error != kNoMatchingEntry) Skip(dir, error);
            return false;
        }
        do {
            if ((rec.EntryAttr & kAttrDirectory) != 0 && rec.EntryName != "." && rec.EntryName != "..") {
                Walk(dir + rec.EntryName);
            }
        } while (NextEntry(rec) == 0);
        CloseListing(rec);
        return true;
    }

    // A folder whose first listing failed has been named already.
    void ListFiles(const std::string& dir, bool listed) {
        TSearchRec rec;
        if (const int error = OpenListing(dir + Mask_, kAnyAttributes, rec); error != 0) {
            if (listed && error != kNoMatchingEntry) Skip(dir, error);
            return;
        }
        do {
            if ((rec.EntryAttr & kAttrDirectory) == 0) Files_.Add(dir + rec.EntryName);
        } while (NextEntry(rec) == 0);
        CloseListing(rec);
    }

    void Skip(const std::string& dir, int error) {
        if (Skipped_ == nullptr) return;
        Skipped_->push_back({dir.size() > 1 ? dir.substr(0, dir.size() - 1) : dir, ErrorText(error)});
    }

    const std::string& Mask_;
    TPathList& Files_;
    TSkippedList* Skipped_;
    const std::function<void()>& OnListed_;
    std::set<std::pair<uint64_t, uint64_t>> Entered_;
};

}  // namespace

void WalkTree(const std::string& dir, const std::string& mask, TPathList& files, TSkippedList* skipped,
              const std::function<void()>& onListed, const std::vector<TFileId>& passOver) {
    TWalker(mask, files, skipped, onListed, passOver).Walk(dir);
}
