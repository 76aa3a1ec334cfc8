#include "workspace.h"

#include <algorithm>

#include "external_names.h"
#include "fs.h"
#include "io_error.h"
#include "line_scanner.h"
#include "parallel_scan.h"
#include "syntax.h"
#include "threads.h"
#include "walker.h"

namespace {

// Paths compare as the platform compares them.
std::string KeyOfPath(const std::string& path) {
#ifdef _WIN32
    std::string key = AsciiLowered(path);
    std::replace(key.begin(), key.end(), '/', '\\');
    return key;
#else
    return path;
#endif
}

// Reads a whole file into the front of `buffer`, which only grows, so that
// one buffer serves a whole indexing without clearing memory per file.
// False when the file cannot be opened or read.
bool ReadDisk(const std::string& path, std::vector<char>& buffer, std::size_t& size) {
    TInputFile file;
    if (!file.Open(path)) return false;
    constexpr std::size_t kChunk = std::size_t{64} * 1024;
    size = 0;
    try {
        for (;;) {
            if (buffer.size() < size + kChunk) buffer.resize(std::max(2 * buffer.size(), size + kChunk));
            const std::size_t n = file.Read(buffer.data() + size, kChunk);
            if (n == 0) break;
            size += n;
        }
        file.Close();
    } catch (const EInOutError&) {
        return false;
    }
    return true;
}

std::optional<std::string> ReadDisk(const std::string& path) {
    std::vector<char> buffer;
    std::size_t size = 0;
    if (!ReadDisk(path, buffer, size)) return std::nullopt;
    return std::string(buffer.data(), size);
}

std::string WithoutCr(std::string_view bytes) {
    std::string out(bytes);
    out.erase(std::remove(out.begin(), out.end(), kCarriageReturn), out.end());
    return out;
}

std::string NameShown(std::string_view key) {
    return ToUtf8(key, DetectEncoding(key));
}

std::size_t EditDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

using TRefs = std::vector<std::pair<int32_t, int32_t>>;

// What a change of one file may alter for one name.
struct TNameBefore {
    std::vector<int32_t> DeclarationFiles;
    bool Used = false;
};

std::vector<int32_t> FilesOf(const TRefs& refs) {
    std::vector<int32_t> files;
    for (const auto& ref : refs) files.push_back(ref.first);
    return files;
}

// Keeps each list in walk order, the order of the file ids.
void InsertInOrder(TRefs& refs, std::pair<int32_t, int32_t> ref) {
    if (refs.empty() || refs.back() < ref) {
        refs.push_back(ref);  // the first indexing links the files in order
    } else {
        refs.insert(std::lower_bound(refs.begin(), refs.end(), ref), ref);
    }
}

}  // namespace

void TWorkspaceIndex::SetRoots(std::vector<std::string> roots) {
    for (std::string& root : roots) {
        while (root.size() > 1 && (root.back() == '/' || root.back() == kPathSeparator)) root.pop_back();
    }
    Roots_ = std::move(roots);
}

