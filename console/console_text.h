// The console checker's own texts: usage, option errors and the words of the
// formats that the window does not have. The report lines and summaries come
// from UiText like the window's.
#pragma once

#include <array>
#include <string>

enum TConsoleTextId : int {
    ctUsage,
    ctProgramPrefix,
    ctUnknownOption,
    ctBadValue,
    ctNeedsValue,
    ctNoRoot,
    ctExtraRoot,
    ctSeeHelp,
    ctOutOfMemory,
    ctWriteFailed,
    ctCannotOpen,
    ctCannotWrite,
    ctNotADirectory,
    ctStaleEntry,
    ctBaselineWritten,
    ctUnusedPrefix,
    ctDuplicatePrefix,
    ctInFile,
    ctAtLine,
    ctPlaceOf,
    ctPlaceOfTotal,
    ctPlaceEnd,
    ctGnuMissing,
    ctGnuUnused,
    ctGnuDuplicate,
    ctSarifImage,
    ctSarifMissing,
    ctSarifUnused,
    ctSarifDuplicate,
    ctRuleMissing,
    ctRuleUnused,
    ctRuleDuplicate,
    kConsoleTextCount
};

extern const std::array<std::string, kConsoleTextCount> ConsoleText;
