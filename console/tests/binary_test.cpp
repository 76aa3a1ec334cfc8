// Runs the real tessaron-check, natively or under Wine from the Windows build,
// for what only the process shows: exit statuses, the bytes that reach stdout
// and stderr, arguments as a command line passes them, and the examples folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "json_reader.h"
#include "temp_tree.h"

namespace {

struct TRun {
    int Status;
    std::string Out;
    std::string Err;
};

#ifdef _WIN32
const std::string kSep = "\\";
std::string Quoted(const std::string& arg) {
    return "\"" + arg + "\"";
}
#else
const std::string kSep = "/";
std::string Quoted(const std::string& arg) {
    std::string quoted = "'";
    for (const char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}
#endif

// The binary lies at a path relative to the test's working directory.
// Stdout goes to `out` when given, and is then not read back.
TRun RunBinary(const std::vector<std::string>& args, const std::string& out = "") {
    static TTempTree scratch;
    std::string command = TESSARON_CHECK;
    std::replace(command.begin(), command.end(), '/', kSep[0]);
    for (const std::string& arg : args) command += " " + Quoted(arg);
    command += " >" + Quoted(out.empty() ? scratch.Path("out.txt") : out) + " 2>" + Quoted(scratch.Path("err.txt"));
    int status = std::system(command.c_str());
#ifndef _WIN32
    status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    const auto bytes = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::string text(std::istreambuf_iterator<char>(in), {});
#ifdef _WIN32
        // Windows writes LF to a text stream as CR LF.
        std::string lf;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text.compare(i, 2, "\r\n") != 0) lf += text[i];
        }
        text = lf;
#endif
        return text;
    };
    return {status, out.empty() ? bytes(scratch.Path("out.txt")) : "", bytes(scratch.Path("err.txt"))};
}

}  // namespace

TEST(Binary, ReportsTheExamplesAsTextAndJson) {
    const std::string ini = kSep + "INI" + kSep;
    const TRun text = RunBinary({"examples"});
    EXPECT_EQ(text.Status, 1) << text.Err;
    EXPECT_EQ(text.Out, "Несуществующая MI \"medicportrait\" в \"" + ini + "Object" + kSep +
                            "Infantry.ini\", строка 8\n" + "Несуществующая MI \"tankbutton\" в \"" + ini + "Object" +
                            kSep + "Vehicles.INI\", строка 4\n" + "Несуществующая MI \"barracksbutton\" в \"" + ini +
                            "CommandButton.ini\", строка 2\n" +
                            "Готово! Найдено несуществующих MI: 3. Двойной щелчок по строке в списке должен "
                            "перенести Вас в место редактирования\n");
    EXPECT_EQ(text.Err, "");

    const TRun json = RunBinary({"--format", "json", "examples"});
    EXPECT_EQ(json.Status, 1);
    const TJsonValue doc = ValidJson(json.Out);
    EXPECT_EQ(Fields(doc["missing"], "name line"), "medicportrait 8, tankbutton 4, barracksbutton 2");
    EXPECT_EQ(doc["files"].Num, 5) << "notes.txt is not read";
    EXPECT_EQ(doc["summary"].Str.substr(0, 12), "Готово");
}

// Output beyond the writers' buffers goes out whole and in order.
TEST(Binary, WritesALargeReportWhole) {
    TTempTree tree;
    std::string uses = "MappedImage Known\r\n";
    for (int i = 0; i < 3000; ++i) uses += "ButtonImage = image" + std::to_string(i) + "\r\n";
    tree.File("a.ini", uses);
    const TRun text = RunBinary({"--lang=en", tree.Root()});
    const TRun json = RunBinary({"--format=json", tree.Root()});
    EXPECT_EQ(text.Status, 1);
    EXPECT_EQ(std::count(text.Out.begin(), text.Out.end(), '\n'), 3001);
    EXPECT_NE(text.Out.find("\"image2999\" in \"" + kSep + "a.ini\" at line 3001\nDone! Missing MI Total: 3000."),
              std::string::npos);
    const TJsonValue doc = ValidJson(json.Out);
    ASSERT_EQ(doc["missing"].Items.size(), 3000u);
    EXPECT_EQ(doc["missing"].Items[1234]["name"].Str, "image1234");
}

TEST(Binary, ExitStatusesAndStreams) {
    TTempTree clean;
    clean.File("a.ini", "MappedImage A\r\nButtonImage = a\r\n");
    struct TCase {
        std::vector<std::string> Args;
        int Status;
        std::string OutStart;  // empty: nothing on stdout
        std::string Err;
    } cases[] = {
        {{clean.Root()}, 0, "Всё хорошо! Несуществующих MI не найдено\n", ""},
        {{"--lang=en", "--help"}, 0, "usage: tessaron-check [options] ROOT\n", ""},
        {{"--nope", "examples"},
         2,
         "",
         "tessaron-check: неизвестный параметр --nope\nподробнее: 'tessaron-check --help'\n"},
        {{"--lang=en", "--format", "xml", clean.Root()},
         2,
         "",
         "tessaron-check: invalid value for --format: xml\ntry 'tessaron-check --help'\n"},
        {{}, 2, "", "tessaron-check: не указан ROOT\nподробнее: 'tessaron-check --help'\n"},
        {{""}, 2, "", "Укажите папку!\n"},  // an empty argument still arrives
    };
    for (const TCase& c : cases) {
        const TRun run = RunBinary(c.Args);
        const std::string what = c.Args.empty() ? "(no arguments)" : c.Args.front();
        EXPECT_EQ(run.Status, c.Status) << what;
        EXPECT_EQ(run.Out.substr(0, c.OutStart.empty() ? std::string::npos : c.OutStart.size()), c.OutStart) << what;
        EXPECT_EQ(run.Err, c.Err) << what;
    }
#ifndef _WIN32
    const TRun full = RunBinary({"examples"}, "/dev/full");
    EXPECT_EQ(full.Status, 2);
    EXPECT_EQ(full.Err, "tessaron-check: не могу записать вывод\n");
#endif
}
