// The console against a plain model of the file rules, on random small trees
// and rule sets: each rule's undeclared, unused and duplicate names.
#include <map>
#include <random>
#include <set>

#include "checked.h"
#include "rules.h"
#include "syntax.h"

namespace {

struct TModelRule {  // every word lowered
    std::set<std::string> DeclaredBy;
    std::string Ignore;
    std::vector<TRuleUse> Uses;
    std::vector<std::pair<std::string, std::string>> Used, Declared;  // name, "file line"
};

// Lines are "KEY = TOKEN..." or "KEYWORD [NAME...]"; one block, of any rule, is open at a time.
void Read(const std::string& text, const std::string& file, std::vector<TModelRule>& rules) {
    std::istringstream lines(AsciiLowered(text));
    std::string open, line;
    for (int number = 1; std::getline(lines, line); ++number) {
        const std::string place = file + " " + std::to_string(number);
        std::istringstream in(line);
        const std::vector<std::string> w(std::istream_iterator<std::string>(in), {});
        const bool assigns = w.size() > 1 && w[1] == "=";
        for (TModelRule& rule : rules) {
            std::set<std::size_t> picked;  // token n is word n + 1
            for (const TRuleUse& u : rule.Uses) {
                const bool applies = assigns && (u.Key == kAnyKey || u.Key == w[0]) && (u.In.empty() || u.In == open);
                for (std::size_t t = u.Tokens.First + 1; applies && t < w.size(); t += u.Tokens.AndAfter ? 1 : w.size())
                    picked.insert(t);
            }
            for (const std::size_t t : picked)
                if (w[t] != rule.Ignore) rule.Used.emplace_back(w[t], place);
            if (!assigns && w.size() > 1 && rule.DeclaredBy.count(w[0]) != 0) rule.Declared.emplace_back(w[1], place);
            for (const TRuleUse& u : rule.Uses) open = !assigns && u.In == w[0] ? w[0] : open;
        }
        if (w[0] == kEndKeyword) open.clear();
    }
}

// Rule by rule: undeclared uses in walk order, unused names at their first declaration, duplicates at their second.
std::string Expected(const std::vector<TModelRule>& rules) {
    std::string lists[3];
    for (std::size_t r = 0; r < rules.size(); ++r) {
        const std::string id = "; r" + std::to_string(r) + " ";
        std::map<std::string, std::string> places;
        for (const auto& [name, place] : rules[r].Declared) places[name] += (places[name].empty() ? "" : ", ") + place;
        std::set<std::string> used;
        for (const auto& [name, place] : rules[r].Used)
            if (used.insert(name); places.count(name) == 0) lists[0] += id + name + " " + place;
        std::map<std::string, int> seen;
        for (const auto& [name, place] : rules[r].Declared) {
            if (++seen[name] == 1 && used.count(name) == 0) lists[1] += id + name + " " + place;
            if (seen[name] == 2) lists[2] += id + name + " " + places[name];
        }
    }
    return lists[0] + "|" + lists[1] + "|" + lists[2] + "|";
}

}  // namespace

TEST(Model, EachRulesFindingsAreTheModels) {
    std::mt19937 random(1208);
    const auto pick = [&](const std::vector<std::string>& from) { return from[random() % from.size()]; };
    const auto cased = [&](std::string word) {
        for (char& c : word) c = random() % 4 == 0 && c >= 'a' ? static_cast<char>(c ^ 0x20) : c;
        return word;
    };
    // The model's words are lower case.
    const std::vector<std::string> keywords = {"weapon", "button", "armor"}, blocks = {"weaponset", "weapon", "list"},
                                   keys = {"weapon", "use", "1"}, names = {"a", "b", "gun", "none"};
    for (int round = 0; round < 150; ++round) {
        std::vector<TModelRule> rules(1 + random() % 3);
        std::string toml = "image = false\n";
        for (std::size_t r = 0; r < rules.size(); ++r) {
            rules[r] = {{pick(keywords), pick(keywords)}, pick({"none", "-"}), {}, {}, {}};
            toml += "[[rule]]\nid = \"r" + std::to_string(r) + "\"\nignore = [\"" + cased(rules[r].Ignore) +
                    "\"]\ndeclared-by = [";
            for (const std::string& keyword : rules[r].DeclaredBy) toml += "\"" + cased(keyword) + "\", ";
            toml += "]\nuse = [";
            for (int u = 1 + random() % 2; u > 0; --u) {
                const std::string key = random() % 4 != 0 ? pick(keys) : "*",
                                  in = random() % 2 != 0 ? pick(blocks) : "";
                const TTokenPick tokens = {1 + static_cast<uint32_t>(random() % 2), random() % 3 == 0};
                rules[r].Uses.push_back({key, in, tokens});
                toml += "{ key = \"" + cased(key) + (in.empty() ? "" : "\", in = \"" + cased(in)) + "\", tokens = \"" +
                        std::to_string(tokens.First) + (tokens.AndAfter ? "-" : "") + "\" }, ";
            }
            toml += "]\n";
        }
        TTempTree tree;
        tree.File("tessaron.toml", toml);
        for (const std::string file : {"sub/b.ini", "a.INI"}) {  // in the walk's order: subfolders first
            std::string text;
            for (int line = random() % 10; line > 0; --line) {
                const bool assigns = random() % 2 != 0;
                text += pick({"", " ", "\t"}) +
                        cased(assigns ? pick(keys) + " =" : pick({pick(keywords), pick(blocks), "end"}));
                for (int t = random() % 4; t > 0; --t) text += " " + cased(pick(names));
                text += pick({"\n", "\r\n"});
            }
            Read(text, Put(tree, file, text), rules);
        }
        const TRun run = Checked({"--format=json", "--unused", "--duplicates", tree.Root()});
        TJson doc = ValidJson(run.Out);
        std::string found;
        for (const std::string list : {"missing", "unused", "duplicates"}) {
            const bool twice = list == "duplicates";
            for (const TJson& e : doc[list])
                found += "; " + Fields(e, twice ? "rule name" : "rule name file line") +
                         (twice ? " " + Fields(e["places"], "file line") : "");
            found += "|";
        }
        EXPECT_EQ(run.Status, Expected(rules) == "|||" ? 0 : 1) << toml;
        ASSERT_EQ(found, Expected(rules)) << toml << run.Err;
    }
}
