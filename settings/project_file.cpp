#include "project_file.h"

#include <algorithm>
#include <limits>
#include <set>
#include <utility>

#include <toml++/toml.h>

#include "findings.h"
#include "fs.h"
#include "syntax.h"

namespace {

constexpr std::string_view kImage = "image";
constexpr std::string_view kDeclaredIn = "declared-in";
constexpr std::string_view kNames = "names";
constexpr std::string_view kUnused = "unused";
constexpr std::string_view kDuplicates = "duplicates";
constexpr std::string_view kRule = "rule";
constexpr std::string_view kId = "id";
constexpr std::string_view kTitle = "title";
constexpr std::string_view kDeclaredBy = "declared-by";
constexpr std::string_view kIgnore = "ignore";
constexpr std::string_view kUse = "use";
constexpr std::string_view kKey = "key";
constexpr std::string_view kIn = "in";
constexpr std::string_view kTokens = "tokens";
// "N-": the Nth token and every one after it.
constexpr char kAndAfter = '-';

// A keyword or key as the reader can meet it in a line: one word that no
// '=' splits and no comment cuts.
bool IsWord(std::string_view word) {
    return !word.empty() && word.find(kSecondComment) == std::string_view::npos &&
           std::none_of(word.begin(), word.end(),
                        [](char c) { return IsBlank(c) || c == kAssignment || c == kComment; });
}

std::optional<TTokenPick> TokensOf(std::string_view text) {
    TTokenPick pick;
    pick.AndAfter = !text.empty() && text.back() == kAndAfter;
    if (pick.AndAfter) text.remove_suffix(1);
    if (text.empty() || text[0] < '1' || text[0] > '9') return std::nullopt;
    uint64_t first = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        // A number past the last token of any line picks none: keep it in range.
        first = std::min<uint64_t>(first * 10 + static_cast<uint64_t>(c - '0'), std::numeric_limits<uint32_t>::max());
    }
    pick.First = static_cast<uint32_t>(first);
    return pick;
}

class TProjectReader {
public:
    TProjectReader(std::string_view bytes, const std::string& folder) : Bytes_(bytes), Folder_(folder) {}

    void Read(const toml::table& top, TProjectFile& file);
    void Fault(const toml::source_position& at, TTextId text, std::string subject = {}) {
        Faults.push_back({at.line, ByteColumn(at), text, std::move(subject)});
    }

    std::vector<TProjectFault> Faults;

private:
    std::optional<bool> Bool(const toml::node& node, std::string_view key);
    bool String(const toml::node& node, std::string_view key, std::string& out);
    // Calls take(item, node) for each item of type T of an array, complaining
    // with `notArray` of another value and with `notT` at an item of another type.
    template <typename T, typename F>
    void EachOf(const toml::node& node, std::string_view key, TTextId notArray, TTextId notT, F&& take);
    template <typename F>
    void EachString(const toml::node& node, std::string_view key, F&& take);
    std::vector<std::string> Paths(const toml::node& node, std::string_view key);
    template <typename F>
    void EachTable(const toml::node& node, std::string_view key, F&& take);
    bool Word(const std::string& word, const toml::node& at);
    void ReadRule(const toml::table& table, TProjectFile& file);
    void ReadUse(const toml::table& table, TRule& rule);
    // toml++ counts a column in code points.
    uint32_t ByteColumn(const toml::source_position& at) const;

    std::string_view Bytes_;
    const std::string& Folder_;
    std::set<std::string> Ids_;
};

void TProjectReader::Read(const toml::table& top, TProjectFile& file) {
    for (auto&& [key, node] : top) {
        const std::string_view name = key.str();
        if (name == kImage) {
            file.Image = Bool(node, name).value_or(file.Image);
        } else if (name == kDeclaredIn) {
            file.DeclaredIn = Paths(node, name);
        } else if (name == kNames) {
            file.Names = Paths(node, name);
        } else if (name == kUnused) {
            file.Unused = Bool(node, name);
        } else if (name == kDuplicates) {
            file.Duplicates = Bool(node, name);
        } else if (name == kRule) {
            EachTable(node, name, [&](const toml::table& rule) { ReadRule(rule, file); });
        } else {
            Fault(key.source().begin, utProjectUnknownKey, std::string(name));
        }
    }
}

