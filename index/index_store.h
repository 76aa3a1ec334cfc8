// Everything the workspace index holds. The indexer fills it, the lifecycle
// of open and changed files changes it, the editor features read it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "elsewhere.h"
#include "file_entry.h"
#include "file_findings.h"
#include "index_settings.h"
#include "names.h"
#include "open_texts.h"
#include "path_map.h"
#include "rules.h"
#include "scan_state.h"

struct TIndexStore {
    explicit TIndexStore(TUnits units = TUnits::Utf16) : Units(units), OpenTexts(units) {}

    TUnits Units;
    TIndexSettings Settings;
    // The settings' rules as the scanner reads them; none when there are none.
    std::optional<TRuleSet> RuleSet;
    TPathList Paths;  // by file id, every file that ever joined
    std::vector<TFileEntry> Files;
    TPathMap ByPath;  // the files that are not gone
    TNameTable Names;
    TOpenTexts OpenTexts;
    TDeclaredElsewhere Elsewhere;

    int32_t FileCount() const { return static_cast<int32_t>(Files.size()); }
    std::string PathOf(int32_t file) const { return std::string(Paths[file]); }
    // A new file, with no items yet.
    int32_t AddFile(std::string_view path);
    // The bytes its items stand in: the editor's text while open, else the disk's.
    std::string BytesOf(int32_t file) const;
    // As the settings force it, or as the bytes tell.
    TEncoding DiskEncodingOf(std::string_view bytes) const;
    TFindingKinds Kinds() const { return {Settings.Unused, Settings.Duplicates}; }
    const TRuleSet* Rules() const { return RuleSet ? &*RuleSet : nullptr; }
    // Makes RuleSet the settings' rules.
    void SetRules();
};
