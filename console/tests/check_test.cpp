#include "check.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <optional>
#include <thread>

#include "checked.h"
#include "formats.h"
#include "options.h"
#include "random_tree.h"
#include "version.h"

namespace {

const std::string kTryRu = "\nподробнее: 'tessaron-check --help'\n";
const std::string kTryEn = "\ntry 'tessaron-check --help'\n";
const std::string kDoneRu =
    "Готово! Найдено несуществующих MI: 2. Двойной щелчок по строке в списке должен перенести Вас в место "
    "редактирования";

// What the options hold, as one line.
std::string Described(const TOptions& o) {
    static const char* const kFormats[] = {"text", "gnu", "json", "sarif"};
    std::string out = std::string(o.English ? "en " : "ru ") + kFormats[static_cast<int>(o.Format)];
    for (const std::string& dir : o.DeclaredIn) out += " in:" + dir;
    for (const std::string& file : o.NameFiles) out += " names:" + file;
    out += std::string(o.Unused ? " unused" : "") + (o.Duplicates ? " duplicates" : "");
    return out + " " + o.Baseline + " " + o.WriteBaseline + " " + std::to_string(o.Jobs) + " root:" + o.Root;
}

}  // namespace

TEST(Check, ExitStatusMessagesAndEachFormatOfTheSameFindings) {
    TTempTree none, fine, content, undeclared;
    none.File("a.ini", "MappedImage A\r\n");
    const std::string file = Put(fine, "a.ini", "MappedImage A\r\nButtonImage = a\r\nMappedImage a\r\n");
    // Two undeclared uses in two folders, one declared elsewhere.
    content.File("INI/Object/units.ini", "Object A\r\n  SelectPortrait = Gone\r\n  ButtonImage = Known\r\n");
    content.File("INI/buttons.INI", "; c\r\n\r\nButtonImage = \xC1\xF3\xEA\r\n");
    content.File("Images/images.ini", "MappedImage KNOWN\r\n");
    undeclared.File("a.ini", "ButtonImage = a\r\nSelectPortrait = b\r\nU = a\r\n");
    const std::string ruled = undeclared.Root(), root = fine.Root(), nowhere = fine.Path("nowhere"), en = "--lang=en";
    const std::string bad = Put(fine, "bad.txt", "# header\nmissing a.ini gone\n"),  // blanks for tabs
        zero = fine.Path("zero.txt"), empty = Put(fine, "empty.txt");
    // A file rule: found as ROOT/tessaron.toml, or named by --rules, whose faults are told at their places.
    const std::string rule = "[[rule]]\nid = \"w\"\ndeclared-by = [\"W\"]\nuse = [{ key = \"U\" }]\n";
    undeclared.File("tessaron.toml", rule);
    fine.File("known.txt", "A\n");
    const std::string imageOff = Put(fine, "off.toml", "image = false\n" + rule),
                      words = Put(fine, "w.toml",
                                  "[[rule]]\nid = \"image\"\ndeclared-by = [\"A\"]\nuse = [{ in = \"S\" }]\n"),
                      names = Put(fine, "rules/n.toml", rule + "names = [\"n.txt\"]\n"),
                      known = Put(fine, "k.toml", "image = false\n" + rule + "names = [\"known.txt\"]\n"),
                      ruleNames = fine.Path("rules/n.txt"), notDir = Put(fine, "d.toml", "declared-in = [\"a.ini\"]\n");
    if (!MakeUnixLink("/dev/zero", zero)) GTEST_SKIP() << "no Unix links here";
    // ARGS, STATUS, and what the run says: of a refusal, its stderr after "tessaron-check: " (one that ends in
    // ": " leaves the platform's reason open), with nothing on stdout; else a part of stdout, nothing on stderr.
    const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
        {{en, none.Root()}, kExitClean, "No used MI Found!"},
        {{en, root}, kExitClean, "That's Alright!"},
        // Clean once nothing of the kinds asked for is left.
        {{en, "--unused", root}, kExitClean, "That's Alright!"},
        {{en, "--duplicates", root}, kExitFindings, "\nDuplicate MI Total: 1\n"},
        {{en, "--names", empty, ruled}, kExitFindings, "No defined MI found!"},
        // With nothing declared the machine formats still list every use.
        {{"--format=json", ruled}, kExitFindings, "{\"rule\": \"image\", \"ref\": 0, \"name\": \"a\""},
        {{"--help"}, kExitClean, "использование: tessaron-check [параметры] ROOT\n"},
        {{"-h", en}, kExitClean, "usage: tessaron-check [options] ROOT\n"},
        {{"--version", root}, kExitClean, "tessaron-check " TESSARON_VERSION "\n"},
        // Refusals of the root name it, with the platform's reason.
        {{""}, kExitError, "Укажите папку!\n"},
        {{en, nowhere}, kExitError, "cannot read " + nowhere + ": "},
        {{en, file}, kExitError, "cannot read " + file + ": "},
        // The first fault is named, in the language of the whole command line.
        {{"--bogus", root, nowhere, en, "--format"}, kExitError, "unknown option --bogus" + kTryEn},
        {{"--unused=yes", root}, kExitError, "неизвестный параметр --unused=yes" + kTryRu},
        {{}, kExitError, "не указан ROOT" + kTryRu},
        {{en, "--format=xml", root}, kExitError, "invalid value for --format: xml" + kTryEn},
        {{"--lang=xx", root}, kExitError, "недопустимое значение --lang: xx" + kTryRu},
        {{"--names=", root}, kExitError, "недопустимое значение --names: " + kTryRu},
        {{"--baseline", "", root}, kExitError, "недопустимое значение --baseline: " + kTryRu},
        {{"--jobs=0", root}, kExitError, "недопустимое значение --jobs: 0" + kTryRu},
        {{"--jobs=257", root}, kExitError, "недопустимое значение --jobs: 257" + kTryRu},
        {{"--jobs=", root}, kExitError, "недопустимое значение --jobs: " + kTryRu},
        // 4294967297 is 1 in 32 bits.
        {{"--jobs=4294967297", root}, kExitError, "недопустимое значение --jobs: 4294967297" + kTryRu},
        {{en, "--baseline"}, kExitError, "a value is needed for --baseline" + kTryEn},
        {{root, nowhere}, kExitError, "проверить можно только один ROOT: " + nowhere + kTryRu},
        // An option of one value is given once; the first --lang chooses the language still.
        {{"--lang=en", "--lang=ru", root}, kExitError, "given more than once: --lang" + kTryEn},
        {{"--format=gnu", "--format", "gnu", root}, kExitError, "указан больше одного раза: --format" + kTryRu},
        {{"--jobs=2", root, "--jobs=2"}, kExitError, "указан больше одного раза: --jobs" + kTryRu},
        // Sources named in the options.
        {{en, "--names", nowhere, root}, kExitError, "cannot read " + nowhere + ": "},
        {{"--baseline", nowhere, root}, kExitError, "не могу прочитать " + nowhere + ": "},
        {{en, "--names", zero, root}, kExitError, "cannot read " + zero + ": not a regular file\n"},
        {{en, "--baseline", bad, root}, kExitError, "not a baseline entry: " + bad + ":2\n"},
        {{"--declared-in", file, root}, kExitError, "это не папка: " + file + "\n"},
        {{en, "--write-baseline", root, root}, kExitError, "cannot write " + root + ": "},
        // A file rule's undeclared use fails the check, with images or without.
        {{en, ruled},
         kExitFindings,
         "No defined MI found! Check \"MappedImages\" folder\nUndeclared w \"a\" in \"/a.ini\" at line 3\n"},
        {{en, "--rules", imageOff, root}, kExitClean, ""},
        {{en, "--rules", imageOff, ruled},
         kExitFindings,
         "Undeclared w \"a\" in \"/a.ini\" at line 3\nw: undeclared 1\n"},
        {{en, "--format=json", "--rules", known, ruled}, kExitClean, "\"references\": 0,"},
        {{en, "--rules", nowhere, root}, kExitError, "cannot read " + nowhere + ": "},
        {{"--rules", words, root},
         kExitError,
         words + ":2:6: id image занят встроенным правилом MI\ntessaron-check: " + words +
             ":4:8: у use должен быть key\n"},
        {{en, "--rules", names, root}, kExitError, "cannot read " + ruleNames + ": "},
        {{en, "--rules", notDir, root}, kExitError, "not a directory: " + fine.Path("a.ini") + "\n"},
    };
    for (const auto& [args, status, says] : cases) {
        const TRun run = Checked(args);
        const std::string err = status == kExitError ? "tessaron-check: " + says : "",
                          outHas = status == kExitError ? "" : says;
        // An open reason: more text, on the same line.
        const bool open = err.size() > 2 && err.compare(err.size() - 2, 2, ": ") == 0;
        EXPECT_EQ(std::to_string(run.Status) + (open ? run.Err.substr(0, err.size()) : run.Err),
                  std::to_string(status) + err)
            << outHas;
        EXPECT_TRUE(!open || (run.Err.size() > err.size() + 1 && run.Err.find('\n') == run.Err.size() - 1)) << err;
        std::string out = run.Out;
        std::replace(out.begin(), out.end(), kPathSeparator, '/');
        EXPECT_TRUE(outHas.empty() ? out.empty() : out.find(outHas) != std::string::npos) << run.Out;
    }

    const std::string units = content.Path("INI/Object/units.ini"), buttons = content.Path("INI/buttons.INI");
    const std::size_t cut = content.Root().size();
    // A Windows-1251 name stays the bytes it was.
    const std::string text = "Несуществующая MI \"gone\" в \"" + units.substr(cut) + "\", строка 2\n" +
                             "Несуществующая MI \"\xC1\xF3\xEA\" в \"" + buttons.substr(cut) + "\", строка 3\n";
    for (const std::string& r : {content.Root(), content.Root() + kPathSeparator})  // a trailing separator too
        EXPECT_EQ(Checked({r}).Out, text + kDoneRu + "\n");

    const TJson doc = ValidJson(Checked({"--format=json", content.Root()}).Out);
    EXPECT_EQ(Fields(doc, "root files references declarations summary"), content.Root() + " 3 3 1 " + kDoneRu);
    // Bytes outside UTF-8 as Windows-1251, the window's code page.
    EXPECT_EQ(Fields(doc["missing"], "ref name file relative line column length"),
              "0 gone " + units + " " + units.substr(cut) + " 2 20 4, 2 Бук " + buttons + " " + buttons.substr(cut) +
                  " 3 15 3");
}

