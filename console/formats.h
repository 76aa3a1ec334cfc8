// The output formats of tessaron-check.
#pragma once

#include <string>

#include "findings.h"
#include "options.h"
#include "output.h"

// Writes the findings in `format`; gnu sends the summary to `err`.
void WriteFindings(TFormat format, const TFindings& findings, TOutput& out, TOutput& err);

// Why an entry was skipped, for a JSON string: the platform's message as it
// came, or the console's words, as UTF-8, for an entry that is no regular file.
std::string ReasonText(const TSkippedEntry& entry);

// SARIF 2.1.0, one run, for code-scanning services (sarif.cpp).
void WriteSarif(const TFindings& findings, TOutput& out);
