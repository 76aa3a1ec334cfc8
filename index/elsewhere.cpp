#include "elsewhere.h"

#include <algorithm>

#include "index_disk.h"
#include "line_scanner.h"
#include "placing.h"
#include "positions.h"
#include "syntax.h"
#include "text_file.h"
#include "walker.h"

void TDeclaredElsewhere::Read(const TIndexSettings& settings, const TRuleSet* rules,
                              std::vector<TComplaint>* complaints) {
    Sources_.clear();
    Folders_.clear();
    FolderIds_.clear();
    Names_.assign(settings.Rules.size() + 1, {});
    std::vector<TComplaint> said;
    for (const std::string& folder : settings.DeclaredIn) ReadFolder(folder, settings.Encoding, rules, said);
    for (const std::string& file : settings.NameFiles) ReadNameFile(file, kImageRule, said);
    for (std::size_t r = 0; r < settings.Rules.size(); ++r) {
        for (const std::string& file : settings.Rules[r].Names) ReadNameFile(file, static_cast<int32_t>(r), said);
    }
    if (complaints != nullptr) complaints->insert(complaints->end(), said.begin(), said.end());
}

const std::string* TDeclaredElsewhere::SourceOf(int32_t rule, std::string_view key) const {
    const TNames* names = NamesOf(rule);
    if (names == nullptr) return nullptr;
    const auto it = names->find(std::string(key));
    return it == names->end() ? nullptr : &Sources_[it->second.Source];
}

bool TDeclaredElsewhere::IsBelowFolder(const std::string& path) const {
    return std::any_of(Folders_.begin(), Folders_.end(),
                       [&](const std::string& folder) { return IsBelow(path, folder); });
}

void TDeclaredElsewhere::Add(int32_t rule, std::string key, std::string written, int32_t source) {
    Names_[static_cast<std::size_t>(rule) + 1].emplace(std::move(key), TName{std::move(written), source});
}

void TDeclaredElsewhere::ReadFolder(const std::string& folder, TEncodingChoice encoding, const TRuleSet* rules,
                                    std::vector<TComplaint>& complaints) {
    if (!IsExistingDirectory(folder)) {
        complaints.push_back({utNotADirectory, folder});
        return;
    }
    const auto source = static_cast<int32_t>(Sources_.size());
    Sources_.push_back(folder);
    Folders_.push_back(folder);
    if (std::string real = RealPath(folder); !real.empty() && !SamePath(real, folder)) {
        Folders_.push_back(std::move(real));
    }
    TFileId id;
    if (GetDirectoryId(folder, id)) FolderIds_.push_back(id);
    // The checker's walk and scan; only the declarations are kept, as written.
    TPathList paths;
    TSkippedList skipped;
    WalkTree(folder, std::string(kDefinitionMask), paths, &skipped);
    for (const TSkippedEntry& entry : skipped) complaints.push_back({utCannotRead, entry.Path, entry.Reason});
    std::vector<char> buffer;
    std::vector<char> chunk(kReadChunk);
    TScanState state;
    state.KeepDefinedPlaces = true;
    state.Rules = rules;
    for (int32_t i = 0; i < paths.Count(); ++i) {
        const std::string path(paths[i]);
        std::size_t size = 0;
        std::string reason;
        if (!ReadDisk(path, buffer, size, &reason)) {
            complaints.push_back({utCannotRead, path, reason});
            continue;
        }
        const std::string_view bytes(buffer.data(), size);
        state.TruncateRecords();
        TMemorySource text(bytes, true);
        TLineScanner(state, chunk).ScanText(text, 0);
        const std::vector<TKindSource> kinds = KindsOf(state, true);
        if (std::all_of(kinds.begin(), kinds.end(), [](const TKindSource& k) { return k.DefinedNames->Count() == 0; }))
            continue;
        const TEncoding from = encoding == TEncodingChoice::Auto     ? DetectEncoding(bytes)
                               : encoding == TEncodingChoice::Cp1251 ? TEncoding::Cp1251
                                                                     : TEncoding::Utf8;
        const TReaderLines lines(bytes);
        for (const TKindSource& kind : kinds) {
            for (int32_t k = 0; k < kind.DefinedNames->Count(); ++k) {
                const TRefRec& place = (*kind.Declarations)[k];
                std::size_t begin = 0;
                std::size_t end = 0;
                lines.Locate(place.LineIndex, place.Column, place.Length, begin, end);
                Add(kind.Rule, std::string((*kind.DefinedNames)[k]),
                    ToUtf8(WithoutCr(bytes.substr(begin, end - begin)), from), source);
            }
        }
    }
}

void TDeclaredElsewhere::ReadNameFile(const std::string& path, int32_t rule, std::vector<TComplaint>& complaints) {
    std::string bytes;
    if (auto complaint = ReadTextFile(path, bytes)) {
        complaints.push_back(std::move(*complaint));
        return;
    }
    const auto source = static_cast<int32_t>(Sources_.size());
    Sources_.push_back(path);
    // As the checker reads a names file, less the lowering: the key is lowered, the spelling kept.
    for (std::string_view line : TextLines(bytes)) {
        line = TrimBlanks(line.substr(0, line.find(kComment)));
        if (!line.empty()) Add(rule, AsciiLowered(line), ToUtf8(line, DetectEncoding(line)), source);
    }
}
