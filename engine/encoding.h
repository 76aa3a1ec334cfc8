// Definition files written in an encoding that the reader does not know: it
// reads bytes, so their lines do not say what their writer meant.
#pragma once

#include <string_view>

enum class TOddEncoding { None, Utf8Bom, Utf16 };

// Judges a file by its first bytes: UTF-16 (a byte order mark, or NUL in
// every other byte), or a UTF-8 byte order mark before a key, which then no
// longer starts its line.
TOddEncoding OddEncodingOf(std::string_view head);
