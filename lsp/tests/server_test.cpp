#include "server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "check.h"
#include "convert.h"
#include "framing.h"
#include "fs.h"
#include "temp_tree.h"
#include "uri.h"

using nlohmann::json;

namespace {

std::string Framed(const std::string& body, int off = 0) {
    return "Content-Length: " + std::to_string(static_cast<int>(body.size()) + off) + "\r\n\r\n" + body;
}

// A request, or a notification when `id` is null, with its length off by `off`.
std::string Message(const json& id, const std::string& method, const json& params, int off = 0) {
    json m = {{"jsonrpc", "2.0"}, {"method", method}, {"params", params}};
    if (!id.is_null()) m["id"] = id;
    return Framed(m.dump(), off);
}

json Range(int line, int character, int endLine, int endCharacter) {
    return {{"start", {{"line", line}, {"character", character}}},
            {"end", {{"line", endLine}, {"character", endCharacter}}}};
}

// A position in the document `uri`, with `more` parameters.
json At(const std::string& uri, const json& line, const json& character, json more = json::object()) {
    more["textDocument"] = {{"uri", uri}};
    more["position"] = {{"line", line}, {"character", character}};
    return more;
}

// A server on a temporary tree, fed bytes as Serve feeds it; Sent holds what it sent.
struct TSession {
    TTempTree Tree;
    std::vector<json> Sent;
    TServer Server{[this](const std::string& body) { Sent.push_back(json::parse(body)); }};

    void Feed(const std::string& bytes) {
        std::istringstream in(bytes);
        TFrameReader reader(in);
        std::string body;
        for (TReadResult read; (read = reader.Next(body)) != TReadResult::End;)
            read == TReadResult::Malformed ? Server.Malformed() : Server.Receive(body);
    }

