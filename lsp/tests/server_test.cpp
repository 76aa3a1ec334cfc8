#include "server.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "framing.h"
#include "temp_tree.h"
#include "uri.h"

using nlohmann::json;

namespace {

std::string Framed(const std::string& body) {
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// A server on a temporary tree. Send gives a request's result or error code,
// each message shown as its JSON string and ";", then "file: range code ...;"
// for each list of diagnostics published, with paths below the tree and
// ranges as "line:character-line:character".
struct TSession {
    TTempTree Tree;
    std::string Out;
    TServer Server{[this](const std::string& body) {
        const json m = json::parse(body);
        if (!m.contains("method")) Out += (m.contains("error") ? m["error"]["code"] : m["result"]).dump();
        if (m.value("method", "") == "window/showMessage") Out += m["params"]["message"].dump() + ";";
        if (m.value("method", "") != "textDocument/publishDiagnostics") return;
        Out += m["params"]["uri"].get<std::string>() + ":";
        for (const json& d : m["params"]["diagnostics"])
            Out += " " + d["range"].dump() + " " + d["code"].get<std::string>();
        Out += ";";
    }};

    std::string Send(const std::string& method, json params) {
        Out.clear();
        json message = {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
        if (method != "initialized" && method != "exit" && method.find("/did") == std::string::npos) message["id"] = 1;
        Server.Handle(message);
        const std::regex range(
            R"(\{"end":\{"character":(\d+),"line":(\d+)},"start":\{"character":(\d+),"line":(\d+)}})");
        std::string out = std::regex_replace(Out, std::regex(R"("message":"(\\.|[^"])*",)"), "");
        out = std::regex_replace(out, range, "\"$4:$3-$2:$1\"");
        const std::string file = json(Tree.Path("x")).dump();  // as JSON writes the tree's paths
        for (const std::string& root : {UriFromPath(Tree.Root()) + "/", file.substr(1, file.size() - 3)})
            for (std::size_t at; (at = out.find(root)) != std::string::npos;) out.erase(at, root.size());
        return out;
    }
};

}  // namespace

TEST(Uri, ConvertsToPathsAndBack) {
    const std::pair<std::string, std::string> cases[] = {
#ifdef _WIN32
        {"file:///C:/a%20b/%D0%AF.ini", "C:\\a b\\\xD0\xAF.ini"},
        {"file:///c%3A/x", "c:\\x"},
        {"file:///C:/w/root/../x/./y.ini", "C:\\w\\x\\y.ini"},
#else
        {"file:///a%20b/%D0%AF.ini", "/a b/\xD0\xAF.ini"}, {"file:///x%25y%3B", "/x%y;"},
        {"file://LocalHost/w/a.ini", "/w/a.ini"},          {"file:///w/root/../x/./y.ini", "/w/x/y.ini"},
        {"file:///w/%2E%2E/%2e/../y.ini", "/y.ini"},
#endif
    };
    for (const auto& [uri, path] : cases) {
        EXPECT_EQ(PathFromUri(uri).value_or("?"), path);
        EXPECT_EQ(PathFromUri(UriFromPath(path)).value_or("?"), path);
    }
    EXPECT_FALSE(PathFromUri("untitled:1"));
#ifndef _WIN32
    EXPECT_FALSE(PathFromUri("file://elsewhere/w/a.ini"));
#endif
}

TEST(Server, AnswersAnEditorSession) {
    TSession s;
    s.Tree.File("a.ini",
                "Obj\r\n  SelectPortrait = \xD0\xAF\xD0\xAF\r\n  ButtonImage = Arow\r\n  ButtonImage = Arrow\r\n");
    s.Tree.File("b.ini",
                "MappedImage \xD0\xAF\xD0\xAF\nEnd\nMappedImage Arrow\n  Texture = x\nEnd\nMappedImage Arrowhead\n");
    s.Tree.File("c.ini", "ButtonImage = \xDF\xDF\r\nButtonImage = Ext\r\nMappedImage Twice\r\nMappedImage Twice\r\n");
    s.Tree.File("names.txt", "ext\n");
    // Enough files that their diagnostics are made on every core, and still sent in order.
    std::string many;
    for (int k = 10; k < 25; ++k) {
        s.Tree.File("e" + std::to_string(k) + ".ini", "ButtonImage = Gone\n");
        many += "e" + std::to_string(k) + R"(.ini: "0:14-0:18" undeclared-image;)";
    }
    const std::string a = UriFromPath(s.Tree.Path("a.ini"));
    const auto at = [&](int line, int character, json more = json::object()) {
        more["textDocument"] = {{"uri", a}};
        more["position"] = {{"line", line}, {"character", character}};
        return more;
    };
    EXPECT_EQ(s.Send("textDocument/hover", at(3, 17)), "-32002");
    json init = R"({"locale":"ru-RU","capabilities":{"general":{"positionEncodings":["utf-8"]}}})"_json;
    init["rootUri"] = UriFromPath(s.Tree.Root());
    EXPECT_NE(s.Send("initialize", init).find(R"("positionEncoding":"utf-8")"), std::string::npos);
    // A request or notification, its parameters, and what Send shows.
    const std::tuple<std::string, json, std::string> steps[] = {
        {"initialized", json::object(),
         R"(a.ini: "2:16-2:20" undeclared-image;b.ini: "5:12-5:21" unused-image;c.ini: "0:14-0:18" undeclared-image )"
         R"("1:14-1:17" undeclared-image "2:12-2:17" unused-image "2:12-2:17" duplicate-image "3:12-3:17" unused-image )"
         R"("3:12-3:17" duplicate-image;)" +
             many},
        // Columns count UTF-8 bytes: the name at 1:19 is four bytes long.
        {"textDocument/definition", at(1, 21), R"([{"range":"0:12-0:16","uri":"b.ini"}])"},
        {"textDocument/definition", at(3, 10), "null"},
        {"textDocument/references", at(3, 17, {{"context", {{"includeDeclaration", false}}}}),
         R"([{"range":"3:16-3:21","uri":"a.ini"}])"},
        {"textDocument/references", at(3, 17, {{"context", {{"includeDeclaration", true}}}}),
         R"([{"range":"2:12-2:17","uri":"b.ini"},{"range":"3:16-3:21","uri":"a.ini"}])"},
        {"textDocument/prepareRename", at(1, 19), R"({"placeholder":"ЯЯ","range":"1:19-1:23"})"},
        {"textDocument/rename", at(1, 19, {{"newName", "New"}}),
         R"({"changes":{"a.ini":[{"newText":"New","range":"1:19-1:23"}],"b.ini":[{"newText":"New","range":"0:12-0:16"}]}})"},
        {"textDocument/rename", at(1, 19, {{"newName", "a = b"}}), "-32803"},
        {"textDocument/completion", at(2, 18),
         R"({"isIncomplete":false,"items":[{"kind":12,"label":"Arrow","textEdit":{"newText":"Arrow","range":"2:16-2:18"}},)"
         R"({"kind":12,"label":"Arrowhead","textEdit":{"newText":"Arrowhead","range":"2:16-2:18"}}]})"},
        {"textDocument/completion", at(2, 8), "null"},
        {"textDocument/hover", at(3, 17),
         R"({"contents":{"kind":"markdown","value":"```ini\nMappedImage Arrow\n  Texture = x\nEnd\n```\nОбъявлена в b.ini, строка 3"}})"},
        {"textDocument/codeAction",
         at(0, 0, R"({"range":{"start":{"line":2,"character":17},"end":{"line":2,"character":17}},
                  "context":{"diagnostics":[]}})"_json),
         R"([{"diagnostics":[{"code":"undeclared-image","range":"2:16-2:20","severity":1,"source":"tessaron"}],)"
         R"("edit":{"changes":{"a.ini":[{"newText":"Arrow","range":"2:16-2:20"}]}},"kind":"quickfix","title":"Заменить на Arrow"}])"},
        {"workspace/symbol", R"({"query":"HEAD"})"_json,
         R"([{"kind":14,"location":{"range":"5:12-5:21","uri":"b.ini"},"name":"Arrowhead"}])"},
        {"textDocument/documentSymbol",
         {{"textDocument", {{"uri", UriFromPath(s.Tree.Path("c.ini"))}}}},
         R"([{"kind":14,"name":"Twice","range":"2:12-2:17","selectionRange":"2:12-2:17"},)"
         R"({"kind":14,"name":"Twice","range":"3:12-3:17","selectionRange":"3:12-3:17"}])"},
        {"no/such", json::object(), "-32601"},
        // A folder beside the root whose name starts with the root's.
        {"textDocument/hover", {{"textDocument", {{"uri", UriFromPath(s.Tree.Root()) + "x/a.ini"}}}}, "-32803"},
        {"textDocument/definition", {{"textDocument", 1}}, "-32602"},
        {"textDocument/didOpen",
         {{"textDocument", {{"uri", UriFromPath(s.Tree.Path("notes.txt"))}, {"text", "ButtonImage = X\n"}}}},
         ""},
        {"workspace/didChangeConfiguration",
         R"({"settings":{"tessaron":{"unused":false,"names":["names.txt"],"declaredIn":["missing"],"duplicates":false,
             "encoding":"utf-8"}}})"_json,
         R"("это не папка: missing";b.ini:;c.ini: "0:14-0:16" undeclared-image;)"},
        {"shutdown", nullptr, "null"},
        {"workspace/symbol", {{"query", ""}}, "-32600"},
        {"exit", nullptr, ""},
    };
    for (const auto& [method, params, expected] : steps)
        EXPECT_EQ(s.Send(method, params), expected) << method << " " << params;
    EXPECT_TRUE(s.Server.Exited() && s.Server.ExitCode() == 0);
}

