// The containers that one scan fills and that the report and the editor
// jump read back: discovered files, image references, used and declared names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "block.h"
#include "encoding.h"
#include "fs.h"

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
    // Adds every string of `other`, in its order, as Add would one by one.
    void Append(const TStringList& other);
    // Drops every string but keeps the memory for the next fill.
    void Truncate();

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

// The places of names in the files: of the references in RefTable, and of
// the declarations in DefinedPlaces.
class TRefTable {
public:
    void AddRef(uint32_t fileIndex, int32_t lineIndex, uint32_t column, uint32_t length);
    void ClearRefs();
    void Append(const TRefTable& other);
    // Drops every record but keeps the memory for the next fill.
    void Truncate();

    const TRefRec& operator[](int32_t index) const { return reinterpret_cast<const TRefRec*>(Items_.Data())[index]; }
    int32_t Count() const { return Count_; }
    int32_t Capacity() const { return Capacity_; }

private:
    TBlock Items_;  // TRefRec each
    int32_t Count_ = 0;
    int32_t Capacity_ = 0;
};

// Where each declaration stands, a record a declaration.
using TDeclarationPlaces = TRefTable;

// An entry of the tree that was not read, or not to its end, and why.
struct TSkippedEntry {
    std::string Path;
    // The platform's message; empty for an entry that is no regular file (a
    // FIFO, a device), which is passed over by design.
    std::string Reason;
};
using TSkippedList = std::vector<TSkippedEntry>;

// What the lines of a scan use and declare of one rule, as TScanState holds
// it for images: UsedNames[k] is at RefTable[k], DefinedNames[k] at
// DefinedPlaces[k]; names lowered.
struct TKindRecords {
    TNameList UsedNames;
    TRefTable RefTable;
    TNameList DefinedNames;
    TRefTable DefinedPlaces;

    void Append(const TKindRecords& part);
    // Drops the records, keeping their memory for the next file.
    void Truncate();
    void Clear();
};

class TRuleSet;

struct TEncodingNote {
    uint32_t FileIndex;
    TOddEncoding Encoding;
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
    TDeclarationPlaces DefinedPlaces;
    // Every folder that could not be listed and every file that could not be
    // read, when asked for. Without it such entries are skipped in silence and
    // a read error after opening raises EInOutError, as the window has it.
    bool KeepSkipped = false;
    TSkippedList Skipped;
    // The files whose first bytes show an encoding the reader does not know,
    // when asked for.
    bool NoteEncodings = false;
    std::vector<TEncodingNote> OddEncodings;
    // The rules of the other kinds of names, read besides the images when
    // given, and what they record: RuleRecords[r] for rule r.
    const TRuleSet* Rules = nullptr;
    std::vector<TKindRecords> RuleRecords;
    // Folders below the root that the walk passes over, such as the folders
    // whose declarations are read apart as the base of the tree.
    std::vector<TFileId> PassOver;

    // Empties every list, as a search does before it walks.
    void Reset();
    // Adds the records of `part` (not its files) after those held: the scan
    // of a file in a state of its own, joined in file order.
    void AppendRecords(const TScanState& part);
    // Drops the records, keeping their memory for the next file.
    void TruncateRecords();
};

// Answers "which declaration comes first with this name" from a hash index
// built once over DefinedNames, instead of a scan per lookup.
class TNameIndex {
public:
    // With `firstOf`, also tells for each entry the lowest index of an equal one.
    explicit TNameIndex(const TNameList& names, std::vector<int32_t>* firstOf = nullptr);
    // The lowest index of an entry byte-for-byte equal to `name`, or -1.
    int32_t FindDefined(std::string_view name) const { return FindHashed(name, Hash(name)); }
    // Calls found(k, FindDefined(names[k])) for every entry k of `names`
    // from `from` up to `to` (all by default), in order.
    template <typename F>
    void FindEach(const TNameList& names, F&& found, int32_t from = 0, int32_t to = -1) const {
        HashAhead(names, from, to < 0 ? names.Count() : to,
                  [&](int32_t k, std::string_view name, uint64_t hash) { found(k, FindHashed(name, hash)); });
    }

private:
    // A name's first bytes sit in its slot: most lookups then compare without
    // a second trip to memory for the name itself.
    static constexpr std::size_t kHeadBytes = 24;
    struct TSlot {
        int32_t Index;  // -1 marks a free slot
        uint32_t Key;   // see KeyOf
        char Head[kHeadBytes];
    };
    static uint64_t Hash(std::string_view name);
    int32_t FindHashed(std::string_view name, uint64_t hash) const;
    // Calls visit(k, names[k], hash) for every entry from `from` up to `to`,
    // hashing a few entries ahead so that their slots are fetched while an
    // earlier one is handled.
    template <typename F>
    void HashAhead(const TNameList& names, int32_t from, int32_t to, F&& visit) const {
        constexpr int32_t kAhead = 8;
        uint64_t hashes[kAhead];
        const auto fetch = [&](int32_t k) {
            hashes[k % kAhead] = Hash(names[k]);
            // Both ends: the table need not start on a cache line.
            const char* slot = Slots_.Data() + (hashes[k % kAhead] & Mask_) * sizeof(TSlot);
            __builtin_prefetch(slot);
            __builtin_prefetch(slot + sizeof(TSlot) - 1);
        };
        for (int32_t k = from; k < from + kAhead && k < to; ++k) fetch(k);
        for (int32_t k = from; k < to; ++k) {
            const uint64_t hash = hashes[k % kAhead];
            if (k + kAhead < to) fetch(k + kAhead);
            visit(k, names[k], hash);
        }
    }
    // 24 bits of the name's hash above its length, which stops at 255.
    static uint32_t KeyOf(std::string_view name, uint64_t hash);
    bool Holds(const TSlot& slot, std::string_view name, uint32_t key) const;
    const TNameList& Names_;
    TBlock Slots_;  // TSlot each, open addressing
    std::size_t Mask_ = 0;
};
