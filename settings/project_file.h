// The project file, tessaron.toml: the options that the console checker and
// the language server share, and the rules of the other kinds of named things.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rules.h"
#include "ui_text.h"

constexpr std::string_view kProjectFileName = "tessaron.toml";

struct TProjectFile {
    bool Image = true;  // the built-in image rule
    std::vector<std::string> DeclaredIn;
    std::vector<std::string> Names;  // the image rule's
    // Absent: each program's default.
    std::optional<bool> Unused;
    std::optional<bool> Duplicates;
    // A rule's Title is its Id when the file gives none.
    std::vector<TRule> Rules;
};

// What is wrong at a place of the file.
struct TProjectFault {
    uint32_t Line;    // 1-based
    uint32_t Column;  // 1-based, in bytes
    TTextId Text;
    // After the text, as the file has it (UTF-8): the key or value at fault,
    // or the TOML reader's description of a syntax error.
    std::string Subject;
};

// Reads the bytes of a project file that lies in `folder`, to which relative
// paths are resolved. Returns the faults in the order of their places; with
// none, `file` holds what the bytes say.
std::vector<TProjectFault> ParseProjectFile(std::string_view bytes, const std::string& folder, TProjectFile& file);

// Whether `id` may name a rule: a lower-case ASCII letter, then lower-case
// letters, digits and '-'.
bool IsRuleId(std::string_view id);

// `path` as seen from `folder`, unless it is absolute.
std::string ResolvedPath(const std::string& path, const std::string& folder);
