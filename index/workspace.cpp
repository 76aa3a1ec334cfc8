#include "workspace.h"

#include <algorithm>
#include <unordered_set>

#include "fs.h"
#include "index_disk.h"
#include "indexer.h"
#include "syntax.h"

namespace {

std::vector<int32_t> Merged(std::vector<int32_t> files, const std::vector<int32_t>& more) {
    files.insert(files.end(), more.begin(), more.end());
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    return files;
}

// Where the links of a path lead; for a file that is not there yet, where its folder's lead.
std::string RealPathOf(const std::string& path) {
    std::string real = RealPath(path);
    if (!real.empty()) return real;
    const std::string_view folder = FolderOf(path);
    if (folder.empty()) return {};
    real = RealPath(std::string(folder));
    return real.empty() ? real : real + kPathSeparator + std::string(FileNameOf(path));
}

bool SameUses(const std::vector<TRuleUse>& a, const std::vector<TRuleUse>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const TRuleUse& x, const TRuleUse& y) {
        return x.Key == y.Key && x.In == y.In && x.Tokens.First == y.Tokens.First &&
               x.Tokens.AndAfter == y.Tokens.AndAfter;
    });
}

// Whether the rules read the files alike; their titles and names files do not read them.
bool SameReading(const std::vector<TRule>& a, const std::vector<TRule>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const TRule& x, const TRule& y) {
        return x.DeclaredBy == y.DeclaredBy && x.Ignore == y.Ignore && SameUses(x.Uses, y.Uses);
    });
}

}  // namespace

void TWorkspaceIndex::SetRoots(std::vector<std::string> roots) {
    Roots_.clear();
    for (std::string& root : roots) {
        while (root.size() > 1 && (root.back() == '/' || root.back() == kPathSeparator)) root.pop_back();
        std::string real = RealPath(root);
        Roots_.push_back({root, real.empty() ? root : std::move(real)});
    }
}

std::vector<int32_t> TWorkspaceIndex::SetSettings(TIndexSettings settings, std::vector<TComplaint>* complaints) {
    const bool reread = settings.Encoding != Store_.Settings.Encoding || settings.Images != Store_.Settings.Images ||
                        !SameReading(settings.Rules, Store_.Settings.Rules);
    const bool moved = settings.DeclaredIn != Store_.Settings.DeclaredIn;
    Store_.Settings = std::move(settings);
    Store_.SetRules();
    Store_.Elsewhere.Read(Store_.Settings, Store_.Rules(), complaints);
    std::vector<int32_t> changed;
    if (Indexed_ && moved) {
        // The files below a folder declared elsewhere leave; those no longer below one join.
        for (int32_t f = 0; f < FileCount(); ++f) {
            if (!Store_.Files[f].Gone && Store_.Elsewhere.IsBelowFolder(PathOf(f))) changed = Merged(changed, Drop(f));
        }
        changed = Merged(changed, IndexTrees(Store_, RootPaths()));
    }
    if (reread && FileCount() > 0) changed = Merged(changed, Reindex(Store_));
    return Merged(changed, RefreshAll());
}

std::vector<int32_t> TWorkspaceIndex::IndexAll() {
    Indexed_ = true;
    return IndexTrees(Store_, RootPaths());
}

std::vector<std::string> TWorkspaceIndex::RootPaths() const {
    std::vector<std::string> paths;
    for (const TRoot& root : Roots_) paths.push_back(root.Path);
    return paths;
}

bool TWorkspaceIndex::InWorkspace(const std::string& path) const {
    const auto below = [&](const std::string& at) {
        return std::any_of(Roots_.begin(), Roots_.end(),
                           [&](const TRoot& root) { return IsBelow(at, root.Path) || IsBelow(at, root.Real); });
    };
    if (below(path)) return true;
    const std::string real = RealPathOf(path);
    return !real.empty() && below(real);
}

int32_t TWorkspaceIndex::FileOf(const std::string& path) const {
    const int32_t file = Store_.ByPath.Find(path, Store_.Paths);
    return file >= 0 ? file : FileByIdentity(path);
}

int32_t TWorkspaceIndex::FileByIdentity(const std::string& path) const {
    TFileId id;
    if (!GetFileId(path, id)) return -1;
    const auto same = [&](int32_t file) {
        TFileId other;
        return file >= 0 && GetFileId(PathOf(file), other) && other == id;
    };
    const std::string real = RealPath(path);
    if (real.empty()) return -1;
    // Most paths lead below a root's real path, where the index names the file from the root.
    for (const TRoot& root : Roots_) {
        if (!IsBelow(real, root.Real)) continue;
        const int32_t file = Store_.ByPath.Find(root.Path + real.substr(root.Real.size()), Store_.Paths);
        if (same(file)) return file;
    }
    // The walk may have come by a link inside the tree: then the file keeps its name.
    const std::string_view name = FileNameOf(real);
    for (int32_t file = 0; file < FileCount(); ++file) {
        if (!Store_.Files[file].Gone && SamePath(FileNameOf(Store_.Paths[file]), name) && same(file)) return file;
    }
    return -1;
}

