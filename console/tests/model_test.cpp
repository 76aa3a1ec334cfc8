// The console against a plain model of what it promises, on random small
// trees and rule sets: each kind's undeclared, unused and duplicate names,
// read straight from the rules' description.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "checked.h"
#include "fs.h"
#include "rules.h"
#include "syntax.h"
#include "temp_tree.h"

namespace {

// What one kind records: (name, "/file line") in reading order.
struct TKind {
    std::vector<std::pair<std::string, std::string>> Uses, Declarations;
    std::set<std::string> Outside;
};

bool KeyMatches(const std::string& word, const std::string& lowered) {
    return word == kAnyKey || AsciiLowered(word) == lowered;
}

// Reads lines written as "KEYWORD [NAME]" or "KEY = TOKEN..." into kinds[0]
// (images) and kinds[1 + r]; `outside` for a declared-in folder's file.
void Read(const std::string& text, const std::string& file, const std::vector<TRule>& rules, std::vector<TKind>& kinds,
          bool outside) {
    std::istringstream lines(AsciiLowered(text));
    std::string open;
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        const std::string place = file + " " + std::to_string(++number);
        std::istringstream in(line);
        std::vector<std::string> w;
        for (std::string word; in >> word;) w.push_back(word);
        const auto record = [&](std::size_t kind, bool declared, const std::string& name) {
            if (!outside) (declared ? kinds[kind].Declarations : kinds[kind].Uses).emplace_back(name, place);
            if (outside && declared) kinds[kind].Outside.insert(name);
        };
        const bool assigns = w.size() > 1 && w[1] == "=";
        if (assigns && w[0] == "buttonimage") record(0, false, w[2]);
        if (!assigns && w.size() > 1 && w[0] == "mappedimage") record(0, true, w[1]);
        for (std::size_t r = 0; r < rules.size(); ++r) {
            const TRule& rule = rules[r];
            // Token n (1-based) is word n + 1, after the key and the '='.
            std::set<std::size_t> picked;
            for (const TRuleUse& use : rule.Uses) {
                if (!assigns || !KeyMatches(use.Key, w[0]) || !(use.In.empty() || AsciiLowered(use.In) == open))
                    continue;
                for (std::size_t t = use.Tokens.First + 1; t < w.size(); t += use.Tokens.AndAfter ? 1 : w.size())
                    picked.insert(t);
            }
            for (const std::size_t t : picked) {
                if (AsciiLowered(rule.Ignore[0]) != w[t]) record(r + 1, false, w[t]);
            }
            const auto in = [&](const std::string& k) { return AsciiLowered(k) == w[0]; };
            if (assigns) continue;
            if (w.size() > 1 && std::any_of(rule.DeclaredBy.begin(), rule.DeclaredBy.end(), in)) {
                record(r + 1, true, w[1]);
            }
            for (const TRuleUse& use : rule.Uses) open = in(use.In) ? w[0] : open;
        }
        if (w[0] == kEndKeyword) open.clear();
    }
}

// The document's three lists, in the console's order: the images, then rule
// by rule; uses in walk order, unused names at their first declaration,
// duplicates in the order of their second declarations.
std::string Expected(const std::vector<TKind>& kinds, const std::vector<TRule>& rules) {
    std::string lists[3];
    const auto add = [](std::string& list, const std::string& item, const char* comma = ", ") {
        list += (list.empty() ? "" : comma) + item;
    };
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        const std::string id = k == 0 ? "image" : rules[k - 1].Id;
        std::map<std::string, std::string> places;
        std::map<std::string, int> count;
        std::vector<std::string> again;
        for (const auto& [name, place] : kinds[k].Declarations) {
            add(places[name], place);
            if (++count[name] == 2) again.push_back(name);
        }
        std::set<std::string> used, listed;
        for (const auto& [name, place] : kinds[k].Uses) {
            used.insert(name);
            if (places.count(name) + kinds[k].Outside.count(name) == 0) add(lists[0], id + " " + name + " " + place);
        }
        for (const auto& [name, place] : kinds[k].Declarations) {
            if (used.count(name) == 0 && listed.insert(name).second) add(lists[1], id + " " + name + " " + place);
        }
        for (const std::string& name : again) add(lists[2], id + " " + name + " " + places[name], "; ");
    }
    return lists[0] + "|" + lists[1] + "|" + lists[2];
}

std::string Found(const TJson& doc) {
    std::string duplicates;
    for (const TJson& entry : doc["duplicates"]) {
        duplicates += (duplicates.empty() ? "" : "; ") + Fields(entry, "rule name") + " " +
                      Fields(entry["places"], "relative line");
    }
    return Fields(doc["missing"], "rule name relative line") + "|" + Fields(doc["unused"], "rule name relative line") +
           "|" + duplicates;
}

}  // namespace

