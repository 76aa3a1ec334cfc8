#include "findings.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

TNameList Names(const std::vector<std::string>& names) {
    TNameList list;
    for (const std::string& name : names) list.Add(name);
    return list;
}

// "U 0 2; N 1; D 0 3, 2 4," from the findings.
std::string Shown(const TKindFindings& f) {
    const auto joined = [](const std::vector<int32_t>& items) {
        std::string out;
        for (const int32_t item : items) out += " " + std::to_string(item);
        return out;
    };
    std::string out = "U" + joined(f.Undeclared) + "; N" + joined(f.Unused) + "; D";
    for (const std::vector<int32_t>& group : f.Duplicates) out += joined(group) + ",";
    return out;
}

}  // namespace

TEST(Findings, DecidesEachNameOfAKind) {
    // Uses, declarations, names declared outside, and what is found with both kinds asked for.
    const std::tuple<std::vector<std::string>, std::vector<std::string>, std::vector<std::string>, std::string>
        cases[] = {
            {{}, {}, {}, "U; N; D"},
            {{"a", "b", "a"}, {}, {}, "U 0 1 2; N; D"},      // nothing declared: every use
            {{"a", "b", "c"}, {"b"}, {"c"}, "U 0; N; D"},    // declared outside counts
            {{"b"}, {"a", "b", "c"}, {"a"}, "U; N 0 2; D"},  // outside never makes a name used
            {{"x"}, {"a", "b", "a", "b", "a"}, {}, "U 0; N 0 1; D 0 2 4, 1 3,"},
            {{}, {"z", "y", "y", "z"}, {}, "U; N 0 1; D 1 2, 0 3,"},  // groups by second declarations
            {{"A"}, {"a"}, {}, "U 0; N 0; D"},                        // bytes, no case folding here
        };
    for (const auto& [used, declared, external, expected] : cases) {
        const TNameList outside = Names(external);
        const TKindFindings found =
            FindKindFindings(Names(used), Names(declared), external.empty() ? nullptr : &outside, {true, true});
        EXPECT_EQ(Shown(found), expected) << expected;
    }
    const TKindFindings none = FindKindFindings(Names({"x"}), Names({"a", "a"}), nullptr, {});
    EXPECT_EQ(Shown(none), "U 0; N; D") << "unused and duplicates only when asked";
}

// Enough uses for three runs: every run's findings join in use order.
TEST(Findings, ThreadsEachTakingARunFindWhatOneThreadFinds) {
    TNameList used;
    TNameList declared;
    for (int k = 0; k < 3 * (1 << 13) + 7; ++k) used.Add("n" + std::to_string(k % 5000));
    for (int i = 0; i < 6000; i += 2) declared.Add("n" + std::to_string(i));
    const TKindFindings one = FindKindFindings(used, declared, nullptr, {true, true}, 1);
    const TKindFindings three = FindKindFindings(used, declared, nullptr, {true, true}, 3);
    EXPECT_EQ(one.Undeclared.size(), 12291u);  // the odd names: 4 * 2500 + 2291
    EXPECT_EQ(Shown(three), Shown(one));
    EXPECT_EQ(one.Unused.size(), 500u);  // n5000 to n5998
}
