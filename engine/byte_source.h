// Where the text reader takes its bytes from: a file, or memory in tests.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

class TByteSource {
public:
    virtual ~TByteSource() = default;
    // Reads up to `size` bytes; returns 0 at the end.
    virtual std::size_t Read(char* buffer, std::size_t size) = 0;
    // All the bytes left, when they already lie in memory (they then count
    // as read), so that a reader takes them where they are instead of copying.
    virtual std::optional<std::string_view> TakeRest() { return std::nullopt; }
};
