#include "console_text.h"

// clang-format off
const std::array<std::string, kConsoleTextCount> ConsoleText = {
    // ctUsage
    "usage: tessaron-check [options] ROOT\n"
    "Lists every image use below ROOT whose name no *.ini file declares.\n"
    "\n"
    "  --lang=ru|en          texts of the report (default ru)\n"
    "  --format=FORMAT       text (default), gnu, json or sarif\n"
    "  --declared-in=DIR     the declarations of the *.ini files below DIR count too (repeatable)\n"
    "  --names=FILE          the names in FILE, one a line, count as declared (repeatable)\n"
    "  --unused              also list the declared names that no use names\n"
    "  --duplicates          also list the names declared more than once\n"
    "  --baseline=FILE       do not report the findings that FILE lists\n"
    "  --write-baseline=FILE write the current findings to FILE and report none of them\n"
    "  --help                show this text\n"
    "\n"
    "Exit status: 0 nothing to report, 1 findings reported, 2 usage error, refused root or read error.\n",
    "tessaron-check: ",                    // ctProgramPrefix
    "unknown option ",                     // ctUnknownOption
    "invalid value for ",                  // ctBadValue
    "a value is needed for ",              // ctNeedsValue
    "no ROOT given",                       // ctNoRoot
    "only one ROOT can be checked: ",      // ctExtraRoot
    "try 'tessaron-check --help'\n",       // ctSeeHelp
    "Out of memory",                       // ctOutOfMemory
    "cannot write the output",             // ctWriteFailed
    "cannot read ",                        // ctCannotOpen
    "cannot write ",                       // ctCannotWrite
    "not a directory: ",                   // ctNotADirectory
    "stale baseline entry: ",              // ctStaleEntry
    " findings written to the baseline ",  // ctBaselineWritten
    "Unused MI \"",                        // ctUnusedPrefix
    "Duplicate MI \"",                     // ctDuplicatePrefix
    "\" in \"",                            // ctInFile
    "\" at line ",                         // ctAtLine
    " (declaration ",                      // ctPlaceOf
    " of ",                                // ctPlaceOfTotal
    ")",                                   // ctPlaceEnd
    ": missing image \"",                  // ctGnuMissing
    ": unused image \"",                   // ctGnuUnused
    ": duplicate image \"",                // ctGnuDuplicate
    "Image \"",                                        // ctSarifImage
    "\" is used but declared in no definition file.",  // ctSarifMissing
    "\" is declared but no checked definition uses it.",  // ctSarifUnused
    "\" is declared more than once.",                  // ctSarifDuplicate
    "Image used but never declared",                   // ctRuleMissing
    "Image declared but never used",                   // ctRuleUnused
    "Image declared more than once",                   // ctRuleDuplicate
};
// clang-format on
