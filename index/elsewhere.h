// The names declared outside the workspace's checked files: by the definition
// files below the declaredIn folders, or one a line in names files. Each name
// keeps the spelling of its first declaration and the folder or file that
// declares it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "complaint.h"
#include "fs.h"
#include "index_settings.h"

class TDeclaredElsewhere {
public:
    // Reads them anew. What cannot be read, whole or in part, adds a
    // complaint in the checker's words; the rest still counts.
    void Read(const TIndexSettings& settings, std::vector<TComplaint>* complaints);
    bool Holds(std::string_view key) const { return Names_.count(std::string(key)) != 0; }
    // The folder or names file that declares `key`; null when none does.
    const std::string* SourceOf(std::string_view key) const;
    // visit(key, written) for each name.
    template <typename F>
    void ForEach(F&& visit) const {
        for (const auto& [key, name] : Names_) visit(key, name.Written);
    }
    // The declaredIn folders that exist, by identity, for a walk to pass over.
    const std::vector<TFileId>& FolderIds() const { return FolderIds_; }
    // Whether a path lies below a declaredIn folder, as given or as the links lead.
    bool IsBelowFolder(const std::string& path) const;

private:
    struct TName {
        std::string Written;  // in UTF-8
        int32_t Source;
    };
    void Add(std::string key, std::string written, int32_t source);
    void ReadFolder(const std::string& folder, TEncodingChoice encoding, std::vector<TComplaint>& complaints);
    void ReadNameFile(const std::string& path, std::vector<TComplaint>& complaints);

    std::vector<std::string> Sources_;
    std::vector<std::string> Folders_;  // as given and, where links lead elsewhere, as real paths
    std::vector<TFileId> FolderIds_;
    std::unordered_map<std::string, TName> Names_;
};