bool TWorkspaceIndex::IsSetApart(const std::string& path) const {
    if (Store_.Elsewhere.IsBelowFolder(path)) return true;
    const std::string real = RealPathOf(path);
    return !real.empty() && Store_.Elsewhere.IsBelowFolder(real);
}

std::vector<int32_t> TWorkspaceIndex::Open(const std::string& path, const std::string& utf8) {
    int32_t file = FileOf(path);
    if (file < 0) {
        if (!IsDefinitionFile(path) || IsSetApart(path)) return {};
        file = Store_.AddFile(path);
        Store_.Files[file].DiskEncoding = Store_.DiskEncodingOf(ReadDisk(path).value_or(""));
    }
    Store_.Files[file].Open = true;
    Store_.Files[file].Encoding = TEncoding::Utf8;
    return Replace(file, utf8);
}

std::vector<int32_t> TWorkspaceIndex::Replace(int32_t file, const std::string& utf8) {
    Store_.OpenTexts.Set(file, utf8);
    return Rescan(Store_, file, *Store_.OpenTexts.Find(file));
}

std::vector<int32_t> TWorkspaceIndex::Edit(int32_t file, TRange range, const std::string& utf8) {
    return Rescan(Store_, file, Store_.OpenTexts.Edit(file, range, utf8));
}

std::vector<int32_t> TWorkspaceIndex::Close(int32_t file) {
    Store_.Files[file].Open = false;
    Store_.OpenTexts.Close(file);
    return DiskChanged(PathOf(file));
}

std::vector<int32_t> TWorkspaceIndex::DiskChanged(const std::string& path) {
    // A base file changed: what is declared elsewhere is read again.
    if (Store_.Elsewhere.IsBelowFolder(path)) {
        Store_.Elsewhere.Read(Store_.Settings, Store_.Rules(), nullptr);
        return RefreshAll();
    }
    int32_t file = FileOf(path);
    if (file >= 0 && Store_.Files[file].Open) return {};
    const auto bytes = ReadDisk(path);
    if (!bytes) {
        if (file >= 0) return Drop(file);
        if (IsExistingDirectory(path))
            return InWorkspace(path) && !IsSetApart(path) ? AddFolder(path) : std::vector<int32_t>{};
        return DropBelow(path);
    }
    if (file < 0) {
        if (!InWorkspace(path) || !IsDefinitionFile(path) || IsSetApart(path)) return {};
        file = Store_.AddFile(path);
    }
    return Rescan(Store_, file, *bytes);
}

const std::string* TWorkspaceIndex::DeclaredOnlyElsewhere(int32_t rule, const std::string& key) const {
    const TNameEntry* name = Store_.Names.Find(rule, key);
    if (name != nullptr && !name->Places.Declarations.empty()) return nullptr;
    return Store_.Elsewhere.SourceOf(rule, key);
}

std::string TWorkspaceIndex::CurrentText(int32_t file) const {
    return ToUtf8(Store_.BytesOf(file), Store_.Files[file].Encoding);
}

std::vector<int32_t> TWorkspaceIndex::Drop(int32_t file) {
    std::vector<int32_t> changed = Rescan(Store_, file, "");
    TFileEntry& entry = Store_.Files[file];
    entry.Gone = true;
    entry.Open = false;
    Store_.OpenTexts.Close(file);
    Store_.ByPath.Erase(file, Store_.Paths);
    return changed;
}

std::vector<int32_t> TWorkspaceIndex::DropBelow(const std::string& folder) {
    std::vector<int32_t> changed;
    for (int32_t f = 0; f < FileCount(); ++f) {
        const TFileEntry& entry = Store_.Files[f];
        if (!entry.Gone && !entry.Open && IsBelow(Store_.Paths[f], folder)) changed = Merged(changed, Drop(f));
    }
    return changed;
}

std::vector<int32_t> TWorkspaceIndex::AddFolder(const std::string& folder) {
    const std::vector<int32_t> added = IndexTrees(Store_, {folder});
    return Merged(added, RefreshAll());
}

std::vector<int32_t> TWorkspaceIndex::RefreshAll() {
    std::unordered_set<int32_t> all;
    for (int32_t f = 0; f < FileCount(); ++f) {
        if (!Store_.Files[f].Gone) all.insert(f);
    }
    return RefreshFindings(Store_, all);
}
