#include "path_map.h"

#include "index_disk.h"

std::size_t TPathMap::SlotOf(std::string_view path, uint64_t hash, const TPathList& paths) const {
    const std::size_t mask = Slots_.size() - 1;
    const auto tag = static_cast<uint32_t>(hash >> 32);
    std::size_t slot = hash & mask;
    while (Slots_[slot].File >= 0 && !(Slots_[slot].Tag == tag && SamePath(paths[Slots_[slot].File], path))) {
        slot = (slot + 1) & mask;
    }
    return slot;
}

int32_t TPathMap::Find(std::string_view path, const TPathList& paths) const {
    if (Count_ == 0) return -1;
    return Slots_[SlotOf(path, HashOfPathKey(path), paths)].File;
}

void TPathMap::Insert(int32_t file, const TPathList& paths) {
    if (2 * (Count_ + 1) > Slots_.size()) Rehash(Slots_.empty() ? 16 : 2 * Slots_.size(), paths);
    const std::string_view path = paths[file];
    const uint64_t hash = HashOfPathKey(path);
    Slots_[SlotOf(path, hash, paths)] = {file, static_cast<uint32_t>(hash >> 32)};
    ++Count_;
}

void TPathMap::Erase(int32_t file, const TPathList& paths) {
    if (Count_ == 0) return;
    const std::size_t mask = Slots_.size() - 1;
    std::size_t hole = SlotOf(paths[file], HashOfPathKey(paths[file]), paths);
    if (Slots_[hole].File != file) return;
    // Each later slot of the run moves back into the hole unless its home
    // lies after the hole, where a lookup still finds it.
    for (std::size_t next = (hole + 1) & mask; Slots_[next].File >= 0; next = (next + 1) & mask) {
        const std::size_t home = HashOfPathKey(paths[Slots_[next].File]) & mask;
        if (((next - home) & mask) >= ((next - hole) & mask)) {
            Slots_[hole] = Slots_[next];
            hole = next;
        }
    }
    Slots_[hole] = TSlot();
    --Count_;
}

void TPathMap::Reserve(std::size_t count, const TPathList& paths) {
    std::size_t slots = Slots_.empty() ? 16 : Slots_.size();
    while (slots < 2 * count) slots *= 2;
    if (slots != Slots_.size()) Rehash(slots, paths);
}

void TPathMap::Rehash(std::size_t slots, const TPathList& paths) {
    std::vector<TSlot> old(slots);
    old.swap(Slots_);
    const std::size_t mask = Slots_.size() - 1;
    for (const TSlot& slot : old) {
        if (slot.File < 0) continue;
        std::size_t at = HashOfPathKey(paths[slot.File]) & mask;
        while (Slots_[at].File >= 0) at = (at + 1) & mask;
        Slots_[at] = slot;
    }
}