std::vector<int32_t> TWorkspaceIndex::SetSettings(TIndexSettings settings, std::vector<TComplaint>* complaints) {
    const bool reread = settings.Encoding != Settings_.Encoding;
    Settings_ = std::move(settings);
    TNameList names;
    TReadProblems problems;  // the editor shows no skipped list; a folder that reads badly reads as it can
    const auto keep = [complaints](TMaybeComplaint complaint) {
        if (complaint && complaints != nullptr) complaints->push_back(std::move(*complaint));
    };
    for (const std::string& dir : Settings_.DeclaredIn) keep(AddDeclaredIn(dir, names, problems));
    for (const std::string& file : Settings_.NameFiles) keep(AddNameFile(file, names));
    External_.clear();
    ExternalShown_.clear();
    for (int32_t i = 0; i < names.Count(); ++i) {
        if (External_.emplace(names[i]).second) ExternalShown_.push_back(NameShown(names[i]));
    }
    std::unordered_set<int32_t> all;
    std::unordered_set<int32_t> changed;
    for (int32_t f = 0; f < FileCount(); ++f) {
        if (Files_[f].Gone) continue;
        all.insert(f);
        if (!reread || Files_[f].Open) continue;
        for (const int32_t c : Rescan(f, ReadDisk(Files_[f].Path).value_or(""))) changed.insert(c);
    }
    for (const int32_t c : Refresh(all)) changed.insert(c);
    std::vector<int32_t> files(changed.begin(), changed.end());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<int32_t> TWorkspaceIndex::IndexAll() {
    std::unordered_set<std::string> listed;
    std::vector<int32_t> files;
    for (const std::string& root : Roots_) {
        TPathList paths;
        WalkTree(root, std::string(kDefinitionMask), paths);
        for (int32_t i = 0; i < paths.Count(); ++i) {
            const std::string path(paths[i]);
            if (FileOf(path) < 0 && listed.insert(KeyOfPath(path)).second) files.push_back(AddFile(path));
        }
    }
    // Each file is read once, on every core, and its names are placed while
    // its bytes are still in the cache; the table of names is filled after.
    struct TKeys {
        TNameList Used;
        TNameList Declared;
        std::vector<uint64_t> Hashes;  // of Used, then of Declared
    };
    std::vector<TKeys> keys(files.size());
    // What each thread keeps from file to file.
    struct TScratch {
        std::vector<char> Bytes;
        std::vector<char> Chunk;
        TScanState Part;
    };
    const unsigned jobs = HardwareJobs();
    std::vector<TScratch> scratch(jobs);
    ForEachIndex(files.size(), jobs, [&](std::size_t i, unsigned thread) {
        std::vector<char>& bytes = scratch[thread].Bytes;
        std::vector<char>& chunk = scratch[thread].Chunk;
        if (chunk.empty()) chunk.resize(kReadChunk);
        TScanState& part = scratch[thread].Part;
        part.KeepDefinedPlaces = true;
        const auto none = [](int32_t) { return static_cast<TNameEntry*>(nullptr); };
        TFileEntry& entry = Files_[files[i]];
        std::size_t size = 0;
        if (!ReadDisk(entry.Path, bytes, size)) {
            entry.Gone = true;
            return;
        }
        part.TruncateRecords();
        TMemorySource source({bytes.data(), size}, true);
        TLineScanner(part, chunk).ScanText(source, 0);
        TRecordStart next;
        Place(files[i], {bytes.data(), size}, part, 0, next, none, none);
        TKeys& names = keys[i];
        names.Used.Append(part.UsedNames);
        names.Declared.Append(part.DefinedNames);
        names.Hashes.reserve(static_cast<std::size_t>(names.Used.Count()) + names.Declared.Count());
        for (const TNameList* list : {&names.Used, &names.Declared}) {
            for (int32_t k = 0; k < list->Count(); ++k) names.Hashes.push_back(TNameTable::HashOf((*list)[k]));
        }
    });

    std::vector<int32_t> read;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (Files_[files[i]].Gone) {
            ByPath_.erase(KeyOfPath(Files_[files[i]].Path));
        } else {
            read.push_back(files[i]);
        }
    }
    // Each part of the table of names is filled by one thread, file by file
    // in walk order, so that every list of places is in walk order. A lane
    // takes every lanes-th part, so that each thread walks the names once.
    const std::size_t lanes = std::min<std::size_t>(jobs, TNameTable::kParts);
    ForEachIndex(lanes, jobs, [&](std::size_t lane, unsigned) {
        for (std::size_t i = 0; i < files.size(); ++i) {
            TFileEntry& entry = Files_[files[i]];
            if (entry.Gone) continue;
            const TKeys& names = keys[i];
            const auto items = [&](const TNameList& list, const uint64_t* hashes, std::vector<TItem>& out,
                                   TRefs TNameRefs::*places) {
                for (int32_t k = 0; k < list.Count(); ++k) {
                    if (TNameTable::PartOf(hashes[k]) % lanes != lane) continue;
                    TNameEntry& name = Names_.Insert(list[k], hashes[k]);
                    out[k].Name = &name;
                    InsertInOrder(name.second.*places, {files[i], k});
                }
            };
            items(names.Used, names.Hashes.data(), entry.Uses, &TNameRefs::Uses);
            items(names.Declared, names.Hashes.data() + names.Used.Count(), entry.Declarations,
                  &TNameRefs::Declarations);
        }
    });
    // The table of names is only read from here on: the files' findings are
    // found on every core. Each file is new, so its findings changed when it has some.
    ForEachIndex(read.size(), jobs, [&](std::size_t i, unsigned) { Files_[read[i]].Findings = FindingsOf(read[i]); });
    read.erase(std::remove_if(read.begin(), read.end(), [this](int32_t f) { return Files_[f].Findings.empty(); }),
               read.end());
    return read;
}

