#include "scan_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(StringList, GrowsFromEightByDoublingAndClearsToNothing) {
    TStringList list;
    list.Clear();
    EXPECT_EQ(list.Capacity(), 0) << "an empty list clears harmlessly";
    std::string source = "abc";
    list.Add(source);
    list.Add("");
    list.Add(std::string("x\0y", 3));
    source[0] = 'z';
    const int expected[][2] = {{3, 8}, {8, 8}, {9, 16}, {16, 16}, {17, 32}, {33, 64}};
    int added = 3;
    for (const auto& [count, capacity] : expected) {
        while (added < count) list.Add("name" + std::to_string(added++));
        EXPECT_EQ(list.Count(), count);
        EXPECT_EQ(list.Capacity(), capacity) << "after " << count << " entries";
    }
    EXPECT_EQ(list[0], "abc") << "the list keeps its own copy";
    EXPECT_EQ(list[1], "");
    EXPECT_EQ(list[2], std::string("x\0y", 3));
    EXPECT_EQ(list[32], "name32");
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 0);
    list.Add("again");
    EXPECT_EQ(list[0], "again");
}

TEST(RefTable, StoresFullWidthFieldsAndGrowsLikeLists) {
    TRefTable refs;
    for (int i = 0; i < 9; ++i) refs.AddRef(70000u + i, i, 65537, 70000);
    EXPECT_EQ(refs.Count(), 9);
    EXPECT_EQ(refs.Capacity(), 16);
    EXPECT_EQ(refs[8].FileIndex, 70008u);
    EXPECT_EQ(refs[8].LineIndex, 8);
    EXPECT_EQ(refs[8].Column, 65537u);
    EXPECT_EQ(refs[8].Length, 70000u);
    refs.ClearRefs();
    EXPECT_EQ(refs.Count(), 0);
    EXPECT_EQ(refs.Capacity(), 0);
}

TEST(NameIndex, FindsLowestIndexOfExactBytes) {
    TNameList names;
    EXPECT_EQ(TNameIndex(names).FindDefined("a"), -1);
    for (const char* name : {"b", "a", "ab", "a", "", "A", "", "b"}) names.Add(name);
    std::vector<int32_t> firstOf;
    const TNameIndex index(names, &firstOf);
    EXPECT_EQ(firstOf, (std::vector<int32_t>{0, 1, 2, 1, 4, 5, 4, 0}));
    EXPECT_EQ(index.FindDefined("a"), 1);
    EXPECT_EQ(index.FindDefined("ab"), 2);
    EXPECT_EQ(index.FindDefined(""), 4);
    EXPECT_EQ(index.FindDefined("A"), 5);
    EXPECT_EQ(index.FindDefined("abc"), -1);
}

TEST(NameIndex, AnswersForManyNames) {
    TNameList names;
    for (int i = 0; i < 100000; ++i) names.Add("img" + std::to_string(i % 50000));
    const TNameIndex index(names);
    for (int i = 0; i < 50000; i += 997) EXPECT_EQ(index.FindDefined("img" + std::to_string(i)), i);
    EXPECT_EQ(index.FindDefined("img50000"), -1);
}
