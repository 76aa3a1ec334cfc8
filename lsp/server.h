// The language server: JSON-RPC requests and notifications in, answers and
// notifications out, the workspace index in between.
#pragma once

#include <functional>
#include <istream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <unordered_map>
#include <vector>

#include "convert.h"
#include "project_state.h"
#include "workspace.h"

class TServer {
public:
    // Sends one message's body (JSON text).
    using TSend = std::function<void(const std::string&)>;
    explicit TServer(TSend send) : Send_(std::move(send)) {}

    // One message's body as the client sent it.
    void Receive(const std::string& body);
    // One message from the client.
    void Handle(const nlohmann::json& message);
    // A message that was no JSON.
    void Malformed();
    bool Exited() const { return Exited_; }
    // 0 after shutdown, 1 otherwise.
    int ExitCode() const { return ShutDown_ ? 0 : 1; }
    const TWorkspaceIndex& Index() const { return Index_; }
    // A message as it is sent.
    static std::string Body(const nlohmann::json& message);

private:
    using TRequest = nlohmann::json (TServer::*)(const nlohmann::json&);
    using TNotification = void (TServer::*)(const nlohmann::json&);
    static const std::unordered_map<std::string, TRequest>& Requests();
    static const std::unordered_map<std::string, TNotification>& Notifications();

    nlohmann::json Initialize(const nlohmann::json& params);
    nlohmann::json Shutdown(const nlohmann::json& params);
    nlohmann::json Definition(const nlohmann::json& params);
    nlohmann::json References(const nlohmann::json& params);
    nlohmann::json PrepareRename(const nlohmann::json& params);
    nlohmann::json Rename(const nlohmann::json& params);
    void RefuseRenameElsewhere(const TOccurrence& item) const;
    nlohmann::json Completion(const nlohmann::json& params);
    nlohmann::json Hover(const nlohmann::json& params);
    nlohmann::json CodeAction(const nlohmann::json& params);
    nlohmann::json DocumentSymbol(const nlohmann::json& params);
    nlohmann::json WorkspaceSymbol(const nlohmann::json& params);

    void Initialized(const nlohmann::json& params);
    void DidOpen(const nlohmann::json& params);
    void DidChange(const nlohmann::json& params);
    void DidSave(const nlohmann::json& params);
    void DidClose(const nlohmann::json& params);
    void DidChangeConfiguration(const nlohmann::json& params);
    void DidChangeWatchedFiles(const nlohmann::json& params);
    void Exit(const nlohmann::json& params);

    // The indexed file a request's textDocument names; raises the protocol's
    // error for a file outside the workspace, -1 for one the index lacks.
    int32_t DocumentOf(const nlohmann::json& params);
    std::string ClientUri(int32_t file) const;
    nlohmann::json LocationsOf(const std::vector<TPlace>& places) const;
    void Send(const nlohmann::json& message);
    // An error answers a request; a refused notification is shown instead.
    void Refuse(bool isRequest, const nlohmann::json& id, int code, const std::string& message);
    void ShowWarning(const std::string& message);
    void ShowComplaints(const std::vector<TComplaint>& complaints);
    // The diagnostics of the files, each once and in file order, built on every core.
    void Publish(std::vector<int32_t> files, int32_t always = -1);
    void ApplySettings(const nlohmann::json& settings);
    // Sets the index's settings and shows what they name that cannot be read.
    std::vector<int32_t> SetIndexSettings();
    // Follows the project file that the settings name, or the first folder's.
    // Whether that is another file than before.
    bool FollowProjectFile();
    // Whether a client's URI is the project file's.
    bool IsProjectFile(const std::string& uri) const;
    // After a reading of the project file: its rules into the index, its
    // faults shown on it and told once.
    void ProjectRead(TProjectChange change);
    void PublishProjectFaults();

    TSend Send_;
    TWorkspaceIndex Index_;
    TIndexSettings Settings_;  // the editor's over the project file's
    TEditorSettings Editor_;
    TProjectState Project_;
    std::string ProjectUri_;  // the client's, while open
    std::string FaultsUri_;   // where faults of the project file are shown
    bool RelativePatterns_ = false;
    std::vector<std::string> Roots_;
    std::unordered_map<int32_t, std::string> ClientUris_;
    bool Initialized_ = false;
    bool WatchFiles_ = false;
    bool ShutDown_ = false;
    bool Exited_ = false;
    int NextRequestId_ = 1;
};

// Serves one client over a byte stream until exit or the end of input;
// returns the exit status. `atExit`, when given, is called with it while
// the index still stands (a process may end there without tearing it down).
int Serve(std::istream& in, std::ostream& out, const std::function<void(int)>& atExit = {});
