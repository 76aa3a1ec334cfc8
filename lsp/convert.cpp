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
    {1, "undeclared-image", utSarifMissing},   // Error
    {4, "unused-image", utSarifUnused},        // Hint
    {2, "duplicate-image", utSarifDuplicate},  // Warning
};

}  // namespace

TDiagnosticTexts DiagnosticTexts() {
    TDiagnosticTexts texts{TextOf(utSarifImage), {}};
    for (std::size_t k = 0; k < std::size(kKinds); ++k) texts.Kinds[k] = TextOf(kKinds[k].Text);
    return texts;
}

json DiagnosticOf(const TFinding& finding, json related, const TDiagnosticTexts& texts) {
    const auto kind = static_cast<std::size_t>(finding.Kind);
    json diagnostic = json::object();
    diagnostic["range"] = JsonOf(finding.Range);
    diagnostic["severity"] = kKinds[kind].Severity;
    diagnostic["source"] = "tessaron";
    diagnostic["code"] = kKinds[kind].Code;
    diagnostic["message"] = texts.Image + finding.Name + texts.Kinds[kind];
    if (finding.Kind == TFindingKind::Unused) diagnostic["tags"] = {1};  // Unnecessary
    if (!related.empty()) diagnostic["relatedInformation"] = std::move(related);
    return diagnostic;
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
