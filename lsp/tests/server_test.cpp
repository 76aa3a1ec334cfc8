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
        {"file:///a%20b/%D0%AF.ini", "/a b/\xD0\xAF.ini"},
        {"file:///x%25y%3B", "/x%y;"},
        {"file:///w/root/../x/./y.ini", "/w/x/y.ini"},
        {"file:///w/%2E%2E/%2e/../y.ini", "/y.ini"},
#endif
    };
    for (const auto& [uri, path] : cases) {
        EXPECT_EQ(PathFromUri(uri).value_or("?"), path);
        EXPECT_EQ(PathFromUri(UriFromPath(path)).value_or("?"), path);
    }
    EXPECT_FALSE(PathFromUri("untitled:1"));
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
    // Headers in any case, LF line ends, other headers, broken header blocks
    // skipped, blank lines between messages; nothing is read after exit.
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
    while (ReadMessage(answers, body) == TReadResult::Message) {
        const json m = json::parse(body);
        codes.push_back(
            (m.contains("error") ? m["error"]["code"] : m["result"]["capabilities"]["positionEncoding"]).dump());
    }
    EXPECT_EQ(codes, (std::vector<std::string>{R"("utf-16")", "-32600", "-32700", "-32700", "-32600", "-32700"}));
    std::istringstream cut("Content-Length: 9\r\n\r\n{}");
    EXPECT_EQ(ReadMessage(cut, body), TReadResult::End);
}