void TProjectReader::ReadRule(const toml::table& table, TProjectFile& file) {
    TRule rule;
    for (auto&& [key, node] : table) {
        const std::string_view name = key.str();
        if (name == kId) {
            if (!String(node, name, rule.Id)) continue;
            if (!IsRuleId(rule.Id)) {
                Fault(node.source().begin, utProjectBadId, rule.Id);
            } else if (rule.Id == kImageRuleId) {
                Fault(node.source().begin, utProjectImageId);
            } else if (!Ids_.insert(rule.Id).second) {
                Fault(node.source().begin, utProjectRepeatedId, rule.Id);
            }
        } else if (name == kTitle) {
            String(node, name, rule.Title);
        } else if (name == kDeclaredBy) {
            const toml::array* keywords = node.as_array();
            if (keywords != nullptr && keywords->empty()) Fault(node.source().begin, utProjectNoDeclaredBy);
            EachString(node, name, [&](std::string keyword, const toml::node& at) {
                if (Word(keyword, at)) rule.DeclaredBy.push_back(std::move(keyword));
            });
        } else if (name == kIgnore) {
            EachString(node, name,
                       [&](std::string value, const toml::node&) { rule.Ignore.push_back(std::move(value)); });
        } else if (name == kNames) {
            rule.Names = Paths(node, name);
        } else if (name == kUse) {
            EachTable(node, name, [&](const toml::table& use) { ReadUse(use, rule); });
        } else {
            Fault(key.source().begin, utProjectUnknownKey, std::string(name));
        }
    }
    if (!table.contains(kId)) Fault(table.source().begin, utProjectNoId);
    if (!table.contains(kDeclaredBy)) Fault(table.source().begin, utProjectNoDeclaredBy);
    if (rule.Title.empty()) rule.Title = rule.Id;
    file.Rules.push_back(std::move(rule));
}

void TProjectReader::ReadUse(const toml::table& table, TRule& rule) {
    TRuleUse use;
    for (auto&& [key, node] : table) {
        const std::string_view name = key.str();
        if (name == kKey) {
            if (String(node, name, use.Key)) Word(use.Key, node);
        } else if (name == kIn) {
            if (String(node, name, use.In)) Word(use.In, node);
        } else if (name == kTokens) {
            std::string tokens;
            if (!String(node, name, tokens)) continue;
            if (const std::optional<TTokenPick> pick = TokensOf(tokens)) {
                use.Tokens = *pick;
            } else {
                Fault(node.source().begin, utProjectBadTokens, tokens);
            }
        } else {
            Fault(key.source().begin, utProjectUnknownKey, std::string(name));
        }
    }
    if (!table.contains(kKey)) Fault(table.source().begin, utProjectNoKey);
    rule.Uses.push_back(std::move(use));
}

std::optional<bool> TProjectReader::Bool(const toml::node& node, std::string_view key) {
    if (const auto* value = node.as_boolean()) return value->get();
    Fault(node.source().begin, utProjectNeedsBool, std::string(key));
    return std::nullopt;
}

bool TProjectReader::String(const toml::node& node, std::string_view key, std::string& out) {
    if (const auto* value = node.as_string()) {
        out = value->get();
        return true;
    }
    Fault(node.source().begin, utProjectNeedsString, std::string(key));
    return false;
}

template <typename T, typename F>
void TProjectReader::EachOf(const toml::node& node, std::string_view key, TTextId notArray, TTextId notT, F&& take) {
    const toml::array* items = node.as_array();
    if (items == nullptr) {
        Fault(node.source().begin, notArray, std::string(key));
        return;
    }
    for (const toml::node& item : *items) {
        if (const T* value = item.as<T>()) {
            take(*value, item);
        } else {
            Fault(item.source().begin, notT, std::string(key));
        }
    }
}

template <typename F>
void TProjectReader::EachString(const toml::node& node, std::string_view key, F&& take) {
    EachOf<toml::value<std::string>>(
        node, key, utProjectNeedsStrings, utProjectNeedsStrings,
        [&](const toml::value<std::string>& value, const toml::node& at) { take(value.get(), at); });
}

