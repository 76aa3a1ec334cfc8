// Drives the real tessaron-lsp through one editor session over pipes, as any
// client would: workspace folder, diagnostics of the whole tree, an edit in an
// open file, definitions, faulty messages, shutdown and exit.
//
//   tessaron-lsp-protocol-test [--windows] SERVER [ARG...]
//
// With --windows the server is a Windows build under Wine and sees the tree on
// drive Z:, named as VS Code names it ("file:///z%3A/..."). Prints each fault
// and exits 1 when there was one.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "lsp_client.h"
#include "temp_tree.h"

namespace {

using TJson = TLspClient::TJson;
constexpr int kWaitMs = 20000;

// Windows-1251 bytes: "; Примечание" and the name "ЗнакНет".
const char kCp1251Comment[] = "; \xCF\xF0\xE8\xEC\xE5\xF7\xE0\xED\xE8\xE5";
const char kCp1251Name[] = "\xC7\xED\xE0\xEA\xCD\xE5\xF2";

const std::map<std::string, std::string> kTree = {
    {"images/defs.ini",
     "MappedImage Alpha\r\n  Texture = a.tga\r\nEnd\r\nMappedImage Знак\r\nEnd\r\n"
     "MappedImage Spare\r\nEnd\r\n"},
    {"units/tank.ini",
     "Object Tank\n\tButtonImage = Gone\n  SelectPortrait = Missing1 ; note\n"
     "  ButtonImage = Знак\n  ButtonImage = Alpha\n  ButtonImage = Twin\nEnd\n"},
    {"units/extra.ini", "MappedImage Twin\r\nEnd\r\n"},
    {"units/more.ini", "MappedImage Twin\r\nEnd\r\n"},
    {"units/ru.ini", std::string(kCp1251Comment) + "\r\n  ButtonImage = " + kCp1251Name + "\r\n"},
    // A lone CR ends a line for the editor but not for the reader.
    {"units/mac.ini", "Object M\n\r  ButtonImage = Lost\nEnd\n"},
};

struct TExpected {
    std::string File;
    int Line, Start, End, Severity;
    std::string Code;
    std::string Name;   // the message names it
    std::string Extra;  // "tag N" or "related FILE"
};

// Columns count UTF-8 bytes: the client offers utf-8 first.
const std::vector<TExpected> kDiagnostics = {
    {"units/tank.ini", 1, 15, 19, 1, "undeclared-image", "Gone", ""},
    {"units/tank.ini", 2, 19, 27, 1, "undeclared-image", "Missing1", ""},
    {"units/ru.ini", 1, 16, 30, 1, "undeclared-image", "ЗнакНет", ""},
    {"units/mac.ini", 2, 16, 20, 1, "undeclared-image", "Lost", ""},
    {"images/defs.ini", 5, 12, 17, 4, "unused-image", "Spare", "tag 1"},
    {"units/extra.ini", 0, 12, 16, 2, "duplicate-image", "Twin", "related units/more.ini"},
    {"units/more.ini", 0, 12, 16, 2, "duplicate-image", "Twin", "related units/extra.ini"},
};

int gFaults = 0;

void Fault(const std::string& what) {
    std::printf("FAIL: %s\n", what.c_str());
    ++gFaults;
}

class TSession {
public:
    TSession(const std::vector<std::string>& server, bool windows)
        : Client(server),
          RootUri_("file://" + std::string(windows ? "/z%3A" : "") + Tree_.Root()),
          Root_("file://" + std::string(windows ? "/z:" : "") + Tree_.Root() + "/") {
        for (const auto& [file, bytes] : kTree) Tree_.File(file, bytes);
        Client.OnServerMessage = [this](const TJson& message) {
            if (message["method"] == "textDocument/publishDiagnostics") {
                Published[Relative(message["params"]["uri"])] = message["params"]["diagnostics"];
            }
            if (message["method"] == "client/registerCapability") Registrations += message["params"].dump();
        };
    }

    void Write(const std::string& file, const std::string& bytes) { Tree_.File(file, bytes); }
    std::string Uri(const std::string& file) const { return file.empty() ? RootUri_ : RootUri_ + "/" + file; }

