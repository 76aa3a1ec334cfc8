#include "server.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "framing.h"
#include "temp_tree.h"
#include "uri.h"

using nlohmann::json;

namespace {

std::string Framed(const std::string& body) {
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// A server on a temporary tree, and everything it sent.
struct TSession {
    TTempTree Tree;
    std::vector<json> Sent;
    TServer Server{[this](const json& message) { Sent.push_back(message); }};
    int NextId = 1;

    json Request(const std::string& method, json params) {
        Sent.clear();
        const int id = NextId++;
        Server.Handle({{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", std::move(params)}});
        for (const json& message : Sent) {
            if (message.value("id", json()) == id) return message;
        }
        return nullptr;
    }
    void Notify(const std::string& method, json params) {
        Sent.clear();
        Server.Handle({{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}});
    }
    // The diagnostics last published for a file, as "line:character code" each.
    std::string Published(const std::string& relative) const {
        std::string out = "-";
        for (const json& message : Sent) {
            if (message.value("method", "") != "textDocument/publishDiagnostics" ||
                message["params"]["uri"] != UriFromPath(Tree.Path(relative))) {
                continue;
            }
            out.clear();
            for (const json& d : message["params"]["diagnostics"]) {
                out += std::to_string(d["range"]["start"]["line"].get<int>()) + ":" +
                       std::to_string(d["range"]["start"]["character"].get<int>()) + " " +
                       d["code"].get<std::string>() + ";";
            }
        }
        return out;
    }
    json At(const std::string& relative, int line, int character) const {
        return {{"textDocument", {{"uri", UriFromPath(Tree.Path(relative))}}},
                {"position", {{"line", line}, {"character", character}}}};
    }
};

}  // namespace

TEST(Framing, ReadsMessagesAndSkipsBrokenHeaders) {
    struct TCase {
        std::string Input;
        std::vector<std::string> Expected;  // bodies; "!" for a malformed one
    };
    const TCase cases[] = {
        {Framed("{}") + Framed("[1]"), {"{}", "[1]"}},
        {"content-length:  2\nContent-Type: x\n\n{}", {"{}"}},
        {"Content-Length: x\r\n\r\n" + Framed("{}"), {"!", "{}"}},
        {"Content-Type: y\r\n\r\n\r\n" + Framed("1"), {"!", "1"}},
        {"Content-Length: 9\r\n\r\n{}", {}},  // cut short
        {"", {}},
    };
    for (const TCase& c : cases) {
        std::istringstream in(c.Input);
        std::vector<std::string> bodies;
        std::string body;
        for (TReadResult r; (r = ReadMessage(in, body)) != TReadResult::End;) {
            bodies.push_back(r == TReadResult::Message ? body : "!");
        }
        EXPECT_EQ(bodies, c.Expected) << c.Input;
    }
}

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

TEST(Server, ServesAnEditorSession) {
    TSession s;
    s.Tree.File("a.ini", "Obj\r\n  SelectPortrait = \xD0\xAF\xD0\xAF\r\n  ButtonImage = Arow\r\n");
    s.Tree.File("m/b.ini", "MappedImage \xD0\xAF\xD0\xAF\nEnd\nMappedImage Arrow\nEnd\n");
    EXPECT_EQ(s.Request("textDocument/hover", s.At("a.ini", 1, 20))["error"]["code"], -32002);
    const json init = s.Request("initialize", {{"rootUri", UriFromPath(s.Tree.Root())},
                                               {"locale", "ru-RU"},
                                               {"capabilities", {{"general", {{"positionEncodings", {"utf-8"}}}}}}});
    EXPECT_EQ(init["result"]["capabilities"]["positionEncoding"], "utf-8");
    s.Notify("initialized", json::object());
    EXPECT_EQ(s.Published("a.ini"), "2:16 undeclared-image;");
    EXPECT_EQ(s.Published("m/b.ini"), "2:12 unused-image;");

    // The use in UTF-8 units: the name starts at byte 19 of its line.
    const json definition = s.Request("textDocument/definition", s.At("a.ini", 1, 21));
    EXPECT_EQ(definition["result"][0]["uri"], UriFromPath(s.Tree.Path("m/b.ini")));
    EXPECT_EQ(definition["result"][0]["range"]["end"]["character"], 16);
    const json rename = s.Request("textDocument/rename", {{"textDocument", s.At("a.ini", 1, 19)["textDocument"]},
                                                          {"position", {{"line", 1}, {"character", 19}}},
                                                          {"newName", "New"}});
    EXPECT_EQ(rename["result"]["changes"].size(), 2u);
    EXPECT_EQ(s.Request("textDocument/prepareRename", s.At("a.ini", 1, 19))["result"]["placeholder"],
              "\xD0\xAF\xD0\xAF");
    const json actions =
        s.Request("textDocument/codeAction",
                  {{"textDocument", s.At("a.ini", 0, 0)["textDocument"]},
                   {"range", {{"start", {{"line", 2}, {"character", 17}}}, {"end", {{"line", 2}, {"character", 17}}}}},
                   {"context", {{"diagnostics", json::array()}}}});
    EXPECT_EQ(actions["result"][0]["title"],
              "\xD0\x97\xD0\xB0\xD0\xBC\xD0\xB5\xD0\xBD\xD0\xB8\xD1\x82\xD1\x8C "
              "\xD0\xBD\xD0\xB0 Arrow");  // "Заменить на Arrow"

    // An edit that fixes the use clears both files' findings.
    s.Notify("textDocument/didOpen",
             {{"textDocument",
               {{"uri", UriFromPath(s.Tree.Path("a.ini"))}, {"version", 1}, {"text", "  ButtonImage = Arow\n"}}}});
    EXPECT_EQ(s.Published("a.ini"), "0:16 undeclared-image;");
    s.Notify("textDocument/didChange",
             {{"textDocument", {{"uri", UriFromPath(s.Tree.Path("a.ini"))}, {"version", 2}}},
              {"contentChanges",
               {{{"range", {{"start", {{"line", 0}, {"character", 17}}}, {"end", {{"line", 0}, {"character", 17}}}}},
                 {"text", "r"}}}}});
    EXPECT_EQ(s.Published("a.ini"), "");
    EXPECT_EQ(s.Published("m/b.ini"), "0:12 unused-image;");
    s.Notify("textDocument/didOpen",
             {{"textDocument", {{"uri", UriFromPath(s.Tree.Path("notes.txt"))}, {"text", "ButtonImage = X\n"}}}});
    EXPECT_TRUE(s.Sent.empty());
    s.Notify("workspace/didChangeConfiguration", {{"settings", {{"tessaron", {{"unused", false}}}}}});
    EXPECT_EQ(s.Published("m/b.ini"), "");
    s.Tree.File("m/new.ini", "ButtonImage = Gone\n");
    s.Notify("workspace/didChangeWatchedFiles",
             {{"changes", {{{"uri", UriFromPath(s.Tree.Path("m/new.ini"))}, {"type", 1}}}}});
    EXPECT_EQ(s.Published("m/new.ini"), "0:14 undeclared-image;");

    struct TErrorCase {
        std::string Method;
        json Params;
        int Code;
    };
    const TErrorCase errors[] = {
        {"no/such", json::object(), -32601},
        {"textDocument/hover", {{"textDocument", {{"uri", "file:///elsewhere/x.ini"}}}}, -32803},
        {"textDocument/definition", {{"textDocument", 1}}, -32602},
        {"textDocument/rename",
         {{"textDocument", {{"uri", UriFromPath(s.Tree.Path("a.ini"))}}},
          {"position", {{"line", 0}, {"character", 17}}},
          {"newName", "a = b"}},
         -32803},
    };
    for (const TErrorCase& c : errors) EXPECT_EQ(s.Request(c.Method, c.Params)["error"]["code"], c.Code) << c.Method;
    s.Sent.clear();
    s.Server.Malformed();
    EXPECT_EQ(s.Sent.at(0)["error"]["code"], -32700);

    EXPECT_FALSE(s.Server.Exited());
    EXPECT_EQ(s.Request("shutdown", nullptr)["result"], nullptr);
    EXPECT_EQ(s.Request("workspace/symbol", {{"query", ""}})["error"]["code"], -32600);
    s.Notify("exit", nullptr);
    EXPECT_TRUE(s.Server.Exited());
    EXPECT_EQ(s.Server.ExitCode(), 0);
}

TEST(Server, ServesOverAStreamUntilItsEnd) {
    std::istringstream in(Framed(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})") + Framed("{x") +
                          Framed(R"({"jsonrpc":"2.0","method":"exit"})") + Framed("never read"));
    std::ostringstream out;
    EXPECT_EQ(Serve(in, out), 1);  // exit without shutdown
    std::istringstream answers(out.str());
    std::string body;
    ASSERT_EQ(ReadMessage(answers, body), TReadResult::Message);
    EXPECT_EQ(json::parse(body)["result"]["capabilities"]["positionEncoding"], "utf-16");
    ASSERT_EQ(ReadMessage(answers, body), TReadResult::Message);
    EXPECT_EQ(json::parse(body)["error"]["code"], -32700);
    EXPECT_EQ(ReadMessage(answers, body), TReadResult::End);
}
