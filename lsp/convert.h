// Index results as the protocol's JSON, and the protocol's JSON as index input.
#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "complaint.h"
#include "ui_text.h"
#include "workspace.h"

std::string Utf8Text(TTextId id);

nlohmann::json JsonOf(TPosition position);
nlohmann::json JsonOf(const TRange& range);
// Raise TRpcError (invalid params) for anything but integers from 0 to
// 2^31-1, so that no value wraps or is cut to another line.
TPosition PositionFromJson(const nlohmann::json& json);
TRange RangeFromJson(const nlohmann::json& json);

// The URI that the client knows a file of the index by.
using TClientUri = std::function<std::string(int32_t file)>;
nlohmann::json LocationOf(const TPlace& place, const TClientUri& clientUri);

// The table's texts of a diagnostic, converted once for many.
struct TDiagnosticTexts {
    std::string Image;
    std::string Kinds[3];  // by TFindingKind
    std::string AlsoDeclared;
};
TDiagnosticTexts DiagnosticTexts();
// The body of a textDocument/publishDiagnostics, written as text: the first
// indexing sends one for every file with findings, and building each as a
// JSON value first cost more than all the rest of the sending.
std::string PublishDiagnosticsBody(const std::string& uri, const std::vector<TFinding>& findings,
                                   const TDiagnosticTexts& texts, const TClientUri& clientUri);
nlohmann::json DiagnosticOf(const TFinding& finding, const TDiagnosticTexts& texts, const TClientUri& clientUri);

// The settings in `json` over `base`: declaredIn and names (paths below
// `root` when relative), unused, duplicates, encoding. A value of the wrong
// kind adds a complaint and leaves its setting as it was.
TIndexSettings SettingsOf(const nlohmann::json& json, TIndexSettings base, const std::string& root,
                          std::vector<TComplaint>& complaints);