bool TWorkspaceIndex::InWorkspace(const std::string& path) const {
    const std::string key = KeyOfPath(path);
    return std::any_of(Roots_.begin(), Roots_.end(), [&](const std::string& root) {
        const std::string rootKey = KeyOfPath(root);
        return key.size() > rootKey.size() && key.compare(0, rootKey.size(), rootKey) == 0 &&
               (key[rootKey.size()] == kPathSeparator || key[rootKey.size()] == '/' || rootKey.back() == '/' ||
                rootKey.back() == kPathSeparator);
    });
}

int32_t TWorkspaceIndex::FileOf(const std::string& path) const {
    const auto it = ByPath_.find(KeyOfPath(path));
    return it == ByPath_.end() ? -1 : it->second;
}

int32_t TWorkspaceIndex::AddFile(const std::string& path) {
    const auto file = static_cast<int32_t>(Files_.size());
    Files_.emplace_back();
    Files_.back().Path = path;
    ByPath_[KeyOfPath(path)] = file;
    return file;
}

std::string TWorkspaceIndex::BytesOf(const TFileEntry& entry) const {
    if (entry.Open) return entry.Text;
    return ReadDisk(entry.Path).value_or("");
}

std::string TWorkspaceIndex::TextOf(int32_t file) const {
    return ToUtf8(BytesOf(Files_[file]), Files_[file].Encoding);
}

TEncoding TWorkspaceIndex::EncodingOf(std::string_view bytes) const {
    switch (Settings_.Encoding) {
        case TEncodingChoice::Utf8:
            return TEncoding::Utf8;
        case TEncodingChoice::Cp1251:
            return TEncoding::Cp1251;
        default:
            return DetectEncoding(bytes);
    }
}

void TWorkspaceIndex::Scan(int32_t file, std::string_view bytes) {
    TScanState state;
    state.KeepDefinedPlaces = true;
    TMemorySource source(bytes, true);
    TLineScanner(state).ScanText(source, 0);
    const auto entryOf = [&](const TNameList& names, int32_t k) { return &Names_.Insert(names[k]); };
    TRecordStart next;
    Place(
        file, bytes, state, 0, next, [&](int32_t k) { return entryOf(state.UsedNames, k); },
        [&](int32_t k) { return entryOf(state.DefinedNames, k); });
}

