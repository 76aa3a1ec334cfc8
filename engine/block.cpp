#include "block.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "fs.h"

namespace {

// From this capacity on a block is made of the platform's pages, grown 2 MiB
// at a time at least.
constexpr std::size_t kPagedBlock = std::size_t{64} << 10;
constexpr std::size_t kPagedGrowth = std::size_t{2} << 20;

}  // namespace

TBlock::TBlock(const TBlock& other) {
    if (other.Size_ != 0) std::memcpy(Extend(other.Size_), other.Data_, other.Size_);
}

TBlock::TBlock(TBlock&& other) noexcept
    : Data_(std::exchange(other.Data_, nullptr)),
      Size_(std::exchange(other.Size_, 0)),
      Capacity_(std::exchange(other.Capacity_, 0)) {}

TBlock& TBlock::operator=(TBlock other) noexcept {
    std::swap(Data_, other.Data_);
    std::swap(Size_, other.Size_);
    std::swap(Capacity_, other.Capacity_);
    return *this;
}

TBlock::~TBlock() {
    Release();
}

void TBlock::Release() {
    if (Capacity_ >= kPagedBlock) {
        FreePages(Data_, Capacity_);
    } else {
        std::free(Data_);
    }
    Data_ = nullptr;
    Size_ = 0;
    Capacity_ = 0;
}

void TBlock::Grow(std::size_t needed) {
    std::size_t capacity = Capacity_ < 256 ? 256 : Capacity_ * 2;
    if (capacity < needed) capacity = needed;
    if (capacity < kPagedBlock) {
        void* data = std::realloc(Data_, capacity);
        if (data == nullptr) throw std::bad_alloc();
        Data_ = static_cast<char*>(data);
    } else {
        capacity = (capacity + kPagedGrowth - 1) & ~(kPagedGrowth - 1);
        const bool onHeap = Capacity_ < kPagedBlock;
        char* data = static_cast<char*>(ResizePages(onHeap ? nullptr : Data_, onHeap ? 0 : Capacity_, capacity));
        if (onHeap) {
            if (Size_ != 0) std::memcpy(data, Data_, Size_);
            std::free(Data_);
        }
        Data_ = data;
    }
    Capacity_ = capacity;
}
