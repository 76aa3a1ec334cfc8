#include "scan_state.h"

#include <functional>

namespace {

int32_t Grown(int32_t capacity) {
    return capacity == 0 ? 8 : capacity * 2;
}

std::size_t HashOf(std::string_view name) {
    return std::hash<std::string_view>{}(name);
}

}  // namespace

void TStringList::Add(std::string_view text) {
    if (Count_ >= Capacity_) {
        Capacity_ = Grown(Capacity_);
        Ends_.reserve(static_cast<std::size_t>(Capacity_));
    }
    Text_.append(text);
    Ends_.push_back(Text_.size());
    ++Count_;
}

void TStringList::Clear() {
    if (Count_ == 0) return;
    std::string().swap(Text_);
    std::vector<std::size_t>().swap(Ends_);
    Count_ = 0;
    Capacity_ = 0;
}

void TRefTable::AddRef(uint32_t fileIndex, int32_t lineIndex, uint32_t column, uint32_t length) {
    if (Count_ >= Capacity_) {
        Capacity_ = Grown(Capacity_);
        Items_.reserve(static_cast<std::size_t>(Capacity_));
    }
    Items_.push_back({fileIndex, lineIndex, column, length});
    ++Count_;
}

void TRefTable::ClearRefs() {
    if (Count_ == 0) return;
    std::vector<TRefRec>().swap(Items_);
    Count_ = 0;
    Capacity_ = 0;
}

void TScanState::Reset() {
    FileList.Clear();
    UsedNames.Clear();
    DefinedNames.Clear();
    RefTable.ClearRefs();
}

TNameIndex::TNameIndex(const TNameList& names) : Names_(names) {
    std::size_t size = 16;
    while (size < static_cast<std::size_t>(names.Count()) * 2) size *= 2;
    Slots_.assign(size, -1);
    Mask_ = size - 1;
    for (int32_t i = 0; i < names.Count(); ++i) {
        const std::string_view name = names[i];
        std::size_t slot = HashOf(name) & Mask_;
        while (Slots_[slot] != -1 && names[Slots_[slot]] != name) slot = (slot + 1) & Mask_;
        if (Slots_[slot] == -1) Slots_[slot] = i;  // an equal name already there keeps its lower index
    }
}

int32_t TNameIndex::FindDefined(std::string_view name) const {
    for (std::size_t slot = HashOf(name) & Mask_; Slots_[slot] != -1; slot = (slot + 1) & Mask_) {
        if (Names_[Slots_[slot]] == name) return Slots_[slot];
    }
    return -1;
}