    // A request's result or error code, each message shown as its JSON string
    // and ";", then "file: range code ...;" for each list of diagnostics
    // published (with the message but for images), with paths below the tree
    // and ranges as "line:character-line:character".
    std::string Send(const std::string& method, const json& params) {
        Sent.clear();
        const bool told = method == "initialized" || method == "exit" || method.find("/did") != std::string::npos;
        Feed(Message(told ? json() : json(1), method, params));
        std::string out;
        for (const json& m : Sent) {
            const std::string kind = m.value("method", "");
            if (kind.empty()) out += (m.contains("error") ? m["error"]["code"] : m["result"]).dump();
            if (kind == "window/showMessage") out += m["params"]["message"].dump() + ";";
            if (kind != "textDocument/publishDiagnostics") continue;
            out += m["params"]["uri"].get<std::string>() + ":";
            for (const json& d : m["params"]["diagnostics"]) {
                out += " " + d["range"].dump() + " " + d["code"].get<std::string>();
                if (d["code"].get<std::string>().find("-image") == std::string::npos) out += " " + d["message"].dump();
            }
            out += ";";
        }
        const std::regex range(
            R"(\{"end":\{"character":(\d+),"line":(\d+)},"start":\{"character":(\d+),"line":(\d+)}})");
        out = std::regex_replace(out, std::regex(R"("message":"(\\.|[^"])*",)"), "");
        out = std::regex_replace(out, range, "\"$4:$3-$2:$1\"");
        const std::string file = json(Tree.Path("x")).dump();  // as JSON writes the tree's paths
        for (const std::string& root : {UriFromPath(Tree.Root()) + "/", file.substr(1, file.size() - 3)})
            for (std::size_t at; (at = out.find(root)) != std::string::npos;) out.erase(at, root.size());
        return out;
    }
};

// The server's messages but diagnostics, joined by " | ": "ID: CODE TEXT" for
// an error, "warn: TEXT", "ID: RESULT" with a list as its size.
std::string Answers(const std::string& stream, const std::string& root) {
    std::istringstream in(stream);
    TFrameReader reader(in);
    std::string body, out;
    while (reader.Next(body) == TReadResult::Message) {
        const json m = json::parse(body);
        if (m.contains("method") && m["method"] != "window/showMessage") continue;
        const json& r = m.value("result", json());
        const json& list = r.contains("items") ? r["items"] : r;
        std::string line =
            m.contains("error")
                ? m["id"].dump() + ": " + m["error"]["code"].dump() + " " + m["error"]["message"].get<std::string>()
            : m.value("method", "") == "window/showMessage" ? "warn: " + m["params"]["message"].get<std::string>()
            : list.is_array()                               ? m["id"].dump() + ": " + std::to_string(list.size())
                              : m["id"].dump() + ": " + (r.contains("capabilities") ? "ready" : r.dump());
        if (r.is_object() && r.value("isIncomplete", false)) line += " incomplete";
        for (std::size_t at; (at = line.find(root)) != std::string::npos;) line.erase(at, root.size());
        out += (out.empty() ? "" : " | ") + line;
    }
    return out;
}

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
    EXPECT_EQ(s.Send("textDocument/hover", At(a, 3, 17)), "-32002");
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
        {"textDocument/definition", At(a, 1, 21), R"([{"range":"0:12-0:16","uri":"b.ini"}])"},
        {"textDocument/definition", At(a, 3, 10), "null"},
        {"textDocument/references", At(a, 3, 17, {{"context", {{"includeDeclaration", false}}}}),
         R"([{"range":"3:16-3:21","uri":"a.ini"}])"},
        {"textDocument/references", At(a, 3, 17, {{"context", {{"includeDeclaration", true}}}}),
         R"([{"range":"2:12-2:17","uri":"b.ini"},{"range":"3:16-3:21","uri":"a.ini"}])"},
        {"textDocument/prepareRename", At(a, 1, 19), R"({"placeholder":"ЯЯ","range":"1:19-1:23"})"},
        {"textDocument/rename", At(a, 1, 19, {{"newName", "New"}}),
         R"({"changes":{"a.ini":[{"newText":"New","range":"1:19-1:23"}],"b.ini":[{"newText":"New","range":"0:12-0:16"}]}})"},
        {"textDocument/rename", At(a, 1, 19, {{"newName", "a = b"}}), "-32803"},
        {"textDocument/completion", At(a, 2, 18),
         R"({"isIncomplete":false,"items":[{"kind":12,"label":"Arrow","textEdit":{"newText":"Arrow","range":"2:16-2:18"}},)"
         R"({"kind":12,"label":"Arrowhead","textEdit":{"newText":"Arrowhead","range":"2:16-2:18"}}]})"},
        {"textDocument/completion", At(a, 2, 8), "null"},
        {"textDocument/hover", At(a, 3, 17),
         R"({"contents":{"kind":"markdown","value":"```ini\nMappedImage Arrow\n  Texture = x\nEnd\n```\nОбъявлена в b.ini, строка 3"}})"},
        {"textDocument/codeAction",
         At(a, 0, 0, {{"range", Range(2, 17, 2, 17)}, {"context", {{"diagnostics", json::array()}}}}),
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
        {"exit", nullptr, ""},
    };
    for (const auto& [method, params, expected] : steps)
        EXPECT_EQ(s.Send(method, params), expected) << method << " " << params;
    EXPECT_TRUE(s.Server.Exited() && s.Server.ExitCode() == 0);
}

// Each kind of image, with names that JSON must escape or mend: the body is
// written as nlohmann-json would dump it. A rule's messages show in the
// project file's test.
TEST(Diagnostics, NameEachKindAsJsonWouldWriteThem) {
    const std::pair<TFindingKind, std::string> cases[] = {
        {TFindingKind::Undeclared, "a\"b\\c"},
        {TFindingKind::Unused, "\xD0\xAF\x01"},
        {TFindingKind::Duplicate, "x\xFF"},
    };
    std::vector<TFinding> findings;
    for (const auto& [kind, name] : cases) findings.push_back({kind, {}, name, {{0, {}}}, kImageRule});
    const std::string body =
        PublishDiagnosticsBody("file:///a\"\xFF.ini", findings, DiagnosticTexts({}), [](int32_t) { return "u"; });
    const json parsed = json::parse(body);
    EXPECT_EQ(parsed.dump(), body);
    std::string seen;
    for (const json& d : parsed["params"]["diagnostics"])
        seen += d["code"].get<std::string>() + ": " + d["message"].get<std::string>() + "\n";
    EXPECT_EQ(seen,
              "undeclared-image: Image \"a\"b\\c\" is used but declared in no definition file.\n"
              "unused-image: Image \"\xD0\xAF\x01\" is declared but no checked definition uses it.\n"
              "duplicate-image: Image \"x\xEF\xBF\xBD\" is declared more than once.\n");
}

// The project file: read at the start, edited while open, faulty and fixed,
// changed on disk, named by the setting; and what the index then holds.
TEST(Server, FollowsTheProjectFile) {
    TSession s;
    const std::string rules =
        "[[rule]]\nid = \"weapon\"\ndeclared-by = [\"Weapon\"]\nuse = [{ key = \"DeathWeapon\" }]\n";
    s.Tree.File("tessaron.toml", "unused = false\nduplicates = true\n" + rules);
    s.Tree.File("a.ini",
                "Weapon Gun\nEnd\nWeapon Spare\nEnd\nObj\n  DeathWeapon = Gun\n  DeathWeapon = Gone\n"
                "  ButtonImage = Pic\n");
    s.Tree.File("b.ini", "Weapon Gun\n");
    s.Tree.File("sub/other.toml",
                "names = [\"n.txt\"]\n[[rule]]\nid = \"arm\"\ntitle = \"Arm\"\n"
                "declared-by = [\"Weapon\"]\nuse = [{ key = \"DeathWeapon\" }]\n");
    s.Tree.File("sub/n.txt", "pic\n");
    const std::string toml = UriFromPath(s.Tree.Path("tessaron.toml"));
    const auto change = [](int line, int from, int to, const std::string& text) {
        return json{{"range", Range(line, from, line, to)}, {"text", text}};
    };
    const std::string weapon =
        R"(a.ini: "6:16-6:20" undeclared-weapon "weapon \"Gone\" is used but declared in no definition file.")"
        R"( "7:16-7:19" undeclared-image;)";
    const std::string spare =
        R"( "2:7-2:12" unused-weapon "weapon \"Spare\" is declared but no checked definition uses it.")";
    const std::string withSpare = weapon.substr(0, 6) + spare + weapon.substr(6);
    std::string retitled = withSpare;
    for (std::size_t at = 0; (at = retitled.find("\"weapon \\\"", at)) != std::string::npos;)
        retitled.replace(at, 8, "\"arm ");
    const std::string faulty =
        "unused = 1\nduplicates = true\n" + rules.substr(0, rules.size() - 4) + ", tokenz = \"1\" }]\n";
    s.Send("initialize", {{"rootUri", UriFromPath(s.Tree.Root())}, {"initializationOptions", {{"duplicates", false}}}});
    // A step, its parameters, and what Send shows.
    const std::tuple<std::string, json, std::string> steps[] = {
        {"initialized", json::object(), weapon},
        // Its faults at their places, told once; the last good rules stay.
        {"textDocument/didOpen",
         {{"textDocument", {{"uri", toml}, {"text", faulty}}}},
         R"("the project file has faults; the last good rules stay in force: tessaron.toml";tessaron.toml: )"
         R"("0:9-0:9" project-file "true or false is needed for unused")"
         R"( "5:30-5:36" project-file "unknown key tokenz";)"},
        {"textDocument/didChange",
         {{"textDocument", {{"uri", toml}}}, {"contentChanges", {change(0, 9, 10, "true")}}},
         R"(tessaron.toml: "5:30-5:36" project-file "unknown key tokenz";)"},
        // Valid again: its rules apply and its diagnostics go.
        {"textDocument/didChange",
         {{"textDocument", {{"uri", toml}}}, {"contentChanges", {change(5, 36, 36, "X"), change(5, 30, 37, "tokens")}}},
         withSpare + "tessaron.toml:;"},
        // A new title alone changes no finding, but every message that names it.
        {"textDocument/didChange",
         {{"textDocument", {{"uri", toml}}}, {"contentChanges", {change(4, 0, 0, "title = \"arm\"\n")}}},
         retitled},
        {"textDocument/didClose", {{"textDocument", {{"uri", toml}}}}, weapon},
        {"workspace/didChangeWatchedFiles",
         {{"changes", {{{"uri", toml}, {"type", 2}}}}},
         R"("the project file has faults; the last good rules stay in force: tessaron.toml";tessaron.toml: )"
         R"("0:9-0:9" project-file "not TOML: Error while parsing key-value pair: encountered end-of-file";)"},
        // The setting names another file, whose paths are its folder's.
        {"workspace/didChangeConfiguration",
         {{"settings", {{"rules", "sub/../sub/other.toml"}, {"duplicates", true}}}},
         R"(a.ini: "0:7-0:10" duplicate-arm "Arm \"Gun\" is declared more than once." "2:7-2:12" unused-arm )"
         R"("Arm \"Spare\" is declared but no checked definition uses it." "6:16-6:20" undeclared-arm )"
         R"("Arm \"Gone\" is used but declared in no definition file.";b.ini: "0:7-0:10" duplicate-arm )"
         R"("Arm \"Gun\" is declared more than once.";tessaron.toml:;)"},
        {"workspace/didChangeConfiguration",
         {{"settings", {{"rules", "gone.toml"}}}},
         R"(a.ini: "7:16-7:19" undeclared-image;b.ini:;"cannot read gone.toml";)"},
    };
    for (const auto& [method, params, expected] : steps) {
        if (method == "workspace/didChangeWatchedFiles") s.Tree.File("tessaron.toml", "unused = ");
        EXPECT_EQ(s.Send(method, params), expected) << method << " " << params;
    }
}

