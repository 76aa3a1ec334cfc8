// The options that go beyond the window: declarations from elsewhere, unused
// and duplicate names, over a base tree and a content tree that builds on it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fs.h"
#include "json_reader.h"
#include "run_check.h"
#include "temp_tree.h"

namespace {

// base/: declares three images, one of them twice; uses one it declares nowhere.
// content/: uses two base images and one its own, declares one nobody uses.
struct TTrees {
    TTempTree Base;
    TTempTree Content;
    TTrees() {
        Base.File("images/a.ini", "MappedImage Shared\r\nMappedImage Portrait\r\n");
        Base.File("images/b.INI", "; again\r\n  MappedImage SHARED\r\nMappedImage Lonely\r\n");
        Base.File("units.ini", "ButtonImage = BaseOnly\r\n");
        Content.File("INI/units.ini", "SelectPortrait = Portrait\r\nButtonImage = shared\r\nButtonImage = Own\r\n");
        Content.File("INI/more/x.ini", "ButtonImage = Nowhere\r\n");
        Content.File("Images/own.ini", "MappedImage Own\r\nMappedImage Spare\r\n");
    }
};

std::string Missing(const TJsonValue& doc) {
    std::string names;
    for (const TJsonValue& item : doc["missing"].Items) names += item["name"].Str + " ";
    return names;
}

TJsonValue Json(const TRun& run) {
    std::string error;
    auto doc = ParseJson(run.Out, &error);
    EXPECT_TRUE(doc.has_value()) << error << "\n" << run.Out;
    return doc.value_or(TJsonValue{});
}

}  // namespace

TEST(Elsewhere, DeclaredInAndNameFilesLeaveOnlyTheTreesOwnMisses) {
    TTrees t;
    t.Content.File("names.txt", "; known elsewhere\r\n\r\n  NOWHERE  \r\n");
    struct TCase {
        std::vector<std::string> Options;
        std::string Missing;
        int Status;
    } cases[] = {
        {{}, "nowhere portrait shared ", 1},
        {{"--declared-in", t.Base.Root()}, "nowhere ", 1},
        {{"--names", t.Content.Path("names.txt")}, "portrait shared ", 1},
        {{"--declared-in=" + t.Base.Root(), "--names=" + t.Content.Path("names.txt")}, "", 0},
    };
    for (const TCase& c : cases) {
        std::vector<std::string> args = c.Options;
        args.insert(args.end(), {"--format=json", t.Content.Root()});
        const TRun run = Checked(args);
        const TJsonValue doc = Json(run);
        EXPECT_EQ(Missing(doc), c.Missing) << run.Out;
        EXPECT_EQ(run.Status, c.Status) << run.Out;
        EXPECT_EQ(doc["references"].Num, 4) << "references of the base are not checked";
    }
    // A tree that declares nothing itself is checked against the base alone.
    TTempTree bare;
    bare.File("x.ini", "ButtonImage = Portrait\r\nButtonImage = Gone\r\n");
    const TJsonValue doc = Json(Checked({"--format=json", "--declared-in", t.Base.Root(), bare.Root()}));
    EXPECT_EQ(Missing(doc), "gone ");
}

TEST(Elsewhere, UnreadableSourcesAreErrors) {
    TTrees t;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--declared-in", t.Base.Path("nope"), t.Content.Root()},
          std::vector<std::string>{"--declared-in", t.Base.Path("units.ini"), t.Content.Root()},
          std::vector<std::string>{"--names", t.Base.Path("nope.txt"), t.Content.Root()}}) {
        const TRun run = Checked(args);
        EXPECT_EQ(run.Status, 2) << args[1];
        EXPECT_EQ(run.Out, "");
        EXPECT_NE(run.Err.find(args[1]), std::string::npos) << run.Err;
    }
}

