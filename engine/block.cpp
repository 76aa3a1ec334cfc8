#include "block.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "fs.h"

namespace {

constexpr std::size_t kLargeBlock = std::size_t{4} << 20;

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
    std::free(Data_);
}

void TBlock::Release() {
    std::free(Data_);
    Data_ = nullptr;
    Size_ = 0;
    Capacity_ = 0;
}

void TBlock::Grow(std::size_t needed) {
    std::size_t capacity = Capacity_ < 256 ? 256 : Capacity_ * 2;
    if (capacity < needed) capacity = needed;
    void* data = std::realloc(Data_, capacity);
    if (data == nullptr) throw std::bad_alloc();
    Data_ = static_cast<char*>(data);
    Capacity_ = capacity;
    if (capacity >= kLargeBlock) AdviseLargePages(Data_ + Size_, capacity - Size_);
}
