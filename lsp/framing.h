// The protocol's framing: a header block with Content-Length, a blank line,
// then that many bytes of JSON.
#pragma once

#include <cstddef>
#include <istream>
#include <ostream>
#include <string>

enum class TReadResult { Message, Malformed, End };

// No editor sends a document this large; a longer frame is a broken one.
constexpr std::size_t kMostBodyBytes = std::size_t{256} << 20;

// Message after message from a byte stream. A broken frame (no usable
// Content-Length, or a length that cuts its JSON short or runs past it) is
// Malformed once; reading then goes on at the next Content-Length header,
// wherever it stands (the bytes of a body end with no line end).
class TFrameReader {
public:
    explicit TFrameReader(std::istream& in) : In_(in) {}
    TReadResult Next(std::string& body);

private:
    bool Get(char& c);
    void Unread(const std::string& bytes);
    // Leaves the stream at the next "Content-Length:"; false at its end.
    bool SkipToHeader();
    TReadResult ReadHeaders(std::size_t& length);
    TReadResult ReadBody(std::size_t length, std::string& body);

    std::istream& In_;
    std::string Pending_;  // read ahead, given out before the stream
    std::size_t PendingAt_ = 0;
    bool Lost_ = false;  // after a broken frame: skip to the next header
};

// Leaves flushing to the caller, so that a burst of messages takes few writes.
void WriteMessage(std::ostream& out, const std::string& body);
