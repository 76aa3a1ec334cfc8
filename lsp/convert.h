// Index results as the protocol's JSON, and the protocol's JSON as index input.
#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "complaint.h"
#include "project_file.h"
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
    struct TRuleTexts {
        std::string Codes[3];  // by TFindingKind
        // A message is Before, the name, then After of its kind.
        std::string Before;
        std::string After[3];
    };
    std::vector<TRuleTexts> Rules;  // the image rule's, then the settings' rules in their order
    std::string AlsoDeclared;
    const TRuleTexts& Of(int32_t rule) const;
};
TDiagnosticTexts DiagnosticTexts(const std::vector<TRule>& rules);
// The body of a textDocument/publishDiagnostics, written as text: the first
// indexing sends one for every file with findings, and building each as a
// JSON value first cost more than all the rest of the sending.
std::string PublishDiagnosticsBody(const std::string& uri, const std::vector<TFinding>& findings,
                                   const TDiagnosticTexts& texts, const TClientUri& clientUri);
nlohmann::json DiagnosticOf(const TFinding& finding, const TDiagnosticTexts& texts, const TClientUri& clientUri);

// The editor's own settings, as it gave them.
struct TEditorSettings {
    std::vector<std::string> DeclaredIn;
    std::vector<std::string> NameFiles;
    std::optional<bool> Unused;
    std::optional<bool> Duplicates;
    TEncodingChoice Encoding = TEncodingChoice::Auto;
    std::string Rules;  // the project file; empty: the first folder's
};

// The settings in `json` over `base`: declaredIn, names and rules (paths
// below `root` when relative), unused, duplicates, encoding. A value of the
// wrong kind adds a complaint and leaves its setting as it was.
TEditorSettings SettingsOf(const nlohmann::json& json, TEditorSettings base, const std::string& root,
                           std::vector<TComplaint>& complaints);
// The editor's settings over the project file's, as the console's command line is.
TIndexSettings IndexSettingsOf(const TEditorSettings& editor, TProjectFile file);
