// Runs a test body once on each way of walking strips that this processor
// has, so that tables of cases test every width.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

void ForEachStripPath(const std::function<void(const char* path)>& body);
// Feeds the text reader's lines of `text` to `read(line, lineIndex)`.
void ForEachLine(const std::string& text, const std::function<void(std::string_view line, int32_t index)>& read);
