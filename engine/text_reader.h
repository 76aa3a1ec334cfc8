// Splits a byte stream into lines the way the run-time's text files do:
// lines end at LF, every CR is dropped, and Ctrl+Z (0x1A) ends a line, or the
// whole file at a line start and at the first byte of any 128-byte block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "byte_source.h"

class TMemorySource : public TByteSource {
public:
    // With `lend`, a reader takes the bytes where they lie, all at once,
    // instead of reading a copy a chunk at a time.
    explicit TMemorySource(std::string_view bytes, bool lend = false) : Bytes_(bytes), Lend_(lend) {}
    std::size_t Read(char* buffer, std::size_t size) override;
    std::optional<std::string_view> TakeRest() override;

private:
    std::string_view Bytes_;
    bool Lend_;
};

// Files are read in chunks this large; the 128-byte rule goes by file offset.
constexpr std::size_t kReadChunk = std::size_t{64} * 1024;

class TTextReader {
public:
    explicit TTextReader(TByteSource& source, std::size_t chunkSize = kReadChunk);
    // Reads through `buffer` (its size is the chunk size), so that one buffer
    // serves a whole scan instead of one allocation per file.
    TTextReader(TByteSource& source, std::vector<char>& buffer);

    // True at the end of the bytes or when a Ctrl+Z ended the file.
    bool Eof();
    // The next line without its end; valid until the next call.
    std::string_view ReadLine();

    // The bytes that are buffered from the current position, reading a new
    // chunk when none are left; empty at the end. A caller that takes whole
    // lines from their start, each ending at an LF, skips them with Consume.
    std::string_view Buffered();
    void Consume(std::size_t count) { Pos_ += count; }

private:
    bool Fill();
    std::string_view ReadSlowLine();
    void SkipRestOfLine();
    bool AtBlockStart() const;

    TByteSource& Source_;
    std::vector<char> Owned_;
    std::vector<char>& Buffer_;
    const char* Data_ = Buffer_.data();  // Buffer_'s, or the source's own bytes
    std::size_t Pos_ = 0;
    std::size_t End_ = 0;
    uint64_t Offset_ = 0;  // file offset of Data_[0]
    bool SourceDone_ = false;
    bool Ended_ = false;
    std::string Line_;
};
