// Links each file's items into the table of names, where every name lists
// its places in walk order, and tells which files a change of one file's
// items touches.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "file_entry.h"
#include "names.h"

// Keeps the list in walk order, the order of the file ids.
void InsertInOrder(std::vector<TItemRef>& refs, TItemRef ref);
void Link(int32_t file, const TFileEntry& entry);
void Unlink(int32_t file, const TFileEntry& entry);

// A change of one file's items, from the names it held before to those it holds after.
class TRelink {
public:
    // Notes what the names of `entry` are before the change; called again
    // with its new items before they are linked.
    void Note(const TFileEntry& entry);
    // Once the change is linked: the files whose findings may have changed, `file` among them.
    std::unordered_set<int32_t> Affected(int32_t file) const;
    // Erases the noted entries that no item names anymore.
    void DropUnnamed(TNameTable& names) const;

private:
    struct TBefore {
        std::vector<int32_t> DeclarationFiles;
        bool Used = false;
    };
    std::unordered_map<TNameEntry*, TBefore> Before_;
};
