// The output formats of tessaron-check.
#pragma once

#include <string>
#include <string_view>

#include "options.h"
#include "output.h"
#include "report.h"

// Writes the findings in `format`; gnu sends the summary to `err`.
void WriteFindings(TFormat format, const TRunReport& findings, TOutput& out, TOutput& err);

// A path or name for a gnu line, which must stay one line: LF, CR and tab
// as \n, \r and \t, the other control bytes as \xHH (two digits), and a
// backslash that would read as the start of such an escape as \\, unless
// backslashes separate folders (a Windows path), where each stays.
std::string GnuEscaped(std::string_view bytes, bool backslashSeparates);

// Why an entry was skipped, for a JSON string: the platform's message as it
// came, or the console's words, as UTF-8, for an entry that is no regular file.
std::string ReasonText(const TSkippedEntry& entry);

// SARIF 2.1.0, one run, for code-scanning services (sarif.cpp).
void WriteSarif(const TRunReport& findings, TOutput& out);