TEST(Gnu, EachFindingStaysOneLineWhateverItsPathHolds) {
    // "BYTES", whether backslashes separate folders, "ESCAPED"
    const std::tuple<std::string, bool, std::string> cases[] = {
        {"a\nb\rc\td", false, "a\\nb\\rc\\td"},
        {std::string("\x1b[31m\x7f\x00", 7), false, "\\x1b[31m\\x7f\\x00"},
        // A backslash that would start an escape is escaped; any other stays.
        {"a\\nb \\\\x \\r\\t\\x", false, "a\\\\nb \\\\\\\\x \\\\r\\\\t\\\\x"},
        {"a\\b c\\", false, "a\\b c\\"},
        {"dir\\new\n", true, "dir\\new\\n"},
        {"\xD0\x96\xC1 :1:1:", false, "\xD0\x96\xC1 :1:1:"},
    };
    for (const auto& [bytes, separates, escaped] : cases) EXPECT_EQ(GnuEscaped(bytes, separates), escaped) << bytes;
#ifndef _WIN32
    // A name that would forge a second finding.
    TTempTree tree;
    tree.File("a.ini\n/etc/x.ini:1:1: missing image \"y\".ini", "ButtonImage = z\tq\xC1\r\nMappedImage w\r\nU = v\r\n");
    // A title holds what TOML strings may hold.
    tree.File("tessaron.toml",
              "[[rule]]\nid = \"w\"\ntitle = \"a\\nb\"\ndeclared-by = [\"W\"]\nuse = [{ key = \"U\" }]\n");
    const std::string gnu = Checked({"--format=gnu", tree.Root()}).Out,
                      path = tree.Path("a.ini\\n/etc/x.ini:1:1: missing image \"y\".ini");
    EXPECT_EQ(gnu, path + ":1:15: missing image \"z\\tq\xC1\"\n" + path + ":3:5: undeclared a\\nb \"v\"\n");
#endif
}

