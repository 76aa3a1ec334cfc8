// The output formats of tessaron-check.
#pragma once

#include "findings.h"
#include "options.h"
#include "output.h"

// Writes the findings in `format`; gnu sends the summary to `err`.
void WriteFindings(TFormat format, const TFindings& findings, TOutput& out, TOutput& err);

// SARIF 2.1.0, one run, for code-scanning services (sarif.cpp).
void WriteSarif(const TFindings& findings, TOutput& out);
