#include "options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// What the options hold, as one line.
std::string Described(const TOptions& o) {
    static const char* const kFormats[] = {"text", "gnu", "json", "sarif"};
    std::string out = std::string(o.English ? "en " : "ru ") + kFormats[static_cast<int>(o.Format)];
    for (const std::string& dir : o.DeclaredIn) out += " in:" + dir;
    for (const std::string& file : o.NameFiles) out += " names:" + file;
    out += std::string(o.Unused ? " unused" : "") + (o.Duplicates ? " duplicates" : "");
    return out + " " + o.Baseline + " " + o.WriteBaseline + " " + std::to_string(o.Jobs) + " root:" + o.Root;
}

}  // namespace

TEST(Options, ReadsEachOptionInBothSpellings) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--lang=en", "--format", "gnu", "--declared-in=base", "--declared-in", "more", "--names", "n.txt", "--unused",
          "--duplicates", "--baseline=b.txt", "--write-baseline", "w.txt", "--jobs", "16", "root"},
         "en gnu in:base in:more names:n.txt unused duplicates b.txt w.txt 16 root:root"},
        {{"--lang=ru", "--format=json", "--jobs=256", "r"}, "ru json   256 root:r"},
        {{"--format=text", "r", "--lang", "en"}, "en text   0 root:r"},
        {{"--", "--lang=en"}, "ru text   0 root:--lang=en"},
    };
    for (const auto& [args, described] : cases) {
        const TParsedOptions p = ParseOptions(args);
        EXPECT_FALSE(p.Error) << described;
        EXPECT_EQ(Described(p.Options), described);
    }
}
