#include "rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "strip_paths.h"
#include "syntax.h"

namespace {

constexpr uint32_t kFile = 4;

// The kinds of the project file's example, and a third whose header also opens a block.
TRuleSet ExampleRules() {
    return TRuleSet({Rule("weapon", "Weapon", {"NONE"},
                          {{"Weapon", "WeaponSet", {2, false}}, {"DeathWeapon", "", {}}, {"*", "WeaponList", {}}}),
                     Rule("button", "Button", {},
                          {{"*", "ButtonList", {}},
                           {"Buttons", "", {2, true}},
                           {"Buttons", "", {3, false}},
                           {"DeathWeapon", "", {2, false}}}),
                     Rule("list", "WeaponList", {}, {{"Lists", "", {1, true}}})});
}

}  // namespace

TEST(RuleReader, ReadsLinesAsTheRulesSay) {
    const TRuleSet rules = ExampleRules();
    const std::pair<std::string, std::string> cases[] = {
        // Context blocks: opened, kept over other headers, replaced, ended by End only.
        {"Weapon = A B\nWeaponSet\n Weapon = PRIMARY Gun\nEnd\nWeapon = X Y\nWeaponSet S\nObject O\n"
         " Weapon = SECONDARY Rifle\nWeaponList L\n Weapon = P Q\nEnd\n Weapon = P Z\nButtonList\n 1 = Go\nend X\n1 = "
         "No",
         "weapon U 4:2:19 gun\nweapon U 4:7:21 rifle\nweapon U 4:9:11 p\nbutton U 4:13:6 go\nlist D 4:8:12 l\n"},
        // Tokens N and N-, '=' between tokens, ignore, case, several rules on one line, a token picked twice.
        {"DeathWeapon = TERTIARY = Gun\nDeathWeapon=NONE\ndeathweapon = none Gun\nButtons = a b c d\n"
         "DEATHWEAPON\t=\tX=Y ; Z\nLists = One Two//Three\n\x01\x02Lists\x1f=\xC9\xE0 ; \nDeathWeapon =",
         "weapon U 4:0:15 tertiary\nweapon U 4:4:15 x\nbutton U 4:0:26 gun\nbutton U 4:2:20 gun\nbutton U 4:3:13 b\n"
         "button U 4:3:15 c\nbutton U 4:3:17 d\nbutton U 4:4:17 y\nlist U 4:5:9 one\nlist U 4:5:13 two\n"
         "list U 4:6:10 \xC9\xE0\n"},
    };
    ForEachStripPath([&](const char*) {
        for (const auto& [text, expected] : cases) {
            std::vector<TKindRecords> records;
            TRuleReader reader(rules, records);
            ForEachLine(text, [&](std::string_view line, int32_t index) { reader.ReadLine(line, kFile, index); });
            EXPECT_EQ(Records(records, &rules), expected) << text;
        }
    });
}

TEST(RuleSet, TellsTheEditorWhichUseATokenWouldBe) {
    const TRuleSet rules = ExampleRules();
    const int32_t set = rules.BlockAfter("WeaponSet", kNoBlock);
    ASSERT_NE(set, kNoBlock);
    // line, open block, cursor column: rule (-1: none), token start, length.
    const std::vector<std::tuple<std::string, int32_t, uint32_t, int32_t, uint32_t, uint32_t>> cases = {
        {"DeathWeapon = Gun", kNoBlock, 15, 0, 15, 3},  {"DeathWeapon = Gun", kNoBlock, 18, 0, 15, 3},
        {"DeathWeapon = Gun", kNoBlock, 14, 0, 14, 0},   // before the token: a new first one
        {"DeathWeapon = Gun ", kNoBlock, 19, 1, 19, 0},  // after it: a second one, the button's
        {"DeathWeapon =Gun;", kNoBlock, 17, 0, 14, 3},  {"DeathWeapon = Gun ;x", kNoBlock, 21, -1, 0, 0},
        {"DeathWeapon = Gun", kNoBlock, 13, -1, 0, 0},  {" Weapon = P=Q", kNoBlock, 13, -1, 0, 0},
        {" Weapon = P=Q", set, 13, 0, 13, 1},           {" Weapon = P=Q", set, 12, -1, 0, 0},
        {"Buttons = a b c d", kNoBlock, 18, 1, 17, 1},  {"Weapon Gun", kNoBlock, 9, -1, 0, 0},
    };
    for (const auto& [line, open, column, rule, start, length] : cases) {
        const std::optional<TUseSite> site = rules.UseAt(line, column, open);
        EXPECT_EQ(site ? std::make_tuple(site->Rule, site->Column, site->Length) : std::make_tuple(-1, 0u, 0u),
                  std::make_tuple(rule, start, length))
            << line << " @" << column;
    }
}

namespace {

// The rules read straight from their description, one line at a time.
struct TReference {
    const std::vector<TRule>& Rules;
    std::vector<TKindRecords> Kinds = std::vector<TKindRecords>(Rules.size());
    std::string Open = {};  // the lowered keyword of the open block

    static bool In(const std::vector<std::string>& list, const std::string& lowered) {
        return std::any_of(list.begin(), list.end(), [&](const std::string& s) { return AsciiLowered(s) == lowered; });
    }

