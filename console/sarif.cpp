#include <string>
#include <vector>

#include "columns.h"
#include "cp1251.h"
#include "formats.h"
#include "fs.h"
#include "json.h"
#include "ui_text.h"
#include "version.h"

namespace {

// A rule descriptor of the log; code-scanning services track alerts by its id.
struct TDescriptor {
    std::string Id;
    std::string Name;
    std::string Description;  // UTF-8
    const char* Level;
};

constexpr const char* kLevels[] = {"error", "warning", "warning"};
constexpr TTextId kImageDescriptions[] = {utRuleMissing, utRuleUnused, utRuleDuplicate};
constexpr TTextId kKindDescriptions[] = {utRuleKindUndeclared, utRuleKindUnused, utRuleKindDuplicate};
constexpr TTextId kImageMessages[] = {utFindingUndeclared, utFindingUnused, utFindingDuplicate};
constexpr TTextId kKindMessages[] = {utFindingKindUndeclared, utFindingKindUnused, utFindingKindDuplicate};

// "undeclared-weapon-set" as "UndeclaredWeaponSet".
std::string PascalCase(const std::string& id) {
    std::string name;
    bool start = true;
    for (const char c : id) {
        if (c == kFindingIdSeparator) {
            start = true;
        } else {
            name += start && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
            start = false;
        }
    }
    return name;
}

// Which findings of a kind the log has descriptors for: an image's all three,
// a file rule's the kinds asked for.
bool Described(const TRunReport& f, const TKindReport& kind, TFindingKind finding) {
    return kind.IsImage() || finding == fkUndeclared || (finding == fkUnused && f.Kinds.Unused) ||
           (finding == fkDuplicate && f.Kinds.Duplicates);
}

// The descriptors in the order of their kinds; `first` gets, for each kind in
// ForEachKind's order, the index of its first descriptor.
std::vector<TDescriptor> DescriptorsOf(const TRunReport& f, std::vector<int64_t>& first) {
    std::vector<TDescriptor> descriptors;
    f.ForEachKind([&](const TKindReport& kind) {
        first.push_back(static_cast<int64_t>(descriptors.size()));
        for (const TFindingKind finding : kFindingKinds) {
            if (!Described(f, kind, finding)) continue;
            const std::string id = kind.FindingId(finding);
            std::string description = kind.IsImage() ? Utf8FromCp1251(UiText[kImageDescriptions[finding]])
                                                     : kind.Title + Utf8FromCp1251(UiText[kKindDescriptions[finding]]);
            descriptors.push_back({id, PascalCase(id), std::move(description), kLevels[finding]});
        }
    });
    return descriptors;
}

// A path as a URI's path: '/' separators, every byte outside the unreserved
// set percent-encoded, a backslash too where it is no separator. An absolute
// path keeps a drive's ':'; a relative one loses its leading separator.
std::string UriPathOf(std::string_view path, bool absolute) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string uri;
    for (const char c : path) {
        const auto b = static_cast<unsigned char>(c);
        const bool plain = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '-' ||
                           b == '.' || b == '_' || b == '~' || (absolute && b == ':');
        if (b == '/' || c == kPathSeparator) {
            if (absolute || !uri.empty()) uri += '/';
        } else if (plain) {
            uri += c;
        } else {
            uri += '%';
            uri += kHex[b >> 4];
            uri += kHex[b & 0xF];
        }
    }
    return uri;
}

// The root as an absolute file URI that ends in '/', for %SRCROOT%.
std::string RootUriOf(const std::string& root) {
    const std::string path = UriPathOf(AbsolutePath(root), true);
    // "/home/x" and "C:/data" get an empty host; "//server/share" names its own.
    std::string uri = path.compare(0, 2, "//") == 0 ? "file:" : path.compare(0, 1, "/") == 0 ? "file://" : "file:///";
    uri += path;
    if (uri.back() != '/') uri += '/';
    return uri;
}

void WriteText(TJsonWriter& json, std::string_view key, std::string_view text) {
    json.Key(key);
    json.Open('{', false);
    json.Key("text");
    json.String(text);
    json.Close('}');
}

void WriteLocation(TJsonWriter& json, const TRunReport& f, const TCodePointColumns& columns, const TRefRec& place,
                   int64_t id) {
    json.Open('{', false);
    if (id >= 0) {
        json.Key("id");
        json.Number(id);
    }
    json.Key("physicalLocation");
    json.Open('{', false);
    json.Key("artifactLocation");
    json.Open('{', false);
    json.Key("uri");
    json.String(UriPathOf(f.Relative(place.FileIndex), false));
    json.Key("uriBaseId");
    json.String("%SRCROOT%");
    json.Close('}');
    json.Key("region");
    json.Open('{', false);
    json.Key("startLine");
    json.Number(int64_t{place.LineIndex} + 1);
    const auto [start, end] = columns.Of(place);
    json.Key("startColumn");
    json.Number(start);
    json.Key("endColumn");
    json.Number(end);
    json.Close('}');
    json.Close('}');
    json.Close('}');
}

