#include "indexer.h"

#include <algorithm>

#include "index_disk.h"
#include "line_scanner.h"
#include "name_links.h"
#include "placing.h"
#include "syntax.h"
#include "threads.h"
#include "walker.h"

namespace {

// Whether the names of a file's bytes are UTF-8 as they stand.
bool NamesAsRead(const TIndexStore& store, const TFileEntry& entry) {
    return entry.Encoding == TEncoding::Utf8 && (entry.Open || store.Settings.Encoding == TEncodingChoice::Auto);
}

// Adds the ids of the folders of paths [from, to), taking each folder once
// where its files follow each other, as a walk lists them.
void AddFoldersOf(const TPathList& paths, int32_t from, int32_t to, std::vector<TFileId>& ids) {
    std::string_view last;
    for (int32_t i = from; i < to; ++i) {
        const std::string_view folder = FolderOf(paths[i]);
        if (i > from && folder == last) continue;
        last = folder;
        TFileId id;
        if (GetDirectoryId(std::string(folder), id)) ids.push_back(id);
    }
}

// The names that one thread scanned, end to end, with their rules and hashes.
struct TScannedKeys {
    TNameList Keys;
    std::vector<int32_t> Rules;
    std::vector<uint64_t> Hashes;
};

// Where one file's names stand among a thread's: its uses', then its declarations'.
struct TKeyRun {
    uint32_t Thread = 0;
    int32_t First = 0;
};

}  // namespace

std::vector<int32_t> IndexTrees(TIndexStore& store, const std::vector<std::string>& folders) {
    const int32_t before = store.Paths.Count();
    std::vector<TFileId> passOver = store.Elsewhere.FolderIds();
    for (std::size_t r = 0; r < folders.size(); ++r) {
        const int32_t from = store.Paths.Count();
        WalkTree(folders[r], std::string(kDefinitionMask), store.Paths, nullptr, {}, passOver);
        if (r + 1 == folders.size()) break;
        AddFoldersOf(store.Paths, from, store.Paths.Count(), passOver);
    }
    // Each path joins once; one that the store held already, opened before, stays unused.
    store.Files.resize(static_cast<std::size_t>(store.Paths.Count()));
    std::vector<int32_t> files;
    for (int32_t f = before; f < store.Paths.Count(); ++f) {
        if (store.ByPath.Find(store.Paths[f], store.Paths) >= 0) {
            store.Files[f].Gone = true;
            continue;
        }
        files.push_back(f);
    }
    store.ByPath.Reserve(static_cast<std::size_t>(store.FileCount()), store.Paths);
    for (const int32_t f : files) store.ByPath.Insert(f, store.Paths);

    const std::vector<int32_t> read = ScanFiles(store, files);
    // The table of names is only read from here on: the files' findings are
    // found on every core. Each file is new, so its findings changed when it has some.
    std::vector<int32_t> found = read;
    ForEachIndex(found.size(), HardwareJobs(), [&](std::size_t i, unsigned) {
        store.Files[found[i]].Findings = FindingsOf(found[i], store.Files, store.Elsewhere, store.Kinds());
    });
    found.erase(std::remove_if(found.begin(), found.end(), [&](int32_t f) { return store.Files[f].Findings.empty(); }),
                found.end());
    return found;
}

std::vector<int32_t> ScanFiles(TIndexStore& store, const std::vector<int32_t>& files) {
    // Each file is read once, on every core, and its names are placed while
    // its bytes are still in the cache; the table of names is filled after.
    const unsigned jobs = HardwareJobs();
    std::vector<TScannedKeys> scanned(jobs);
    std::vector<TKeyRun> runs(files.size());
    // What each thread keeps from file to file.
    struct TScratch {
        std::vector<char> Bytes;
        std::vector<char> Chunk;
        TScanState Part;
        std::vector<TPlacedName> Names;
    };
    std::vector<TScratch> scratch(jobs);
    ForEachIndex(files.size(), jobs, [&](std::size_t i, unsigned thread) {
        TScannedKeys& keys = scanned[thread];
        TScratch& own = scratch[thread];
        if (own.Chunk.empty()) own.Chunk.resize(kReadChunk);
        TScanState& part = own.Part;
        part.KeepDefinedPlaces = true;
        part.Rules = store.Rules();
        TFileEntry& entry = store.Files[files[i]];
        std::size_t size = 0;
        if (!ReadDisk(store.PathOf(files[i]), own.Bytes, size)) {
            entry.Gone = true;
            return;
        }
        const std::string_view text(own.Bytes.data(), size);
        part.TruncateRecords();
        TMemorySource source(text, true);
        TLineScanner(part, own.Chunk).ScanText(source, 0);
        entry.Encoding = entry.DiskEncoding = store.DiskEncodingOf(text);
        PlaceItems(entry, text, NamesAsRead(store, entry), store.Units, KindsOf(part, store.Settings.Images),
                   own.Names);
        runs[i] = {thread, keys.Keys.Count()};
        for (const TPlacedName& name : own.Names) {
            keys.Keys.Add(name.Key);
            keys.Rules.push_back(name.Rule);
            keys.Hashes.push_back(TNameTable::HashOf(name.Rule, name.Key));
        }
    });

    std::vector<int32_t> read;
    for (const int32_t f : files) {
        if (store.Files[f].Gone) {
            store.ByPath.Erase(f, store.Paths);
        } else {
            read.push_back(f);
        }
    }
    // Each part of the table of names is filled by one thread, file by file
    // in walk order, so that every list of places is in walk order. A lane
    // takes every lanes-th part, so that each thread walks the names once.
    const std::size_t lanes = std::min<std::size_t>(jobs, TNameTable::kParts);
    ForEachIndex(lanes, jobs, [&](std::size_t lane, unsigned) {
        for (std::size_t i = 0; i < files.size(); ++i) {
            TFileEntry& entry = store.Files[files[i]];
            if (entry.Gone) continue;
            const TScannedKeys& keys = scanned[runs[i].Thread];
            int32_t k = runs[i].First;
            const auto items = [&](std::vector<TOccurrence>& out, std::vector<TItemRef> TNamePlaces::*places) {
                for (std::size_t item = 0; item < out.size(); ++item, ++k) {
                    const uint64_t hash = keys.Hashes[k];
                    if (TNameTable::PartOf(hash) % lanes != lane) continue;
                    TNameEntry& name = store.Names.Insert(keys.Rules[k], keys.Keys[k], hash);
                    out[item].Entry = &name;
                    InsertInOrder(name.Places.*places, {files[i], static_cast<int32_t>(item)});
                }
            };
            items(entry.Uses, &TNamePlaces::Uses);
            items(entry.Declarations, &TNamePlaces::Declarations);
        }
    });
    return read;
}

