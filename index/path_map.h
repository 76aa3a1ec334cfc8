// Finds a file's id by its path. It holds only ids and a part of each path's
// hash: the paths themselves stay in the index's list, so that a file costs
// eight bytes here, not a second copy of its path.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "scan_state.h"

class TPathMap {
public:
    // -1 when no file of `paths` held here has that path (as the platform compares them).
    int32_t Find(std::string_view path, const TPathList& paths) const;
    // `file` is an index of `paths`; its path is not held yet.
    void Insert(int32_t file, const TPathList& paths);
    void Erase(int32_t file, const TPathList& paths);
    // Room for `count` files in all, so that filling it grows it at most once.
    void Reserve(std::size_t count, const TPathList& paths);

private:
    struct TSlot {
        int32_t File = -1;
        uint32_t Tag = 0;  // the hash's upper half
    };
    // The slot that holds the path, or the free one where it would go.
    std::size_t SlotOf(std::string_view path, uint64_t hash, const TPathList& paths) const;
    void Rehash(std::size_t slots, const TPathList& paths);

    std::vector<TSlot> Slots_;  // a power of two, at most half of them used
    std::size_t Count_ = 0;
};
