#include "project.h"

#include "fs.h"
#include "text_file.h"

namespace {

std::optional<std::string> ProjectFileOf(const TOptions& options) {
    if (!options.RulesFile.empty()) return options.RulesFile;
    std::string found = options.Root;
    if (!found.empty() && found.back() != kPathSeparator) found += kPathSeparator;
    found += kProjectFileName;
    TFileId id;
    if (GetFileId(found, id)) return found;
    return std::nullopt;
}

}  // namespace

TLoadedProject LoadProject(const TOptions& options) {
    TLoadedProject loaded;
    TProject& project = loaded.Project;
    project.File = ProjectFileOf(options);
    TProjectFile file;
    if (project.File) {
        std::string bytes;
        loaded.Complaint = ReadTextFile(*project.File, bytes);
        if (loaded.Complaint) return loaded;
        loaded.Faults = ParseProjectFile(bytes, ProjectFolderOf(*project.File), file);
        if (!loaded.Faults.empty()) return loaded;
    }
    // The command line's flags can only turn a finding kind on.
    const TOwnSettings own{options.DeclaredIn, options.NameFiles, options.Unused ? std::optional(true) : std::nullopt,
                           options.Duplicates ? std::optional(true) : std::nullopt};
    TJoinedProject joined = JoinProject(std::move(file), own);
    project.Images = joined.Image;
    project.DeclaredIn = std::move(joined.DeclaredIn);
    project.NameFiles = std::move(joined.Names);
    project.Kinds = {joined.Unused, joined.Duplicates};
    project.Rules = std::move(joined.Rules);
    return loaded;
}
