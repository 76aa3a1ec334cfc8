#include "convert.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <string_view>
#include <utility>

#include "cp1251.h"
#include "findings.h"
#include "fs.h"
#include "rpc_error.h"

using nlohmann::json;

std::string Utf8Text(TTextId id) {
    return Utf8FromCp1251(UiText[id]);
}

// Objects are built key by key: a brace list would make each pair an array
// of two first, which costs three allocations where one does.
json JsonOf(TPosition position) {
    json out = json::object();
    out["line"] = position.Line;
    out["character"] = position.Character;
    return out;
}

json JsonOf(const TRange& range) {
    json out = json::object();
    out["start"] = JsonOf(range.Start);
    out["end"] = JsonOf(range.End);
    return out;
}

namespace {

std::string Shown(const json& value) {
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

uint32_t CoordinateOf(const json& position, const char* key) {
    constexpr int64_t kMost = (int64_t{1} << 31) - 1;
    const auto it = position.is_object() ? position.find(key) : position.end();
    // An unsigned value past int64_t's range reads as a negative one.
    const bool valid =
        it != position.end() && it->is_number_integer() && it->get<int64_t>() >= 0 && it->get<int64_t>() <= kMost;
    if (!valid) throw TRpcError{kInvalidParams, Utf8Text(utLspBadPosition) + Shown(position)};
    return it->get<uint32_t>();
}

}  // namespace

TPosition PositionFromJson(const json& json) {
    return {CoordinateOf(json, "line"), CoordinateOf(json, "character")};
}

TRange RangeFromJson(const json& json) {
    if (!json.is_object() || !json.contains("start") || !json.contains("end"))
        throw TRpcError{kInvalidParams, Utf8Text(utLspBadPosition) + Shown(json)};
    return {PositionFromJson(json["start"]), PositionFromJson(json["end"])};
}

json LocationOf(const TPlace& place, const TClientUri& clientUri) {
    return {{"uri", clientUri(place.File)}, {"range", JsonOf(place.Range)}};
}

namespace {

struct TKindRow {
    int Severity;
    TTextId ImageText;
    TTextId RuleText;
};
constexpr TKindRow kKinds[] = {
    {1, utFindingUndeclared, utFindingKindUndeclared},  // Error
    {4, utFindingUnused, utFindingKindUnused},          // Hint
    {2, utFindingDuplicate, utFindingKindDuplicate},    // Warning
};

}  // namespace

const TDiagnosticTexts::TRuleTexts& TDiagnosticTexts::Of(int32_t rule) const {
    const int64_t at = int64_t{rule} - kImageRule;
    return at >= 0 && at < static_cast<int64_t>(Rules.size()) ? Rules[static_cast<std::size_t>(at)] : Rules.front();
}

TDiagnosticTexts DiagnosticTexts(const std::vector<TRule>& rules) {
    TDiagnosticTexts texts{{}, Utf8Text(utLspAlsoDeclared)};
    texts.Rules.resize(rules.size() + 1);
    for (std::size_t r = 0; r < texts.Rules.size(); ++r) {
        TDiagnosticTexts::TRuleTexts& rule = texts.Rules[r];
        const bool image = r == 0;
        rule.Before = image ? Utf8Text(utFindingImage) : rules[r - 1].Title + Utf8Text(utKindName);
        for (std::size_t k = 0; k < std::size(kKinds); ++k) {
            rule.Codes[k] = std::string(kFindingWords[k]) + kFindingIdSeparator +
                            (image ? std::string(kImageRuleId) : rules[r - 1].Id);
            rule.After[k] = Utf8Text(image ? kKinds[k].ImageText : kKinds[k].RuleText);
        }
    }
    return texts;
}

namespace {

// Written as nlohmann::json writes them, keys in order, so that the text is
// the same as a dump of the value would be.
bool IsPlain(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= ' ' && c < '\x7F'; });
}

// The parts as one JSON string. Printable ASCII, as nearly every name, path
// and message is, is escaped here as nlohmann-json escapes it, run by run;
// a JSON value for each string cost a tenth of a first indexing's time.
void AppendString(std::string& out, std::initializer_list<std::string_view> parts) {
    if (!std::all_of(parts.begin(), parts.end(), IsPlain)) {
        std::string whole;
        for (const std::string_view part : parts) whole += part;
        out += json(whole).dump(-1, ' ', false, json::error_handler_t::replace);
        return;
    }
    out += '"';
    for (const std::string_view part : parts) {
        for (std::size_t at = 0;;) {
            const std::size_t stop = std::min(part.find_first_of("\"\\", at), part.size());
            out.append(part.data() + at, stop - at);
            if (stop == part.size()) break;
            out += '\\';
            out += part[stop];
            at = stop + 1;
        }
    }
    out += '"';
}

void AppendRange(std::string& out, const TRange& range) {
    out += "{\"end\":{\"character\":" + std::to_string(range.End.Character) +
           ",\"line\":" + std::to_string(range.End.Line) +
           "},\"start\":{\"character\":" + std::to_string(range.Start.Character) +
           ",\"line\":" + std::to_string(range.Start.Line) + "}}";
}

