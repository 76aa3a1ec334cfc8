#include "elsewhere.h"

#include "fs.h"
#include "line_scanner.h"
#include "text_file.h"
#include "walker.h"

namespace {

bool IsControl(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

}  // namespace

TMaybeComplaint AddDeclaredIn(const std::string& dir, TNameList& names, TTrouble& trouble) {
    if (!IsExistingDirectory(dir)) return TComplaint{utNotADirectory, dir};
    // The same walk and scan as the checked tree; only the declarations are kept.
    TScanState base;
    base.KeepSkipped = true;
    base.NoteEncodings = true;
    WalkTree(dir, "*.ini", base.FileList, &base.Skipped);
    ScanFiles(base);
    trouble.TakeFrom(base);
    for (int32_t i = 0; i < base.DefinedNames.Count(); ++i) names.Add(base.DefinedNames[i]);
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
        line = line.substr(0, line.find(';'));
        while (!line.empty() && IsControl(line.front())) line.remove_prefix(1);
        while (!line.empty() && IsControl(line.back())) line.remove_suffix(1);
        if (!line.empty()) names.AddLowered(line);
    }
}
