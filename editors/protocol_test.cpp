// tessaron-lsp-protocol-test [--windows] SERVER [ARG...] drives the real server
// through one editor session over pipes, as any client would. With --windows it
// is a Windows build under Wine that sees the tree on drive Z:, named as VS Code
// names it ("file:///z%3A/..."). Prints each fault and exits 1 when there was one.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "lsp_client.h"
#include "temp_tree.h"

namespace {

using TJson = TLspClient::TJson;
constexpr int kWaitMs = 20000;

const std::map<std::string, std::string> kTree = {
    {"images/defs.ini", "MappedImage Alpha\r\nEnd\r\nMappedImage Знак\r\nEnd\r\nMappedImage Spare\r\nEnd\r\n"},
    {"units/tank.ini",
     "Object Tank\n\tButtonImage = Gone\n  SelectPortrait = Пропал ; note\n"
     "  ButtonImage = Знак\n  ButtonImage = Alpha\n  ButtonImage = Twin\nEnd\n"},
    {"units/extra.ini", "MappedImage Twin\r\nEnd\r\n"},
    {"units/more.ini", "MappedImage Twin\r\nEnd\r\n"},
};

// "file line:start-end severity code [tags] [related file]"; columns count
// UTF-8 bytes, as the client offers utf-8 first.
const std::vector<std::string> kDiagnostics = {
    "images/defs.ini 4:12-17 4 unused-image [1]",
    "units/extra.ini 0:12-16 2 duplicate-image related units/more.ini",
    "units/more.ini 0:12-16 2 duplicate-image related units/extra.ini",
    "units/tank.ini 1:15-19 1 undeclared-image",
    "units/tank.ini 2:19-31 1 undeclared-image",
};

}  // namespace

int main(int argc, char** argv) {
    const bool windows = argc > 1 && std::strcmp(argv[1], "--windows") == 0;
    if (argc < 2 + windows) {
        std::fprintf(stderr, "usage: tessaron-lsp-protocol-test [--windows] SERVER [ARG...]\n");
        return 2;
    }
    int faults = 0;
    const auto Check = [&](bool ok, const std::string& what) {
        if (!ok) std::printf("FAIL: %s\n", what.c_str());
        faults += !ok;
    };
    TTempTree tree;
    for (const auto& [file, bytes] : kTree) tree.File(file, bytes);
    const auto uri = [&](const std::string& file) {
        return "file://" + std::string(windows ? "/z%3A" : "") + tree.Root() + (file.empty() ? "" : "/" + file);
    };
    // A URI the server wrote, as a file below the root. Clients take the
    // drive letter in either case, and its colon encoded or not.
    const auto relative = [&](const std::string& written) {
        const std::size_t at = written.find(tree.Root() + "/");
        const bool ok = std::regex_match(written.substr(0, std::min(at, written.size())),
                                         std::regex(windows ? "file:///[zZ](:|%3[aA])" : "file://"));
        return ok ? written.substr(at + tree.Root().size() + 1) : "(outside) " + written;
    };
    TLspClient client(std::vector<std::string>(argv + 1 + windows, argv + argc));
    std::map<std::string, TJson> published;
    std::string registrations;
    client.OnServerMessage = [&](const TJson& message) {
        if (message["method"] == "textDocument/publishDiagnostics")
            published[relative(message["params"]["uri"])] = message["params"]["diagnostics"];
        if (message["method"] == "client/registerCapability") registrations += message["params"].dump();
    };

    TJson init = TJson::parse(R"({"processId":null,"capabilities":{"general":{"positionEncodings":["utf-8","utf-16"]},
        "workspace":{"didChangeWatchedFiles":{"dynamicRegistration":true}}}})");
    init["workspaceFolders"] = {{{"uri", uri("")}, {"name", "tree"}}};
    Check(!client.Await(client.Request("initialize", init), kWaitMs).is_null(), "initialize: no answer");
    client.Notify("initialized", TJson::object());
    // Every file with findings has its list once the tree is indexed.
    client.WaitUntil([&] { return published.size() >= 4; }, kWaitMs);
    std::vector<std::string> seen;
    for (const auto& [file, diagnostics] : published) {
        for (const TJson& d : diagnostics) {
            const TJson& r = d["range"];
            seen.push_back(file + " " + r["start"]["line"].dump() + ":" + r["start"]["character"].dump() + "-" +
                           r["end"]["character"].dump() + " " + d["severity"].dump() + " " + d.value("code", "") +
                           (d.contains("tags") ? " " + d["tags"].dump() : ""));
            for (const TJson& related : d.value("relatedInformation", TJson::array()))
                seen.back() += " related " + relative(related["location"]["uri"]);
        }
    }
    std::sort(seen.begin(), seen.end());
    Check(seen == kDiagnostics, "diagnostics: " + TJson(seen).dump());

    // Пропал becomes Spare: the open file loses an error, and the declaring
    // file loses its only finding, so it receives an empty list.
    const std::string tank = "units/tank.ini";
    client.Notify("textDocument/didOpen",
                  {{"textDocument", {{"uri", uri(tank)}, {"version", 1}, {"text", kTree.at(tank)}}}});
    const TJson range = {{"start", {{"line", 2}, {"character", 19}}}, {"end", {{"line", 2}, {"character", 31}}}};
    client.Notify("textDocument/didChange", {{"textDocument", {{"uri", uri(tank)}, {"version", 2}}},
                                             {"contentChanges", {{{"range", range}, {"text", "Spare"}}}}});
    Check(
        client.WaitUntil([&] { return published["images/defs.ini"].empty() && published[tank].size() == 1; }, kWaitMs),
        "after the edit: " + published[tank].dump() + published["images/defs.ini"].dump());

    // A file made on disk, as the editor's watcher reports it, declares the
    // last undeclared name of the open file.
    Check(registrations.find("**/*.ini") != std::string::npos, "watcher: " + registrations);
    tree.File("units/gone.ini", "MappedImage Gone\r\nEnd\r\n");
    client.Notify("workspace/didChangeWatchedFiles", {{"changes", {{{"uri", uri("units/gone.ini")}, {"type", 1}}}}});
    Check(client.WaitUntil([&] { return published[tank].empty(); }, kWaitMs),
          "after a new file: " + published[tank].dump());

    Check(client.Await(client.Request("shutdown", nullptr), kWaitMs).value("result", TJson(0)).is_null(), "shutdown");
    client.Notify("exit", nullptr);
    const int status = client.AwaitExit(kWaitMs);
    Check(status == 0, "exit status " + std::to_string(status));

    std::printf("%s: %d faults\n", faults == 0 ? "passed" : "FAILED", faults);
    return faults == 0 ? 0 : 1;
}
