// The protocol's framing: a header block with Content-Length, a blank line,
// then that many bytes of JSON.
#pragma once

#include <istream>
#include <ostream>
#include <string>

enum class TReadResult { Message, Malformed, End };

// Reads the next message's body. A header block without a usable length is
// Malformed and consumed, so that reading can go on with the next one.
TReadResult ReadMessage(std::istream& in, std::string& body);
// Leaves flushing to the caller, so that a burst of messages takes few writes.
void WriteMessage(std::ostream& out, const std::string& body);
