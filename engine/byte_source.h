// Where the text reader takes its bytes from: a file, or memory in tests.
#pragma once

#include <cstddef>

class TByteSource {
public:
    virtual ~TByteSource() = default;
    // Reads up to `size` bytes; returns 0 at the end.
    virtual std::size_t Read(char* buffer, std::size_t size) = 0;
};
