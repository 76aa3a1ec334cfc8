#include "server.h"

#include <algorithm>
#include <utility>

#include "convert.h"
#include "framing.h"
#include "syntax.h"
#include "threads.h"
#include "uri.h"
#include "version.h"

using nlohmann::json;

namespace {

// JSON-RPC's and the protocol's error codes.
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kInternalError = -32603;
constexpr int kServerNotInitialized = -32002;
constexpr int kRequestFailed = -32803;
constexpr int kMessageWarning = 2;  // window/showMessage's MessageType

struct TRpcError {
    int Code;
    std::string Message;
};

json ErrorAnswer(const json& id, int code, const std::string& message) {
    return {{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}};
}

bool IsRussian(const json& params) {
    const auto it = params.find("locale");
    return it != params.end() && it->is_string() && it->get<std::string>().compare(0, 2, "ru") == 0;
}

// An image name must stay one value of one line.
bool IsValidName(const std::string& name) {
    if (name.empty() || IsBlank(name.front()) || IsBlank(name.back())) return false;
    const std::string breaking{kLineFeed, kCarriageReturn, kCtrlZ, kComment, kAssignment};
    return name.find_first_of(breaking) == std::string::npos && name.find(kSecondComment) == std::string::npos;
}

// Makes the bodies on every core and sends them in order, each as soon as it
// and those before it are made, so that none waits to be freed at the end.
// No body is made further than kAhead past the one to send, so that a client
// that reads slowly does not make the server hold them all.
void SendInOrder(std::size_t count, const std::function<std::string(std::size_t)>& make, const TServer::TSend& send) {
    constexpr std::size_t kFewest = 16;  // fewer are not worth a thread
    constexpr std::size_t kAhead = 64;
    std::vector<std::string> bodies(std::clamp<std::size_t>(count, 1, kAhead));
    HandOverInOrder(
        count, count < kFewest ? 1 : HardwareJobs(), bodies.size(),
        [&](std::size_t i, std::size_t slot) { bodies[slot] = make(i); },
        [&](std::size_t, std::size_t slot) { send(std::exchange(bodies[slot], {})); });
}

}  // namespace

std::string TServer::Body(const json& message) {
    return message.dump(-1, ' ', false, json::error_handler_t::replace);
}

void TServer::Send(const json& message) {
    Send_(Body(message));
}

const std::unordered_map<std::string, TServer::TRequest>& TServer::Requests() {
    static const std::unordered_map<std::string, TRequest> requests = {
        {"initialize", &TServer::Initialize},
        {"shutdown", &TServer::Shutdown},
        {"textDocument/definition", &TServer::Definition},
        {"textDocument/references", &TServer::References},
        {"textDocument/prepareRename", &TServer::PrepareRename},
        {"textDocument/rename", &TServer::Rename},
        {"textDocument/completion", &TServer::Completion},
        {"textDocument/hover", &TServer::Hover},
        {"textDocument/codeAction", &TServer::CodeAction},
        {"textDocument/documentSymbol", &TServer::DocumentSymbol},
        {"workspace/symbol", &TServer::WorkspaceSymbol},
    };
    return requests;
}

const std::unordered_map<std::string, TServer::TNotification>& TServer::Notifications() {
    static const std::unordered_map<std::string, TNotification> notifications = {
        {"initialized", &TServer::Initialized},
        {"textDocument/didOpen", &TServer::DidOpen},
        {"textDocument/didChange", &TServer::DidChange},
        {"textDocument/didSave", &TServer::DidSave},
        {"textDocument/didClose", &TServer::DidClose},
        {"workspace/didChangeConfiguration", &TServer::DidChangeConfiguration},
        {"workspace/didChangeWatchedFiles", &TServer::DidChangeWatchedFiles},
        {"exit", &TServer::Exit},
    };
    return notifications;
}

void TServer::Malformed() {
    Send(ErrorAnswer(nullptr, kParseError, TextOf(utLspMalformed)));
}