// Each entry that cannot be read is named, the rest is reported whole, with a
// file that grows under the scan past the Ctrl+Z that ends it (not under Wine,
// which refuses readers a file open for writing). That threads leave what one
// thread leaves is the engine's test.
TEST(Check, WhatCannotBeReadIsNamedAndTheRestReported) {
    TTempTree tree;
    MakeRandomTree(tree, 4);
    tree.File("a.ini", "ButtonImage = Grows\n\x1a");
    const std::string bom = Put(tree, "bom.ini", "\xEF\xBB\xBFMappedImage A\r\n"),
                      wide = Put(tree, "wide.ini", std::string("M\0a\0p\0", 6)), b = tree.Path("b.ini"),
                      d = tree.Path("d.ini");
    // Reading /proc/self/mem at offset 0 fails after a good open.
    if (!MakeUnixLink("/proc/self/mem", b)) GTEST_SKIP() << "no Unix links here";
    // A link to nothing does not open; Wine lists none.
    const bool dangling = MakeUnixLink(tree.Path("nowhere"), d);
    std::atomic<bool> growing{kPathSeparator == '/'};
    std::thread grower([&] {
        while (growing) std::ofstream(tree.Path("a.ini"), std::ios::app) << "ButtonImage = Late\n";
    });
    const TRun run = Checked({"--lang=en", "--jobs=2", "--format=json", "--unused", "--duplicates", tree.Root()});
    growing = false;
    grower.join();
    EXPECT_EQ(run.Status, kExitError);
    const TJson doc = ValidJson(run.Out);
    EXPECT_EQ(doc["missing"].back()["name"], "grows");
    // The random tree's FIFO and link to a device come first, in their folder.
    EXPECT_EQ(Fields(doc["skipped"], "path"),
              tree.Path("odd/fifo.ini") + ", " + tree.Path("odd/zero.ini") + ", " + b + (dangling ? ", " + d : ""));
    EXPECT_EQ(doc["skipped"][0]["reason"], "not a regular file");
    EXPECT_EQ(Fields(doc["warnings"], "kind path"), "encoding " + bom + ", encoding " + wide);
    const std::string eio = kPathSeparator == '/' ? ErrorText(EIO) + "\n" : "";  // Wine's reason is its own
    for (const std::string& line :
         {"cannot read " + b + ": " + eio, "warning: " + bom + ": a UTF-8 byte order mark hides the first line's key\n",
          "warning: " + wide + ": UTF-16 text, its lines are not read as definitions\n"}) {
        EXPECT_NE(run.Err.find("tessaron-check: " + line), std::string::npos) << line << run.Err;
    }
}

