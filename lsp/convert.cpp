#include "convert.h"

#include <iterator>

#include "cp1251.h"
#include "fs.h"

using nlohmann::json;

std::string TextOf(TTextId id) {
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

TPosition PositionOf(const json& json) {
    return {json.at("line").get<uint32_t>(), json.at("character").get<uint32_t>()};
}

TRange RangeOf(const json& json) {
    return {PositionOf(json.at("start")), PositionOf(json.at("end"))};
}

namespace {

struct TKindRow {
    int Severity;
    const char* Code;
    TTextId Text;
};
constexpr TKindRow kKinds[] = {
    {1, "undeclared-image", utFindingUndeclared},  // Error
    {4, "unused-image", utFindingUnused},          // Hint
    {2, "duplicate-image", utFindingDuplicate},    // Warning
};

}  // namespace

TDiagnosticTexts DiagnosticTexts() {
    TDiagnosticTexts texts{TextOf(utFindingImage), {}, TextOf(utLspAlsoDeclared)};
    for (std::size_t k = 0; k < std::size(kKinds); ++k) texts.Kinds[k] = TextOf(kKinds[k].Text);
    return texts;
}

namespace {

// Written as nlohmann::json writes them, keys in order, so that the text is
// the same as a dump of the value would be.
void AppendString(std::string& out, const std::string& text) {
    out += json(text).dump(-1, ' ', false, json::error_handler_t::replace);
}

void AppendRange(std::string& out, const TRange& range) {
    out += "{\"end\":{\"character\":" + std::to_string(range.End.Character) +
           ",\"line\":" + std::to_string(range.End.Line) +
           "},\"start\":{\"character\":" + std::to_string(range.Start.Character) +
           ",\"line\":" + std::to_string(range.Start.Line) + "}}";
}

void AppendDiagnostic(std::string& out, const TFinding& finding, const TDiagnosticTexts& texts, const TUriOf& uriOf) {
    const auto kind = static_cast<std::size_t>(finding.Kind);
    out += "{\"code\":\"";
    out += kKinds[kind].Code;
    out += "\",\"message\":";
    AppendString(out, texts.Image + finding.Name + texts.Kinds[kind]);
    out += ",\"range\":";
    AppendRange(out, finding.Range);
    for (std::size_t i = 0; i < finding.Related.size(); ++i) {
        out += i == 0 ? ",\"relatedInformation\":[" : ",";
        out += "{\"location\":{\"range\":";
        AppendRange(out, finding.Related[i].Range);
        out += ",\"uri\":";
        AppendString(out, uriOf(finding.Related[i].File));
        out += "},\"message\":";
        AppendString(out, texts.AlsoDeclared);
        out += i + 1 == finding.Related.size() ? "}]" : "}";
    }
    out += ",\"severity\":" + std::to_string(kKinds[kind].Severity) + ",\"source\":\"tessaron\"";
    if (finding.Kind == TFindingKind::Unused) out += ",\"tags\":[1]";  // Unnecessary
    out += "}";
}

}  // namespace

std::string PublishDiagnosticsBody(const std::string& uri, const std::vector<TFinding>& findings,
                                   const TDiagnosticTexts& texts, const TUriOf& uriOf) {
    std::string out =
        "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/publishDiagnostics\",\"params\":{\"diagnostics\":[";
    for (std::size_t i = 0; i < findings.size(); ++i) {
        if (i > 0) out += ",";
        AppendDiagnostic(out, findings[i], texts, uriOf);
    }
    out += "],\"uri\":";
    AppendString(out, uri);
    out += "}}";
    return out;
}

json DiagnosticOf(const TFinding& finding, const TDiagnosticTexts& texts, const TUriOf& uriOf) {
    std::string text;
    AppendDiagnostic(text, finding, texts, uriOf);
    return json::parse(text);
}

namespace {

std::string Resolved(const std::string& path, const std::string& root) {
    const bool absolute = !path.empty() && (path[0] == '/' || path[0] == '\\' || (path.size() > 1 && path[1] == ':'));
    return absolute || root.empty() ? path : root + kPathSeparator + path;
}

std::vector<std::string> PathsOf(const json& list, const std::string& root) {
    std::vector<std::string> paths;
    for (const json& item : list) {
        if (item.is_string()) paths.push_back(Resolved(item.get<std::string>(), root));
    }
    return paths;
}

}  // namespace

TIndexSettings SettingsOf(const json& json, TIndexSettings base, const std::string& root) {
    if (!json.is_object()) return base;
    if (const auto it = json.find("declaredIn"); it != json.end() && it->is_array())
        base.DeclaredIn = PathsOf(*it, root);
    if (const auto it = json.find("names"); it != json.end() && it->is_array()) base.NameFiles = PathsOf(*it, root);
    if (const auto it = json.find("unused"); it != json.end() && it->is_boolean()) base.Unused = it->get<bool>();
    if (const auto it = json.find("duplicates"); it != json.end() && it->is_boolean())
        base.Duplicates = it->get<bool>();
    if (const auto it = json.find("encoding"); it != json.end() && it->is_string()) {
        const std::string name = it->get<std::string>();
        base.Encoding = name == "utf-8"          ? TEncodingChoice::Utf8
                        : name == "windows-1251" ? TEncodingChoice::Cp1251
                                                 : TEncodingChoice::Auto;
    }
    return base;
}
