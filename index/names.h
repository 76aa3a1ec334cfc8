// The workspace's table of names. Items point at their name's entry, so an
// entry stays where it is until it is erased; lookups probe a small open
// table of (hash, entry) slots rather than chase a node per name.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One item of one file: its index among the file's uses or declarations.
struct TItemRef {
    int32_t File;
    int32_t Item;
    bool operator==(const TItemRef& o) const { return File == o.File && Item == o.Item; }
    bool operator<(const TItemRef& o) const { return File != o.File ? File < o.File : Item < o.Item; }
};

// Where a name is declared and used, in walk order.
struct TNamePlaces {
    std::vector<TItemRef> Declarations;
    std::vector<TItemRef> Uses;
};

// The rule a name belongs to: an index into the settings' rules, or images.
constexpr int32_t kImageRule = -1;

// A name of one rule as the scanner records it (ASCII letters lowered), with
// its places: names of different rules are different names.
struct TNameEntry {
    std::string Key;
    int32_t Rule = kImageRule;
    TNamePlaces Places;
};

class TNameTable {
public:
    // The names fall into parts by their hash, each with entries of its own:
    // threads that insert into different parts may do so at once.
    static constexpr std::size_t kParts = 8;
    static uint64_t HashOf(int32_t rule, std::string_view key);
    static std::size_t PartOf(uint64_t hash) { return hash >> 61; }

    // Null when the table does not hold `key` of `rule`.
    TNameEntry* Find(int32_t rule, std::string_view key) const;
    // The entry of `key` of `rule`, new and without places when the table lacked it.
    TNameEntry& Insert(int32_t rule, std::string_view key) { return Insert(rule, key, HashOf(rule, key)); }
    // The same with HashOf(rule, key) computed before, on another thread say.
    TNameEntry& Insert(int32_t rule, std::string_view key, uint64_t hash);
    void Erase(TNameEntry& entry);
    template <typename F>
    void ForEach(F&& visit) const {
        for (const TPart& part : Parts_) {
            for (const TSlot& slot : part.Slots) {
                const TNameEntry* entry = slot.Entry;
                if (entry != nullptr) visit(*entry);
            }
        }
    }

private:
    struct TSlot {
        TNameEntry* Entry = nullptr;
        uint64_t Hash = 0;
    };
    struct TPart {
        std::vector<TSlot> Slots;  // a power of two, at most half of them used
        std::size_t Count = 0;
        // Entries live in blocks that never move; erased ones wait in Free.
        std::vector<std::unique_ptr<TNameEntry[]>> Blocks;
        std::size_t UsedInLast = 0;
        std::vector<TNameEntry*> Free;

        // The slot that holds `key` of `rule`, or the free one where it would go.
        std::size_t SlotOf(int32_t rule, std::string_view key, uint64_t hash) const;
        void Grow();
        TNameEntry* NewEntry();
    };
    std::array<TPart, kParts> Parts_;
};