TEST(Server, KeepsServingAfterHostileInput) {
    TTempTree tree;
    std::string names;
    for (int k = 0; k < 400; ++k) names += "MappedImage N" + std::to_string(k) + "\n";
    tree.File("b.ini", names);
    tree.File("a.ini", "ButtonImage = N7\n");
    const std::string a = UriFromPath(tree.Path("a.ini"));
    json init = {
        {"workspaceFolders", {{{"uri", UriFromPath(tree.Root())}}, {{"uri", UriFromPath(tree.Path("gone"))}}}}};
    const std::string symbols =
        json{{"jsonrpc", "2.0"}, {"id", 5}, {"method", "workspace/symbol"}, {"params", {{"query", "N1"}}}}.dump();
    std::string deep(200000, '[');
    deep = R"({"jsonrpc":"2.0","id":5,"method":"shutdown","params":)" + deep + std::string(deep.size(), ']') + "}";
    const std::string broken = "null: -32700 malformed message";
    // What the client sends, and what the server answers to it.
    const std::pair<std::string, std::string> cases[] = {
        // Headers in any case, LF line ends, other headers, blank lines between messages.
        {"\r\n\r\ncontent-length:  " + std::to_string(symbols.size()) + "\nContent-Type: x\n\n" + symbols, "5: 111"},
        {"Content-Length: 12x\r\n\r\n{c", broken},  // a "c" just before the next header
        {"Content-Length: -5\r\n\r\n{}Content-Length: 12x\r\n\r\n", broken + " | " + broken},
        {"Content-Length : 2\r\n\r\n{}", broken},
        {std::string("Content-Length: 2\0\r\n\r\n{}", 24), broken},
        {"Content-Length: 2147483649\r\n\r\n{}", broken},
        {"Content-Length: 99999999999999999999\r\n\r\n{}", broken},
        {std::string(5000, 'x') + "\r\n\r\n{}", broken},
        {Framed(symbols, -3), broken},
        {Framed(symbols, 4), broken},
        {Framed(symbols, 40), broken},  // into the next body
        {Framed("{x"), broken},
        {Framed("[1]"), "null: -32600 malformed message"},
        {Framed(deep), "5: -32600 the message nests too deep"},
        {Message(5, "initialize", init), "5: -32600 the server is already initialized"},
        {Message(5, "textDocument/definition", At(a, -1, 0)), R"(5: -32602 not a position: {"character":0,"line":-1})"},
        {Message(5, "textDocument/definition", At(a, 4294967297, 0)),
         R"(5: -32602 not a position: {"character":0,"line":4294967297})"},
        {Message(5, "textDocument/hover", At(a, 0, 1.5)), R"(5: -32602 not a position: {"character":1.5,"line":0})"},
        // The first change must not apply when the second is refused.
        {Message(nullptr, "textDocument/didOpen", {{"textDocument", {{"uri", a}, {"text", "ButtonImage = N7\n"}}}}) +
             Message(nullptr, "textDocument/didChange",
                     {{"textDocument", {{"uri", a}}},
                      {"contentChanges",
                       {{{"text", "ButtonImage = Zz\n"}}, {{"range", Range(-1, 0, 0, 0)}, {"text", ""}}}}}),
         R"(warn: not a position: {"character":0,"line":-1})"},
        {Message(5, "textDocument/definition", At("file://localhost" + a.substr(7), 0, 15)), "5: 1"},
        {Message(nullptr, "workspace/didChangeConfiguration",
                 {{"settings", {{"declaredIn", {""}}, {"encoding", "utf8"}, {"unused", "no"}}}}),
         R"(warn: invalid value for declaredIn: "" | warn: invalid value for unused: "no" | )"
         R"(warn: invalid value for encoding: "utf8")"},
        {Message(5, "workspace/symbol", {{"query", ""}}), "5: 300"},
        {Message(5, "textDocument/completion", At(a, 0, 14)), "5: 300 incomplete"},
        {Message(10, "shutdown", nullptr) + Framed(symbols), "10: null | 5: -32600 the server is shutting down"},
    };
    for (const auto& [hostile, expected] : cases) {
        // A definition that must still be found, the end of the session, and what comes after it.
        std::istringstream in(Message(1, "initialize", init) + Framed("{x") +
                              Message(nullptr, "initialized", json::object()) + hostile +
                              Message(9, "textDocument/definition", At(a, 0, 15)) + Message(11, "shutdown", nullptr) +
                              Message(nullptr, "exit", nullptr) + Framed("never read"));
        std::ostringstream out;
        EXPECT_EQ(Serve(in, out), 0) << hostile.substr(0, 200);
        const bool down = expected.rfind("10: null", 0) == 0;
        EXPECT_EQ(Answers(out.str(), tree.Root()),
                  std::string("warn: not a directory: ") + kPathSeparator + "gone | 1: ready | " + broken + " | " +
                      expected +
                      (down ? " | 9: -32600 the server is shutting down | 11: -32600 the server is shutting down"
                            : " | 9: 1 | 11: null"))
            << hostile.substr(0, 200);
    }
    std::istringstream cut("Content-Length: 9\r\n\r\n{}");
    std::string body;
    EXPECT_EQ(TFrameReader(cut).Next(body), TReadResult::End);
}

