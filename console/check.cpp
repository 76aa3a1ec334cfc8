#include "check.h"

#include <array>
#include <new>
#include <string>

#include "console_text.h"
#include "findings.h"
#include "formats.h"
#include "io_error.h"
#include "options.h"
#include "search.h"
#include "ui_text.h"

namespace {

void Complain(TOutput& err, const std::string& message) {
    err.Text(ConsoleText[ctProgramPrefix] + message + "\n");
}

bool HasFindings(const TFindings& findings) {
    return findings.SummaryId == utNoDefined || !findings.Missing.empty();
}

int Check(const TOptions& options, TOutput& out, TOutput& err) {
    if (const auto refusal = RefusalOf(options.Root)) {
        err.Text(UiText[*refusal] + "\n");
        return kExitError;
    }
    TScanState state;
    const TReport report = RunSearchPhases(options.Root, state);
    const TFindings findings = FindingsOf(options.Root, state, report);
    WriteFindings(options.Format, findings, out, err);
    return HasFindings(findings) ? kExitFindings : kExitClean;
}

}  // namespace

int RunCheck(const std::vector<std::string>& args, TOutput& out, TOutput& err) {
    const TParsedOptions parsed = ParseOptions(args);
    if (!parsed.Error.empty()) {
        Complain(err, parsed.Error);
        err.Text(ConsoleText[ctSeeHelp]);
        return kExitError;
    }
    if (parsed.Options.Help) {
        out.Text(ConsoleText[ctUsage]);
        return kExitClean;
    }
    // The table's first content is English; kept so that a later run in the
    // same process can ask for English again.
    static const std::array<std::string, kTextCount> kInitialTexts = UiText;
    UiText = kInitialTexts;
    if (!parsed.Options.English) InstallRussianTexts();
    try {
        return Check(parsed.Options, out, err);
    } catch (const EInOutError& error) {
        Complain(err, IoErrorMessage(error.Code()));
    } catch (const std::bad_alloc&) {
        Complain(err, ConsoleText[ctOutOfMemory]);
    }
    return kExitError;
}
