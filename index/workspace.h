// The workspace index: every definition file below the workspace folders,
// the declarations and uses the engine's scanner finds in each, and the text
// the editor holds for open files. A changed file is scanned again alone;
// each change tells which files' findings changed with it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "complaint.h"
#include "editor_features.h"
#include "index_settings.h"
#include "index_store.h"

class TWorkspaceIndex {
public:
    explicit TWorkspaceIndex(TUnits units = TUnits::Utf16) : Store_(units) {}

    void SetRoots(std::vector<std::string> roots);
    // Returns the files whose findings changed; a folder or a name file that
    // could not be read, whole or in part, adds its complaint to `complaints`
    // (the rest still apply).
    std::vector<int32_t> SetSettings(TIndexSettings settings, std::vector<TComplaint>* complaints = nullptr);
    // Walks every root and scans each file; returns the files with findings.
    std::vector<int32_t> IndexAll();

    // Below a root, as given or as its links lead.
    bool InWorkspace(const std::string& path) const;
    // -1 when the index does not hold the file, by this path or another that
    // leads to the same file.
    int32_t FileOf(const std::string& path) const;
    const TFileEntry& File(int32_t file) const { return Store_.Files[file]; }
    std::string PathOf(int32_t file) const { return Store_.PathOf(file); }
    int32_t FileCount() const { return Store_.FileCount(); }
    const TIndexStore& Store() const { return Store_; }

    // The editor's text of a file, in UTF-8; a new *.ini file joins the index. Each returns the files whose findings
    // changed.
    std::vector<int32_t> Open(const std::string& path, const std::string& utf8);
    std::vector<int32_t> Replace(int32_t file, const std::string& utf8);
    std::vector<int32_t> Edit(int32_t file, TRange range, const std::string& utf8);
    // Back to the disk's text.
    std::vector<int32_t> Close(int32_t file);
    // The disk changed at a file or a folder: read again (unless open), add,
    // or drop what went.
    std::vector<int32_t> DiskChanged(const std::string& path);

    // The folder or names file that declares `key` of `rule` when no file of
    // the workspace does; null otherwise.
    const std::string* DeclaredOnlyElsewhere(int32_t rule, const std::string& key) const;
    // A file's text in UTF-8: the editor's when open, else the disk's.
    std::string CurrentText(int32_t file) const;

    const TOccurrence* ItemAt(int32_t file, TPosition position) const { return OccurrenceAt(Store_, file, position); }
    std::vector<TPlace> Declarations(int32_t rule, const std::string& key) const {
        return DeclarationsOf(Store_, rule, key);
    }
    std::vector<TPlace> Uses(int32_t rule, const std::string& key) const { return UsesOf(Store_, rule, key); }
    std::optional<TCompletion> Completion(int32_t file, TPosition position) const {
        return CompletionAt(Store_, file, position);
    }
    std::optional<THover> Hover(int32_t file, TPosition position) const { return HoverAt(Store_, file, position); }
    std::vector<std::string> ClosestNames(int32_t rule, const std::string& key, std::size_t count) const {
        return ::ClosestNames(Store_, rule, key, count);
    }
    std::vector<TSymbol> DocumentSymbols(int32_t file) const { return ::DocumentSymbols(Store_, file); }
    std::vector<TSymbol> WorkspaceSymbols(const std::string& query) const { return ::WorkspaceSymbols(Store_, query); }

private:
    struct TRoot {
        std::string Path;
        std::string Real;  // where its links lead; the path itself when none do
    };
    int32_t FileByIdentity(const std::string& path) const;
    // Below a folder declared elsewhere, as given or as the links lead: not checked.
    bool IsSetApart(const std::string& path) const;
    std::vector<std::string> RootPaths() const;
    std::vector<int32_t> Drop(int32_t file);
    // A folder that went: every file below it that is not open.
    std::vector<int32_t> DropBelow(const std::string& folder);
    // Indexes what a new folder holds, and finds every file's findings again.
    std::vector<int32_t> AddFolder(const std::string& folder);
    std::vector<int32_t> RefreshAll();

    TIndexStore Store_;
    std::vector<TRoot> Roots_;
    bool Indexed_ = false;
};
