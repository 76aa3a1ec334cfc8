// The containers that one scan fills and that the report and the editor
// jump read back: discovered files, image references, used and declared names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "block.h"

// A growable list of owned byte strings. The strings live end to end in one
// pooled buffer, so a million short names cost a million offsets, not a
// million allocations.
class TStringList {
public:
    // Copies `text` into the list; grows the slots 0 -> 8 -> 16 -> 32 ...
    void Add(std::string_view text);
    // The same with A..Z lowered on the way in.
    void AddLowered(std::string_view text);
    // Releases every string and the slots; an empty list is left unchanged.
    void Clear();

    std::string_view operator[](int32_t index) const {
        const auto* ends = reinterpret_cast<const std::size_t*>(Ends_.Data());
        const std::size_t begin = index == 0 ? 0 : ends[index - 1];
        return {Text_.Data() + begin, ends[index] - begin};
    }
    int32_t Count() const { return Count_; }
    int32_t Capacity() const { return Capacity_; }
    // Bytes held by the strings themselves.
    std::size_t TextBytes() const { return Text_.Size(); }

private:
    TBlock Text_;
    TBlock Ends_;  // std::size_t each: where each string ends in Text_
    int32_t Count_ = 0;
    int32_t Capacity_ = 0;
};

using TPathList = TStringList;
using TNameList = TStringList;

// One image reference. Column is the 1-based byte position of the name in the
// line as read, so an editor can select it where it stands.
struct TRefRec {
    uint32_t FileIndex;
    int32_t LineIndex;
    uint32_t Column;
    uint32_t Length;
};

class TRefTable {
public:
    void AddRef(uint32_t fileIndex, int32_t lineIndex, uint32_t column, uint32_t length);
    void ClearRefs();

    const TRefRec& operator[](int32_t index) const { return reinterpret_cast<const TRefRec*>(Items_.Data())[index]; }
    int32_t Count() const { return Count_; }
    int32_t Capacity() const { return Capacity_; }

private:
    TBlock Items_;  // TRefRec each
    int32_t Count_ = 0;
    int32_t Capacity_ = 0;
};

// Everything one search builds. UsedNames and RefTable grow in step: entry k
// of each describes the same reference.
struct TScanState {
    TPathList FileList;
    TRefTable RefTable;
    TNameList UsedNames;
    TNameList DefinedNames;
    // Where each declaration stands: DefinedPlaces[i] for DefinedNames[i].
    // Kept only when asked for, since the window has no use for it.
    bool KeepDefinedPlaces = false;
    TRefTable DefinedPlaces;

    // Empties every list, as a search does before it walks.
    void Reset();
};

// Answers "which declaration comes first with this name" from a hash index
// built once over DefinedNames, instead of a scan per lookup.
class TNameIndex {
public:
    // With `firstOf`, also tells for each entry the lowest index of an equal one.
    explicit TNameIndex(const TNameList& names, std::vector<int32_t>* firstOf = nullptr);
    // The lowest index of an entry byte-for-byte equal to `name`, or -1.
    int32_t FindDefined(std::string_view name) const { return FindHashed(name, Hash(name)); }

    // The same in two steps, so that a caller going through many names can
    // have the slot of a later one fetched while it compares an earlier one.
    static uint64_t Hash(std::string_view name);
    void Prefetch(uint64_t hash) const { __builtin_prefetch(Slots_.Data() + (hash & Mask_) * sizeof(TSlot)); }
    int32_t FindHashed(std::string_view name, uint64_t hash) const;

private:
    struct TSlot {
        int32_t Index;  // -1 marks a free slot
        uint32_t Tag;   // the high half of the name's hash
    };
    const TNameList& Names_;
    TBlock Slots_;  // TSlot each, open addressing
    std::size_t Mask_ = 0;
};
