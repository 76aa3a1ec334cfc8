// The project file of a run, tessaron.toml, joined with the command line:
// the file's lists first, then the line's; a flag on the line wins.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "complaint.h"
#include "findings.h"
#include "options.h"
#include "project_file.h"

struct TProject {
    std::optional<std::string> File;  // the file used, as given or found
    bool Images = true;
    std::vector<std::string> DeclaredIn;
    std::vector<std::string> NameFiles;  // the image rule's
    TFindingKinds Kinds;
    std::vector<TRule> Rules;
};

struct TLoadedProject {
    TProject Project;
    TMaybeComplaint Complaint;          // the file could not be read
    std::vector<TProjectFault> Faults;  // what is wrong in it, in the order of their places
};

// --rules FILE, or ROOT/tessaron.toml when it exists, or none.
TLoadedProject LoadProject(const TOptions& options);
