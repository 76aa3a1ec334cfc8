// JSON string literals from arbitrary bytes.
#pragma once

#include <string>
#include <string_view>

// Appends `bytes` as a quoted JSON string. Valid UTF-8 passes through; a byte
// that is not part of valid UTF-8 becomes the code point of the same value,
// so the result is valid UTF-8 whatever the input.
void AppendJsonString(std::string& out, std::string_view bytes);

// The length of the valid UTF-8 sequence at the start of `bytes`, or 0.
std::size_t Utf8SequenceLength(std::string_view bytes);
