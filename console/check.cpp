#include "check.h"

#include <array>
#include <new>
#include <string>

#include "baseline.h"
#include "elsewhere.h"
#include "findings.h"
#include "formats.h"
#include "io_error.h"
#include "options.h"
#include "parallel_scan.h"
#include "search.h"
#include "ui_text.h"

namespace {

// "tessaron-check: TEXT SUBJECT", the subject in the bytes it came in.
void Complain(TOutput& err, const TComplaint& complaint) {
    err.Text(UiText[utProgramPrefix] + UiText[complaint.Text]);
    err.Bytes(complaint.Subject);
    err.Text("\n");
}

// The names that count as declared beyond the tree.
TMaybeComplaint CollectElsewhere(const TOptions& options, TNameList& names) {
    for (const std::string& dir : options.DeclaredIn) {
        if (auto complaint = AddDeclaredIn(dir, names)) return complaint;
    }
    for (const std::string& file : options.NameFiles) {
        if (auto complaint = AddNameFile(file, names)) return complaint;
    }
    return {};
}

// Holds back what a baseline lists, writing it first when asked.
TMaybeComplaint UseBaseline(const TOptions& options, TFindings& findings, TOutput& err) {
    std::vector<std::string> entries;
    if (!options.WriteBaseline.empty()) {
        entries = BaselineEntries(findings);
        if (auto complaint = WriteBaseline(options.WriteBaseline, entries)) return complaint;
        err.Text(UiText[utProgramPrefix] + UiText[utBaselineCount] + std::to_string(entries.size()) +
                 UiText[utBaselineWritten]);
        err.Bytes(options.WriteBaseline);
        err.Text("\n");
    } else if (!options.Baseline.empty()) {
        if (auto complaint = ReadBaseline(options.Baseline, entries)) return complaint;
    } else {
        return {};
    }
    ApplyBaseline(entries, findings);
    for (const std::string& entry : findings.Stale) {
        err.Text(UiText[utProgramPrefix] + UiText[utStaleEntry]);
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
    if (const auto complaint = CollectElsewhere(options, elsewhere)) {
        Complain(err, *complaint);
        return kExitError;
    }
    const TFindingKinds kinds{options.Unused, options.Duplicates};
    TScanState state;
    state.KeepDefinedPlaces = kinds.Unused || kinds.Duplicates;
    const TReport report = RunSearchPhases(options.Root, state, {}, options.Jobs == 0 ? HardwareJobs() : options.Jobs);
    TFindings findings = FindingsOf(options.Root, state, report, external ? &elsewhere : nullptr, kinds);
    if (const auto complaint = UseBaseline(options, findings, err)) {
        Complain(err, *complaint);
        return kExitError;
    }
    WriteFindings(options.Format, findings, out, err);
    return findings.Any() ? kExitFindings : kExitClean;
}

}  // namespace

int RunCheck(const std::vector<std::string>& args, TOutput& out, TOutput& err) {
    const TParsedOptions parsed = ParseOptions(args);
    // The table's first content is English; kept so that a later run in the
    // same process can ask for English again.
    static const std::array<std::string, kTextCount> kInitialTexts = UiText;
    UiText = kInitialTexts;
    if (!parsed.Options.English) InstallRussianTexts();
    if (parsed.Error) {
        Complain(err, *parsed.Error);
        err.Text(UiText[utSeeHelp]);
        return kExitError;
    }
    if (parsed.Options.Help) {
        out.Text(UiText[utUsage]);
        return kExitClean;
    }
    try {
        return Check(parsed.Options, out, err);
    } catch (const EInOutError& error) {
        err.Text(UiText[utProgramPrefix] + IoErrorMessage(error.Code()) + "\n");
    } catch (const std::bad_alloc&) {
        Complain(err, {utOutOfMemory, ""});
    }
    return kExitError;
}