TEST(Server, ServesOverAStreamUntilItsEnd) {
    // Headers in any case, LF line ends, other headers, a broken header block
    // answered once and what follows it up to the next length skipped, blank
    // lines between messages; nothing is handled after exit.
    std::istringstream in(Framed(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})") +
                          "content-length:  2\nContent-Type: x\n\n{}" + "Content-Length: x\r\n\r\n" +
                          "Content-Type: y\r\n\r\n\r\n" + Framed("[1]") + Framed("{x") +
                          Framed(R"({"jsonrpc":"2.0","method":"exit"})") + Framed("never read"));
    std::ostringstream out;
    EXPECT_EQ(Serve(in, out), 1);  // exit without shutdown
    // Each answer's error code, or the position encoding the server chose.
    std::istringstream answers(out.str());
    std::vector<std::string> codes;
    std::string body;
    TFrameReader reader(answers);
    while (reader.Next(body) == TReadResult::Message) {
        const json m = json::parse(body);
        codes.push_back(
            (m.contains("error") ? m["error"]["code"] : m["result"]["capabilities"]["positionEncoding"]).dump());
    }
    EXPECT_EQ(codes, (std::vector<std::string>{R"("utf-16")", "-32600", "-32700", "-32600", "-32700"}));
    std::istringstream cut("Content-Length: 9\r\n\r\n{}");
    EXPECT_EQ(TFrameReader(cut).Next(body), TReadResult::End);
}

