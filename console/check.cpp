#include "check.h"

#include <array>
#include <new>
#include <string>

#include "baseline.h"
#include "console_text.h"
#include "elsewhere.h"
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

// The names that count as declared beyond the tree; an error message, or "".
std::string CollectElsewhere(const TOptions& options, TNameList& names) {
    for (const std::string& dir : options.DeclaredIn) {
        std::string error = AddDeclaredIn(dir, names);
        if (!error.empty()) return error;
    }
    for (const std::string& file : options.NameFiles) {
        std::string error = AddNameFile(file, names);
        if (!error.empty()) return error;
    }
    return {};
}

// Holds back what a baseline lists, writing it first when asked; an error message, or "".
std::string UseBaseline(const TOptions& options, TFindings& findings, TOutput& err) {
    std::vector<std::string> entries;
    if (!options.WriteBaseline.empty()) {
        entries = BaselineEntries(findings);
        std::string error = WriteBaseline(options.WriteBaseline, entries);
        if (!error.empty()) return error;
        err.Text(ConsoleText[ctProgramPrefix] + std::to_string(entries.size()) + ConsoleText[ctBaselineWritten]);
        err.Bytes(options.WriteBaseline);
        err.Text("\n");
    } else if (!options.Baseline.empty()) {
        std::string error = ReadBaseline(options.Baseline, entries);
        if (!error.empty()) return error;
    } else {
        return {};
    }
    ApplyBaseline(entries, findings);
    for (const std::string& entry : findings.Stale) {
        err.Text(ConsoleText[ctProgramPrefix] + ConsoleText[ctStaleEntry]);
        err.Bytes(entry);
        err.Text("\n");
    }
    findings.Summarize();
    return {};
}

int Check(const TOptions& options, TOutput& out, TOutput& err) {
    if (const auto refusal = RefusalOf(options.Root)) {
        err.Text(UiText[*refusal] + "\n");
        return kExitError;
    }
    TNameList elsewhere;
    const bool external = !options.DeclaredIn.empty() || !options.NameFiles.empty();
    if (std::string error = CollectElsewhere(options, elsewhere); !error.empty()) {
        Complain(err, error);
        return kExitError;
    }
    const TFindingKinds kinds{options.Unused, options.Duplicates};
    TScanState state;
    state.KeepDefinedPlaces = kinds.Unused || kinds.Duplicates;
    const TReport report = RunSearchPhases(options.Root, state);
    TFindings findings = FindingsOf(options.Root, state, report, external ? &elsewhere : nullptr, kinds);
    if (std::string error = UseBaseline(options, findings, err); !error.empty()) {
        Complain(err, error);
        return kExitError;
    }
    WriteFindings(options.Format, findings, out, err);
    return findings.Any() ? kExitFindings : kExitClean;
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
