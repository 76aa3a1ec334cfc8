#include "names.h"

#include <functional>

uint64_t TNameTable::HashOf(int32_t rule, std::string_view key) {
    // Each rule's names spread over every part; images hash as the key alone.
    constexpr uint64_t kSpread = 0x9E3779B97F4A7C15u;
    return std::hash<std::string_view>()(key) ^ (static_cast<uint64_t>(rule + 1) * kSpread);
}

std::size_t TNameTable::TPart::SlotOf(int32_t rule, std::string_view key, uint64_t hash) const {
    const std::size_t mask = Slots.size() - 1;
    std::size_t slot = hash & mask;
    while (Slots[slot].Entry != nullptr &&
           !(Slots[slot].Hash == hash && Slots[slot].Entry->Rule == rule && Slots[slot].Entry->Key == key)) {
        slot = (slot + 1) & mask;
    }
    return slot;
}

TNameEntry* TNameTable::Find(int32_t rule, std::string_view key) const {
    const uint64_t hash = HashOf(rule, key);
    const TPart& part = Parts_[PartOf(hash)];
    return part.Count == 0 ? nullptr : part.Slots[part.SlotOf(rule, key, hash)].Entry;
}

TNameEntry& TNameTable::Insert(int32_t rule, std::string_view key, uint64_t hash) {
    TPart& part = Parts_[PartOf(hash)];
    if (2 * (part.Count + 1) > part.Slots.size()) part.Grow();
    TSlot& slot = part.Slots[part.SlotOf(rule, key, hash)];
    if (slot.Entry == nullptr) {
        slot = {part.NewEntry(), hash};
        slot.Entry->Key.assign(key);
        slot.Entry->Rule = rule;
        ++part.Count;
    }
    return *slot.Entry;
}

void TNameTable::Erase(TNameEntry& entry) {
    const uint64_t hash = HashOf(entry.Rule, entry.Key);
    TPart& part = Parts_[PartOf(hash)];
    std::vector<TSlot>& slots = part.Slots;
    const std::size_t mask = slots.size() - 1;
    std::size_t hole = part.SlotOf(entry.Rule, entry.Key, hash);
    // Each later slot of the run moves back into the hole unless its home
    // lies after the hole, where a lookup still finds it.
    for (std::size_t next = (hole + 1) & mask; slots[next].Entry != nullptr; next = (next + 1) & mask) {
        if (((next - slots[next].Hash) & mask) >= ((next - hole) & mask)) {
            slots[hole] = slots[next];
            hole = next;
        }
    }
    slots[hole] = TSlot();
    --part.Count;
    entry = TNameEntry();
    part.Free.push_back(&entry);
}

void TNameTable::TPart::Grow() {
    std::vector<TSlot> old(Slots.empty() ? 16 : 2 * Slots.size());
    old.swap(Slots);
    const std::size_t mask = Slots.size() - 1;
    for (const TSlot& slot : old) {
        if (slot.Entry == nullptr) continue;
        std::size_t at = slot.Hash & mask;
        while (Slots[at].Entry != nullptr) at = (at + 1) & mask;
        Slots[at] = slot;
    }
}

TNameEntry* TNameTable::TPart::NewEntry() {
    if (!Free.empty()) {
        TNameEntry* entry = Free.back();
        Free.pop_back();
        return entry;
    }
    constexpr std::size_t kBlock = 256;
    if (Blocks.empty() || UsedInLast == kBlock) {
        Blocks.push_back(std::make_unique<TNameEntry[]>(kBlock));
        UsedInLast = 0;
    }
    return &Blocks.back()[UsedInLast++];
}