TEST(Model, EveryKindsFindingsAreTheModels) {
    std::mt19937 random(1208);
    const auto pick = [&](const std::vector<std::string>& from) { return from[random() % from.size()]; };
    const auto cased = [&](std::string word) {
        for (char& c : word) c = random() % 4 == 0 ? static_cast<char>(c ^ 0x20) : c;
        return word;
    };
    const std::vector<std::string> keywords = {"Weapon", "Button", "MappedImage", "Armor"};
    const std::vector<std::string> blocks = {"WeaponSet", "ButtonList", "Weapon"};
    const std::vector<std::string> keys = {"Weapon", "Use", "ButtonImage", "1", "Other"};
    const std::vector<std::string> names = {"a", "b", "gun", "none"};
    const auto text = [&]() {
        std::string out;
        for (int line = random() % 10; line > 0; --line) {
            const bool assigns = random() % 2 != 0;
            const std::string head = assigns ? pick(keys) : pick({pick(keywords), pick(blocks), "End", "X"});
            out += pick({"", " ", "\t"}) + cased(head) + (assigns ? " =" : "");
            // An image's use and declaration take one word, which the model reads as the scan does.
            const bool one = head == "ButtonImage" || head == "MappedImage";
            for (int t = one ? 1 : random() % 4; t > 0; --t) out += " " + cased(pick(names));
            out += pick({"\n", "\r\n"});
        }
        return out;
    };
    for (int round = 0; round < 150; ++round) {
        std::vector<TRule> rules(1 + random() % 3);
        std::string toml;
        for (std::size_t r = 0; r < rules.size(); ++r) {
            TRule& rule = rules[r];
            rule = {"r" + std::to_string(r), "T", {pick(keywords), pick(blocks)}, {pick({"NONE", "-"})}, {}, {}};
            rule.DeclaredBy.resize(1 + random() % 2);
            toml += "[[rule]]\nid = \"" + rule.Id + "\"\ntitle = \"T\"\ndeclared-by = [\"" + rule.DeclaredBy[0] +
                    "\", \"" + rule.DeclaredBy.back() + "\"]\nignore = [\"" + rule.Ignore[0] + "\"]\nnames = [\"" +
                    rule.Id + ".txt\"]\nuse = [";
            for (std::size_t u = 1 + random() % 2; u > 0; --u) {
                rule.Uses.push_back({random() % 4 != 0 ? pick(keys) : std::string(kAnyKey),
                                     random() % 2 != 0 ? pick(blocks) : "",
                                     {1 + static_cast<uint32_t>(random() % 2), random() % 3 == 0}});
                const TRuleUse& use = rule.Uses.back();
                toml += "{ key = \"" + use.Key + (use.In.empty() ? "" : "\", in = \"" + use.In) + "\", tokens = \"" +
                        std::to_string(use.Tokens.First) + (use.Tokens.AndAfter ? "-" : "") + "\" }, ";
            }
            toml += "]\n";
        }
        TTempTree tree, base;
        tree.File("tessaron.toml", toml);
        std::vector<TKind> kinds(rules.size() + 1);
        for (std::size_t r = 0; r < rules.size(); ++r) {
            const std::string outside = pick({"", pick(names)});
            tree.File(rules[r].Id + ".txt", outside + "\n");
            if (!outside.empty()) kinds[r + 1].Outside.insert(outside);
        }
        // In the walk's order, which the first declaration depends on: a folder's subfolders before its files.
        for (const std::string file : {"sub/b.ini", "sub/c.INI", "a.ini"}) {
            const std::string bytes = text();
            tree.File(file, bytes);
            std::string relative = "/" + file;
            std::replace(relative.begin(), relative.end(), '/', kPathSeparator);
            Read(bytes, relative, rules, kinds, false);
        }
        std::vector<std::string> args = {"--format=json", "--unused", "--duplicates", tree.Root()};
        if (random() % 2 != 0) {
            const std::string bytes = text();
            base.File("base.ini", bytes);
            Read(bytes, "", rules, kinds, true);
            args.insert(args.begin(), {"--declared-in", base.Root()});
        }
        const TRun run = Checked(args);
        const std::string expected = Expected(kinds, rules);
        // Image uses with no image declared anywhere fail the check too.
        const bool noImages = kinds[0].Declarations.empty() && kinds[0].Outside.empty() && !kinds[0].Uses.empty();
        EXPECT_EQ(run.Status, expected == "||" && !noImages ? 0 : 1) << toml;
        ASSERT_EQ(Found(ValidJson(run.Out)), expected) << toml << run.Err;
    }
}
