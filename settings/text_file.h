// The small text files that people write for the checker (names, baselines):
// read whole from a regular file, split into lines however they end.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "complaint.h"

// Complains, naming the path and the reason, when the file cannot be read
// whole or is no regular file (a FIFO, a device).
TMaybeComplaint ReadTextFile(const std::string& path, std::string& bytes);

// The lines of `bytes` without their ends: a UTF-8 byte order mark at the
// start is dropped; LF, CR LF and CR each end a line.
std::vector<std::string_view> TextLines(std::string_view bytes);
