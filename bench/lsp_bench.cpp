// Times tessaron-lsp as an editor meets it, against tessaron-check on the same
// tree: the first full set of diagnostics after start, the diagnostics of an
// open file after each of a series of edits, and the server's peak memory.
//
//   tessaron-bench-lsp SERVER CHECKER TREE [RUNS]
//
// TREE is one of tessaron-bench-gen's; its tree.txt gives the number of
// undeclared uses, of images and of the file rules of TREE/tessaron.toml
// when it has one, which the server and the check both read, and what the
// check must keep.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "lsp_client.h"

namespace {

using TJson = TLspClient::TJson;
using TClock = std::chrono::steady_clock;
constexpr int kWaitMs = 120000;
constexpr int kEdits = 50;

double Since(TClock::time_point start) {
    return std::chrono::duration<double>(TClock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[(values.size() - 1) / 2];
}

std::map<std::string, unsigned long long> Facts(const std::string& tree) {
    std::map<std::string, unsigned long long> facts;
    std::ifstream in(tree + "/tree.txt");
    std::string key;
    unsigned long long value = 0;
    while (in >> key >> value) facts[key] = value;
    return facts;
}

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct TProcessRun {
    double Seconds;
    long PeakKib;
};

TProcessRun RunChecker(const std::vector<std::string>& command) {
    const auto start = TClock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        std::vector<char*> argv;
        for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    return {Since(start), usage.ru_maxrss};
}

// One server from its start: the time until every undeclared use of the tree
// has its diagnostic, and, when `edits` is set, the latency of each edit.
// Each is the time the message that completed it came in; this client's own
// decoding, slower than an editor's, is only shown beside it.
struct TSession {
    double FullSeconds = 0;
    double DecodeSeconds = 0;
    std::vector<double> EditSeconds;
    long PeakKib = 0;
};

TSession RunServer(const std::string& server, const std::string& tree, unsigned long long missing, bool edits) {
    TSession result;
    const auto start = TClock::now();
    TLspClient client({server});
    // Only the counts: a child's peak memory is never below this process's at
    // its fork (the kernel carries it through exec), so this process stays small.
    struct TCounts {
        long Undeclared = 0;
        std::size_t All = 0;
    };
    std::map<std::string, TCounts> published;
    long undeclared = 0;
    std::string lastUri;
    client.OnServerMessage = [&](const TJson& message) {
        if (message["method"] != "textDocument/publishDiagnostics") return;
        const TJson& params = message["params"];
        const TJson& list = params["diagnostics"];
        const long count = std::count_if(
            list.begin(), list.end(), [](const TJson& d) { return d.value("code", "").rfind("undeclared-", 0) == 0; });
        TCounts& held = published[params["uri"]];
        undeclared += count - held.Undeclared;
        held = {count, list.size()};
        lastUri = params["uri"];
    };
    const std::string root = "file://" + tree;
    client.Await(client.Request("initialize", {{"processId", getpid()},
                                               {"workspaceFolders", {{{"uri", root}, {"name", "bench"}}}},
                                               {"capabilities", {{"general", {{"positionEncodings", {"utf-8"}}}}}}}),
                 kWaitMs);
    client.Notify("initialized", TJson::object());
    // The first set comes as one burst; decoding waits until it is over.
    constexpr int kQuietMs = 50;
    const bool burst = client.AwaitBurst(kQuietMs, kWaitMs);
    const auto decoding = TClock::now();
    if (!burst || !client.WaitUntil([&] { return undeclared == static_cast<long>(missing); }, kWaitMs)) {
        std::fprintf(stderr, "bench-lsp: %ld of %llu undeclared uses published\n", undeclared, missing);
        std::exit(1);
    }
    result.FullSeconds = std::chrono::duration<double>(client.LastArrival() - start).count();
    result.DecodeSeconds = Since(decoding);

    if (edits) {
        // The file with the most findings, opened as the editor holds it; each
        // edit adds or removes a first line that uses an undeclared name.
        std::string uri = published.begin()->first;
        for (const auto& [u, list] : published) {
            if (list.All > published[uri].All) uri = u;
        }
        client.Notify("textDocument/didOpen",
                      {{"textDocument",
                        {{"uri", uri}, {"languageId", "ini"}, {"version", 1}, {"text", FileText(uri.substr(7))}}}});
        const std::size_t base = published[uri].All;
        for (int edit = 0; edit < kEdits; ++edit) {
            const bool add = edit % 2 == 0;
            const TJson change =
                add ? TJson{{"range",
                             {{"start", {{"line", 0}, {"character", 0}}}, {"end", {{"line", 0}, {"character", 0}}}}},
                            {"text", "ButtonImage = TessaronBenchNoSuchImage\n"}}
                    : TJson{{"range",
                             {{"start", {{"line", 0}, {"character", 0}}}, {"end", {{"line", 1}, {"character", 0}}}}},
                            {"text", ""}};
            lastUri.clear();
            const auto sent = TClock::now();
            client.Notify("textDocument/didChange",
                          {{"textDocument", {{"uri", uri}, {"version", edit + 2}}}, {"contentChanges", {change}}});
            if (!client.WaitUntil([&] { return lastUri == uri && published[uri].All == base + add; }, kWaitMs)) {
                std::fprintf(stderr, "bench-lsp: no diagnostics after edit %d\n", edit);
                std::exit(1);
            }
            result.EditSeconds.push_back(std::chrono::duration<double>(client.LastArrival() - sent).count());
        }
    }
    client.Await(client.Request("shutdown", nullptr), kWaitMs);
    client.Notify("exit", nullptr);
    client.AwaitExit(kWaitMs);
    result.PeakKib = client.PeakKib();
    return result;
}

double Mib(double kib) {
    return kib / 1024;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: tessaron-bench-lsp SERVER CHECKER TREE [RUNS]\n");
        return 2;
    }
    const std::string server = argv[1];
    std::vector<std::string> check = {argv[2], "--format=json", "--unused", "--duplicates"};
    const std::string tree = std::filesystem::absolute(argv[3]).lexically_normal().string();
    check.push_back(tree);
    const int runs = argc > 4 ? std::atoi(argv[4]) : 5;
    auto facts = Facts(tree);

    // Warm the page cache, then take the two in turns.
    RunChecker(check);
    std::vector<double> serverSeconds, decodeSeconds, checkSeconds, serverKib, checkKib;
    TSession last;
    for (int run = 0; run < runs; ++run) {
        const TProcessRun checked = RunChecker(check);
        checkSeconds.push_back(checked.Seconds);
        checkKib.push_back(static_cast<double>(checked.PeakKib));
        last = RunServer(server, tree, facts["missing"] + facts["rule_missing"], run == runs - 1);
        serverSeconds.push_back(last.FullSeconds);
        decodeSeconds.push_back(last.DecodeSeconds);
        serverKib.push_back(static_cast<double>(last.PeakKib));
    }
    const double keepKib = static_cast<double>(facts["path_bytes"] + facts["used_name_bytes"] +
                                               facts["decl_name_bytes"] + 16 * facts["refs"]) /
                           1024;
    const double server_s = Median(serverSeconds), check_s = Median(checkSeconds);
    const bool rules = std::filesystem::exists(tree + "/tessaron.toml");
    std::printf(
        "language server on the %s tree (%llu files%s), medians of %d runs; the check is --unused --duplicates, as "
        "the server's defaults\n",
        std::filesystem::path(tree).filename().c_str(), facts["files"], rules ? ", with its tessaron.toml" : "", runs);
    std::printf(
        "first full diagnostics: server %.4f s, check %.4f s (%.2fx, target <= 1.5x); this client decodes them in "
        "%.4f s more\n",
        server_s, check_s, server_s / check_s, Median(decodeSeconds));
    std::printf(
        "diagnostics of an open file after an edit: median %.2f ms over %d edits, slowest %.2f ms (target <= "
        "10 ms)\n",
        Median(last.EditSeconds) * 1000, kEdits,
        *std::max_element(last.EditSeconds.begin(), last.EditSeconds.end()) * 1000);
    std::printf(
        "memory: server peak %.1f MiB, check peak %.1f MiB (%.2fx, target <= 3x); the check must keep %.1f MiB\n",
        Mib(Median(serverKib)), Mib(Median(checkKib)), Median(serverKib) / Median(checkKib), Mib(keepKib));
    return 0;
}