    void Read(std::string_view asRead, int32_t index) {
        const std::size_t indent =
            std::find_if(asRead.begin(), asRead.end(), [](char c) { return !IsBlank(c); }) - asRead.begin();
        std::string text = AsciiLowered(asRead.substr(indent));
        text = text.substr(0, text.find(';')).substr(0, text.find("//"));
        // Words with their offsets: runs of bytes above 32, and no '=' in a value.
        const auto words = [&](std::size_t from, const char* word) {
            std::vector<std::pair<std::size_t, std::string>> out;
            const std::regex pattern(word);
            for (auto m = std::sregex_iterator(text.begin() + from, text.end(), pattern); m != std::sregex_iterator();
                 ++m) {
                out.emplace_back(from + m->position() + indent + 1, m->str());
            }
            return out;
        };
        const auto record = [&](std::size_t r, bool declared, const std::pair<std::size_t, std::string>& word) {
            (declared ? Kinds[r].DefinedNames : Kinds[r].UsedNames).Add(word.second);
            (declared ? Kinds[r].DefinedPlaces : Kinds[r].RefTable)
                .AddRef(kFile, index, static_cast<uint32_t>(word.first), static_cast<uint32_t>(word.second.size()));
        };
        const std::size_t eq = text.find('=');
        if (text.empty()) return;
        if (eq == std::string::npos) {
            const auto header = words(0, "[^\\x00-\\x20]+");
            for (std::size_t r = 0; r < Rules.size(); ++r) {
                if (header.size() > 1 && In(Rules[r].DeclaredBy, header[0].second)) record(r, true, header[1]);
                for (const TRuleUse& use : Rules[r].Uses) {
                    if (!use.In.empty() && AsciiLowered(use.In) == header[0].second) Open = header[0].second;
                }
            }
            if (header[0].second == "end") Open.clear();
            return;
        }
        const std::string key(TrimBlanks(std::string_view(text).substr(0, eq)));
        const auto tokens = words(eq + 1, "[^\\x00-\\x20=]+");
        for (std::size_t r = 0; r < Rules.size(); ++r) {
            std::set<std::size_t> picked;
            for (const TRuleUse& use : Rules[r].Uses) {
                if ((use.Key == "*" || AsciiLowered(use.Key) == key) &&
                    (use.In.empty() || AsciiLowered(use.In) == Open)) {
                    for (std::size_t t = use.Tokens.First; t <= tokens.size();
                         t += use.Tokens.AndAfter ? 1 : tokens.size())
                        picked.insert(t - 1);
                }
            }
            for (const std::size_t t : picked) {
                if (!In(Rules[r].Ignore, tokens[t].second)) record(r, false, tokens[t]);
            }
        }
    }
};

}  // namespace

// On every strip path; also: a line for which either MayMatter is false
// changes nothing, and BlockAfter follows the reader.
TEST(RuleReader, AgreesWithAReferenceOnRandomTextsAndRules) {
    std::mt19937 random(20261208);
    const auto pick = [&](const std::vector<std::string>& from) { return from[random() % from.size()]; };
    const std::vector<std::string> keywords = {"Weapon", "WeaponSet", "list", "B", "End", "Obj"};
    std::vector<std::string> words = {"Gun", "NONE", "none", "x",    "Weapon", "End", "=",    ";c",
                                      "//c", "/",    "\r",   "\x1A", "\xC9",   "B",   "list", "\x01"};
    words.insert(words.end(), {std::string(50, 'a'), std::string(53, ' ')});  // to reach a strip's end
    ForEachStripPath([&](const char*) {
        for (int round = 0; round < 150; ++round) {
            std::vector<TRule> rules;
            for (std::size_t r = 1 + random() % 3; r > 0; --r) {
                rules.push_back(Rule("r" + std::to_string(r), pick(keywords), {pick({"none", "X", ""})}, {}));
                rules.back().DeclaredBy.push_back(pick(keywords));
                for (std::size_t u = 1 + random() % 3; u > 0; --u) {
                    rules.back().Uses.push_back({random() % 4 ? pick(keywords) : "*",
                                                 random() % 2 ? pick(keywords) : "",
                                                 {1 + static_cast<uint32_t>(random() % 3), random() % 3 == 0}});
                }
            }
            std::string text;
            for (int line = random() % 30; line > 0; --line) {
                text += pick({"", " ", "\t"}) + pick(keywords) + pick({" ", "\t", " = ", "="});
                for (int w = random() % 5; w > 0; --w) text += pick(words) + pick({" ", "=", "\t"});
                if (random() % 4 == 0) text[text.size() - 2] ^= 0x20;  // another case
                text += "\n";
            }
            const TRuleSet set(rules);
            std::vector<TKindRecords> records;
            TRuleReader reader(set, records);
            TReference reference{rules};
            ForEachLine(text, [&](std::string_view line, int32_t index) {
                const int32_t before = reader.OpenBlock();
                const std::size_t head = LeadingBlanks(line), held = Records(records).size();
                reader.ReadLine(line, kFile, index);
                reference.Read(line, index);
                EXPECT_EQ(set.BlockAfter(line, before), reader.OpenBlock());
                const char next = head + 1 < line.size() ? line[head + 1] : ' ';
                if (head < line.size() &&
                    (!set.MayMatter(line[head], before) || !set.MayMatter(line[head], next, before))) {
                    EXPECT_EQ(std::make_pair(reader.OpenBlock(), Records(records).size()),
                              std::make_pair(before, held));
                }
            });
            ASSERT_EQ(Records(records, &set), Records(reference.Kinds, &set)) << text;
        }
    });
}
