#include "server.h"

#include <algorithm>
#include <utility>

#include "convert.h"
#include "fs.h"
#include "input_thread.h"
#include "project_file.h"
#include "rpc_error.h"
#include "syntax.h"
#include "threads.h"
#include "uri.h"
#include "version.h"

using nlohmann::json;

namespace {

constexpr int kMessageWarning = 2;  // window/showMessage's MessageType
// No message of the protocol nests nearly this deep; copying a value nests as
// deep as the value on the stack.
constexpr int kMostDepth = 100;
// As many completions and symbols as other servers give: a list of all
// names costs seconds to send and to show, and none reads it all.
constexpr std::size_t kMostItems = 300;

// The request's id, or null when it is none that JSON-RPC allows.
json IdOf(const json& message) {
    const auto it = message.is_object() ? message.find("id") : message.end();
    return it != message.end() && (it->is_string() || it->is_number_integer()) ? *it : json();
}

// A workspace folder that the walk would find nothing in, and why.
TMaybeComplaint FolderComplaint(const std::string& root) {
    if (!IsExistingDirectory(root)) return TComplaint{utNotADirectory, root};
    TSearchRec rec;
    const int error = OpenListing(root + kPathSeparator + "*", kAnyAttributes, rec);
    CloseListing(rec);
    if (error != 0 && error != kNoMatchingEntry) return TComplaint{utCannotRead, root, ErrorText(error)};
    return {};
}

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
    Send(ErrorAnswer(nullptr, kParseError, Utf8Text(utLspMalformed)));
}

void TServer::Receive(const std::string& body) {
    // Nothing deeper than the bound is built, so nothing recurses past it.
    bool tooDeep = false;
    const json message = json::parse(
        body,
        [&tooDeep](int depth, json::parse_event_t event, const json&) {
            const bool opens = event == json::parse_event_t::object_start || event == json::parse_event_t::array_start;
            const bool keep = !opens || depth < kMostDepth;
            tooDeep = tooDeep || !keep;
            return keep;
        },
        false);
    if (message.is_discarded()) {
        Malformed();
    } else if (tooDeep) {
        Send(ErrorAnswer(IdOf(message), kInvalidRequest, Utf8Text(utLspTooDeep)));
    } else {
        Handle(message);
    }
}

