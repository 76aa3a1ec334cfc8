// Index results as the protocol's JSON, and the protocol's JSON as index input.
#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "ui_text.h"
#include "workspace.h"

// A text of the table in UTF-8.
std::string TextOf(TTextId id);

nlohmann::json JsonOf(TPosition position);
nlohmann::json JsonOf(const TRange& range);
// Raises nlohmann::json::exception when the JSON is no position.
TPosition PositionOf(const nlohmann::json& json);
TRange RangeOf(const nlohmann::json& json);

// `uriOf` names a file of the index.
template <typename F>
nlohmann::json LocationOf(const TPlace& place, F&& uriOf) {
    return {{"uri", uriOf(place.File)}, {"range", JsonOf(place.Range)}};
}

// The table's texts of a diagnostic, converted once for many.
struct TDiagnosticTexts {
    std::string Image;
    std::string Kinds[3];  // by TFindingKind
    std::string AlsoDeclared;
};
TDiagnosticTexts DiagnosticTexts();
using TUriOf = std::function<std::string(int32_t file)>;
// The body of a textDocument/publishDiagnostics, written as text: the first
// indexing sends one for every file with findings, and building each as a
// JSON value first cost more than all the rest of the sending.
std::string PublishDiagnosticsBody(const std::string& uri, const std::vector<TFinding>& findings,
                                   const TDiagnosticTexts& texts, const TUriOf& uriOf);
nlohmann::json DiagnosticOf(const TFinding& finding, const TDiagnosticTexts& texts, const TUriOf& uriOf);

// The settings in `json` over `base`: declaredIn and names (paths below
// `root` when relative), unused, duplicates, encoding.
TIndexSettings SettingsOf(const nlohmann::json& json, TIndexSettings base, const std::string& root);