namespace {

// Scans one file's bytes into its items, each linked to its name's entry,
// which is new, and without places, where the table lacked the name.
void ScanOne(TIndexStore& store, int32_t file, std::string_view bytes) {
    TFileEntry& entry = store.Files[file];
    TScanState state;
    state.KeepDefinedPlaces = true;
    state.Rules = store.Rules();
    TMemorySource source(bytes, true);
    TLineScanner(state).ScanText(source, 0);
    if (!entry.Open) entry.Encoding = entry.DiskEncoding = store.DiskEncodingOf(bytes);
    std::vector<TPlacedName> names;
    PlaceItems(entry, bytes, NamesAsRead(store, entry), store.Units, KindsOf(state, store.Settings.Images), names);
    // The editor's UTF-8 stands for the disk's bytes: a name is the one the
    // disk would hold once saved, when its encoding can hold it.
    const bool recode = entry.Open && entry.DiskEncoding != TEncoding::Utf8;
    const auto entryOf = [&](const TPlacedName& name) {
        if (!recode) return &store.Names.Insert(name.Rule, name.Key);
        const std::string disk = FromUtf8(name.Key, entry.DiskEncoding);
        return &store.Names.Insert(name.Rule,
                                   ToUtf8(disk, entry.DiskEncoding) == name.Key ? std::string_view(disk) : name.Key);
    };
    std::size_t k = 0;
    for (TOccurrence& use : entry.Uses) use.Entry = entryOf(names[k++]);
    for (TOccurrence& declaration : entry.Declarations) declaration.Entry = entryOf(names[k++]);
}

}  // namespace

std::vector<int32_t> Rescan(TIndexStore& store, int32_t file, std::string_view bytes) {
    TFileEntry& entry = store.Files[file];
    TRelink relink;
    relink.Note(entry);
    Unlink(file, entry);
    ScanOne(store, file, bytes);
    relink.Note(entry);
    Link(file, entry);
    const std::unordered_set<int32_t> affected = relink.Affected(file);
    relink.DropUnnamed(store.Names);
    return RefreshFindings(store, affected);
}

std::vector<int32_t> Reindex(TIndexStore& store) {
    store.Names = TNameTable();
    std::vector<int32_t> onDisk;
    // A file that can no longer be read is gone, and its findings with it.
    std::unordered_set<int32_t> all;
    for (int32_t f = 0; f < store.FileCount(); ++f) {
        TFileEntry& entry = store.Files[f];
        entry.Uses.clear();
        entry.Declarations.clear();
        entry.WrittenNames.clear();
        if (entry.Gone) continue;
        all.insert(f);
        if (!entry.Open) onDisk.push_back(f);
    }
    ScanFiles(store, onDisk);
    for (int32_t f = 0; f < store.FileCount(); ++f) {
        if (!store.Files[f].Open) continue;
        ScanOne(store, f, *store.OpenTexts.Find(f));
        Link(f, store.Files[f]);
    }
    return RefreshFindings(store, all);
}

std::vector<int32_t> RefreshFindings(TIndexStore& store, const std::unordered_set<int32_t>& files) {
    std::vector<int32_t> changed;
    for (const int32_t file : files) {
        TFileEntry& entry = store.Files[file];
        std::vector<TFinding> findings =
            entry.Gone ? std::vector<TFinding>{} : FindingsOf(file, store.Files, store.Elsewhere, store.Kinds());
        if (findings == entry.Findings) continue;
        entry.Findings = std::move(findings);
        changed.push_back(file);
    }
    std::sort(changed.begin(), changed.end());
    return changed;
}
