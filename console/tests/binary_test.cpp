// Runs the real tessaron-check: natively, or under Wine from the Windows build.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "json_reader.h"
#include "temp_tree.h"
#include "unix_files.h"

namespace {

struct TRun {
    int Status;
    std::string Out;
    std::string Err;
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::string bytes = text.str();
#ifdef _WIN32
    // stdout is a text stream on Windows: LF went out as CR LF.
    std::string lf;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) lf += bytes[i];
    }
    bytes = lf;
#endif
    return bytes;
}

std::string Quoted(const std::string& arg) {
#ifdef _WIN32
    return "\"" + arg + "\"";
#else
    std::string quoted = "'";
    for (const char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
#endif
}

// The binary lies at a path relative to the test's working directory.
TRun RunBinary(const std::vector<std::string>& args) {
    static TTempTree scratch;
    std::string command = TESSARON_CHECK;
#ifdef _WIN32
    for (char& c : command) {
        if (c == '/') c = '\\';
    }
#endif
    for (const std::string& arg : args) command += " " + Quoted(arg);
    const std::string out = scratch.Path("out.txt");
    const std::string err = scratch.Path("err.txt");
    command += " >" + Quoted(out) + " 2>" + Quoted(err);
    int status = std::system(command.c_str());
#ifndef _WIN32
    status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    return {status, Slurp(out), Slurp(err)};
}

#ifdef _WIN32
const std::string kSep = "\\";
#else
const std::string kSep = "/";
#endif

}  // namespace

TEST(Binary, ReportsTheExamplesInRussianAndExitsOne) {
    const TRun run = RunBinary({"examples"});
    EXPECT_EQ(run.Status, 1) << run.Err;
    EXPECT_EQ(run.Out, "Несуществующая MI \"medicportrait\" в \"" + kSep + "INI" + kSep + "Object" + kSep +
                           "Infantry.ini\", строка 8\n"
                           "Несуществующая MI \"tankbutton\" в \"" +
                           kSep + "INI" + kSep + "Object" + kSep +
                           "Vehicles.INI\", строка 4\n"
                           "Несуществующая MI \"barracksbutton\" в \"" +
                           kSep + "INI" + kSep +
                           "CommandButton.ini\", строка 2\n"
                           "Готово! Найдено несуществующих MI: 3. Двойной щелчок по строке в списке должен "
                           "перенести Вас в место редактирования\n");
    EXPECT_EQ(run.Err, "");
}

TEST(Binary, WritesGnuLinesAndValidJson) {
    const TRun gnu = RunBinary({"--lang=en", "--format=gnu", "examples"});
    EXPECT_EQ(gnu.Status, 1);
    EXPECT_EQ(gnu.Out.substr(0, gnu.Out.find('\n')), "examples" + kSep + "INI" + kSep + "Object" + kSep +
                                                         "Infantry.ini:8:18: missing image \"medicportrait\"");
    EXPECT_EQ(gnu.Err, "Done! Missing MI Total: 3. Double click the line brings You to edit position\n");

    const TRun json = RunBinary({"--format", "json", "examples"});
    EXPECT_EQ(json.Status, 1);
    std::string error;
    const auto doc = ParseJson(json.Out, &error);
    ASSERT_TRUE(doc.has_value()) << error << "\n" << json.Out;
    EXPECT_EQ((*doc)["missing"].Items.size(), 3u);
    EXPECT_EQ((*doc)["files"].Num, 5) << "notes.txt is not read";
    EXPECT_EQ((*doc)["summary"].Str.substr(0, 12), "Готово");
}

TEST(Binary, ExitStatusesAndMessages) {
    TTempTree clean;
    clean.File("a.ini", "MappedImage A\r\nButtonImage = a\r\n");
    struct TCase {
        std::vector<std::string> Args;
        int Status;
        std::string OutHas;
        std::string ErrHas;
    } cases[] = {
        {{clean.Root()}, 0, "Всё хорошо! Несуществующих MI не найдено\n", ""},
        {{"--help"}, 0, "использование: tessaron-check", ""},
        {{"--lang=en", "--help"}, 0, "usage: tessaron-check", ""},
        {{"--nope", "examples"}, 2, "", "tessaron-check: неизвестный параметр --nope\nподробнее: "},
        {{"--lang=en", "--nope", "examples"}, 2, "", "tessaron-check: unknown option --nope\ntry "},
        {{}, 2, "", "не указан ROOT"},
        {{""}, 2, "", "Укажите папку!\n"},
        {{clean.Path("nowhere")}, 2, "", "Папки не существует!\n"},
        {{"--lang=en", clean.Path("a.ini")}, 2, "", "Path does not exist!\n"},
        {{"--lang=en", "--format=xml", clean.Root()}, 2, "", "invalid value for --format: xml"},
        {{"--lang=xx", clean.Root()}, 2, "", "недопустимое значение --lang: xx"},
        {{"--lang=en", "--baseline"}, 2, "", "a value is needed for --baseline"},
        {{clean.Root(), clean.Root()}, 2, "", "проверить можно только один ROOT"},
        {{"--lang=en", "--names", clean.Path("nowhere"), clean.Root()}, 2, "", "cannot read " + clean.Path("nowhere")},
        {{"--baseline", clean.Path("nowhere"), clean.Root()}, 2, "", "не могу прочитать " + clean.Path("nowhere")},
        {{"--declared-in", clean.Path("a.ini"), clean.Root()}, 2, "", "это не папка: " + clean.Path("a.ini")},
        {{"--lang=en", "--write-baseline", clean.Path("no/b.txt"), clean.Root()},
         2,
         "",
         "cannot write " + clean.Path("no/b.txt")},
    };
    for (const TCase& c : cases) {
        const TRun run = RunBinary(c.Args);
        const std::string what = c.Args.empty() ? "(no arguments)" : c.Args.front();
        EXPECT_EQ(run.Status, c.Status) << what;
        if (c.OutHas.empty()) {
            EXPECT_EQ(run.Out, "") << what;
        } else {
            EXPECT_NE(run.Out.find(c.OutHas), std::string::npos) << what << ": " << run.Out;
        }
        if (c.ErrHas.empty()) {
            EXPECT_EQ(run.Err, "") << what;
        } else {
            EXPECT_NE(run.Err.find(c.ErrHas), std::string::npos) << what << ": " << run.Err;
        }
    }
}

TEST(Binary, ReadErrorEndsWithStatusTwoAndAMessage) {
    TTempTree tree;
    tree.File("a.ini", "ButtonImage = a\r\n");
    if (!MakeUnixLink("/proc/self/mem", tree.Path("b.ini"))) GTEST_SKIP() << "no Unix links here";
    const TRun run = RunBinary({tree.Root()});
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err.rfind("tessaron-check: ", 0), 0u) << run.Err;
    EXPECT_EQ(run.Err.back(), '\n');
}