void TServer::Handle(const json& message) {
    const bool isRequest = message.is_object() && message.contains("id");
    const json id = isRequest ? message["id"] : json();
    if (!message.is_object() || !message.contains("method") || !message["method"].is_string()) {
        // An answer to a request of ours carries no method.
        if (!message.is_object() || !(message.contains("result") || message.contains("error"))) {
            Send(ErrorAnswer(id, kInvalidRequest, TextOf(utLspMalformed)));
        }
        return;
    }
    const std::string method = message["method"].get<std::string>();
    const json params = message.contains("params") ? message["params"] : json::object();
    try {
        if (!isRequest) {
            const auto it = Notifications().find(method);
            if (it != Notifications().end() && (Initialized_ || method == "exit")) (this->*(it->second))(params);
            return;
        }
        const auto it = Requests().find(method);
        if (it == Requests().end()) throw TRpcError{kMethodNotFound, TextOf(utLspUnknownMethod) + method};
        if (!Initialized_ && method != "initialize")
            throw TRpcError{kServerNotInitialized, TextOf(utLspNotInitialized)};
        if (ShutDown_) throw TRpcError{kInvalidRequest, TextOf(utLspMalformed)};
        json result = (this->*(it->second))(params);
        Send({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
    } catch (const TRpcError& error) {
        if (isRequest) Send(ErrorAnswer(id, error.Code, error.Message));
    } catch (const json::exception& error) {
        if (isRequest) Send(ErrorAnswer(id, kInvalidParams, error.what()));
    } catch (const std::exception& error) {
        if (isRequest) Send(ErrorAnswer(id, kInternalError, error.what()));
    }
}

json TServer::Initialize(const json& params) {
    UiText = [] {
        static const auto initial = UiText;
        return initial;
    }();
    if (IsRussian(params)) InstallRussianTexts();
    const json encodings = params.value("/capabilities/general/positionEncodings"_json_pointer, json::array());
    const bool utf8 = std::find(encodings.begin(), encodings.end(), "utf-8") != encodings.end();
    Index_ = TWorkspaceIndex(utf8 ? TUnits::Utf8 : TUnits::Utf16);
    WatchFiles_ = params.value("/capabilities/workspace/didChangeWatchedFiles/dynamicRegistration"_json_pointer, false);
    Roots_.clear();
    if (params.contains("workspaceFolders") && params["workspaceFolders"].is_array()) {
        for (const json& folder : params["workspaceFolders"]) {
            if (const auto path = PathFromUri(folder.value("uri", ""))) Roots_.push_back(*path);
        }
    }
    if (Roots_.empty() && params.contains("rootUri") && params["rootUri"].is_string()) {
        if (const auto path = PathFromUri(params["rootUri"].get<std::string>())) Roots_.push_back(*path);
    }
    if (Roots_.empty() && params.contains("rootPath") && params["rootPath"].is_string()) {
        Roots_.push_back(params["rootPath"].get<std::string>());
    }
    Index_.SetRoots(Roots_);
    Settings_ = SettingsOf(params.value("initializationOptions", json::object()), TIndexSettings{},
                           Roots_.empty() ? "" : Roots_.front());
    SetIndexSettings();
    Initialized_ = true;
    return {
        {"capabilities",
         {
             {"positionEncoding", utf8 ? "utf-8" : "utf-16"},
             {"textDocumentSync", {{"openClose", true}, {"change", 2}, {"save", {{"includeText", false}}}}},
             {"definitionProvider", true},
             {"referencesProvider", true},
             {"renameProvider", {{"prepareProvider", true}}},
             {"completionProvider", {{"triggerCharacters", {"=", " "}}}},
             {"hoverProvider", true},
             {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}},
             {"documentSymbolProvider", true},
             {"workspaceSymbolProvider", true},
         }},
        {"serverInfo", {{"name", "tessaron-lsp"}, {"version", TESSARON_VERSION}}},
    };
}

json TServer::Shutdown(const json&) {
    ShutDown_ = true;
    return nullptr;
}

void TServer::Exit(const json&) {
    Exited_ = true;
}

void TServer::Initialized(const json&) {
    if (WatchFiles_) {
        const json watchers = {{{"globPattern", "**/" + std::string(kDefinitionMask)}}};
        Send({{"jsonrpc", "2.0"},
              {"id", NextRequestId_++},
              {"method", "client/registerCapability"},
              {"params",
               {{"registrations",
                 {{{"id", "tessaron-watch"},
                   {"method", "workspace/didChangeWatchedFiles"},
                   {"registerOptions", {{"watchers", watchers}}}}}}}}});
    }
    Publish(Index_.IndexAll());
}

std::string TServer::UriOf(int32_t file) const {
    const auto it = ClientUris_.find(file);
    return it != ClientUris_.end() ? it->second : UriFromPath(Index_.File(file).Path);
}

void TServer::Publish(std::vector<int32_t> files, int32_t always) {
    if (always >= 0 && std::find(files.begin(), files.end(), always) == files.end()) files.push_back(always);
    const TDiagnosticTexts texts = DiagnosticTexts();
    const TUriOf uriOf = [this](int32_t f) { return UriOf(f); };
    SendInOrder(
        files.size(),
        [&](std::size_t i) {
            return PublishDiagnosticsBody(UriOf(files[i]), Index_.File(files[i]).Findings, texts, uriOf);
        },
        Send_);
}

int32_t TServer::DocumentOf(const json& params) {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    const auto path = PathFromUri(uri);
    if (!path || !Index_.InWorkspace(*path)) throw TRpcError{kRequestFailed, TextOf(utLspOutside) + uri};
    return Index_.FileOf(*path);
}

void TServer::DidOpen(const json& params) {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    const auto path = PathFromUri(uri);
    if (!path || !Index_.InWorkspace(*path)) return;
    const std::vector<int32_t> changed = Index_.Open(*path, params["textDocument"].at("text").get<std::string>());
    const int32_t file = Index_.FileOf(*path);
    if (file < 0) return;
    ClientUris_[file] = uri;
    Publish(changed, file);
}

void TServer::DidChange(const json& params) {
    const int32_t file = DocumentOf(params);
    if (file < 0 || !Index_.File(file).Open) return;
    std::vector<int32_t> changed;
    for (const json& change : params.at("contentChanges")) {
        const std::string text = change.at("text").get<std::string>();
        std::vector<int32_t> more =
            change.contains("range") ? Index_.Edit(file, RangeOf(change["range"]), text) : Index_.Replace(file, text);
        changed.insert(changed.end(), more.begin(), more.end());
    }
    std::sort(changed.begin(), changed.end());
    changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
    Publish(changed, file);
}

void TServer::DidSave(const json&) {}

void TServer::DidClose(const json& params) {
    const int32_t file = DocumentOf(params);
    if (file < 0) return;
    ClientUris_.erase(file);
    Publish(Index_.Close(file));
}

void TServer::DidChangeConfiguration(const json& params) {
    const json settings = params.value("settings", json::object());
    ApplySettings(settings.contains("tessaron") ? settings["tessaron"] : settings);
}

void TServer::ApplySettings(const json& settings) {
    Settings_ = SettingsOf(settings, Settings_, Roots_.empty() ? "" : Roots_.front());
    Publish(SetIndexSettings());
}

std::vector<int32_t> TServer::SetIndexSettings() {
    std::vector<TComplaint> complaints;
    std::vector<int32_t> changed = Index_.SetSettings(Settings_, &complaints);
    for (const TComplaint& complaint : complaints) {
        std::string message = TextOf(complaint.Text) + complaint.Subject;
        if (complaint.Reason)
            message += ": " + (complaint.Reason->empty() ? TextOf(utNotRegularFile) : *complaint.Reason);
        Send({{"jsonrpc", "2.0"},
              {"method", "window/showMessage"},
              {"params", {{"type", kMessageWarning}, {"message", std::move(message)}}}});
    }
    return changed;
}

void TServer::DidChangeWatchedFiles(const json& params) {
    std::vector<int32_t> changed;
    for (const json& event : params.at("changes")) {
        const auto path = PathFromUri(event.at("uri").get<std::string>());
        if (!path) continue;
        const std::vector<int32_t> more = Index_.DiskChanged(*path);
        changed.insert(changed.end(), more.begin(), more.end());
    }
    std::sort(changed.begin(), changed.end());
    changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
    Publish(changed);
}

json TServer::LocationsOf(const std::vector<TPlace>& places) const {
    json locations = json::array();
    for (const TPlace& place : places) locations.push_back(LocationOf(place, [this](int32_t f) { return UriOf(f); }));
    return locations;
}

json TServer::Definition(const json& params) {
    const int32_t file = DocumentOf(params);
    const TItem* item = file < 0 ? nullptr : Index_.ItemAt(file, PositionOf(params.at("position")));
    return item == nullptr ? json(nullptr) : LocationsOf(Index_.Declarations(item->Key()));
}

json TServer::References(const json& params) {
    const int32_t file = DocumentOf(params);
    const TItem* item = file < 0 ? nullptr : Index_.ItemAt(file, PositionOf(params.at("position")));
    if (item == nullptr) return nullptr;
    std::vector<TPlace> places = Index_.Uses(item->Key());
    if (params.value("/context/includeDeclaration"_json_pointer, false)) {
        const std::vector<TPlace> declarations = Index_.Declarations(item->Key());
        places.insert(places.begin(), declarations.begin(), declarations.end());
    }
    return LocationsOf(places);
}

json TServer::PrepareRename(const json& params) {
    const int32_t file = DocumentOf(params);
    const TItem* item = file < 0 ? nullptr : Index_.ItemAt(file, PositionOf(params.at("position")));
    if (item == nullptr) return nullptr;
    return {{"range", JsonOf(item->Range)}, {"placeholder", std::string(item->Shown)}};
}

json TServer::Rename(const json& params) {
    const int32_t file = DocumentOf(params);
    const TItem* item = file < 0 ? nullptr : Index_.ItemAt(file, PositionOf(params.at("position")));
    if (item == nullptr) throw TRpcError{kRequestFailed, TextOf(utLspNoName)};
    const std::string name = params.at("newName").get<std::string>();
    if (!IsValidName(name)) throw TRpcError{kRequestFailed, TextOf(utLspBadName) + name};
    std::vector<TPlace> places = Index_.Declarations(item->Key());
    const std::vector<TPlace> uses = Index_.Uses(item->Key());
    places.insert(places.end(), uses.begin(), uses.end());
    json changes = json::object();
    for (const TPlace& place : places) {
        changes[UriOf(place.File)].push_back({{"range", JsonOf(place.Range)}, {"newText", name}});
    }
    return {{"changes", changes}};
}

json TServer::Completion(const json& params) {
    const int32_t file = DocumentOf(params);
    const auto completion = file < 0 ? std::nullopt : Index_.Completion(file, PositionOf(params.at("position")));
    if (!completion) return nullptr;
    json items = json::array();
    for (const std::string& name : completion->Names) {
        items.push_back({{"label", name},
                         {"kind", 12},  // Value
                         {"textEdit", {{"range", JsonOf(completion->Replace)}, {"newText", name}}}});
    }
    return {{"isIncomplete", false}, {"items", items}};
}

json TServer::Hover(const json& params) {
    const int32_t file = DocumentOf(params);
    const auto hover = file < 0 ? std::nullopt : Index_.Hover(file, PositionOf(params.at("position")));
    if (!hover) return nullptr;
    const std::string& path = Index_.File(hover->File).Path;
    const std::string where =
        TextOf(utLspDeclaredIn) + path + TextOf(utLspLine) + std::to_string(hover->Range.Start.Line + 1);
    return {{"contents", {{"kind", "markdown"}, {"value", "```ini\n" + hover->Block + "```\n" + where}}}};
}

json TServer::CodeAction(const json& params) {
    const int32_t file = DocumentOf(params);
    json actions = json::array();
    if (file < 0) return actions;
    const TRange range = RangeOf(params.at("range"));
    for (const TFinding& finding : Index_.File(file).Findings) {
        if (finding.Kind != TFindingKind::Undeclared || range.End < finding.Range.Start ||
            finding.Range.End < range.Start) {
            continue;
        }
        const TItem* item = Index_.ItemAt(file, finding.Range.Start);
        if (item == nullptr) continue;
        constexpr std::size_t kFixes = 3;
        for (const std::string& name : Index_.ClosestNames(item->Key(), kFixes)) {
            json edit = {{"changes", {{UriOf(file), {{{"range", JsonOf(finding.Range)}, {"newText", name}}}}}}};
            actions.push_back(
                {{"title", TextOf(utLspChangeTo) + name},
                 {"kind", "quickfix"},
                 {"diagnostics", {DiagnosticOf(finding, DiagnosticTexts(), [this](int32_t f) { return UriOf(f); })}},
                 {"edit", std::move(edit)}});
        }
    }
    return actions;
}

json TServer::DocumentSymbol(const json& params) {
    const int32_t file = DocumentOf(params);
    json symbols = json::array();
    if (file < 0) return symbols;
    constexpr int kConstant = 14;
    for (const TSymbol& symbol : Index_.DocumentSymbols(file)) {
        symbols.push_back({{"name", symbol.Name},
                           {"kind", kConstant},
                           {"range", JsonOf(symbol.Place.Range)},
                           {"selectionRange", JsonOf(symbol.Place.Range)}});
    }
    return symbols;
}

json TServer::WorkspaceSymbol(const json& params) {
    json symbols = json::array();
    constexpr int kConstant = 14;
    for (const TSymbol& symbol : Index_.WorkspaceSymbols(params.value("query", ""))) {
        symbols.push_back({{"name", symbol.Name},
                           {"kind", kConstant},
                           {"location", LocationOf(symbol.Place, [this](int32_t f) { return UriOf(f); })}});
    }
    return symbols;
}

int Serve(std::istream& in, std::ostream& out, const std::function<void(int)>& atExit) {
    TServer server([&out](const std::string& body) { WriteMessage(out, body); });
    std::string body;
    for (;;) {
        const TReadResult read = ReadMessage(in, body);
        if (read == TReadResult::End) break;
        json message = json::parse(body, nullptr, false);
        if (read == TReadResult::Malformed || message.is_discarded()) {
            server.Malformed();
            out.flush();
            continue;
        }
        server.Handle(message);
        out.flush();  // all that answers one message, before waiting for the next
        if (server.Exited()) break;
    }
    if (atExit) atExit(server.ExitCode());
    return server.ExitCode();
}
