#include <string>

#include "columns.h"
#include "cp1251.h"
#include "formats.h"
#include "fs.h"
#include "json.h"
#include "ui_text.h"
#include "version.h"

namespace {

struct TRule {
    const char* Id;  // stable: code-scanning services track alerts by it
    const char* Name;
    TTextId Description;
    const char* Level;
};

const TRule kRules[] = {
    {"undeclared-image", "UndeclaredImage", utRuleMissing, "error"},
    {"unused-image", "UnusedImage", utRuleUnused, "warning"},
    {"duplicate-image", "DuplicateImage", utRuleDuplicate, "warning"},
};

enum TRuleIndex { kMissingRule, kUnusedRule, kDuplicateRule };

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

void WriteResult(TJsonWriter& json, const TRunReport& f, const TCodePointColumns& columns, TRuleIndex rule,
                 TTextId what, std::string_view name, const TRefRec& place, const std::vector<int32_t>& related = {}) {
    json.Open('{', false);
    json.Key("ruleId");
    json.String(kRules[rule].Id);
    json.Key("ruleIndex");
    json.Number(rule);
    json.Key("level");
    json.String(kRules[rule].Level);
    // The table's texts as UTF-8; the name stays bytes for the writer to make valid.
    std::string message = Utf8FromCp1251(UiText[utFindingImage]);
    message.append(name).append(Utf8FromCp1251(UiText[what]));
    WriteText(json, "message", message);
    json.Key("locations");
    json.Open('[', false);
    WriteLocation(json, f, columns, place, -1);
    json.Close(']');
    if (!related.empty()) {
        json.Key("relatedLocations");
        json.Open('[', false);
        for (std::size_t p = 0; p < related.size(); ++p) {
            WriteLocation(json, f, columns, f.Declaration(related[p]), static_cast<int64_t>(p) + 1);
        }
        json.Close(']');
    }
    json.Close('}');
}

void WriteDriver(TJsonWriter& json) {
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
    for (const TRule& rule : kRules) {
        json.Open('{', false);
        json.Key("id");
        json.String(rule.Id);
        json.Key("name");
        json.String(rule.Name);
        WriteText(json, "shortDescription", Utf8FromCp1251(UiText[rule.Description]));
        json.Key("defaultConfiguration");
        json.Open('{', false);
        json.Key("level");
        json.String(rule.Level);
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
    for (const int32_t k : f.Images.Found.Undeclared) columns.Want(f.State.RefTable[k]);
    for (const int32_t i : f.Images.Found.Unused) columns.Want(f.Declaration(i));
    for (const auto& places : f.Images.Found.Duplicates) {
        for (const int32_t i : places) columns.Want(f.Declaration(i));
    }
    columns.Read(f.State);
    return columns;
}

}  // namespace

void WriteSarif(const TRunReport& f, TOutput& out) {
    const TScanState& s = f.State;
    const TCodePointColumns columns = ColumnsOf(f);
    TJsonWriter json(out);
    json.Open('{', true);
    json.Key("$schema");
    json.String("https://json.schemastore.org/sarif-2.1.0.json");
    json.Key("version");
    json.String("2.1.0");
    json.Key("runs");
    json.Open('[', true);
    json.Open('{', true);
    WriteDriver(json);
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
    for (const int32_t k : f.Images.Found.Undeclared) {
        WriteResult(json, f, columns, kMissingRule, utFindingUndeclared, s.UsedNames[k], s.RefTable[k]);
    }
    for (const int32_t i : f.Images.Found.Unused) {
        WriteResult(json, f, columns, kUnusedRule, utFindingUnused, s.DefinedNames[i], f.Declaration(i));
    }
    for (const auto& places : f.Images.Found.Duplicates) {
        const std::vector<int32_t> others(places.begin() + 1, places.end());
        WriteResult(json, f, columns, kDuplicateRule, utFindingDuplicate, s.DefinedNames[places.front()],
                    f.Declaration(places.front()), others);
    }
    json.Close(']');
    json.Close('}');
    json.Close(']');
    json.Close('}');
    json.Finish();
}
