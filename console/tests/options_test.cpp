#include "options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(Options, ReadsEachOptionInBothSpellings) {
    const TParsedOptions p =
        ParseOptions({"--lang=en", "--format", "gnu", "--declared-in=base", "--declared-in", "more", "--names", "n.txt",
                      "--unused", "--duplicates", "--baseline=b.txt", "--write-baseline", "w.txt", "root"});
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
    EXPECT_EQ(o.Root, "root");
}

TEST(Options, DefaultsAndSpecialRoots) {
    struct TCase {
        std::vector<std::string> Args;
        std::string Root;
        TFormat Format;
        bool English;
    } cases[] = {
        {{"r"}, "r", TFormat::Text, false},
        {{"--lang=ru", "--format=json", "r"}, "r", TFormat::Json, false},
        {{"--format=sarif", "r"}, "r", TFormat::Sarif, false},
        {{"--format=text", "--lang", "en", "r"}, "r", TFormat::Text, true},
        {{""}, "", TFormat::Text, false},  // an empty root is the search's refusal, not a usage error
        {{"-"}, "-", TFormat::Text, false},
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

TEST(Options, RefusesWhatItDoesNotKnowWithTheFirstFault) {
    struct TCase {
        std::vector<std::string> Args;
        TTextId Text;
        std::string Subject;
    } cases[] = {
        {{}, utNoRoot, ""},
        {{"--lang=de", "r"}, utBadValue, "--lang: de"},
        {{"--format=xml", "r"}, utBadValue, "--format: xml"},
        {{"--verbose", "r"}, utUnknownOption, "--verbose"},
        {{"-h", "r"}, utUnknownOption, "-h"},
        {{"--unused=yes", "r"}, utUnknownOption, "--unused=yes"},
        {{"r", "s"}, utExtraRoot, "s"},
        {{"r", "--format"}, utNeedsValue, "--format"},
        {{"--names=", "r"}, utBadValue, "--names: "},
        {{"--baseline", "", "r"}, utBadValue, "--baseline: "},
        {{"--bogus", "r", "s", "--lang"}, utUnknownOption, "--bogus"},
    };
    for (const TCase& c : cases) {
        const TParsedOptions p = ParseOptions(c.Args);
        const std::string what = c.Args.empty() ? "(none)" : c.Args.front();
        ASSERT_TRUE(p.Error) << what;
        EXPECT_EQ(p.Error->Text, c.Text) << what;
        EXPECT_EQ(p.Error->Subject, c.Subject) << what;
    }
    EXPECT_TRUE(ParseOptions({"--nope", "--lang=en"}).Options.English) << "read to the end for the language";
    const TParsedOptions help = ParseOptions({"--help"});
    EXPECT_FALSE(help.Error);
    EXPECT_TRUE(help.Options.Help) << "--help needs no root";
}
