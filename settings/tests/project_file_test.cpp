#include "project_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fs.h"

namespace {

std::vector<std::string> Faults(const std::string& toml) {
    TProjectFile file;
    std::vector<std::string> out;
    for (const TProjectFault& fault : ParseProjectFile(toml, "base", file)) {
        out.push_back(std::to_string(fault.Line) + ":" + std::to_string(fault.Column) + " " + UiText[fault.Text] +
                      fault.Subject);
    }
    if (!out.empty()) {
        EXPECT_TRUE(file.Rules.empty() && file.Names.empty()) << "a refused file fills nothing";
    }
    return out;
}

}  // namespace

TEST(ProjectFile, RefusesWhatCannotBeUsedAtItsPlace) {
    const std::string rule = "[[rule]]\nid = \"a\"\ndeclared-by = [\"A\"]\n",
                      word = "a keyword or key is one word without blanks, '=', ';' or '//': ",
                      id = "an id is a lower-case letter, then lower-case letters, digits and '-': ",
                      tokens = "tokens is \"N\" or \"N-\" with N of 1 or more: ";
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"image = true\nimgae = false\nunused = \"no\"\nnames = \"a\"\ndeclared-in = [\"a\", 2]",
         {"2:1 unknown key imgae", "3:10 true or false is needed for unused",
          "4:9 an array of strings is needed for names", "5:21 an array of strings is needed for declared-in"}},
        {"\xEF\xBB\xBFimage = 1", {"1:9 true or false is needed for image"}},  // after a byte order mark
        {"[rule]\nid = \"a\"", {"1:1 an array of tables is needed for rule"}},
        {"[[rule]]\nid = \"Weapon\"\ndeclared-by = [\"A\"]\n[[rule]]\nid = \"image\"\ndeclared-by = [\"A\"]\n"
         "[[rule]]\nid = \"9mm\"\ndeclared-by = [\"A\"]\n[[rule]]\nid = \"a_b\"\ndeclared-by = [\"A\"]\n" +
             rule + rule + "[[rule]]\nid = 7\ndeclared-by = [\"A\"]",
         {"2:6 " + id + "Weapon", "5:6 the id image is the built-in image rule's", "8:6 " + id + "9mm",
          "11:6 " + id + "a_b", "17:6 an earlier rule has the id a", "20:6 a string is needed for id"}},
        {"[[rule]]\n[[rule]]\nid = \"big-gun2\"\ndeclared-by = []",
         {"1:1 a rule needs an id", "1:1 a rule needs at least one keyword in declared-by",
          "4:15 a rule needs at least one keyword in declared-by"}},
        {"[[rule]]\nid = \"a\"\ndeclared-by = [\"A B\", \"x=y\", \"c;\", \"d//e\", \"\", \"ok\"]\nstray = 1",
         {"3:16 " + word + "A B", "3:23 " + word + "x=y", "3:30 " + word + "c;", "3:36 " + word + "d//e",
          "3:44 " + word, "4:1 unknown key stray"}},
        {rule + "use = [{ in = \"B\" }, { key = \"K\", in = \"\\t\", tokens = \"0\" }, { key = \"*\", tokens = 2 },\n"
                "  { key = \"K\", tokens = \"1-2\" }, { key = \"K\", tokens = \"-\", token = \"1\" }, 3]",
         {"4:8 a use needs a key", "4:40 " + word + "\t", "4:55 " + tokens + "0", "4:84 a string is needed for tokens",
          "5:25 " + tokens + "1-2", "5:56 " + tokens + "-", "5:61 unknown key token", "5:76 a table is needed in use"}},
        // Columns count bytes, where the TOML reader counts characters.
        {"names = [\"\xD0\x96\xD0\x96\"] x",
         {"1:18 not TOML: Error while parsing key-value pair: expected a comment or whitespace, saw 'x'"}},
    };
    for (const auto& [toml, expected] : cases) EXPECT_EQ(Faults(toml), expected) << toml;
}

TEST(ProjectFile, ReadsTheSample) {
    std::ifstream in(TESSARON_PROJECT_SAMPLE, std::ios::binary);
    ASSERT_TRUE(in) << TESSARON_PROJECT_SAMPLE;
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    // The file as one text: faults, image, unused, duplicates, paths; each rule with its uses.
    const auto described = [](const std::string& toml) {
        TProjectFile file;
        std::string out = std::to_string(ParseProjectFile(toml, "T", file).size()) + ":";
        const auto add = [&out](const std::vector<std::string>& items) {
            for (const std::string& item : items) out += "[" + item + "]";
        };
        for (const std::optional<bool> flag : {std::optional<bool>(file.Image), file.Unused, file.Duplicates})
            out += flag ? std::to_string(*flag) : "-";
        add(file.DeclaredIn);
        add(file.Names);
        for (const TRule& rule : file.Rules) {
            out += "; " + rule.Id + "/" + rule.Title;
            for (const auto* items : {&rule.DeclaredBy, &rule.Ignore, &rule.Names}) add(*items);
            for (const TRuleUse& use : rule.Uses)
                out += " " + use.Key + "@" + use.In + "#" + std::to_string(use.Tokens.First) +
                       (use.Tokens.AndAfter ? "-" : "");
        }
        return out;
    };
    const std::string t = "T" + std::string(1, kPathSeparator);
    EXPECT_EQ(described(bytes), "0:101[" + t + "../base][" + t + "known-names.txt]; weapon/weapon[Weapon][NONE][" + t +
                                    "builtin-weapons.txt] Weapon@WeaponSet#2 DeathWeapon@#1 *@WeaponList#1; "
                                    "button/button[Button] *@ButtonList#1-");
    // Absent keys leave the defaults; absolute paths stay as they are.
    EXPECT_EQ(described("names = [\"/abs\", \"C:x\"]\nunused = true"), "0:11-[/abs][C:x]");
}