// Hostile steps mixed into edits, opens and closes; at the end the server's
// diagnostics are the checker's on the tree that holds the editor's texts.
TEST(Server, EndsARandomSessionAsTheCheckerSees) {
    std::mt19937 random(20261209);
    const auto below = [&](std::size_t n) { return random() % n; };
    const auto lines = [&](std::size_t most) {
        const char* const words[] = {"MappedImage K", "  ButtonImage = K", "SelectPortrait = K", "End", "  X = y"};
        std::string out;
        for (std::size_t n = below(most + 1); n > 0; --n) {
            const std::string word = words[below(5)];
            out += (word.back() == 'K' ? word + std::to_string(below(30)) : word) + "\n";
        }
        return out;
    };
    TSession s;
    const auto name = [](std::size_t f) { return "f" + std::to_string(f) + ".ini"; };
    constexpr std::size_t kFiles = 5;
    std::vector<std::string> disk, text;
    std::vector<bool> open(kFiles);
    for (std::size_t f = 0; f < kFiles; ++f) s.Tree.File(name(f), disk.emplace_back(lines(30)));
    text = disk;
    s.Feed(Message(1, "initialize", {{"rootUri", UriFromPath(s.Tree.Root())}}) +
           Message(nullptr, "initialized", json::object()));
    for (int step = 0; step < 400; ++step) {
        const std::size_t f = below(kFiles);
        const json document = {{"uri", UriFromPath(s.Tree.Path(name(f)))}};
        // Whole lines replaced by up to two new ones.
        const auto count = static_cast<std::size_t>(std::count(text[f].begin(), text[f].end(), '\n'));
        const std::size_t first = below(count + 1);
        const std::size_t end = std::min(count, first + below(3));
        const auto offsetOf = [&](std::size_t line) {
            std::size_t at = 0;
            for (; line > 0; --line) at = text[f].find('\n', at) + 1;
            return at;
        };
        const std::string typed = lines(2);
        const json range = Range(static_cast<int>(first), 0, static_cast<int>(end), 0);
        const json change = {{"textDocument", document}, {"contentChanges", {{{"range", range}, {"text", typed}}}}};
        json half = change;
        half["contentChanges"].push_back({{"range", {{"start", {{"line", 0}, {"character", -1}}}}}, {"text", ""}});
        const std::string edit = Message(nullptr, "textDocument/didChange", change);
        // Framing faults and their recovery are the hostile input test's; here they meet random state.
        const std::string refused[] = {"Content-Length: 12x\r\n\r\n{}",
                                       Message(nullptr, "textDocument/didChange", change, 5),
                                       Message(nullptr, "textDocument/didChange", half)};
        if (!open[f] && below(2) == 0) {  // so that most end open and edited
            s.Feed(Message(nullptr, "textDocument/didOpen",
                           {{"textDocument", {{"uri", document["uri"]}, {"text", text[f]}}}}));
            open[f] = true;
        } else if (below(30) == 0) {
            s.Feed(Message(nullptr, "textDocument/didClose", {{"textDocument", document}}));
            open[f] = false;
            text[f] = disk[f];
        } else {
            // Now and then a refusal first, then the edit, which must still apply.
            s.Feed((below(3) == 0 ? refused[below(std::size(refused))] : "") + edit);
            if (open[f]) text[f].replace(offsetOf(first), offsetOf(end) - offsetOf(first), typed);
        }
    }
    for (std::size_t f = 0; f < kFiles; ++f) s.Tree.File(name(f), text[f]);
    // "FILE:LINE:COLUMN KIND NAME"; an unused name without its place, as the checker names only the first.
    const auto finding = [&](const std::string& path, int line, int column, const std::string& kind, std::string name) {
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const std::string file = path.substr(s.Tree.Root().size() + 1);
        return (kind == "unused-image" ? "" : file + ":" + std::to_string(line) + ":" + std::to_string(column) + " ") +
               kind + " " + name;
    };
    std::map<std::string, std::set<std::string>> published;  // by URI, the last list
    std::smatch m;
    for (const json& sent : s.Sent) {
        if (sent.value("method", "") != "textDocument/publishDiagnostics") continue;
        std::set<std::string>& seen = published[sent["params"]["uri"]];
        seen.clear();
        for (const json& d : sent["params"]["diagnostics"]) {
            const std::string message = d["message"];
            std::regex_search(message, m, std::regex("\"(.*)\""));
            seen.insert(finding(*PathFromUri(sent["params"]["uri"]), d["range"]["start"]["line"].get<int>() + 1,
                                d["range"]["start"]["character"].get<int>() + 1, d["code"], m[1]));
        }
    }
    TByteOutput out, err;
    RunCheck({"--lang=en", "--format=gnu", "--unused", "--duplicates", s.Tree.Root()}, out, err);
    std::set<std::string> checked, seen;
    std::istringstream report(out.Str());
    const std::map<std::string, std::string> kinds = {
        {"missing", "undeclared-image"}, {"unused", "unused-image"}, {"duplicate", "duplicate-image"}};
    for (std::string line; std::getline(report, line);)
        if (std::regex_match(line, m, std::regex(R"((.*):(\d+):(\d+): (\w+) image "(.*)\".*)")))
            checked.insert(finding(m[1], std::stoi(m[2]), std::stoi(m[3]), kinds.at(m[4]), m[5]));
    for (const auto& [uri, findings] : published) seen.insert(findings.begin(), findings.end());
    EXPECT_GT(checked.size(), 10U);
    EXPECT_EQ(seen, checked);
}
