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

// The folder that a project file's relative paths start from: none for a bare name.
std::string ProjectFolderOf(const std::string& path);

// A program's own settings over the file's, as the console's command line and
// the editor's settings are: the file's lists first, then the program's; a
// flag the program gives wins, then the file's, then the program's default.
struct TOwnSettings {
    std::vector<std::string> DeclaredIn;
    std::vector<std::string> Names;
    std::optional<bool> Unused;
    std::optional<bool> Duplicates;
    bool DefaultUnused = false;
    bool DefaultDuplicates = false;
};
struct TJoinedProject {
    bool Image = true;
    std::vector<std::string> DeclaredIn;
    std::vector<std::string> Names;
    bool Unused = false;
    bool Duplicates = false;
    std::vector<TRule> Rules;
};
TJoinedProject JoinProject(TProjectFile file, const TOwnSettings& own);