std::vector<std::string> TProjectReader::Paths(const toml::node& node, std::string_view key) {
    std::vector<std::string> paths;
    EachString(node, key,
               [&](const std::string& path, const toml::node&) { paths.push_back(ResolvedPath(path, Folder_)); });
    return paths;
}

template <typename F>
void TProjectReader::EachTable(const toml::node& node, std::string_view key, F&& take) {
    EachOf<toml::table>(node, key, utProjectNeedsTables, utProjectNeedsTable,
                        [&](const toml::table& table, const toml::node&) { take(table); });
}

bool TProjectReader::Word(const std::string& word, const toml::node& at) {
    if (IsWord(word)) return true;
    Fault(at.source().begin, utProjectBadWord, word);
    return false;
}

uint32_t TProjectReader::ByteColumn(const toml::source_position& at) const {
    std::size_t line = 0;
    // The reader passes over a UTF-8 byte order mark without counting it.
    if (Bytes_.substr(0, 3) == "\xEF\xBB\xBF") line = 3;
    for (uint32_t n = 1; n < at.line && line < Bytes_.size(); ++n) {
        const std::size_t lf = Bytes_.find(kLineFeed, line);
        line = lf == std::string_view::npos ? Bytes_.size() : lf + 1;
    }
    std::size_t byte = line;
    for (uint32_t n = 1; n < at.column && byte < Bytes_.size() && Bytes_[byte] != kLineFeed; ++n) {
        ++byte;
        while (byte < Bytes_.size() && (static_cast<unsigned char>(Bytes_[byte]) & 0xC0) == 0x80) ++byte;
    }
    return static_cast<uint32_t>(byte - line + 1);
}

}  // namespace

std::vector<TProjectFault> ParseProjectFile(std::string_view bytes, const std::string& folder, TProjectFile& file) {
    TProjectReader reader(bytes, folder);
    try {
        const toml::table top = toml::parse(bytes);
        TProjectFile read;
        reader.Read(top, read);
        if (reader.Faults.empty()) file = std::move(read);
    } catch (const toml::parse_error& error) {
        reader.Fault(error.source().begin, utProjectSyntax, std::string(error.description()));
    }
    std::stable_sort(reader.Faults.begin(), reader.Faults.end(), [](const TProjectFault& a, const TProjectFault& b) {
        return a.Line != b.Line ? a.Line < b.Line : a.Column < b.Column;
    });
    return std::move(reader.Faults);
}

bool IsRuleId(std::string_view id) {
    const auto lowerLetter = [](char c) { return c >= 'a' && c <= 'z'; };
    return !id.empty() && lowerLetter(id[0]) && std::all_of(id.begin(), id.end(), [&](char c) {
        return lowerLetter(c) || (c >= '0' && c <= '9') || c == '-';
    });
}

std::string ResolvedPath(const std::string& path, const std::string& folder) {
    const bool absolute = !path.empty() && (path[0] == '/' || path[0] == '\\' || (path.size() > 1 && path[1] == ':'));
    if (absolute || folder.empty()) return path;
    return folder.back() == '/' || folder.back() == kPathSeparator ? folder + path : folder + kPathSeparator + path;
}

std::string ProjectFolderOf(const std::string& path) {
    const std::size_t cut = path.find_last_of(kPathSeparator == '/' ? "/" : "/\\");
    if (cut == std::string::npos) return {};
    return path.substr(0, cut == 0 ? 1 : cut);
}

TJoinedProject JoinProject(TProjectFile file, const TOwnSettings& own) {
    TJoinedProject joined;
    joined.Image = file.Image;
    joined.DeclaredIn = std::move(file.DeclaredIn);
    joined.DeclaredIn.insert(joined.DeclaredIn.end(), own.DeclaredIn.begin(), own.DeclaredIn.end());
    joined.Names = std::move(file.Names);
    joined.Names.insert(joined.Names.end(), own.Names.begin(), own.Names.end());
    joined.Unused = own.Unused.value_or(file.Unused.value_or(own.DefaultUnused));
    joined.Duplicates = own.Duplicates.value_or(file.Duplicates.value_or(own.DefaultDuplicates));
    joined.Rules = std::move(file.Rules);
    return joined;
}
