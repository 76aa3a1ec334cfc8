// The names declared outside the workspace's checked files: by the definition
// files below the declaredIn folders, or one a line in names files. Each name
// keeps the spelling of its first declaration and the folder or file that
// declares it. Names are per rule, as in the table of names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "complaint.h"
#include "fs.h"
#include "index_settings.h"
#include "rules.h"

class TDeclaredElsewhere {
public:
    // Reads them anew. What cannot be read, whole or in part, adds a
    // complaint in the checker's words; the rest still counts.
    // The folders' files are read with `rules` (may be null) besides images.
    void Read(const TIndexSettings& settings, const TRuleSet* rules, std::vector<TComplaint>* complaints);
    bool Holds(int32_t rule, std::string_view key) const {
        const TNames* names = NamesOf(rule);
        return names != nullptr && !names->empty() && names->count(std::string(key)) != 0;
    }
    // The folder or names file that declares `key` of `rule`; null when none does.
    const std::string* SourceOf(int32_t rule, std::string_view key) const;
    // visit(key, written) for each name of `rule`.
    template <typename F>
    void ForEach(int32_t rule, F&& visit) const {
        if (const TNames* names = NamesOf(rule)) {
            for (const auto& [key, name] : *names) visit(key, name.Written);
        }
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
    using TNames = std::unordered_map<std::string, TName>;
    const TNames* NamesOf(int32_t rule) const {
        const auto at = static_cast<std::size_t>(rule) + 1;
        return at < Names_.size() ? &Names_[at] : nullptr;
    }
    void Add(int32_t rule, std::string key, std::string written, int32_t source);
    void ReadFolder(const std::string& folder, TEncodingChoice encoding, const TRuleSet* rules,
                    std::vector<TComplaint>& complaints);
    void ReadNameFile(const std::string& path, int32_t rule, std::vector<TComplaint>& complaints);

    std::vector<std::string> Sources_;
    std::vector<std::string> Folders_;  // as given and, where links lead elsewhere, as real paths
    std::vector<TFileId> FolderIds_;
    std::vector<TNames> Names_;  // [0] images, [r + 1] rule r
};
