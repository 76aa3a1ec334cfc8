#include "project.h"

#include "fs.h"
#include "text_file.h"

namespace {

// The folder that the file's relative paths start from: none for a bare name.
std::string FolderOf(const std::string& path) {
    const std::size_t cut = path.find_last_of(kPathSeparator == '/' ? "/" : "/\\");
    if (cut == std::string::npos) return {};
    return path.substr(0, cut == 0 ? 1 : cut);
}

std::optional<std::string> ProjectFileOf(const TOptions& options) {
    if (!options.RulesFile.empty()) return options.RulesFile;
    std::string found = options.Root;
    if (!found.empty() && found.back() != kPathSeparator) found += kPathSeparator;
    found += kProjectFileName;
    TFileId id;
    if (GetFileId(found, id)) return found;
    return std::nullopt;
}

void Append(std::vector<std::string>& to, const std::vector<std::string>& more) {
    to.insert(to.end(), more.begin(), more.end());
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
        loaded.Faults = ParseProjectFile(bytes, FolderOf(*project.File), file);
        if (!loaded.Faults.empty()) return loaded;
    }
    project.Images = file.Image;
    project.DeclaredIn = std::move(file.DeclaredIn);
    Append(project.DeclaredIn, options.DeclaredIn);
    project.NameFiles = std::move(file.Names);
    Append(project.NameFiles, options.NameFiles);
    project.Kinds = {options.Unused || file.Unused.value_or(false),
                     options.Duplicates || file.Duplicates.value_or(false)};
    project.Rules = std::move(file.Rules);
    return loaded;
}
