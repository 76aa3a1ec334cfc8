// The one table of user-visible texts. It starts in English; the window and
// the console install the Russian set (Windows-1251 bytes) over it.
#pragma once

#include <array>
#include <string>

enum TTextId : int {
    utTitle,
    utPathLabel,
    utStart,
    utBrowse,
    utBrowsePrompt,
    utError,
    utPathMissing,
    utPathEmpty,
    utNoWindow,
    utHint,
    utPreparing,
    utSearchingFiles,
    utSearchingImages,
    utComparing,
    utNoUsed,
    utNoDefined,
    utAllFine,
    utDonePrefix,
    utMissingPrefix,
    utInFile,
    utAtLine,
    utDoneSuffix,
    // The console checker's own texts.
    utUsage,
    utProgramPrefix,
    utUnknownOption,
    utBadValue,
    utNeedsValue,
    utNoRoot,
    utExtraRoot,
    utSeeHelp,
    utOutOfMemory,
    utWriteFailed,
    utCannotRead,
    utCannotWrite,
    utNotADirectory,
    utStaleEntry,
    utBaselineCount,
    utBaselineWritten,
    utUnusedPrefix,
    utDuplicatePrefix,
    utPlaceOf,
    utPlaceOfTotal,
    utPlaceEnd,
    utFindingImage,
    utFindingUndeclared,
    utFindingUnused,
    utFindingDuplicate,
    utRuleMissing,
    utRuleUnused,
    utRuleDuplicate,
    utVersion,
    utNotRegularFile,
    utBadBaselineLine,
    utWarning,
    utUtf8BomHidesKey,
    utUtf16Text,
    utUnusedTotal,
    utDuplicateTotal,
    utTotalsSeparator,
    // The language server's own texts.
    utLspUsage,
    utLspProgramPrefix,
    utLspVersion,
    utLspOutside,
    utLspUnknownMethod,
    utLspMalformed,
    utLspNotInitialized,
    utLspNoName,
    utLspBadName,
    utLspDeclaredIn,
    utLspLine,
    utLspAlsoDeclared,
    utLspChangeTo,
    utLspTooDeep,
    utLspInitializedTwice,
    utLspShuttingDown,
    utLspBadPosition,
    kTextCount
};

// The current text of each identifier, as 8-bit bytes in the ANSI code page.
extern std::array<std::string, kTextCount> UiText;

// Overwrites every entry that has a Russian text with it.
void InstallRussianTexts();
