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
    kTextCount
};

// The current text of each identifier, as 8-bit bytes in the ANSI code page.
extern std::array<std::string, kTextCount> UiText;

// Overwrites every entry but utTitle with its Russian text.
void InstallRussianTexts();