void TServer::Handle(const json& message) {
    const bool isRequest = message.is_object() && message.contains("id");
    const json id = IdOf(message);
    const auto method = message.is_object() ? message.find("method") : message.end();
    if (method == message.end() || !method->is_string() || (isRequest && id.is_null())) {
        // An answer to a request of ours carries no method.
        if (!message.is_object() || !(message.contains("result") || message.contains("error"))) {
            Send(ErrorAnswer(id, kInvalidRequest, Utf8Text(utLspMalformed)));
        }
        return;
    }
    const std::string& name = method->get_ref<const std::string&>();
    static const json kNoParams = json::object();
    const auto given = message.find("params");
    const json& params = given != message.end() ? *given : kNoParams;
    try {
        if (!isRequest) {
            const auto it = Notifications().find(name);
            if (it != Notifications().end() && (Initialized_ || name == "exit")) (this->*(it->second))(params);
            return;
        }
        const auto it = Requests().find(name);
        if (it == Requests().end()) throw TRpcError{kMethodNotFound, Utf8Text(utLspUnknownMethod) + name};
        if (!Initialized_ && name != "initialize")
            throw TRpcError{kServerNotInitialized, Utf8Text(utLspNotInitialized)};
        if (ShutDown_) throw TRpcError{kInvalidRequest, Utf8Text(utLspShuttingDown)};
        json result = (this->*(it->second))(params);
        Send({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
    } catch (const TRpcError& error) {
        Refuse(isRequest, id, error.Code, error.Message);
    } catch (const json::exception& error) {
        Refuse(isRequest, id, kInvalidParams, error.what());
    } catch (const std::exception& error) {
        Refuse(isRequest, id, kInternalError, error.what());
    }
}

void TServer::Refuse(bool isRequest, const json& id, int code, const std::string& message) {
    if (isRequest) {
        Send(ErrorAnswer(id, code, message));
    } else {
        ShowWarning(message);  // a notification has no answer to carry it
    }
}

void TServer::ShowWarning(const std::string& message) {
    Send({{"jsonrpc", "2.0"},
          {"method", "window/showMessage"},
          {"params", {{"type", kMessageWarning}, {"message", message}}}});
}

void TServer::ShowComplaints(const std::vector<TComplaint>& complaints) {
    for (const TComplaint& complaint : complaints) {
        std::string message = Utf8Text(complaint.Text) + complaint.Subject;
        if (complaint.Reason)
            message += ": " + (complaint.Reason->empty() ? Utf8Text(utNotRegularFile) : *complaint.Reason);
        ShowWarning(message);
    }
}

json TServer::Initialize(const json& params) {
    // The index's file ids and the client's URIs would no longer agree.
    if (Initialized_) throw TRpcError{kInvalidRequest, Utf8Text(utLspInitializedTwice)};
    UiText = [] {
        static const auto initial = UiText;
        return initial;
    }();
    if (IsRussian(params)) InstallRussianTexts();
    const json encodings = params.value("/capabilities/general/positionEncodings"_json_pointer, json::array());
    const bool utf8 = std::find(encodings.begin(), encodings.end(), "utf-8") != encodings.end();
    Index_ = TWorkspaceIndex(utf8 ? TUnits::Utf8 : TUnits::Utf16);
    WatchFiles_ = params.value("/capabilities/workspace/didChangeWatchedFiles/dynamicRegistration"_json_pointer, false);
    RelativePatterns_ =
        params.value("/capabilities/workspace/didChangeWatchedFiles/relativePatternSupport"_json_pointer, false);
    Roots_.clear();
    std::vector<TComplaint> complaints;
    if (params.contains("workspaceFolders") && params["workspaceFolders"].is_array()) {
        for (const json& folder : params["workspaceFolders"]) {
            const std::string uri = folder.is_object() ? folder.value("uri", "") : "";
            if (const auto path = PathFromUri(uri)) {
                Roots_.push_back(*path);
            } else {
                complaints.push_back({utNotADirectory, uri});
            }
        }
    }
    if (Roots_.empty() && params.contains("rootUri") && params["rootUri"].is_string()) {
        if (const auto path = PathFromUri(params["rootUri"].get<std::string>())) Roots_.push_back(*path);
    }
    if (Roots_.empty() && params.contains("rootPath") && params["rootPath"].is_string()) {
        Roots_.push_back(params["rootPath"].get<std::string>());
    }
    for (const std::string& root : Roots_) {
        if (auto complaint = FolderComplaint(root)) complaints.push_back(std::move(*complaint));
    }
    Index_.SetRoots(Roots_);
    Editor_ = SettingsOf(params.value("initializationOptions", json::object()), TEditorSettings{},
                         Roots_.empty() ? "" : Roots_.front(), complaints);
    ShowComplaints(complaints);
    FollowProjectFile();
    ProjectRead({true, Project_.Reload().Faults});
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
        // Folders too: a client that filters its events by the first never
        // tells of a folder that went or came with its files.
        constexpr int kCreateAndDelete = 1 | 4;
        json watchers = {{{"globPattern", "**/" + std::string(kDefinitionMask)}},
                         {{"globPattern", "**/*"}, {"kind", kCreateAndDelete}},
                         {{"globPattern", "**/" + std::string(kProjectFileName)}}};
        // A project file that a setting names may lie outside every folder.
        const std::string& named = Editor_.Rules;
        const std::size_t cut = named.find_last_of(kPathSeparator == '/' ? "/" : "/\\");
        if (!named.empty() && cut != std::string::npos) {
            const std::string name = named.substr(cut + 1);
            watchers.push_back({{"globPattern", RelativePatterns_ ? json{{"baseUri", UriFromPath(named.substr(0, cut))},
                                                                         {"pattern", name}}
                                                                  : json("**/" + name)}});
        }
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
    PublishProjectFaults();
}

std::string TServer::ClientUri(int32_t file) const {
    const auto it = ClientUris_.find(file);
    return it != ClientUris_.end() ? it->second : UriFromPath(Index_.PathOf(file));
}

void TServer::Publish(std::vector<int32_t> files, int32_t always) {
    // Each file once, in file order, however many changes named it.
    if (always >= 0) files.push_back(always);
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    const TDiagnosticTexts texts = DiagnosticTexts(Settings_.Rules);
    const TClientUri clientUri = [this](int32_t f) { return ClientUri(f); };
    SendInOrder(
        files.size(),
        [&](std::size_t i) {
            return PublishDiagnosticsBody(ClientUri(files[i]), Index_.File(files[i]).Findings, texts, clientUri);
        },
        Send_);
}

int32_t TServer::DocumentOf(const json& params) {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    const auto path = PathFromUri(uri);
    if (!path || !Index_.InWorkspace(*path)) throw TRpcError{kRequestFailed, Utf8Text(utLspOutside) + uri};
    return Index_.FileOf(*path);
}

void TServer::DidOpen(const json& params) {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    if (IsProjectFile(uri)) {
        ProjectUri_ = uri;
        ProjectRead(Project_.Open(params["textDocument"].at("text").get<std::string>()));
        return;
    }
    const auto path = PathFromUri(uri);
    if (!path || !Index_.InWorkspace(*path)) return;
    const std::vector<int32_t> changed = Index_.Open(*path, params["textDocument"].at("text").get<std::string>());
    const int32_t file = Index_.FileOf(*path);
    if (file < 0) return;
    ClientUris_[file] = uri;
    Publish(changed, file);
}

void TServer::DidChange(const json& params) {
    if (IsProjectFile(params.at("textDocument").at("uri").get<std::string>())) {
        const json& changes = params.at("contentChanges");
        if (!changes.is_array()) throw TRpcError{kInvalidParams, Utf8Text(utLspMalformed)};
        std::vector<std::pair<std::optional<TRange>, std::string>> edits;
        for (const json& change : changes) {
            edits.emplace_back(change.contains("range") ? std::optional(RangeFromJson(change["range"])) : std::nullopt,
                               change.at("text").get<std::string>());
        }
        ProjectRead(Project_.Edit(edits, Index_.Store().Units));
        return;
    }
    const int32_t file = DocumentOf(params);
    if (file < 0 || !Index_.File(file).Open) return;
    // Every change is checked before the first applies: a refused one leaves
    // the text as the editor last had it, not half edited.
    const json& changes = params.at("contentChanges");
    if (!changes.is_array()) throw TRpcError{kInvalidParams, Utf8Text(utLspMalformed)};
    std::vector<std::pair<std::optional<TRange>, const std::string*>> edits;
    for (const json& change : changes) {
        const std::string& text = change.at("text").get_ref<const std::string&>();
        edits.emplace_back(change.contains("range") ? std::optional(RangeFromJson(change["range"])) : std::nullopt,
                           &text);
    }
    std::vector<int32_t> changed;
    for (const auto& [range, text] : edits) {
        std::vector<int32_t> more = range ? Index_.Edit(file, *range, *text) : Index_.Replace(file, *text);
        changed.insert(changed.end(), more.begin(), more.end());
    }
    Publish(changed, file);
}

void TServer::DidSave(const json&) {}

void TServer::DidClose(const json& params) {
    if (IsProjectFile(params.at("textDocument").at("uri").get<std::string>())) {
        ProjectUri_.clear();
        ProjectRead(Project_.Close());
        return;
    }
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
    std::vector<TComplaint> complaints;
    Editor_ = SettingsOf(settings, Editor_, Roots_.empty() ? "" : Roots_.front(), complaints);
    ShowComplaints(complaints);
    ProjectRead({true, FollowProjectFile() && Project_.Reload().Faults});
}

namespace {

bool SameNames(const std::vector<TRule>& a, const std::vector<TRule>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const TRule& x, const TRule& y) { return x.Id == y.Id && x.Title == y.Title; });
}

}  // namespace

