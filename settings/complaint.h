// A message for standard error: a text of the table and what it is about (a
// path, an argument). Kept apart because the two come in different encodings.
#pragma once

#include <optional>
#include <string>

#include "ui_text.h"

struct TComplaint {
    TTextId Text;
    std::string Subject;  // the bytes as given
    // After the subject: the platform's message, or empty for an entry that
    // is no regular file; nothing when the text says it all.
    std::optional<std::string> Reason = std::nullopt;
};

// Empty when all went well.
using TMaybeComplaint = std::optional<TComplaint>;