template <typename FUse, typename FDeclaration>
void TWorkspaceIndex::Place(int32_t file, std::string_view bytes, const TScanState& state, uint32_t scanned,
                            TRecordStart& next, FUse&& useName, FDeclaration&& declarationName) {
    TFileEntry& entry = Files_[file];
    if (!entry.Open) entry.Encoding = EncodingOf(bytes);
    const auto ofFile = [scanned](const TRefTable& refs, int32_t k) {
        return k < refs.Count() && refs[k].FileIndex == scanned;
    };
    entry.Uses.clear();
    entry.Declarations.clear();
    entry.Names.clear();
    // A file without names needs no map of its lines.
    if (!ofFile(state.RefTable, next.Use) && !ofFile(state.DefinedPlaces, next.Declaration)) return;
    // Items are many: each list takes its final size at once.
    TRecordStart last = next;
    while (ofFile(state.RefTable, last.Use)) ++last.Use;
    while (ofFile(state.DefinedPlaces, last.Declaration)) ++last.Declaration;
    entry.Uses.reserve(static_cast<std::size_t>(last.Use - next.Use));
    entry.Declarations.reserve(static_cast<std::size_t>(last.Declaration - next.Declaration));
    // The items view their names in Names, which therefore never moves: it
    // holds every name even where a byte grows to three in UTF-8.
    std::size_t bound = 0;
    for (int32_t k = next.Use; k < last.Use; ++k) bound += state.RefTable[k].Length;
    for (int32_t k = next.Declaration; k < last.Declaration; ++k) bound += state.DefinedPlaces[k].Length;
    const bool asRead = entry.Encoding == TEncoding::Utf8 && Settings_.Encoding == TEncodingChoice::Auto;
    entry.Names.reserve(asRead ? bound : 3 * bound);
    const auto add = [&](std::vector<TItem>& out, const TRefRec& ref, TNameEntry* name, std::size_t begin,
                         std::size_t end, TRange range) {
        std::string_view written(bytes.data() + begin, end - begin);
        std::string converted;
        if (!asRead || written.find(kCarriageReturn) != std::string_view::npos) {
            converted = ToUtf8(WithoutCr(written), entry.Encoding);
            written = converted;
        }
        const std::size_t at = entry.Names.size();
        entry.Names.insert(entry.Names.end(), written.begin(), written.end());
        out.push_back({name, {entry.Names.data() + at, written.size()}, range, ref.LineIndex});
    };
    // Most texts: uses and declarations merged in line order, one walk.
    TLineCursor cursor(bytes, entry.Encoding, Units_);
    TRecordStart at = next;
    bool plain = true;
    while (plain && (ofFile(state.RefTable, at.Use) || ofFile(state.DefinedPlaces, at.Declaration))) {
        const bool use = ofFile(state.RefTable, at.Use) &&
                         (!ofFile(state.DefinedPlaces, at.Declaration) ||
                          state.RefTable[at.Use].LineIndex <= state.DefinedPlaces[at.Declaration].LineIndex);
        const TRefRec& ref = use ? state.RefTable[at.Use] : state.DefinedPlaces[at.Declaration];
        std::size_t begin = 0;
        std::size_t end = 0;
        TRange range;
        plain = cursor.RangeOf(ref.LineIndex, ref.Column, ref.Length, begin, end, range);
        if (!plain) break;
        if (use) {
            add(entry.Uses, ref, useName(at.Use++), begin, end, range);
        } else {
            add(entry.Declarations, ref, declarationName(at.Declaration++), begin, end, range);
        }
    }
    if (plain) {
        next = at;
        return;
    }
    // A lone CR: the protocol's lines are not the reader's.
    entry.Uses.clear();
    entry.Declarations.clear();
    entry.Names.clear();
    TLineFeeds lineFeeds = LineFeeds(bytes);
    const TLineMap map(bytes, entry.Encoding, Units_, lineFeeds);
    const TReaderLines lines(bytes, std::move(lineFeeds.At));
    const auto items = [&](const TRefTable& refs, int32_t& k, auto&& nameOf, std::vector<TItem>& out) {
        for (; ofFile(refs, k); ++k) {
            std::size_t begin = 0;
            std::size_t end = 0;
            lines.Locate(refs[k].LineIndex, refs[k].Column, refs[k].Length, begin, end);
            add(out, refs[k], nameOf(k), begin, end, map.RangeOf(begin, end, static_cast<uint32_t>(refs[k].LineIndex)));
        }
    };
    items(state.RefTable, next.Use, useName, entry.Uses);
    items(state.DefinedPlaces, next.Declaration, declarationName, entry.Declarations);
}

void TWorkspaceIndex::Link(int32_t file) {
    TFileEntry& entry = Files_[file];
    for (std::size_t i = 0; i < entry.Uses.size(); ++i) {
        InsertInOrder(entry.Uses[i].Name->second.Uses, {file, static_cast<int32_t>(i)});
    }
    for (std::size_t i = 0; i < entry.Declarations.size(); ++i) {
        InsertInOrder(entry.Declarations[i].Name->second.Declarations, {file, static_cast<int32_t>(i)});
    }
}

void TWorkspaceIndex::Unlink(int32_t file) {
    const TFileEntry& entry = Files_[file];
    std::unordered_set<TNameEntry*> names;
    for (const TItem& item : entry.Uses) names.insert(item.Name);
    for (const TItem& item : entry.Declarations) names.insert(item.Name);
    const auto ofFile = [file](const std::pair<int32_t, int32_t>& ref) { return ref.first == file; };
    for (TNameEntry* name : names) {
        TRefs& uses = name->second.Uses;
        TRefs& declarations = name->second.Declarations;
        uses.erase(std::remove_if(uses.begin(), uses.end(), ofFile), uses.end());
        declarations.erase(std::remove_if(declarations.begin(), declarations.end(), ofFile), declarations.end());
    }
}