bool TServer::FollowProjectFile() {
    const bool named = !Editor_.Rules.empty();
    std::string path = named ? Editor_.Rules : Roots_.empty() ? "" : Roots_.front();
    if (!named && !path.empty()) path += kPathSeparator + std::string(kProjectFileName);
    if (!path.empty()) path = PathFromUri(UriFromPath(path)).value_or(path);  // as the client's URIs name it
    if (path == Project_.Path()) return false;
    Project_.SetPath(path, named);
    ProjectUri_.clear();
    return true;
}

bool TServer::IsProjectFile(const std::string& uri) const {
    const auto path = PathFromUri(uri);
    return path && !Project_.Path().empty() && *path == Project_.Path();
}

void TServer::ProjectRead(TProjectChange change) {
    if (change.Rules) {
        const std::vector<TRule> before = std::move(Settings_.Rules);
        Settings_ = IndexSettingsOf(Editor_, Project_.InForce());
        std::vector<int32_t> changed = SetIndexSettings();
        // A new id or title leaves the findings as they were but renames them.
        if (!SameNames(before, Settings_.Rules)) {
            for (int32_t f = 0; f < Index_.FileCount(); ++f)
                if (!Index_.File(f).Findings.empty()) changed.push_back(f);
        }
        if (Initialized_) Publish(std::move(changed));
    }
    if (!change.Faults) return;
    if (Project_.Complaint()) ShowComplaints({*Project_.Complaint()});
    // Told when they come, not at each keystroke that moves them.
    if (!Project_.Faults().empty() && FaultsUri_.empty()) ShowWarning(Utf8Text(utLspProjectFaults) + Project_.Path());
    if (Initialized_) PublishProjectFaults();
}

