// The console against a plain model of the file rules, on random small trees
// and rule sets: each rule's undeclared, unused and duplicate names.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "checked.h"
#include "syntax.h"
#include "temp_tree.h"

namespace {

struct TUse {
    std::string Key, In;  // "*": every key; "": in any block
    std::size_t First;
    bool AndAfter;
};

using TNamed = std::vector<std::pair<std::string, std::string>>;  // name, "file line", in reading order

struct TModelRule {
    std::string DeclaredBy[2], Ignore;
    std::vector<TUse> Uses;
    TNamed Used, Declared;
};

// Lines are "KEY = TOKEN..." or "KEYWORD [NAME...]"; one block, of any rule, is open at a time.
void Read(const std::string& text, const std::string& file, std::vector<TModelRule>& rules) {
    std::istringstream lines(AsciiLowered(text));
    std::string open, line;
    for (int number = 1; std::getline(lines, line); ++number) {
        std::istringstream in(line);
        std::vector<std::string> w;
        for (std::string word; in >> word;) w.push_back(word);
        const bool assigns = w.size() > 1 && w[1] == "=";
        for (TModelRule& rule : rules) {
            std::set<std::size_t> picked;  // token n is word n + 1
            for (const TUse& use : rule.Uses) {
                const bool keyed = use.Key == "*" || AsciiLowered(use.Key) == w[0];
                if (!assigns || !keyed || (!use.In.empty() && AsciiLowered(use.In) != open)) continue;
                for (std::size_t t = use.First + 1; t < w.size() && (t == use.First + 1 || use.AndAfter); ++t)
                    picked.insert(t);
            }
            for (const std::size_t t : picked) {
                if (w[t] != AsciiLowered(rule.Ignore)) rule.Used.emplace_back(w[t], file + " " + std::to_string(number));
            }
            const bool declares = AsciiLowered(rule.DeclaredBy[0]) == w[0] || AsciiLowered(rule.DeclaredBy[1]) == w[0];
            if (!assigns && w.size() > 1 && declares) rule.Declared.emplace_back(w[1], file + " " + std::to_string(number));
        }
        for (const TModelRule& rule : rules) {
            for (const TUse& use : rule.Uses) open = !assigns && AsciiLowered(use.In) == w[0] ? w[0] : open;
        }
        if (w[0] == kEndKeyword) open.clear();
    }
}

// The three lists rule by rule: uses in walk order, unused names at their first declaration, duplicates
// in the order of their second declarations.
std::string Expected(const std::vector<TModelRule>& rules) {
    std::string lists[3];
    const auto add = [](std::string& list, const std::string& item, const char* comma) {
        list += (list.empty() ? "" : comma) + item;
    };
    for (std::size_t r = 0; r < rules.size(); ++r) {
        const std::string id = "r" + std::to_string(r) + " ";
        std::map<std::string, std::string> places;
        std::map<std::string, int> count;
        std::vector<std::string> again;
        for (const auto& [name, place] : rules[r].Declared) {
            add(places[name], place, ", ");
            if (++count[name] == 2) again.push_back(name);
        }
        std::set<std::string> used, listed;
        for (const auto& [name, place] : rules[r].Used) {
            used.insert(name);
            if (places.count(name) == 0) add(lists[0], id + name + " " + place, ", ");
        }
        for (const auto& [name, place] : rules[r].Declared) {
            if (used.count(name) == 0 && listed.insert(name).second) add(lists[1], id + name + " " + place, ", ");
        }
        for (const std::string& name : again) add(lists[2], id + name + " " + places[name], "; ");
    }
    return lists[0] + "|" + lists[1] + "|" + lists[2];
}

}  // namespace

TEST(Model, EachRulesFindingsAreTheModels) {
    std::mt19937 random(1208);
    const auto pick = [&](const std::vector<std::string>& from) { return from[random() % from.size()]; };
    const auto cased = [&](std::string word) {
        for (char& c : word) c = random() % 4 == 0 ? static_cast<char>(c ^ 0x20) : c;
        return word;
    };
    const std::vector<std::string> keywords = {"Weapon", "Button", "Armor"}, blocks = {"WeaponSet", "Weapon", "List"},
                                   keys = {"Weapon", "Use", "1"}, names = {"a", "b", "gun", "none"};
    for (int round = 0; round < 150; ++round) {
        std::vector<TModelRule> rules(1 + random() % 3);
        std::string toml = "image = false\n";
        for (std::size_t r = 0; r < rules.size(); ++r) {
            TModelRule& rule = rules[r];
            rule = {{pick(keywords), pick(keywords)}, pick({"NONE", "-"}), {}, {}, {}};
            toml += "[[rule]]\nid = \"r" + std::to_string(r) + "\"\ndeclared-by = [\"" + rule.DeclaredBy[0] +
                    "\", \"" + rule.DeclaredBy[1] + "\"]\nignore = [\"" + rule.Ignore + "\"]\nuse = [";
            for (int u = 1 + random() % 2; u > 0; --u) {
                rule.Uses.push_back({random() % 4 != 0 ? pick(keys) : "*", random() % 2 != 0 ? pick(blocks) : "",
                                     1 + random() % 2, random() % 3 == 0});
                const TUse& use = rule.Uses.back();
                toml += "{ key = \"" + use.Key + (use.In.empty() ? "" : "\", in = \"" + use.In) + "\", tokens = \"" +
                        std::to_string(use.First) + (use.AndAfter ? "-" : "") + "\" }, ";
            }
            toml += "]\n";
        }
        TTempTree tree;
        tree.File("tessaron.toml", toml);
        for (const std::string file : {"sub/b.ini", "a.INI"}) {  // in the walk's order: subfolders first
            std::string text;
            for (int line = random() % 10; line > 0; --line) {
                const bool assigns = random() % 2 != 0;
                text += pick({"", " ", "\t"}) + cased(assigns ? pick(keys) : pick({pick(keywords), pick(blocks), "End"}));
                text += assigns ? " =" : "";
                for (int t = random() % 4; t > 0; --t) text += " " + cased(pick(names));
                text += pick({"\n", "\r\n"});
            }
            tree.File(file, text);
            Read(text, tree.Path(file), rules);
        }
        const TRun run = Checked({"--format=json", "--unused", "--duplicates", tree.Root()});
        const TJson doc = ValidJson(run.Out);
        std::string duplicates;
        for (const TJson& entry : doc["duplicates"]) {
            duplicates += (duplicates.empty() ? "" : "; ") + Fields(entry, "rule name") + " " +
                          Fields(entry["places"], "file line");
        }
        const std::string expected = Expected(rules);
        EXPECT_EQ(run.Status, expected == "||" ? 0 : 1) << toml;
        ASSERT_EQ(Fields(doc["missing"], "rule name file line") + "|" + Fields(doc["unused"], "rule name file line") +
                      "|" + duplicates,
                  expected)
            << toml << run.Err;
    }
}