TEST(Declarations, UnusedAndDuplicatesWithTheirPlaces) {
    TTrees t;
    const TRun run = Checked({"--format=json", "--unused", "--duplicates", t.Base.Root()});
    const TJsonValue doc = Json(run);
    EXPECT_EQ(run.Status, 1);
    // In declaration order; "shared" is unused although declared twice, and listed once.
    const auto& unused = doc["unused"].Items;
    ASSERT_EQ(unused.size(), 3u) << run.Out;
    EXPECT_EQ(unused[0]["name"].Str, "shared");
    EXPECT_EQ(unused[0]["file"].Str, t.Base.Path("images/a.ini"));
    EXPECT_EQ(unused[0]["line"].Num, 1);
    EXPECT_EQ(unused[0]["column"].Num, 13);
    EXPECT_EQ(unused[1]["name"].Str, "portrait");
    EXPECT_EQ(unused[2]["name"].Str, "lonely");
    EXPECT_EQ(unused[2]["line"].Num, 3);
    const auto& duplicates = doc["duplicates"].Items;
    ASSERT_EQ(duplicates.size(), 1u);
    EXPECT_EQ(duplicates[0]["name"].Str, "shared");
    const auto& places = duplicates[0]["places"].Items;
    ASSERT_EQ(places.size(), 2u);
    EXPECT_EQ(places[1]["file"].Str, t.Base.Path("images/b.INI"));
    EXPECT_EQ(places[1]["line"].Num, 2);
    EXPECT_EQ(places[1]["column"].Num, 15);
    EXPECT_EQ(places[1]["length"].Num, 6);

    // Names the content uses are not unused; declarations from elsewhere never are.
    const TJsonValue content =
        Json(Checked({"--format=json", "--unused", "--declared-in", t.Base.Root(), t.Content.Root()}));
    ASSERT_EQ(content["unused"].Items.size(), 1u);
    EXPECT_EQ(content["unused"].Items[0]["name"].Str, "spare");
    EXPECT_EQ(content.Find("duplicates"), nullptr) << "only the kinds asked for";
}

TEST(Declarations, TextAndGnuCarryTheNewKinds) {
    TTrees t;
    const TRun text = Checked({"--lang=en", "--unused", "--duplicates", t.Base.Root()});
    const std::string sep(1, kPathSeparator);
    const std::string b = sep + "images" + sep + "b.INI";
    EXPECT_NE(text.Out.find("Unused MI \"lonely\" in \"" + b + "\" at line 3\n"), std::string::npos) << text.Out;
    EXPECT_NE(text.Out.find("Duplicate MI \"shared\" in \"" + b + "\" at line 2 (declaration 2 of 2)\n"),
              std::string::npos)
        << text.Out;
    const TRun russian = Checked({"--unused", "--duplicates", t.Base.Root()});
    EXPECT_NE(russian.Out.find("Неиспользуемая MI \"lonely\" в \"" + b + "\", строка 3\n"), std::string::npos)
        << russian.Out;
    EXPECT_NE(russian.Out.find("Повторно объявленная MI \"shared\" в \"" + b + "\", строка 2 (объявление 2 из 2)\n"),
              std::string::npos)
        << russian.Out;
    // The gnu lines keep their words under --lang=ru.
    const TRun gnu = Checked({"--format=gnu", "--duplicates", t.Base.Root()});
    EXPECT_NE(gnu.Out.find(t.Base.Path("images/b.INI") + ":2:15: duplicate image \"shared\" (declaration 2 of 2)\n"),
              std::string::npos)
        << gnu.Out;

    // Clean once nothing of the kinds asked for is left.
    TTempTree clean;
    clean.File("a.ini", "MappedImage A\r\nButtonImage = a\r\n");
    EXPECT_EQ(Checked({"--unused", "--duplicates", clean.Root()}).Status, 0);
    clean.File("b.ini", "MappedImage a\r\n");
    EXPECT_EQ(Checked({"--unused", clean.Root()}).Status, 0);
    EXPECT_EQ(Checked({"--duplicates", clean.Root()}).Status, 1);
}