void TServer::PublishProjectFaults() {
    const std::string uri = ProjectUri_.empty() ? UriFromPath(Project_.Path()) : ProjectUri_;
    const auto publish = [this](const std::string& to, json diagnostics) {
        Send({{"jsonrpc", "2.0"},
              {"method", "textDocument/publishDiagnostics"},
              {"params", {{"uri", to}, {"diagnostics", std::move(diagnostics)}}}});
    };
    if (!FaultsUri_.empty() && FaultsUri_ != uri) publish(FaultsUri_, json::array());
    if (Project_.Faults().empty() && FaultsUri_ != uri) {
        FaultsUri_.clear();
        return;
    }
    json diagnostics = json::array();
    const TUnits units = Index_.Store().Units;
    for (const TProjectFault& fault : Project_.Faults()) {
        diagnostics.push_back({{"range", JsonOf(Project_.RangeOf(fault, units))},
                               {"severity", 1},  // Error
                               {"code", "project-file"},
                               {"source", "tessaron"},
                               {"message", Utf8Text(fault.Text) + fault.Subject}});
    }
    publish(uri, std::move(diagnostics));
    FaultsUri_ = Project_.Faults().empty() ? "" : uri;
}

std::vector<int32_t> TServer::SetIndexSettings() {
    std::vector<TComplaint> complaints;
    std::vector<int32_t> changed = Index_.SetSettings(Settings_, &complaints);
    ShowComplaints(complaints);
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
    Publish(changed);
    const json& events = params.at("changes");
    const bool project = std::any_of(events.begin(), events.end(), [this](const json& event) {
        return event.at("uri").is_string() && IsProjectFile(event["uri"].get<std::string>());
    });
    if (project && !Project_.IsOpen()) ProjectRead(Project_.Reload());
}

json TServer::LocationsOf(const std::vector<TPlace>& places) const {
    json locations = json::array();
    for (const TPlace& place : places)
        locations.push_back(LocationOf(place, [this](int32_t f) { return ClientUri(f); }));
    return locations;
}

json TServer::Definition(const json& params) {
    const int32_t file = DocumentOf(params);
    const TOccurrence* item = file < 0 ? nullptr : Index_.ItemAt(file, PositionFromJson(params.at("position")));
    return item == nullptr ? json(nullptr) : LocationsOf(Index_.Declarations(item->Rule(), item->Key()));
}

json TServer::References(const json& params) {
    const int32_t file = DocumentOf(params);
    const TOccurrence* item = file < 0 ? nullptr : Index_.ItemAt(file, PositionFromJson(params.at("position")));
    if (item == nullptr) return nullptr;
    std::vector<TPlace> places = Index_.Uses(item->Rule(), item->Key());
    if (params.value("/context/includeDeclaration"_json_pointer, false)) {
        const std::vector<TPlace> declarations = Index_.Declarations(item->Rule(), item->Key());
        places.insert(places.begin(), declarations.begin(), declarations.end());
    }
    return LocationsOf(places);
}

// Renaming the uses of a name that the workspace does not declare would leave them undeclared.
void TServer::RefuseRenameElsewhere(const TOccurrence& item) const {
    if (const std::string* source = Index_.DeclaredOnlyElsewhere(item.Rule(), item.Key()))
        throw TRpcError{kRequestFailed, Utf8Text(utLspDeclaredElsewhere) + *source};
}

json TServer::PrepareRename(const json& params) {
    const int32_t file = DocumentOf(params);
    const TOccurrence* item = file < 0 ? nullptr : Index_.ItemAt(file, PositionFromJson(params.at("position")));
    if (item == nullptr) return nullptr;
    RefuseRenameElsewhere(*item);
    return {{"range", JsonOf(item->Range)}, {"placeholder", std::string(item->Written)}};
}