namespace {

// A request, or a notification when `id` is null, with its length off by `off`.
std::string Message(const json& id, const std::string& method, const json& params, int off = 0) {
    json m = {{"jsonrpc", "2.0"}, {"method", method}, {"params", params}};
    if (!id.is_null()) m["id"] = id;
    const std::string body = m.dump();
    return "Content-Length: " + std::to_string(static_cast<int>(body.size()) + off) + "\r\n\r\n" + body;
}

// The server's messages but diagnostics, joined by " | ": "ID: CODE TEXT" for
// an error, "warn: TEXT", "ID: RESULT" with a list as its size.
std::string Answers(const std::string& stream, const std::string& root) {
    std::istringstream in(stream);
    TFrameReader reader(in);
    std::string body;
    std::string out;
    while (reader.Next(body) == TReadResult::Message) {
        const json m = json::parse(body);
        std::string line;
        if (m.contains("error")) {
            line = m["id"].dump() + ": " + m["error"]["code"].dump() + " " + m["error"]["message"].get<std::string>();
        } else if (m.value("method", "") == "window/showMessage") {
            line = "warn: " + m["params"]["message"].get<std::string>();
        } else if (m.contains("result")) {
            const json& r = m["result"];
            const json& list = r.contains("items") ? r["items"] : r;
            line = m["id"].dump() + ": " +
                   (list.is_array()              ? std::to_string(list.size())
                    : r.contains("capabilities") ? "ready"
                                                 : r.dump());
            if (r.is_object() && r.value("isIncomplete", false)) line += " incomplete";
        } else {
            continue;
        }
        for (std::size_t at; (at = line.find(root)) != std::string::npos;) line.erase(at, root.size());
        out += (out.empty() ? "" : " | ") + line;
    }
    return out;
}

}  // namespace