// `index` is the result's descriptor.
void WriteResult(TJsonWriter& json, const TRunReport& f, const TCodePointColumns& columns, const TKindReport& kind,
                 TFindingKind finding, int64_t index, std::string_view name, const TRefRec& place,
                 const std::vector<int32_t>& related = {}) {
    json.Open('{', false);
    json.Key("ruleId");
    json.String(kind.FindingId(finding));
    json.Key("ruleIndex");
    json.Number(index);
    json.Key("level");
    json.String(kLevels[finding]);
    // The table's texts as UTF-8; the name stays bytes for the writer to make valid.
    std::string message =
        kind.IsImage() ? Utf8FromCp1251(UiText[utFindingImage]) : kind.Title + Utf8FromCp1251(UiText[utKindName]);
    message.append(name).append(
        Utf8FromCp1251(UiText[kind.IsImage() ? kImageMessages[finding] : kKindMessages[finding]]));
    WriteText(json, "message", message);
    json.Key("locations");
    json.Open('[', false);
    WriteLocation(json, f, columns, place, -1);
    json.Close(']');
    if (!related.empty()) {
        json.Key("relatedLocations");
        json.Open('[', false);
        for (std::size_t p = 0; p < related.size(); ++p) {
            WriteLocation(json, f, columns, kind.Declaration(related[p]), static_cast<int64_t>(p) + 1);
        }
        json.Close(']');
    }
    json.Close('}');
}

void WriteDriver(TJsonWriter& json, const std::vector<TDescriptor>& descriptors) {
    json.Key("tool");
    json.Open('{', true);
    json.Key("driver");
    json.Open('{', true);
    json.Key("name");
    json.String("tessaron-check");
    json.Key("version");
    json.String(TESSARON_VERSION);
    json.Key("rules");
    json.Open('[', true);
    for (const TDescriptor& descriptor : descriptors) {
        json.Open('{', false);
        json.Key("id");
        json.String(descriptor.Id);
        json.Key("name");
        json.String(descriptor.Name);
        WriteText(json, "shortDescription", descriptor.Description);
        json.Key("defaultConfiguration");
        json.Open('{', false);
        json.Key("level");
        json.String(descriptor.Level);
        json.Close('}');
        json.Close('}');
    }
    json.Close(']');
    json.Close('}');
    json.Close('}');
}

void WriteNotification(TJsonWriter& json, const char* level, const std::string& text) {
    json.Open('{', false);
    json.Key("level");
    json.String(level);
    WriteText(json, "message", text);
    json.Close('}');
}

// What could not be read, or not as written, as the run's tool execution notifications.
void WriteInvocation(TJsonWriter& json, const TReadProblems& problems) {
    json.Key("invocations");
    json.Open('[', true);
    json.Open('{', true);
    json.Key("executionSuccessful");
    json.Bool(!problems.Failed());
    json.Key("toolExecutionNotifications");
    json.Open('[', true);
    for (const TSkippedEntry& entry : problems.Skipped) {
        WriteNotification(json, entry.Reason.empty() ? "note" : "error",
                          Utf8FromCp1251(UiText[utCannotRead]) + entry.Path + ": " + ReasonText(entry));
    }
    for (const TEncodingWarning& warning : problems.Warnings) {
        WriteNotification(json, "warning",
                          warning.Path + ": " + Utf8FromCp1251(UiText[EncodingText(warning.Encoding)]));
    }
    json.Close(']');
    json.Close('}');
    json.Close(']');
}

// The columns of every place that the results name.
TCodePointColumns ColumnsOf(const TRunReport& f) {
    TCodePointColumns columns;
    f.ForEachKind([&](const TKindReport& kind) {
        for (const int32_t k : kind.Found.Undeclared) columns.Want(kind.Use(k));
        for (const int32_t i : kind.Found.Unused) columns.Want(kind.Declaration(i));
        for (const auto& places : kind.Found.Duplicates) {
            for (const int32_t i : places) columns.Want(kind.Declaration(i));
        }
    });
    columns.Read(f.State);
    return columns;
}

void WriteResults(TJsonWriter& json, const TRunReport& f, const std::vector<int64_t>& first) {
    const TCodePointColumns columns = ColumnsOf(f);
    std::size_t k = 0;
    f.ForEachKind([&](const TKindReport& kind) {
        int64_t index = first[k++];
        for (const int32_t use : kind.Found.Undeclared) {
            WriteResult(json, f, columns, kind, fkUndeclared, index, kind.UsedName(use), kind.Use(use));
        }
        if (Described(f, kind, fkUnused)) ++index;
        for (const int32_t i : kind.Found.Unused) {
            WriteResult(json, f, columns, kind, fkUnused, index, kind.DefinedName(i), kind.Declaration(i));
        }
        if (Described(f, kind, fkDuplicate)) ++index;
        for (const auto& places : kind.Found.Duplicates) {
            const std::vector<int32_t> others(places.begin() + 1, places.end());
            WriteResult(json, f, columns, kind, fkDuplicate, index, kind.DefinedName(places.front()),
                        kind.Declaration(places.front()), others);
        }
    });
}

}  // namespace

void WriteSarif(const TRunReport& f, TOutput& out) {
    std::vector<int64_t> first;
    const std::vector<TDescriptor> descriptors = DescriptorsOf(f, first);
    TJsonWriter json(out);
    json.Open('{', true);
    json.Key("$schema");
    json.String("https://json.schemastore.org/sarif-2.1.0.json");
    json.Key("version");
    json.String("2.1.0");
    json.Key("runs");
    json.Open('[', true);
    json.Open('{', true);
    WriteDriver(json, descriptors);
    WriteInvocation(json, f.Problems);
    json.Key("originalUriBaseIds");
    json.Open('{', true);
    json.Key("%SRCROOT%");
    json.Open('{', false);
    json.Key("uri");
    json.String(RootUriOf(f.Root));
    json.Close('}');
    json.Close('}');
    json.Key("columnKind");
    json.String("unicodeCodePoints");
    json.Key("results");
    json.Open('[', true);
    WriteResults(json, f, first);
    json.Close(']');
    json.Close('}');
    json.Close(']');
    json.Close('}');
    json.Finish();
}