json TServer::Rename(const json& params) {
    const int32_t file = DocumentOf(params);
    const TOccurrence* item = file < 0 ? nullptr : Index_.ItemAt(file, PositionFromJson(params.at("position")));
    if (item == nullptr) throw TRpcError{kRequestFailed, Utf8Text(utLspNoName)};
    RefuseRenameElsewhere(*item);
    const std::string name = params.at("newName").get<std::string>();
    if (!IsValidName(name)) throw TRpcError{kRequestFailed, Utf8Text(utLspBadName) + name};
    std::vector<TPlace> places = Index_.Declarations(item->Rule(), item->Key());
    const std::vector<TPlace> uses = Index_.Uses(item->Rule(), item->Key());
    places.insert(places.end(), uses.begin(), uses.end());
    json changes = json::object();
    for (const TPlace& place : places) {
        changes[ClientUri(place.File)].push_back({{"range", JsonOf(place.Range)}, {"newText", name}});
    }
    return {{"changes", changes}};
}

json TServer::Completion(const json& params) {
    const int32_t file = DocumentOf(params);
    const auto completion = file < 0 ? std::nullopt : Index_.Completion(file, PositionFromJson(params.at("position")));
    if (!completion) return nullptr;
    json items = json::array();
    const std::size_t count = std::min(completion->Names.size(), kMostItems);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& name = completion->Names[i];
        items.push_back({{"label", name},
                         {"kind", 12},  // Value
                         {"textEdit", {{"range", JsonOf(completion->Replace)}, {"newText", name}}}});
    }
    return {{"isIncomplete", count < completion->Names.size()}, {"items", std::move(items)}};
}

json TServer::Hover(const json& params) {
    const int32_t file = DocumentOf(params);
    const auto hover = file < 0 ? std::nullopt : Index_.Hover(file, PositionFromJson(params.at("position")));
    if (!hover) return nullptr;
    const std::string path = Index_.PathOf(hover->File);
    const std::string where =
        Utf8Text(utLspDeclaredIn) + path + Utf8Text(utLspLine) + std::to_string(hover->Range.Start.Line + 1);
    return {{"contents", {{"kind", "markdown"}, {"value", "```ini\n" + hover->Block + "```\n" + where}}}};
}

json TServer::CodeAction(const json& params) {
    const int32_t file = DocumentOf(params);
    json actions = json::array();
    if (file < 0) return actions;
    const TRange range = RangeFromJson(params.at("range"));
    for (const TFinding& finding : Index_.File(file).Findings) {
        if (finding.Kind != TFindingKind::Undeclared || range.End < finding.Range.Start ||
            finding.Range.End < range.Start) {
            continue;
        }
        const TOccurrence* item = Index_.ItemAt(file, finding.Range.Start);
        if (item == nullptr) continue;
        constexpr std::size_t kFixes = 3;
        for (const std::string& name : Index_.ClosestNames(item->Rule(), item->Key(), kFixes)) {
            json edit = {{"changes", {{ClientUri(file), {{{"range", JsonOf(finding.Range)}, {"newText", name}}}}}}};
            actions.push_back({{"title", Utf8Text(utLspChangeTo) + name},
                               {"kind", "quickfix"},
                               {"diagnostics",
                                {DiagnosticOf(finding, DiagnosticTexts(Settings_.Rules),
                                              [this](int32_t f) { return ClientUri(f); })}},
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
    const std::vector<TSymbol> found = Index_.WorkspaceSymbols(params.value("query", ""));
    const TClientUri clientUri = [this](int32_t f) { return ClientUri(f); };
    for (std::size_t i = 0; i < found.size() && i < kMostItems; ++i) {
        symbols.push_back(
            {{"name", found[i].Name}, {"kind", kConstant}, {"location", LocationOf(found[i].Place, clientUri)}});
    }
    return symbols;
}

int Serve(std::istream& in, std::ostream& out, const std::function<void(int)>& atExit) {
    TServer server([&out](const std::string& body) { WriteMessage(out, body); });
    TInputThread input(in);
    for (;;) {
        const TIncoming message = input.Next();
        if (message.Kind == TReadResult::End) break;
        if (message.Kind == TReadResult::Malformed) {
            server.Malformed();
        } else {
            server.Receive(message.Body);
        }
        out.flush();  // all that answers one message, before waiting for the next
        if (server.Exited()) break;
    }
    if (atExit) atExit(server.ExitCode());
    return server.ExitCode();
}
