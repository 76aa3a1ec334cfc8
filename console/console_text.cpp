#include "console_text.h"

// clang-format off
const std::array<std::string, kConsoleTextCount> ConsoleText = {
    // ctUsage
    "usage: tessaron-check [options] ROOT\n"
    "Lists every image use below ROOT whose name no *.ini file declares.\n"
    "\n"
    "  --lang=ru|en          texts of the report (default ru)\n"
    "  --format=FORMAT       text (default), gnu, json or sarif\n"
    "  --declared-in=DIR     the declarations below DIR count too (repeatable)\n"
    "  --names=FILE          names in FILE, one a line, count as declared (repeatable)\n"
    "  --unused              also list declared names that nothing uses\n"
    "  --duplicates          also list names declared more than once\n"
    "  --baseline=FILE       do not report the findings listed in FILE\n"
    "  --write-baseline=FILE write the current findings to FILE and report none\n"
    "  --help                show this text\n"
    "\n"
    "Exit status: 0 nothing found, 1 findings reported, 2 usage or input error.\n",
    "tessaron-check: ",                     // ctProgramPrefix
    "unknown option ",                      // ctUnknownOption
    "invalid value for ",                   // ctBadValue
    "a value is needed for ",               // ctNeedsValue
    "no ROOT given",                        // ctNoRoot
    "only one ROOT can be checked: ",       // ctExtraRoot
    "try 'tessaron-check --help'\n",        // ctSeeHelp
    "Out of memory",                        // ctOutOfMemory
    "cannot write the output",              // ctWriteFailed
    "cannot open ",                         // ctCannotOpen
    "cannot write ",                        // ctCannotWrite
    "not a directory: ",                    // ctNotADirectory
    ": missing image \"",                   // ctGnuMissing
    ": unused image \"",                    // ctGnuUnused
    ": duplicate image \"",                 // ctGnuDuplicate
    "Unused MI \"",                         // ctUnusedPrefix
    "Duplicate MI \"",                      // ctDuplicatePrefix
    ", declaration ",                       // ctPlaceOf
    "stale baseline entry: ",               // ctStaleEntry
    " findings written to the baseline ",   // ctBaselineWritten
    "An image is used but declared in no definition file.",      // ctRuleMissing
    "An image is declared but no checked definition uses it.",   // ctRuleUnused
    "An image name is declared more than once.",                 // ctRuleDuplicate
    "Image \"%s\" is used but never declared.",                  // ctMessageMissing
    "Image \"%s\" is declared but never used.",                  // ctMessageUnused
    "Image \"%s\" is declared %d times; this is declaration %d.", // ctMessageDuplicate
};
// clang-format on