std::vector<int32_t> TWorkspaceIndex::Rescan(int32_t file, std::string_view bytes) {
    std::unordered_map<TNameEntry*, TNameBefore> before;
    const auto remember = [&](const TFileEntry& entry) {
        for (const auto* items : {&entry.Uses, &entry.Declarations}) {
            for (const TItem& item : *items) {
                if (before.count(item.Name) != 0) continue;
                before[item.Name] = {FilesOf(item.Name->second.Declarations), !item.Name->second.Uses.empty()};
            }
        }
    };
    remember(Files_[file]);
    Unlink(file);
    Scan(file, bytes);
    remember(Files_[file]);
    Link(file);

    std::unordered_set<int32_t> affected{file};
    for (const auto& [name, was] : before) {
        const TRefs& declarations = name->second.Declarations;
        const TRefs& uses = name->second.Uses;
        const bool declaredChanged = was.DeclarationFiles.empty() != declarations.empty();
        // Only this file's uses came and went, and it is refreshed anyway.
        if (declaredChanged) {
            for (const auto& ref : uses) affected.insert(ref.first);
        }
        // Duplicates point at each other, so a moved declaration changes them all.
        if (declaredChanged || was.Used != !uses.empty() || was.DeclarationFiles.size() > 1 ||
            declarations.size() > 1) {
            affected.insert(was.DeclarationFiles.begin(), was.DeclarationFiles.end());
            for (const auto& ref : declarations) affected.insert(ref.first);
        }
    }
    for (const auto& [name, was] : before) {
        if (name->second.Declarations.empty() && name->second.Uses.empty()) Names_.Erase(*name);
    }
    return Refresh(affected);
}

std::vector<TFinding> TWorkspaceIndex::FindingsOf(int32_t file) const {
    std::vector<TFinding> findings;
    const TFileEntry& entry = Files_[file];
    for (const TItem& use : entry.Uses) {
        if (use.Name->second.Declarations.empty() && External_.count(use.Key()) == 0) {
            findings.push_back({TFindingKind::Undeclared, use.Range, std::string(use.Shown), {}});
        }
    }
    for (std::size_t i = 0; i < entry.Declarations.size(); ++i) {
        const TItem& declaration = entry.Declarations[i];
        const TNameRefs& refs = declaration.Name->second;
        if (Settings_.Unused && refs.Uses.empty()) {
            findings.push_back({TFindingKind::Unused, declaration.Range, std::string(declaration.Shown), {}});
        }
        if (Settings_.Duplicates && refs.Declarations.size() > 1) {
            TFinding duplicate{TFindingKind::Duplicate, declaration.Range, std::string(declaration.Shown), {}};
            for (const auto& [other, item] : refs.Declarations) {
                if (other == file && item == static_cast<int32_t>(i)) continue;
                duplicate.Related.push_back({other, Files_[other].Declarations[item].Range});
            }
            findings.push_back(std::move(duplicate));
        }
    }
    std::stable_sort(findings.begin(), findings.end(),
                     [](const TFinding& a, const TFinding& b) { return a.Range.Start < b.Range.Start; });
    return findings;
}

std::vector<int32_t> TWorkspaceIndex::Refresh(const std::unordered_set<int32_t>& files) {
    std::vector<int32_t> changed;
    for (const int32_t file : files) {
        std::vector<TFinding> findings = Files_[file].Gone ? std::vector<TFinding>{} : FindingsOf(file);
        if (findings == Files_[file].Findings) continue;
        Files_[file].Findings = std::move(findings);
        changed.push_back(file);
    }
    std::sort(changed.begin(), changed.end());
    return changed;
}

std::vector<int32_t> TWorkspaceIndex::Open(const std::string& path, const std::string& utf8) {
    int32_t file = FileOf(path);
    if (file < 0) {
        if (!IsDefinitionFile(path)) return {};
        file = AddFile(path);
        const auto bytes = ReadDisk(path);
        Files_[file].Encoding = bytes && Settings_.Encoding == TEncodingChoice::Auto ? DetectEncoding(*bytes)
                                : Settings_.Encoding == TEncodingChoice::Cp1251      ? TEncoding::Cp1251
                                                                                     : TEncoding::Utf8;
    }
    Files_[file].Open = true;
    return Replace(file, utf8);
}

