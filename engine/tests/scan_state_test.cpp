#include "scan_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(StringList, KeepsItsOwnCopiesThroughGrowthAndClear) {
    TStringList list;
    std::vector<std::string> expected = {"abc", "", std::string("x\0y", 3)};
    for (std::string source : expected) list.Add(source);  // each source is gone after its Add
    // Past the size at which a block leaves the heap for pages of its own, and
    // on through several growths of those pages, in place and moved.
    while (list.TextBytes() < (std::size_t{17} << 20)) {
        expected.push_back(std::to_string(expected.size()) + std::string(expected.size() % 4096, 'n'));
        list.Add(expected.back());
    }
    std::vector<std::string> held;
    for (int32_t i = 0; i < list.Count(); ++i) held.emplace_back(list[i]);
    EXPECT_EQ(held, expected);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    list.Add("again");
    EXPECT_EQ(list[0], "again");
}

TEST(NameIndex, FindsLowestIndexOfExactBytes) {
    TNameList names;
    EXPECT_EQ(TNameIndex(names).FindDefined("a"), -1);
    names.Add("");  // a list that holds no byte at all
    EXPECT_EQ(TNameIndex(names).FindDefined(""), 0);
    names.Clear();
    // Also around the 24 bytes a slot holds itself, and past the 255 of length it notes.
    const std::string head(24, 'h'), longest(264, 'h'), nul("a\0", 2);
    const std::vector<std::string> entries = {"b", "a",     "ab",         "a",        "",         "A",
                                              "",  "b",     head,         head + "a", head + "b", head.substr(1) + "a",
                                              nul, longest, longest + "x"};
    for (const std::string& name : entries) names.Add(name);
    std::vector<int32_t> firstOf;
    const TNameIndex index(names, &firstOf);
    EXPECT_EQ(firstOf, (std::vector<int32_t>{0, 1, 2, 1, 4, 5, 4, 0, 8, 9, 10, 11, 12, 13, 14}));
    for (std::size_t k = 0; k < entries.size(); ++k) EXPECT_EQ(index.FindDefined(entries[k]), firstOf[k]) << k;
    for (const std::string& other : {std::string("abc"), head + "c", head.substr(1), nul + '\0', longest + "y"}) {
        EXPECT_EQ(index.FindDefined(other), -1) << other.size();
    }
}
