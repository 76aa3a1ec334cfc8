// The options that go beyond the window: declarations from elsewhere, unused
// and duplicate names, over a base tree and a content tree that builds on it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checked.h"
#include "external_names.h"
#include "temp_tree.h"
#include "unix_files.h"

namespace {

// base/: declares three images, one of them twice; uses one it declares nowhere.
// content/: uses two base images and one its own, declares one nobody uses.
struct TTrees {
    TTempTree Base, Content;
    TTrees() {
        Base.File("images/a.ini", "MappedImage Shared\r\nMappedImage Portrait\r\n");
        Base.File("images/b.INI", "; again\r\n  MappedImage SHARED\r\nMappedImage Lonely\r\n");
        Base.File("units.ini", "ButtonImage = BaseOnly\r\n");
        Content.File("INI/units.ini", "SelectPortrait = Portrait\r\nButtonImage = shared\r\nButtonImage = Own\r\n");
        Content.File("INI/more/x.ini", "ButtonImage = Nowhere\r\n");
        Content.File("Images/own.ini", "MappedImage Own\r\nMappedImage Spare\r\n");
    }
};

}  // namespace

TEST(ExternalNames, DeclaredInAndNameFilesLeaveOnlyTheTreesOwnMisses) {
    TTrees t;
    t.Content.File("names.txt", "; known elsewhere\r\n\r\n  NOWHERE  \r\n");
    t.Base.File("images/bom.ini", "\xEF\xBB\xBFMappedImage Hidden\r\n");
    // A tree that declares nothing itself is checked against the base alone, even where a link leads into it.
    TTempTree bare;
    bare.File("x.ini", "ButtonImage = Portrait\r\nButtonImage = Gone\r\n");
    MakeUnixLink(t.Base.Path("images"), bare.Path("linked"));
    // "STATUS: MISSING; WARNINGS (the base's, as the tree's own); REFERENCES and DECLARATIONS (never the base's)"
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{t.Content.Root()}, "1: nowhere, portrait, shared; 0; 4 2"},
        {{"--declared-in", t.Base.Root(), t.Content.Root()}, "1: nowhere; 1; 4 2"},
        {{"--names", t.Content.Path("names.txt"), t.Content.Root()}, "1: portrait, shared; 0; 4 2"},
        {{"--declared-in=" + t.Base.Root(), "--names=" + t.Content.Path("names.txt"), t.Content.Root()}, "0: ; 1; 4 2"},
        {{"--declared-in", t.Base.Root(), bare.Root()}, "1: gone; 1; 2 0"},
        // Below ROOT, or ROOT itself: what lies below the folder is never checked.
        {{"--declared-in", t.Content.Path("INI/more"), t.Content.Root()}, "1: portrait, shared; 0; 3 2"},
        {{"--declared-in", t.Content.Root(), t.Content.Root()}, "0: ; 0; 0 0"},
    };
    for (const auto& [args, expected] : cases) {
        std::vector<std::string> json = args;
        json.push_back("--format=json");
        const TRun run = Checked(json);
        const TJson doc = ValidJson(run.Out);
        EXPECT_EQ(std::to_string(run.Status) + ": " + Fields(doc["missing"], "name") + "; " +
                      std::to_string(doc["warnings"].size()) + "; " + Fields(doc, "references declarations"),
                  expected);
    }
}

TEST(ExternalNames, NameFilesAreReadAsPeopleWriteThem) {
    const std::pair<std::string, std::string> cases[] = {
        {"\xEF\xBB\xBFSecond\r\nFirst\r\n", "second first"},
        {"  Padded\t \n\n", "padded"},
        {"name ; why\n; a whole line\n;\n", "name"},
        {"a\rb\rc", "a b c"},
    };
    for (const auto& [bytes, expected] : cases) {
        TNameList names;
        AddNames(bytes, names);
        std::string joined;
        for (int32_t i = 0; i < names.Count(); ++i) joined += (i == 0 ? "" : " ") + std::string(names[i]);
        EXPECT_EQ(joined, expected) << bytes;
    }
}

TEST(Declarations, UnusedAndDuplicatesWithTheirPlacesInEachFormat) {
    TTrees t;
    const std::string a = t.Base.Path("images/a.ini"), b = t.Base.Path("images/b.INI");
    const TJson doc = ValidJson(Checked({"--format=json", "--unused", "--duplicates", t.Base.Root()}).Out);
    // In declaration order; "shared" is unused although declared twice, and listed once.
    EXPECT_EQ(Fields(doc["unused"], "name file line column"),
              "shared " + a + " 1 13, portrait " + a + " 2 13, lonely " + b + " 3 13");
    EXPECT_EQ(Fields(doc["duplicates"], "name"), "shared");
    EXPECT_EQ(Fields(doc["duplicates"].at(0)["places"], "file line column length"), a + " 1 13 6, " + b + " 2 15 6");

    // Names the content uses are not unused; declarations from elsewhere never are.
    const TJson contentDoc =
        ValidJson(Checked({"--format=json", "--unused", "--declared-in", t.Base.Root(), t.Content.Root()}).Out);
    EXPECT_EQ(Fields(contentDoc["unused"], "name"), "spare");
    EXPECT_EQ(contentDoc.count("duplicates"), 0u) << "only the kinds asked for";
    const std::string images = t.Content.Path("Images");
    EXPECT_EQ(Checked({"--format=json", "--unused", "--declared-in", images, t.Content.Root()}).Out.find("spare"),
              std::string::npos)
        << "a folder below the root declares elsewhere too";

    const std::string relative = b.substr(t.Base.Root().size());
    const std::string russian = Checked({"--unused", "--duplicates", t.Base.Root()}).Out;
    // The gnu lines keep their words under --lang=ru.
    const std::string gnu = Checked({"--format=gnu", "--duplicates", t.Base.Root()}).Out;
    const std::pair<std::string, std::string> cases[] = {
        {russian, "Неиспользуемая MI \"lonely\" в \"" + relative + "\", строка 3\n"},
        {russian, "Повторно объявленная MI \"shared\" в \"" + relative + "\", строка 2 (объявление 2 из 2)\n"},
        // A second summary line counts the kinds asked for.
        {russian, "редактирования\nНеиспользуемых MI: 3; Повторно объявленных MI: 1\n"},
        {gnu, b + ":2:15: duplicate image \"shared\" (declaration 2 of 2)\n"},
    };
    for (const auto& [out, line] : cases) EXPECT_NE(out.find(line), std::string::npos) << out;
}
