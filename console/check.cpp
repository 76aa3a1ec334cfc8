#include "check.h"

#include <array>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "baseline.h"
#include "external_names.h"
#include "formats.h"
#include "fs.h"
#include "io_error.h"
#include "options.h"
#include "parallel_scan.h"
#include "project.h"
#include "report.h"
#include "rules.h"
#include "search.h"
#include "syntax.h"
#include "ui_text.h"
#include "version.h"

namespace {

// A reason after its subject: the platform's message, or the console's own
// words for an entry that is no regular file.
void WriteReason(TOutput& err, const std::string& reason) {
    err.Text(": ");
    if (reason.empty()) {
        err.Text(UiText[utNotRegularFile]);
    } else {
        err.Bytes(reason);
    }
}

// "tessaron-check: TEXT SUBJECT[: REASON]", the subject in the bytes it came in.
void Complain(TOutput& err, const TComplaint& complaint) {
    err.Text(UiText[utProgramPrefix] + UiText[complaint.Text]);
    err.Bytes(complaint.Subject);
    if (complaint.Reason) WriteReason(err, *complaint.Reason);
    err.Text("\n");
}

// Names everything that was not read, or not read as written.
void ReportReadProblems(const TReadProblems& problems, TOutput& err) {
    for (const TSkippedEntry& entry : problems.Skipped) Complain(err, {utCannotRead, entry.Path, entry.Reason});
    for (const TEncodingWarning& warning : problems.Warnings) {
        err.Text(UiText[utProgramPrefix] + UiText[utWarning]);
        err.Bytes(warning.Path);
        err.Text(": " + UiText[EncodingText(warning.Encoding)] + "\n");
    }
}

// The root must be a folder that can be listed; the refusal names it.
TMaybeComplaint RootComplaint(const std::string& root) {
    if (root.empty()) return TComplaint{utPathEmpty, ""};
    std::string pattern = root;
    if (pattern.back() != kPathSeparator) pattern += kPathSeparator;
    TSearchRec rec;
    const int error = OpenListing(pattern + "*.*", kAnyAttributes, rec);
    CloseListing(rec);
    // A drive's root lists no "." and may hold nothing at all.
    if (error == 0 || (error == kNoMatchingEntry && IsExistingDirectory(root))) return {};
    return TComplaint{utCannotRead, root, ErrorText(error)};
}

// The folder a walked file lies in.
std::string FolderOf(std::string_view file) {
    return std::string(file.substr(0, file.rfind(kPathSeparator)));
}

// The names that count as declared beyond the tree, kind by kind; `baseFiles`
// gets the files of the declared-in folders.
TMaybeComplaint CollectExternalNames(const TProject& project, const TRuleSet* rules, TExternalNames& names,
                                     TReadProblems& problems, TPathList& baseFiles) {
    names.Asked = !project.DeclaredIn.empty() || !project.NameFiles.empty();
    names.Rules.resize(project.Rules.size());
    for (const std::string& dir : project.DeclaredIn) {
        if (auto complaint = AddDeclaredIn(dir, names.Images, problems, &baseFiles, rules, &names.Rules)) {
            return complaint;
        }
    }
    for (const std::string& file : project.NameFiles) {
        if (auto complaint = AddNameFile(file, names.Images)) return complaint;
    }
    for (std::size_t r = 0; r < project.Rules.size(); ++r) {
        for (const std::string& file : project.Rules[r].Names) {
            if (auto complaint = AddNameFile(file, names.Rules[r])) return complaint;
        }
    }
    return {};
}

// "tessaron-check: PATH:LINE:COLUMN: what is wrong", one line per fault.
void ReportProjectFaults(const std::string& path, const std::vector<TProjectFault>& faults, TOutput& err) {
    for (const TProjectFault& fault : faults) {
        err.Text(UiText[utProgramPrefix]);
        err.Bytes(path);
        err.Text(":" + std::to_string(fault.Line) + ":" + std::to_string(fault.Column) + ": " + UiText[fault.Text]);
        err.Utf8(fault.Subject);
        err.Text("\n");
    }
}

// The folders that the walk of the tree passes over: the --declared-in
// folders and every folder below them with files, whatever path leads there.
std::vector<TFileId> DeclaredInFolders(const std::vector<std::string>& declaredIn, const TPathList& baseFiles) {
    std::vector<TFileId> folders;
    const auto add = [&](const std::string& folder) {
        TFileId id;
        if (GetFileId(folder, id)) folders.push_back(id);
    };
    for (const std::string& dir : declaredIn) add(dir);
    std::string last;
    for (int32_t i = 0; i < baseFiles.Count(); ++i) {
        std::string folder = FolderOf(baseFiles[i]);
        if (folder != last) add(folder);
        last = std::move(folder);
    }
    return folders;
}

// Whether `target` is one of the files read, by identity. Only an existing
// file that matches the definition mask can be one.
bool IsReadFile(const std::string& target, const TPathList& tree, const TPathList& base) {
    TFileId id;
    if (!IsDefinitionFile(target) || !GetFileId(target, id)) return false;
    for (const TPathList* files : {&tree, &base}) {
        for (int32_t i = 0; i < files->Count(); ++i) {
            TFileId other;
            if (GetFileId(std::string((*files)[i]), other) && other == id) return true;
        }
    }
    return false;
}

// Holds back what a baseline lists, writing it first when asked.
TMaybeComplaint UseBaseline(const TOptions& options, TRunReport& report, TOutput& err) {
    std::vector<std::string> entries;
    if (!options.WriteBaseline.empty()) {
        entries = BaselineEntries(report);
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
    ApplyBaseline(entries, report);
    for (const std::string& entry : report.Stale) {
        err.Text(UiText[utProgramPrefix] + UiText[utStaleEntry]);
        err.Bytes(entry);
        err.Text("\n");
    }
    report.Summarize();
    return {};
}

int Check(const TOptions& options, TOutput& out, TOutput& err) {
    if (const auto complaint = RootComplaint(options.Root)) {
        Complain(err, *complaint);
        return kExitError;
    }
    TLoadedProject loaded = LoadProject(options);
    if (loaded.Complaint || !loaded.Faults.empty()) {
        if (loaded.Complaint) Complain(err, *loaded.Complaint);
        ReportProjectFaults(*loaded.Project.File, loaded.Faults, err);
        return kExitError;
    }
    const TProject& project = loaded.Project;
    std::optional<TRuleSet> rules;
    if (!project.Rules.empty()) rules.emplace(project.Rules);
    const TRuleSet* ruleSet = rules ? &*rules : nullptr;
    TExternalNames externalNames;
    TPathList baseFiles;
    TReadProblems problems;
    if (const auto complaint = CollectExternalNames(project, ruleSet, externalNames, problems, baseFiles)) {
        Complain(err, *complaint);
        return kExitError;
    }
    const TFindingKinds kinds = project.Kinds;
    TScanState state;
    state.KeepDefinedPlaces = kinds.Unused || kinds.Duplicates;
    state.KeepSkipped = true;
    state.NoteEncodings = true;
    state.Rules = ruleSet;
    state.PassOver = DeclaredInFolders(project.DeclaredIn, baseFiles);
    const unsigned jobs = options.Jobs == 0 ? HardwareJobs() : options.Jobs;
    WalkAndScan(options.Root, state, jobs);
    if (!options.WriteBaseline.empty() && IsReadFile(options.WriteBaseline, state.FileList, baseFiles)) {
        Complain(err, {utBaselineOverDefinition, options.WriteBaseline});
        return kExitError;
    }
    problems.TakeFrom(state);
    TRunReport report = ReportOf(options.Root, state, externalNames, kinds, project.Images, jobs);
    report.RulesFile = project.File;
    report.Problems = std::move(problems);
    if (const auto complaint = UseBaseline(options, report, err)) {
        Complain(err, *complaint);
        return kExitError;
    }
    ReportReadProblems(report.Problems, err);
    WriteFindings(options.Format, report, out, err);
    if (report.Problems.Failed()) return kExitError;
    return report.Any() ? kExitFindings : kExitClean;
}

}  // namespace

int RunCheck(const std::vector<std::string>& args, TOutput& out, TOutput& err,
             const std::optional<std::string>& defaultRoot) {
    const TParsedOptions parsed = ParseOptions(args, defaultRoot);
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
    if (parsed.Options.Version) {
        out.Text(UiText[utVersion] + TESSARON_VERSION + "\n");
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
