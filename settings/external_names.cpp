#include "external_names.h"

#include "fs.h"
#include "line_scanner.h"
#include "syntax.h"
#include "text_file.h"
#include "walker.h"

TMaybeComplaint AddDeclaredIn(const std::string& dir, TNameList& names, TReadProblems& problems, TPathList* files,
                              const TRuleSet* rules, std::vector<TNameList>* ruleNames) {
    if (!IsExistingDirectory(dir)) return TComplaint{utNotADirectory, dir};
    // The same walk and scan as the checked tree; only the declarations are kept.
    TScanState base;
    base.KeepSkipped = true;
    base.NoteEncodings = true;
    base.Rules = ruleNames != nullptr ? rules : nullptr;
    WalkTree(dir, std::string(kDefinitionMask), base.FileList, &base.Skipped);
    ScanFiles(base);
    problems.TakeFrom(base);
    names.Append(base.DefinedNames);
    for (std::size_t r = 0; r < base.RuleRecords.size(); ++r) (*ruleNames)[r].Append(base.RuleRecords[r].DefinedNames);
    if (files != nullptr) files->Append(base.FileList);
    return {};
}

TMaybeComplaint AddNameFile(const std::string& path, TNameList& names) {
    std::string bytes;
    if (auto complaint = ReadTextFile(path, bytes)) return complaint;
    AddNames(bytes, names);
    return {};
}

void AddNames(std::string_view bytes, TNameList& names) {
    for (std::string_view line : TextLines(bytes)) {
        line = TrimBlanks(line.substr(0, line.find(kComment)));
        if (!line.empty()) names.AddLowered(line);
    }
}
