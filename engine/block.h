// A growable run of bytes for the scan's large tables. A small block lives on
// the heap; a big one takes its own pages from the platform, which can grow
// them where a heap's realloc would copy the block. The pages are the
// system's usual ones: asking for large pages made a check slower on a
// virtual machine that hands freed memory back to its host, where each fresh
// large page is filled by the host page by small page.
#pragma once

#include <cstddef>

class TBlock {
public:
    TBlock() = default;
    TBlock(const TBlock& other);
    TBlock(TBlock&& other) noexcept;
    TBlock& operator=(TBlock other) noexcept;
    ~TBlock();

    char* Data() const { return Data_; }
    std::size_t Size() const { return Size_; }
    // Makes room for `bytes` more at the end and returns where they go.
    char* Extend(std::size_t bytes) {
        if (bytes > Capacity_ - Size_) Grow(Size_ + bytes);
        char* at = Data_ + Size_;
        Size_ += bytes;
        return at;
    }
    // Drops the bytes but keeps the memory for the next fill.
    void Truncate() { Size_ = 0; }
    // Gives the memory back.
    void Release();

private:
    void Grow(std::size_t needed);

    char* Data_ = nullptr;
    std::size_t Size_ = 0;
    std::size_t Capacity_ = 0;
};