std::vector<int32_t> TWorkspaceIndex::Replace(int32_t file, const std::string& utf8) {
    TFileEntry& entry = Files_[file];
    entry.Text = FromUtf8(utf8, entry.Encoding);
    return Rescan(file, entry.Text);
}

std::vector<int32_t> TWorkspaceIndex::Edit(int32_t file, TRange range, const std::string& utf8) {
    TFileEntry& entry = Files_[file];
    const TLineMap map(entry.Text, entry.Encoding, Units_);
    const std::size_t begin = map.OffsetOf(range.Start);
    const std::size_t end = std::max(begin, map.OffsetOf(range.End));
    entry.Text.replace(begin, end - begin, FromUtf8(utf8, entry.Encoding));
    return Rescan(file, entry.Text);
}

std::vector<int32_t> TWorkspaceIndex::Close(int32_t file) {
    Files_[file].Open = false;
    Files_[file].Text.clear();
    return DiskChanged(Files_[file].Path);
}

std::vector<int32_t> TWorkspaceIndex::DiskChanged(const std::string& path) {
    int32_t file = FileOf(path);
    if (file >= 0 && Files_[file].Open) return {};
    const auto bytes = ReadDisk(path);
    if (!bytes) {
        if (file < 0) return {};
        std::vector<int32_t> changed = Rescan(file, "");
        Files_[file].Gone = true;
        ByPath_.erase(KeyOfPath(path));
        return changed;
    }
    if (file < 0) {
        if (!InWorkspace(path) || !IsDefinitionFile(path)) return {};
        file = AddFile(path);
    }
    return Rescan(file, *bytes);
}

const TItem* TWorkspaceIndex::ItemAt(int32_t file, TPosition position) const {
    const TFileEntry& entry = Files_[file];
    for (const auto* items : {&entry.Uses, &entry.Declarations}) {
        for (const TItem& item : *items) {
            if (item.Range.Holds(position)) return &item;
        }
    }
    return nullptr;
}

std::vector<TPlace> TWorkspaceIndex::Declarations(const std::string& key) const {
    std::vector<TPlace> places;
    const TNameEntry* name = Names_.Find(key);
    if (name == nullptr) return places;
    for (const auto& [file, item] : name->second.Declarations)
        places.push_back({file, Files_[file].Declarations[item].Range});
    return places;
}

std::vector<TPlace> TWorkspaceIndex::Uses(const std::string& key) const {
    std::vector<TPlace> places;
    const TNameEntry* name = Names_.Find(key);
    if (name == nullptr) return places;
    for (const auto& [file, item] : name->second.Uses) places.push_back({file, Files_[file].Uses[item].Range});
    return places;
}

std::optional<TCompletion> TWorkspaceIndex::Completion(int32_t file, TPosition position) const {
    const TFileEntry& entry = Files_[file];
    const std::string bytes = BytesOf(entry);
    const TLineMap map(bytes, entry.Encoding, Units_);
    const std::size_t offset = map.OffsetOf(position);
    const std::size_t lineStart = TReaderLines(bytes).LineStartOf(offset);
    // The line as read up to the position, and one more letter: the scanner
    // records a use there only when the position is in an image key's value.
    const std::string line = WithoutCr({bytes.data() + lineStart, offset - lineStart}) + "x";
    TScanState state;
    TLineScanner(state).ScanLine(line, 0, 0);
    if (state.RefTable.Count() != 1 || state.RefTable[0].Column - 1 + state.RefTable[0].Length != line.size()) {
        return std::nullopt;
    }
    const std::string prefix = AsciiLowered(line.substr(state.RefTable[0].Column - 1, state.RefTable[0].Length - 1));
    std::size_t begin = offset;
    for (std::size_t left = prefix.size(); left > 0 && begin > lineStart; --begin) {
        if (bytes[begin - 1] != kCarriageReturn) --left;
    }
    TCompletion completion{map.RangeOf(begin, offset), {}};
    const auto offer = [&](const std::string& key, std::string_view shown) {
        if (key.compare(0, prefix.size(), prefix) == 0) completion.Names.emplace_back(shown);
    };
    Names_.ForEach([&](const TNameEntry& name) {
        if (!name.second.Declarations.empty()) {
            const auto& [declFile, item] = name.second.Declarations.front();
            offer(name.first, Files_[declFile].Declarations[item].Shown);
        }
    });
    for (const std::string& shown : ExternalShown_) offer(AsciiLowered(shown), shown);
    std::sort(completion.Names.begin(), completion.Names.end(),
              [](const std::string& x, const std::string& y) { return AsciiLowered(x) < AsciiLowered(y); });
    completion.Names.erase(std::unique(completion.Names.begin(), completion.Names.end()), completion.Names.end());
    return completion;
}