    // A URI the server wrote, as a file below the root. Clients decode URIs
    // and take the drive letter in either case, and so does this.
    std::string Relative(const std::string& uri) const {
        std::string decoded;
        for (std::size_t i = 0; i < uri.size(); ++i) {
            if (uri[i] == '%' && i + 2 < uri.size()) {
                decoded += static_cast<char>(std::stoi(uri.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                decoded += uri[i];
            }
        }
        if (decoded.size() > Root_.size() && strncasecmp(decoded.c_str(), Root_.c_str(), Root_.size()) == 0) {
            return decoded.substr(Root_.size());
        }
        return "(outside) " + uri;
    }

    TJson Ask(const std::string& method, const TJson& params) {
        const TJson answer = Client.Await(Client.Request(method, params), kWaitMs);
        if (answer.is_null()) Fault(method + ": no answer");
        return answer;
    }

    TJson Position(const std::string& uri, int line, int character) const {
        return {{"textDocument", {{"uri", uri}}}, {"position", {{"line", line}, {"character", character}}}};
    }

    TLspClient Client;
    std::map<std::string, TJson> Published;
    std::string Registrations;

private:
    TTempTree Tree_;
    std::string RootUri_;
    std::string Root_;  // decoded, with a slash at the end
};

void CheckDiagnostics(TSession& session) {
    std::size_t count = 0;
    for (const auto& [file, diagnostics] : session.Published) count += diagnostics.size();
    if (count != kDiagnostics.size()) {
        Fault("diagnostics: " + std::to_string(count) + " published, " + std::to_string(kDiagnostics.size()) +
              " expected");
    }
    for (const TExpected& e : kDiagnostics) {
        const std::string where = e.File + ":" + std::to_string(e.Line) + ":" + std::to_string(e.Start);
        const TJson range = {{"start", {{"line", e.Line}, {"character", e.Start}}},
                             {"end", {{"line", e.Line}, {"character", e.End}}}};
        const TJson* found = nullptr;
        for (const TJson& d : session.Published[e.File]) {
            if (d["range"] == range) found = &d;
        }
        if (found == nullptr) {
            Fault("diagnostics: none at " + where + "-" + std::to_string(e.End) + "; " + e.File + " has " +
                  session.Published[e.File].dump());
            continue;
        }
        const TJson& d = *found;
        std::string extra;
        if (d.contains("tags") && !d["tags"].empty()) extra = "tag " + std::to_string(d["tags"][0].get<int>());
        if (d.contains("relatedInformation") && !d["relatedInformation"].empty()) {
            extra = "related " + session.Relative(d["relatedInformation"][0]["location"]["uri"]);
        }
        if (d.value("severity", 0) != e.Severity || d.value("code", "") != e.Code ||
            d.value("source", "") != "tessaron" || d.value("message", "").find(e.Name) == std::string::npos ||
            extra != e.Extra) {
            Fault("diagnostics at " + where + ": " + d.dump());
        }
    }
}

void CheckDefinition(TSession& session, const TJson& position, const std::vector<std::string>& expected) {
    TJson locations = session.Ask("textDocument/definition", position)["result"];
    if (locations.is_object()) locations = TJson::array({locations});
    std::vector<std::string> seen;
    for (const TJson& l : locations) {
        seen.push_back(session.Relative(l["uri"]) + ":" + std::to_string(l["range"]["start"]["line"].get<int>()) + ":" +
                       std::to_string(l["range"]["start"]["character"].get<int>()) + "-" +
                       std::to_string(l["range"]["end"]["character"].get<int>()));
    }
    std::sort(seen.begin(), seen.end());
    if (seen != expected) Fault("definition at " + position.dump() + ": " + locations.dump());
}

void CheckError(TSession& session, const TJson& id, int code) {
    const TJson answer = session.Client.Await(id, kWaitMs);
    if (!answer.contains("error") || answer["error"].value("code", 0) != code) {
        Fault("error " + std::to_string(code) + " expected, got " + answer.dump());
    }
}

}  // namespace

int main(int argc, char** argv) {
    const bool windows = argc > 1 && std::strcmp(argv[1], "--windows") == 0;
    if (argc < 2 + windows) {
        std::fprintf(stderr, "usage: tessaron-lsp-protocol-test [--windows] SERVER [ARG...]\n");
        return 2;
    }
    TSession session(std::vector<std::string>(argv + 1 + windows, argv + argc), windows);

    const TJson init = session.Ask(
        "initialize",
        {{"processId", nullptr},
         {"locale", "en"},
         {"workspaceFolders", {{{"uri", session.Uri("")}, {"name", "tree"}}}},
         {"capabilities",
          {{"general", {{"positionEncodings", {"utf-8", "utf-16"}}}},
           {"textDocument",
            {{"publishDiagnostics", {{"relatedInformation", true}, {"tagSupport", {{"valueSet", {1, 2}}}}}}}},
           {"workspace", {{"workspaceFolders", true}, {"didChangeWatchedFiles", {{"dynamicRegistration", true}}}}}}}});
    if (init["result"]["capabilities"].value("positionEncoding", "") != "utf-8") {
        Fault("initialize: utf-8 not chosen: " + init.dump());
    }
    session.Client.Notify("initialized", TJson::object());
    // Every file with findings has its list once the tree is indexed.
    session.Client.WaitUntil([&] { return session.Published.size() >= 6; }, kWaitMs);
    CheckDiagnostics(session);

    // Missing1 becomes Spare: the open file loses an error, and the declaring
    // file loses its only finding, so it receives an empty list.
    const std::string tank = "units/tank.ini";
    session.Client.Notify(
        "textDocument/didOpen",
        {{"textDocument",
          {{"uri", session.Uri(tank)}, {"languageId", "ini"}, {"version", 1}, {"text", kTree.at(tank)}}}});
    session.Client.Notify(
        "textDocument/didChange",
        {{"textDocument", {{"uri", session.Uri(tank)}, {"version", 2}}},
         {"contentChanges",
          {{{"range", {{"start", {{"line", 2}, {"character", 19}}}, {"end", {{"line", 2}, {"character", 27}}}}},
            {"text", "Spare"}}}}});
    const bool republished = session.Client.WaitUntil(
        [&] { return session.Published["images/defs.ini"].empty() && session.Published[tank].size() == 1; }, kWaitMs);
    if (!republished) {
        Fault("after the edit: " + tank + " has " + session.Published[tank].dump() + ", images/defs.ini has " +
              session.Published["images/defs.ini"].dump());
    }

    // A file made on disk, as the editor's watcher reports it, declares the
    // last undeclared name of the open file.
    if (session.Registrations.find("**/*.ini") == std::string::npos) {
        Fault("no watcher registered for **/*.ini: " + session.Registrations);
    }
    session.Write("units/gone.ini", "MappedImage Gone\r\nEnd\r\n");
    session.Client.Notify("workspace/didChangeWatchedFiles",
                          {{"changes", {{{"uri", session.Uri("units/gone.ini")}, {"type", 1}}}}});
    if (!session.Client.WaitUntil([&] { return session.Published[tank].empty(); }, kWaitMs)) {
        Fault("after a new file: " + tank + " has " + session.Published[tank].dump());
    }

    CheckDefinition(session, session.Position(session.Uri(tank), 3, 17), {"images/defs.ini:3:12-20"});
    CheckDefinition(session, session.Position(session.Uri(tank), 5, 16),
                    {"units/extra.ini:0:12-16", "units/more.ini:0:12-16"});

    // Faulty messages are answered with errors, and the session goes on.
    session.Client.SendBody("{\"jsonrpc\": \"2.0\", \"id\": ");
    CheckError(session, nullptr, -32700);
    const struct {
        std::string Method;
        TJson Params;
        int Code;
    } faulty[] = {
        {"tessaron/nothing", TJson::object(), -32601},
        // A folder beside the root whose name starts with the root's.
        {"textDocument/definition", session.Position(session.Uri("") + "x/a.ini", 0, 0), -32803},
    };
    for (const auto& f : faulty) CheckError(session, session.Client.Request(f.Method, f.Params), f.Code);
    CheckDefinition(session, session.Position(session.Uri(tank), 4, 16), {"images/defs.ini:0:12-17"});

    const TJson shutdown = session.Ask("shutdown", nullptr);
    if (!shutdown.contains("result") || !shutdown["result"].is_null()) Fault("shutdown: " + shutdown.dump());
    session.Client.Notify("exit", nullptr);
    const int status = session.Client.AwaitExit(kWaitMs);
    if (status != 0) Fault("exit status " + std::to_string(status));

    std::printf("%s: %d faults\n", gFaults == 0 ? "passed" : "FAILED", gFaults);
    return gFaults == 0 ? 0 : 1;
}