void AppendDiagnostic(std::string& out, const TFinding& finding, const TDiagnosticTexts& texts,
                      const TClientUri& clientUri) {
    const auto kind = static_cast<std::size_t>(finding.Kind);
    const TDiagnosticTexts::TRuleTexts& rule = texts.Of(finding.Rule);
    out += "{\"code\":";
    AppendString(out, {rule.Codes[kind]});
    out += ",\"message\":";
    AppendString(out, {rule.Before, finding.Name, rule.After[kind]});
    out += ",\"range\":";
    AppendRange(out, finding.Range);
    for (std::size_t i = 0; i < finding.Related.size(); ++i) {
        out += i == 0 ? ",\"relatedInformation\":[" : ",";
        out += "{\"location\":{\"range\":";
        AppendRange(out, finding.Related[i].Range);
        out += ",\"uri\":";
        AppendString(out, {clientUri(finding.Related[i].File)});
        out += "},\"message\":";
        AppendString(out, {texts.AlsoDeclared});
        out += i + 1 == finding.Related.size() ? "}]" : "}";
    }
    out += ",\"severity\":" + std::to_string(kKinds[kind].Severity) + ",\"source\":\"tessaron\"";
    if (finding.Kind == TFindingKind::Unused) out += ",\"tags\":[1]";  // Unnecessary
    out += "}";
}

}  // namespace

std::string PublishDiagnosticsBody(const std::string& uri, const std::vector<TFinding>& findings,
                                   const TDiagnosticTexts& texts, const TClientUri& clientUri) {
    std::string out =
        "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/publishDiagnostics\",\"params\":{\"diagnostics\":[";
    for (std::size_t i = 0; i < findings.size(); ++i) {
        if (i > 0) out += ",";
        AppendDiagnostic(out, findings[i], texts, clientUri);
    }
    out += "],\"uri\":";
    AppendString(out, {uri});
    out += "}}";
    return out;
}

json DiagnosticOf(const TFinding& finding, const TDiagnosticTexts& texts, const TClientUri& clientUri) {
    std::string text;
    AppendDiagnostic(text, finding, texts, clientUri);
    return json::parse(text);
}

namespace {

std::string Resolved(const std::string& path, const std::string& root) {
    const bool absolute = !path.empty() && (path[0] == '/' || path[0] == '\\' || (path.size() > 1 && path[1] == ':'));
    return absolute || root.empty() ? path : root + kPathSeparator + path;
}

// The settings of one message, each key's value checked before it is taken.
struct TSettingsReader {
    const json& Json;
    std::vector<TComplaint>& Complaints;

    // The key's value, null when it is not there or is of another kind.
    const json* Value(const char* key, bool (json::*isKind)() const noexcept) {
        const auto it = Json.find(key);
        if (it == Json.end()) return nullptr;
        if (((*it).*isKind)()) return &*it;
        Refuse(key, *it);
        return nullptr;
    }
    void Refuse(const char* key, const json& value) {
        Complaints.push_back({utBadValue, std::string(key) + ": " + Shown(value)});
    }
    void Paths(const char* key, const std::string& root, std::vector<std::string>& paths) {
        const json* list = Value(key, &json::is_array);
        if (list == nullptr) return;
        paths.clear();
        for (const json& item : *list) {
            if (item.is_string() && !item.get_ref<const std::string&>().empty()) {
                paths.push_back(Resolved(item.get<std::string>(), root));
            } else {
                Refuse(key, item);
            }
        }
    }
    void Flag(const char* key, std::optional<bool>& flag) {
        if (const json* value = Value(key, &json::is_boolean)) flag = value->get<bool>();
    }
};

}  // namespace

TEditorSettings SettingsOf(const json& json, TEditorSettings base, const std::string& root,
                           std::vector<TComplaint>& complaints) {
    if (!json.is_object()) return base;
    TSettingsReader reader{json, complaints};
    reader.Paths("declaredIn", root, base.DeclaredIn);
    reader.Paths("names", root, base.NameFiles);
    reader.Flag("unused", base.Unused);
    reader.Flag("duplicates", base.Duplicates);
    if (const nlohmann::json* value = reader.Value("rules", &json::is_string)) {
        const std::string& path = value->get_ref<const std::string&>();
        base.Rules = path.empty() ? path : Resolved(path, root);
    }
    if (const nlohmann::json* value = reader.Value("encoding", &json::is_string)) {
        constexpr std::pair<std::string_view, TEncodingChoice> kEncodings[] = {
            {"auto", TEncodingChoice::Auto},
            {"utf-8", TEncodingChoice::Utf8},
            {"windows-1251", TEncodingChoice::Cp1251}};
        const auto it = std::find_if(std::begin(kEncodings), std::end(kEncodings),
                                     [value](const auto& known) { return known.first == *value; });
        if (it == std::end(kEncodings)) {
            reader.Refuse("encoding", *value);
        } else {
            base.Encoding = it->second;
        }
    }
    return base;
}

TIndexSettings IndexSettingsOf(const TEditorSettings& editor, TProjectFile file) {
    TIndexSettings settings;
    const TOwnSettings own{editor.DeclaredIn, editor.NameFiles, editor.Unused,
                           editor.Duplicates, settings.Unused,  settings.Duplicates};
    TJoinedProject joined = JoinProject(std::move(file), own);
    settings.DeclaredIn = std::move(joined.DeclaredIn);
    settings.NameFiles = std::move(joined.Names);
    settings.Unused = joined.Unused;
    settings.Duplicates = joined.Duplicates;
    settings.Encoding = editor.Encoding;
    settings.Images = joined.Image;
    settings.Rules = std::move(joined.Rules);
    return settings;
}