std::optional<THover> TWorkspaceIndex::Hover(int32_t file, TPosition position) const {
    const TItem* item = ItemAt(file, position);
    if (item == nullptr) return std::nullopt;
    if (item->Name->second.Declarations.empty()) return std::nullopt;
    const auto [declFile, index] = item->Name->second.Declarations.front();
    const TFileEntry& entry = Files_[declFile];
    const TItem& declaration = entry.Declarations[index];
    const std::string bytes = BytesOf(entry);
    const TReaderLines lines(bytes);
    // The block runs from its header to its End line, or a screenful of it.
    constexpr int32_t kMostLines = 40;
    std::string block;
    for (int32_t line = declaration.ReaderLine; line < lines.Count() && line < declaration.ReaderLine + kMostLines;
         ++line) {
        const std::size_t begin = lines.LineStart(line);
        if (begin == bytes.size()) break;
        const std::size_t end = line + 1 < lines.Count() ? lines.LineStart(line + 1) - 1 : bytes.size();
        const std::string text = WithoutCr({bytes.data() + begin, end - begin});
        block += text + "\n";
        if (line > declaration.ReaderLine && EqualsIgnoringAsciiCase(TrimBlanks(text), kEndKeyword)) break;
    }
    return THover{ToUtf8(block, entry.Encoding), declFile, declaration.Range};
}

std::vector<std::string> TWorkspaceIndex::ClosestNames(const std::string& key, std::size_t count) const {
    // Farther than a third of the name is another name, not a slip.
    const std::size_t limit = std::max<std::size_t>(1, key.size() / 3);
    std::vector<std::pair<std::size_t, std::string>> near;
    const auto consider = [&](const std::string& candidate, std::string_view shown) {
        // The lengths alone bound the distance from below.
        if (std::max(key.size(), candidate.size()) - std::min(key.size(), candidate.size()) > limit) return;
        const std::size_t distance = EditDistance(key, candidate);
        if (distance <= limit) near.emplace_back(distance, std::string(shown));
    };
    Names_.ForEach([&](const TNameEntry& name) {
        if (name.second.Declarations.empty()) return;
        const auto& [file, item] = name.second.Declarations.front();
        consider(name.first, Files_[file].Declarations[item].Shown);
    });
    for (const std::string& shown : ExternalShown_) consider(AsciiLowered(shown), shown);
    std::sort(near.begin(), near.end());
    std::vector<std::string> names;
    for (const auto& [distance, shown] : near) {
        if (names.size() == count) break;
        if (std::find(names.begin(), names.end(), shown) == names.end()) names.push_back(shown);
    }
    return names;
}

std::vector<TSymbol> TWorkspaceIndex::DocumentSymbols(int32_t file) const {
    std::vector<TSymbol> symbols;
    for (const TItem& item : Files_[file].Declarations)
        symbols.push_back({std::string(item.Shown), {file, item.Range}});
    return symbols;
}

std::vector<TSymbol> TWorkspaceIndex::WorkspaceSymbols(const std::string& query) const {
    const std::string wanted = AsciiLowered(query);
    std::vector<TSymbol> symbols;
    Names_.ForEach([&](const TNameEntry& name) {
        if (name.first.find(wanted) == std::string::npos) return;
        for (const auto& [file, item] : name.second.Declarations) {
            symbols.push_back(
                {std::string(Files_[file].Declarations[item].Shown), {file, Files_[file].Declarations[item].Range}});
        }
    });
    std::sort(symbols.begin(), symbols.end(), [](const TSymbol& a, const TSymbol& b) {
        return a.Place.File != b.Place.File ? a.Place.File < b.Place.File : a.Place.Range.Start < b.Place.Range.Start;
    });
    return symbols;
}
