#include "scan_state.h"

#include "rules.h"

#include <algorithm>
#include <cstring>

#include "syntax.h"

namespace {

int32_t Grown(int32_t capacity) {
    return capacity == 0 ? 8 : capacity * 2;
}

uint64_t Load8(const char* p) {
    uint64_t v = 0;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Names are short: words compared in place cost less than a call to memcmp.
bool SameBytes(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    const char* x = a.data();
    const char* y = b.data();
    std::size_t left = a.size();
    for (; left >= 8; left -= 8, x += 8, y += 8) {
        if (Load8(x) != Load8(y)) return false;
    }
    for (; left > 0; --left) {
        if (*x++ != *y++) return false;
    }
    return true;
}

}  // namespace

// Eight bytes at a time; the high half of the result serves as a tag that
// spares most string compares.
uint64_t TNameIndex::Hash(std::string_view name) {
    uint64_t hash = 0x9E3779B97F4A7C15ull ^ name.size();
    const char* p = name.data();
    std::size_t left = name.size();
    while (left > 0) {
        uint64_t word = 0;
        const std::size_t take = left < 8 ? left : 8;
        std::memcpy(&word, p, take);
        hash = (hash ^ word) * 0xBF58476D1CE4E5B9ull;
        hash ^= hash >> 29;
        p += take;
        left -= take;
    }
    hash ^= hash >> 33;
    hash *= 0xFF51AFD7ED558CCDull;
    hash ^= hash >> 33;
    hash *= 0xC4CEB9FE1A85EC53ull;
    return hash ^ (hash >> 33);
}

void TStringList::Add(std::string_view text) {
    if (Count_ >= Capacity_) Capacity_ = Grown(Capacity_);
    if (!text.empty()) std::memcpy(Text_.Extend(text.size()), text.data(), text.size());
    const std::size_t end = Text_.Size();
    std::memcpy(Ends_.Extend(sizeof end), &end, sizeof end);
    ++Count_;
}

void TStringList::AddLowered(std::string_view text) {
    if (Count_ >= Capacity_) Capacity_ = Grown(Capacity_);
    if (!text.empty()) {
        char* const out = Text_.Extend(text.size());
        for (std::size_t at = 0; at < text.size(); ++at) out[at] = AsciiLower(text[at]);
    }
    const std::size_t end = Text_.Size();
    std::memcpy(Ends_.Extend(sizeof end), &end, sizeof end);
    ++Count_;
}

void TStringList::Clear() {
    if (Count_ == 0) return;
    Text_.Release();
    Ends_.Release();
    Count_ = 0;
    Capacity_ = 0;
}

void TStringList::Append(const TStringList& other) {
    if (other.Count_ == 0) return;
    const std::size_t base = Text_.Size();
    if (other.Text_.Size() != 0) std::memcpy(Text_.Extend(other.Text_.Size()), other.Text_.Data(), other.Text_.Size());
    auto* const ends = reinterpret_cast<std::size_t*>(Ends_.Extend(other.Ends_.Size()));
    const auto* const otherEnds = reinterpret_cast<const std::size_t*>(other.Ends_.Data());
    for (int32_t i = 0; i < other.Count_; ++i) ends[i] = base + otherEnds[i];
    Count_ += other.Count_;
    while (Capacity_ < Count_) Capacity_ = Grown(Capacity_);
}

void TStringList::Truncate() {
    Text_.Truncate();
    Ends_.Truncate();
    Count_ = 0;
    Capacity_ = 0;
}

void TRefTable::AddRef(uint32_t fileIndex, int32_t lineIndex, uint32_t column, uint32_t length) {
    if (Count_ >= Capacity_) Capacity_ = Grown(Capacity_);
    const TRefRec ref{fileIndex, lineIndex, column, length};
    std::memcpy(Items_.Extend(sizeof ref), &ref, sizeof ref);
    ++Count_;
}

void TRefTable::ClearRefs() {
    if (Count_ == 0) return;
    Items_.Release();
    Count_ = 0;
    Capacity_ = 0;
}

void TRefTable::Append(const TRefTable& other) {
    if (other.Count_ == 0) return;
    std::memcpy(Items_.Extend(other.Items_.Size()), other.Items_.Data(), other.Items_.Size());
    Count_ += other.Count_;
    while (Capacity_ < Count_) Capacity_ = Grown(Capacity_);
}

void TRefTable::Truncate() {
    Items_.Truncate();
    Count_ = 0;
    Capacity_ = 0;
}

void TKindRecords::Append(const TKindRecords& part) {
    UsedNames.Append(part.UsedNames);
    RefTable.Append(part.RefTable);
    DefinedNames.Append(part.DefinedNames);
    DefinedPlaces.Append(part.DefinedPlaces);
}

void TKindRecords::Truncate() {
    UsedNames.Truncate();
    RefTable.Truncate();
    DefinedNames.Truncate();
    DefinedPlaces.Truncate();
}

void TKindRecords::Clear() {
    UsedNames.Clear();
    RefTable.ClearRefs();
    DefinedNames.Clear();
    DefinedPlaces.ClearRefs();
}

void TScanState::AppendRecords(const TScanState& part) {
    RefTable.Append(part.RefTable);
    UsedNames.Append(part.UsedNames);
    DefinedNames.Append(part.DefinedNames);
    DefinedPlaces.Append(part.DefinedPlaces);
    if (RuleRecords.size() < part.RuleRecords.size()) RuleRecords.resize(part.RuleRecords.size());
    for (std::size_t r = 0; r < part.RuleRecords.size(); ++r) RuleRecords[r].Append(part.RuleRecords[r]);
    Skipped.insert(Skipped.end(), part.Skipped.begin(), part.Skipped.end());
    OddEncodings.insert(OddEncodings.end(), part.OddEncodings.begin(), part.OddEncodings.end());
}

void TScanState::TruncateRecords() {
    RefTable.Truncate();
    UsedNames.Truncate();
    DefinedNames.Truncate();
    DefinedPlaces.Truncate();
    for (TKindRecords& records : RuleRecords) records.Truncate();
    Skipped.clear();
    OddEncodings.clear();
}

void TScanState::Reset() {
    FileList.Clear();
    UsedNames.Clear();
    DefinedNames.Clear();
    RefTable.ClearRefs();
    DefinedPlaces.ClearRefs();
    RuleRecords.assign(Rules == nullptr ? 0 : static_cast<std::size_t>(Rules->Count()), {});
    Skipped.clear();
    OddEncodings.clear();
}

TNameIndex::TNameIndex(const TNameList& names, std::vector<int32_t>* firstOf) : Names_(names) {
    std::size_t size = 16;
    // At most two thirds full: fewer pages to touch for a small tree, probes still short.
    while (2 * size < static_cast<std::size_t>(names.Count()) * 3) size *= 2;
    Mask_ = size - 1;
    std::memset(Slots_.Extend(size * sizeof(TSlot)), 0xFF, size * sizeof(TSlot));
    if (firstOf != nullptr) {
        firstOf->clear();
        firstOf->reserve(static_cast<std::size_t>(names.Count()));
    }
    TSlot* const slots = reinterpret_cast<TSlot*>(Slots_.Data());
    HashAhead(names, 0, names.Count(), [&](int32_t i, std::string_view name, uint64_t hash) {
        const uint32_t key = KeyOf(name, hash);
        std::size_t slot = hash & Mask_;
        while (slots[slot].Index != -1 && !Holds(slots[slot], name, key)) slot = (slot + 1) & Mask_;
        if (slots[slot].Index == -1) {  // an equal name already there keeps its lower index
            slots[slot] = {i, key, {}};
            if (!name.empty()) std::memcpy(slots[slot].Head, name.data(), std::min(name.size(), kHeadBytes));
        }
        if (firstOf != nullptr) firstOf->push_back(slots[slot].Index);
    });
}

int32_t TNameIndex::FindHashed(std::string_view name, uint64_t hash) const {
    const TSlot* const slots = reinterpret_cast<const TSlot*>(Slots_.Data());
    const uint32_t key = KeyOf(name, hash);
    for (std::size_t slot = hash & Mask_; slots[slot].Index != -1; slot = (slot + 1) & Mask_) {
        if (Holds(slots[slot], name, key)) return slots[slot].Index;
    }
    return -1;
}

uint32_t TNameIndex::KeyOf(std::string_view name, uint64_t hash) {
    return (static_cast<uint32_t>(hash >> 32) & 0xFFFFFF00u) |
           static_cast<uint32_t>(std::min<std::size_t>(name.size(), 255));
}

bool TNameIndex::Holds(const TSlot& slot, std::string_view name, uint32_t key) const {
    if (slot.Key != key) return false;
    if (name.size() > kHeadBytes) return SameBytes(Names_[slot.Index], name);
    return SameBytes({slot.Head, name.size()}, name);
}
