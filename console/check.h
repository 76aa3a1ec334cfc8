// One run of tessaron-check: the command line in, the report out, the exit
// status back. main() only supplies the streams.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "output.h"

constexpr int kExitClean = 0;
constexpr int kExitFindings = 1;
constexpr int kExitError = 2;

// `args` without the program name; `defaultRoot` is checked when they name
// no root. Raises nothing: I/O errors and exhausted memory are reported on
// `err` with kExitError.
int RunCheck(const std::vector<std::string>& args, TOutput& out, TOutput& err,
             const std::optional<std::string>& defaultRoot = std::nullopt);
