// The workspace index: every definition file below the workspace folders,
// the declarations and uses the engine's scanner finds in each, and the text
// the editor holds for open files. A changed file is scanned again alone;
// each change tells which files' findings changed with it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "complaint.h"
#include "names.h"
#include "positions.h"
#include "scan_state.h"

enum class TEncodingChoice { Auto, Utf8, Cp1251 };

struct TIndexSettings {
    std::vector<std::string> DeclaredIn;  // folders whose declarations count too
    std::vector<std::string> NameFiles;   // files of declared names, one a line
    bool Unused = true;
    bool Duplicates = true;
    TEncodingChoice Encoding = TEncodingChoice::Auto;
};

// A name where it stands: a use or a declaration.
struct TItem {
    TNameEntry* Name;
    std::string_view Shown;  // as written, in UTF-8, in its file's Names
    TRange Range;
    int32_t ReaderLine;
    const std::string& Key() const { return Name->first; }
};

struct TPlace {
    int32_t File;
    TRange Range;
    bool operator==(const TPlace& o) const { return File == o.File && Range == o.Range; }
};

enum class TFindingKind { Undeclared, Unused, Duplicate };

struct TFinding {
    TFindingKind Kind;
    TRange Range;
    std::string Name;             // as written, in UTF-8
    std::vector<TPlace> Related;  // the other declarations of a duplicate
    bool operator==(const TFinding& o) const {
        return Kind == o.Kind && Range == o.Range && Name == o.Name && Related == o.Related;
    }
};

struct TFileEntry {
    std::string Path;
    TEncoding Encoding = TEncoding::Utf8;
    bool Open = false;
    std::string Text;   // an open file's text, in its encoding
    bool Gone = false;  // removed from the workspace; the id stays unused
    std::vector<TItem> Uses;
    std::vector<TItem> Declarations;
    std::vector<char> Names;  // the items' names end to end: one block, not one each
    std::vector<TFinding> Findings;
};

struct TCompletion {
    TRange Replace;  // the value typed so far
    std::vector<std::string> Names;
};

struct THover {
    std::string Block;  // the declaration's lines, in UTF-8
    int32_t File;
    TRange Range;
};

struct TSymbol {
    std::string Name;
    TPlace Place;
};

class TWorkspaceIndex {
public:
    explicit TWorkspaceIndex(TUnits units = TUnits::Utf16) : Units_(units) {}

    void SetRoots(std::vector<std::string> roots);
    // Returns the files whose findings changed; a folder or a name file that
    // could not be read adds its complaint to `complaints` (the rest still apply).
    std::vector<int32_t> SetSettings(TIndexSettings settings, std::vector<TComplaint>* complaints = nullptr);
    // Walks every root and scans each file; returns the files with findings.
    std::vector<int32_t> IndexAll();

    bool InWorkspace(const std::string& path) const;
    // -1 when the index does not hold the path.
    int32_t FileOf(const std::string& path) const;
    const TFileEntry& File(int32_t file) const { return Files_[file]; }
    int32_t FileCount() const { return static_cast<int32_t>(Files_.size()); }

    // The editor's text of a file, in UTF-8; a new *.ini file joins the index. Each returns the files whose findings
    // changed.
    std::vector<int32_t> Open(const std::string& path, const std::string& utf8);
    std::vector<int32_t> Replace(int32_t file, const std::string& utf8);
    std::vector<int32_t> Edit(int32_t file, TRange range, const std::string& utf8);
    // Back to the disk's text.
    std::vector<int32_t> Close(int32_t file);
    // The disk changed: read again (unless open), add, or drop the file.
    std::vector<int32_t> DiskChanged(const std::string& path);

    // The use or declaration under a position.
    const TItem* ItemAt(int32_t file, TPosition position) const;
    std::vector<TPlace> Declarations(const std::string& key) const;
    std::vector<TPlace> Uses(const std::string& key) const;
    std::optional<TCompletion> Completion(int32_t file, TPosition position) const;
    std::optional<THover> Hover(int32_t file, TPosition position) const;
    // Declared names closest to `key` by edit distance, nearest first.
    std::vector<std::string> ClosestNames(const std::string& key, std::size_t count) const;
    std::vector<TSymbol> DocumentSymbols(int32_t file) const;
    std::vector<TSymbol> WorkspaceSymbols(const std::string& query) const;
    // A file's text in UTF-8: the editor's when open, else the disk's.
    std::string TextOf(int32_t file) const;

private:
    std::string BytesOf(const TFileEntry& entry) const;
    // As the settings force it, or as the bytes tell.
    TEncoding EncodingOf(std::string_view bytes) const;
    int32_t AddFile(const std::string& path);
    // Scans the file's bytes into its items; a new name gets an entry with
    // no places, which Link fills and Rescan drops again when it stays empty.
    void Scan(int32_t file, std::string_view bytes);
    // Where the next file's records start in a scan of many files.
    struct TRecordStart {
        int32_t Use = 0;
        int32_t Declaration = 0;
    };
    // Gives the file the items of its records (file `scanned` of `state`),
    // from `next` on, placed in its bytes; the name functions give each
    // record's entry in the table of names.
    template <typename FUse, typename FDeclaration>
    void Place(int32_t file, std::string_view bytes, const TScanState& state, uint32_t scanned, TRecordStart& next,
               FUse&& useName, FDeclaration&& declarationName);
    void Unlink(int32_t file);
    void Link(int32_t file);
    std::vector<TFinding> FindingsOf(int32_t file) const;
    // Recomputes the findings of `files`; returns those that changed.
    std::vector<int32_t> Refresh(const std::unordered_set<int32_t>& files);
    std::vector<int32_t> Rescan(int32_t file, std::string_view bytes);

    TUnits Units_;
    TIndexSettings Settings_;
    std::vector<std::string> Roots_;
    std::vector<TFileEntry> Files_;
    std::unordered_map<std::string, int32_t> ByPath_;
    TNameTable Names_;
    std::unordered_set<std::string> External_;  // declared outside the workspace
    std::vector<std::string> ExternalShown_;
};