TEST(Server, KeepsServingAfterHostileInput) {
    TTempTree tree;
    std::string names;
    for (int k = 0; k < 400; ++k) names += "MappedImage N" + std::to_string(k) + "\n";
    tree.File("b.ini", names);
    tree.File("a.ini", "ButtonImage = N7\n");
    const std::string a = UriFromPath(tree.Path("a.ini"));
    const auto at = [&](json line, json character, const std::string& uri = "") {
        return json{{"textDocument", {{"uri", uri.empty() ? a : uri}}},
                    {"position", {{"line", line}, {"character", character}}}};
    };
    json init = {
        {"workspaceFolders", {{{"uri", UriFromPath(tree.Root())}}, {{"uri", UriFromPath(tree.Path("gone"))}}}}};
    const std::string start = Message(1, "initialize", init) + Message(nullptr, "initialized", json::object());
    const std::string symbols = Message(5, "workspace/symbol", {{"query", "N1"}});
    std::string deep(200000, '[');
    deep = R"({"jsonrpc":"2.0","id":5,"method":"shutdown","params":)" + deep + std::string(deep.size(), ']') + "}";
    const json badRange = {{"start", {{"line", -1}, {"character", 0}}}, {"end", {{"line", 0}, {"character", 0}}}};
    const std::string halfChange =
        Message(nullptr, "textDocument/didOpen", {{"textDocument", {{"uri", a}, {"text", "ButtonImage = N7\n"}}}}) +
        Message(nullptr, "textDocument/didChange",
                {{"textDocument", {{"uri", a}}},
                 {"contentChanges", {{{"text", "ButtonImage = Zz\n"}}, {{"range", badRange}, {"text", ""}}}}});
    const std::string broken = "null: -32700 malformed message";
    // What the client sends, and what the server answers to it.
    const std::pair<std::string, std::string> cases[] = {
        {"Content-Length: 12x\r\n\r\n{}", broken},
        {"Content-Type: a\r\n\r\n{}", broken},
        {"Content-Length: -5\r\n\r\n{}", broken},
        {"Content-Length : 2\r\n\r\n{}", broken},
        {std::string("Content-Length: 2\0\r\n\r\n{}", 24), broken},
        {"Content-Length: 2147483649\r\n\r\n{}", broken},
        {"Content-Length: 99999999999999999999\r\n\r\n{}", broken},
        {std::string(5000, 'x') + "\r\n\r\n{}", broken},
        {Message(5, "workspace/symbol", {{"query", "N1"}}, -3), broken},
        {Message(5, "workspace/symbol", {{"query", "N1"}}, 4), broken},
        {Message(5, "workspace/symbol", {{"query", "N1"}}, 40), broken},  // into the next body
        {"Content-Length: 2\r\n\r\n{x", broken},
        {"Content-Length: 3\r\n\r\n[1]", "null: -32600 malformed message"},
        {"Content-Length: " + std::to_string(deep.size()) + "\r\n\r\n" + deep, "5: -32600 the message nests too deep"},
        {Message(5, "initialize", init), "5: -32600 the server is already initialized"},
        {Message(5, "textDocument/definition", at(-1, 0)), R"(5: -32602 not a position: {"character":0,"line":-1})"},
        {Message(5, "textDocument/definition", at(4294967297, 0)),
         R"(5: -32602 not a position: {"character":0,"line":4294967297})"},
        {Message(5, "textDocument/hover", at(0, 1.5)), R"(5: -32602 not a position: {"character":1.5,"line":0})"},
        {halfChange, R"(warn: not a position: {"character":0,"line":-1})"},
        {Message(5, "textDocument/definition", at(0, 15, "file://localhost" + a.substr(7))), "5: 1"},
        {Message(nullptr, "workspace/didChangeConfiguration",
                 {{"settings", {{"declaredIn", {""}}, {"encoding", "utf8"}, {"unused", "no"}}}}),
         R"(warn: invalid value for declaredIn: "" | warn: invalid value for unused: "no" | )"
         R"(warn: invalid value for encoding: "utf8")"},
        {Message(5, "workspace/symbol", {{"query", ""}}), "5: 300"},
        {Message(5, "textDocument/completion", at(0, 14)), "5: 300 incomplete"},
        {Message(5, "textDocument/completion", at(0, 16)), "5: 11"},
        {Message(10, "shutdown", nullptr) + symbols, "10: null | 5: -32600 the server is shutting down"},
    };
    for (const auto& [hostile, expected] : cases) {
        // A definition that must still be found, then the end of the session.
        std::istringstream in(start + hostile + Message(9, "textDocument/definition", at(0, 15)) +
                              Message(11, "shutdown", nullptr) + Message(nullptr, "exit", nullptr));
        std::ostringstream out;
        EXPECT_EQ(Serve(in, out), 0) << hostile.substr(0, 200);
        const std::string served = expected.rfind("10: null", 0) == 0 ? "9: -32600 the server is shutting down | 11: "
                                                                        "-32600 the server is shutting down"
                                                                      : "9: 1 | 11: null";
        EXPECT_EQ(Answers(out.str(), tree.Root()),
                  "warn: not a directory: /gone | 1: ready | " + expected + " | " + served)
            << hostile.substr(0, 200);
    }
}