TEST(Options, ReadsEachOptionInBothSpellings) {
    const std::tuple<std::vector<std::string>, std::optional<std::string>, std::string> cases[] = {
        {{"--lang=en", "--format", "gnu", "--declared-in=base", "--declared-in", "more", "--names", "n.txt", "--unused",
          "--duplicates", "--baseline=b.txt", "--write-baseline", "w.txt", "--jobs", "16", "root"},
         std::nullopt,
         "en gnu in:base in:more names:n.txt unused duplicates b.txt w.txt 16 root:root"},
        {{"--lang=ru", "--format=json", "--jobs=256", "r"}, std::nullopt, "ru json   256 root:r"},
        {{"--format=text", "r", "--lang", "en"}, std::nullopt, "en text   0 root:r"},
        {{"--", "--lang=en"}, std::nullopt, "ru text   0 root:--lang=en"},
        // The default root only stands in for a missing one.
        {{"--jobs", "2"}, "examples", "ru text   2 root:examples"},
        {{"--jobs", "2", "r"}, "examples", "ru text   2 root:r"},
    };
    for (const auto& [args, defaultRoot, described] : cases) {
        const TParsedOptions p = ParseOptions(args, defaultRoot);
        EXPECT_EQ((p.Error ? "refused: " : "") + Described(p.Options), described);
    }
}
