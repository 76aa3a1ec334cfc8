// The command line of tessaron-check.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "complaint.h"

enum class TFormat { Text, Gnu, Json, Sarif };

struct TOptions {
    bool Help = false;
    bool Version = false;
    bool English = false;
    TFormat Format = TFormat::Text;
    std::string Root;
    std::vector<std::string> DeclaredIn;
    std::vector<std::string> NameFiles;
    std::string RulesFile;  // empty: ROOT/tessaron.toml when it exists
    bool Unused = false;
    bool Duplicates = false;
    std::string Baseline;       // empty: none
    std::string WriteBaseline;  // empty: none
    unsigned Jobs = 0;          // 0: the hardware's threads
};

struct TParsedOptions {
    TOptions Options;
    TMaybeComplaint Error;  // the first fault of the line; empty when it was understood
};

// `args` without the program name. Options take their value as --opt=VALUE or
// as the next argument; "--" ends the options. The line is read to its end
// after a fault, so that a later --lang still chooses the language of the message.
// A lone "-" before "--" is refused: the checker reads a folder, never standard input.
// An option of one value given twice is refused. `defaultRoot` is the root
// when the line names none.
TParsedOptions ParseOptions(const std::vector<std::string>& args,
                            const std::optional<std::string>& defaultRoot = std::nullopt);
