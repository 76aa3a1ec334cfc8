#include "options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(Options, ReadsEachOptionInBothSpellings) {
    const TParsedOptions p = ParseOptions({"--lang=en", "--format", "gnu", "--declared-in=base", "--declared-in",
                                           "more", "--names", "n.txt", "--unused", "--duplicates", "--baseline=b.txt",
                                           "--write-baseline", "w.txt", "--jobs", "16", "root"});
    ASSERT_FALSE(p.Error);
    const TOptions& o = p.Options;
    EXPECT_TRUE(o.English);
    EXPECT_EQ(o.Format, TFormat::Gnu);
    EXPECT_EQ(o.DeclaredIn, (std::vector<std::string>{"base", "more"}));
    EXPECT_EQ(o.NameFiles, std::vector<std::string>{"n.txt"});
    EXPECT_TRUE(o.Unused);
    EXPECT_TRUE(o.Duplicates);
    EXPECT_EQ(o.Baseline, "b.txt");
    EXPECT_EQ(o.WriteBaseline, "w.txt");
    EXPECT_EQ(o.Jobs, 16u);
    EXPECT_EQ(o.Root, "root");
}

TEST(Options, DefaultsAndSpecialRoots) {
    struct TCase {
        std::vector<std::string> Args;
        std::string Root;
        TFormat Format;
        bool English;
    } cases[] = {
        {{"--lang=ru", "--format=json", "r"}, "r", TFormat::Json, false},
        {{"--format=text", "--lang", "en", "r"}, "r", TFormat::Text, true},
        {{"--", "-"}, "-", TFormat::Text, false},
        {{"--", "--lang=en"}, "--lang=en", TFormat::Text, false},
    };
    for (const TCase& c : cases) {
        const TParsedOptions p = ParseOptions(c.Args);
        EXPECT_FALSE(p.Error) << c.Args.back();
        EXPECT_EQ(p.Options.Root, c.Root) << c.Args.back();
        EXPECT_EQ(p.Options.Format, c.Format) << c.Args.back();
        EXPECT_EQ(p.Options.English, c.English) << c.Args.back();
    }
}

// The other refusals are rows of check_test, with their texts.
TEST(Options, RefusesWhatItDoesNotKnowWithTheFirstFault) {
    struct TCase {
        std::vector<std::string> Args;
        TTextId Text;
        std::string Subject;
    } cases[] = {
        {{"-", "r"}, utUnknownOption, "-"},
        {{"-h=x", "r"}, utUnknownOption, "-h=x"},
        {{"--unused=yes", "r"}, utUnknownOption, "--unused=yes"},
        {{"r", "--format"}, utNeedsValue, "--format"},
        {{"--names=", "r"}, utBadValue, "--names: "},
        {{"--baseline", "", "r"}, utBadValue, "--baseline: "},
        {{"--lang=xx", "r"}, utBadValue, "--lang: xx"},
        {{"--jobs=0", "r"}, utBadValue, "--jobs: 0"},
        {{"--jobs=257", "r"}, utBadValue, "--jobs: 257"},
        {{"--jobs=-2", "r"}, utBadValue, "--jobs: -2"},
        {{"--jobs=1000000000000", "r"}, utBadValue, "--jobs: 1000000000000"},
        {{"--bogus", "r", "s", "--lang"}, utUnknownOption, "--bogus"},
    };
    for (const TCase& c : cases) {
        const TParsedOptions p = ParseOptions(c.Args);
        ASSERT_TRUE(p.Error) << c.Args.front();
        EXPECT_EQ(p.Error->Text, c.Text) << c.Args.front();
        EXPECT_EQ(p.Error->Subject, c.Subject) << c.Args.front();
    }
}
