// The options that go beyond the window: declarations from elsewhere, unused
// and duplicate names, over a base tree and a content tree that builds on it.
#include <algorithm>

#include "checked.h"
#include "external_names.h"

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
    // "STATUS: MISSING; UNUSED ("-": not asked for; never one declared elsewhere); WARNINGS (the base's, as the tree's
    // own); REFERENCES and DECLARATIONS (never the base's)"
    const std::string unused = "--unused";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{t.Content.Root()}, "1: nowhere, portrait, shared; -; 0; 4 2"},
        {{unused, "--declared-in", t.Base.Root(), t.Content.Root()}, "1: nowhere; spare; 1; 4 2"},
        {{"--names", t.Content.Path("names.txt"), t.Content.Root()}, "1: portrait, shared; -; 0; 4 2"},
        {{"--declared-in=" + t.Base.Root(), "--names=" + t.Content.Path("names.txt"), t.Content.Root()},
         "0: ; -; 1; 4 2"},
        {{unused, "--declared-in", t.Base.Root(), bare.Root()}, "1: gone; ; 1; 2 0"},
        // Below ROOT, or ROOT itself: what lies below the folder is never checked.
        {{"--declared-in", t.Content.Path("INI/more"), t.Content.Root()}, "1: portrait, shared; -; 0; 3 2"},
        {{unused, "--declared-in", t.Content.Path("Images"), t.Content.Root()},
         "1: nowhere, portrait, shared; ; 0; 4 0"},
        {{"--declared-in", t.Content.Root(), t.Content.Root()}, "0: ; -; 0; 0 0"},
    };
    for (auto [args, expected] : cases) {
        args.push_back("--format=json");
        const TRun run = Checked(args);
        const TJson doc = ValidJson(run.Out);
        EXPECT_EQ(std::to_string(run.Status) + ": " + Fields(doc["missing"], "name") + "; " +
                      (doc.contains("unused") ? Fields(doc["unused"], "name") : "-") + "; " +
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

    const std::string russian = Checked({"--duplicates", t.Base.Root()}).Out;
    EXPECT_NE(russian.find("Повторно объявленная MI \"shared\" в \"" + b.substr(t.Base.Root().size()) +
                           "\", строка 2 (объявление 2 из 2)\n"),
              std::string::npos)
        << russian;
    // The gnu lines keep their words under --lang=ru.
    const std::string gnu = Checked({"--format=gnu", "--duplicates", t.Base.Root()}).Out;
    EXPECT_NE(gnu.find(b + ":2:15: duplicate image \"shared\" (declaration 2 of 2)\n"), std::string::npos) << gnu;
}

// Two file rules beside the images, the file's flags and lists joined with the line's.
TEST(Rules, EachFormatListsEachKindAfterTheImages) {
    TTempTree tree, base;
    tree.File("tessaron.toml",
              "unused = true\nduplicates = false\n"
              "[[rule]]\nid = \"weapon\"\ndeclared-by = [\"Weapon\"]\nignore = [\"NONE\"]\nnames = [\"known.txt\"]\n"
              "use = [{ key = \"Weapon\", in = \"WeaponSet\", tokens = \"2\" }, { key = \"DeathWeapon\" }]\n"
              "[[rule]]\nid = \"button\"\ntitle = \"кнопка\"\ndeclared-by = [\"Button\"]\n"
              "use = [{ key = \"*\", in = \"ButtonList\", tokens = \"1-\" }]\n");
    tree.File("known.txt", "Builtin\n");
    tree.File("units.ini",
              "Object Tank\r\n  ButtonImage = Gone\r\n  WeaponSet\r\n    Weapon = PRIMARY Cannon\r\n"
              "    Weapon = SECONDARY Laser\r\n  End\r\n  DeathWeapon = NONE\r\n  DeathWeapon = Builtin\r\nEnd\r\n"
              "ButtonList Main\r\n  1 = Button_Build Button_Gone\r\nEnd\r\n");
    tree.File("defs.ini",
              "MappedImage Here\r\nWeapon Cannon\r\nWeapon Spare\r\nButton Button_Build\r\nButton BUTTON_BUILD\r\n");
    base.File("b.ini", "Weapon Laser\r\nButton Button_Gone\r\n");
    const std::string units = tree.Path("units.ini"), defs = tree.Path("defs.ini"), en = "--lang=en";
    std::string text = Checked({en, "--duplicates", tree.Root()}).Out;
    std::replace(text.begin(), text.end(), kPathSeparator, '/');
    EXPECT_EQ(text,
              "Missing MI called \"gone\" in \"/units.ini\" at line 2\n"
              "Unused MI \"here\" in \"/defs.ini\" at line 1\n"
              "Done! Missing MI Total: 1. Double click the line brings You to edit position\n"
              "Unused MI Total: 1; Duplicate MI Total: 0\n"
              "Undeclared weapon \"laser\" in \"/units.ini\" at line 5\n"
              "Unused weapon \"spare\" in \"/defs.ini\" at line 3\n"
              "weapon: undeclared 1; unused 1; duplicate 0\n"
              "Undeclared кнопка \"button_gone\" in \"/units.ini\" at line 11\n"
              "Duplicate кнопка \"button_build\" in \"/defs.ini\" at line 4 (declaration 1 of 2)\n"
              "Duplicate кнопка \"button_build\" in \"/defs.ini\" at line 5 (declaration 2 of 2)\n"
              "кнопка: undeclared 1; unused 0; duplicate 1\n");
    const TRun gnu = Checked({"--format=gnu", tree.Root()});
    EXPECT_EQ(gnu.Out, units + ":2:17: missing image \"gone\"\n" + defs + ":1:13: unused image \"here\"\n" + units +
                           ":5:24: undeclared weapon \"laser\"\n" + defs + ":3:8: unused weapon \"spare\"\n" + units +
                           ":11:20: undeclared кнопка \"button_gone\"\n");
    EXPECT_EQ(gnu.Err,
              "Готово! Найдено несуществующих MI: 1. Двойной щелчок по строке в списке должен перенести Вас в место "
              "редактирования\nweapon: не объявлено 1; не используется 1\nкнопка: не объявлено 1; не используется 0\n");

    // Declared in a folder of the line counts for every rule; JSON entries follow the images rule by rule.
    const TJson doc = ValidJson(Checked({"--format=json", "--declared-in", base.Root(), tree.Root()}).Out);
    EXPECT_EQ(Fields(doc, "rules references declarations declared_elsewhere"), tree.Path("tessaron.toml") + " 1 1 0");
    EXPECT_EQ(Fields(doc["missing"], "rule ref name line column"), "image 0 gone 2 17");
    EXPECT_EQ(Fields(doc["unused"], "rule name line"), "image here 1, weapon spare 3");
    EXPECT_EQ(doc.count("duplicates"), 0u);

    const TJson log = ValidJson(Checked({"--format=sarif", "--duplicates", tree.Root()}).Out)["runs"][0];
    EXPECT_EQ(Fields(log["tool"]["driver"]["rules"], "id name"),
              "undeclared-image UndeclaredImage, unused-image UnusedImage, duplicate-image DuplicateImage, "
              "undeclared-weapon UndeclaredWeapon, unused-weapon UnusedWeapon, duplicate-weapon DuplicateWeapon, "
              "undeclared-button UndeclaredButton, unused-button UnusedButton, duplicate-button DuplicateButton");
    EXPECT_EQ(Fields(log["results"], "ruleId ruleIndex"),
              "undeclared-image 0, unused-image 1, undeclared-weapon 3, unused-weapon 4, undeclared-button 6, "
              "duplicate-button 8");
    EXPECT_EQ(log["results"][5]["message"]["text"], "кнопка \"button_build\": объявлено больше одного раза.");

    // Image entries keep their words; a file rule's name the finding kind.
    const std::string baseline = base.Path("b.txt");
    EXPECT_EQ(Checked({"--duplicates", "--write-baseline", baseline, tree.Root()}).Status, 0);
    EXPECT_EQ(
        FileBytes(baseline),
        "# tessaron-check baseline: kind, path below the root, name\nduplicate-button\tdefs.ini\tbutton_build\n"
        "missing\tunits.ini\tgone\nundeclared-button\tunits.ini\tbutton_gone\nundeclared-weapon\tunits.ini\tlaser\n"
        "unused\tdefs.ini\there\nunused-weapon\tdefs.ini\tspare\n");
    EXPECT_EQ(Checked({"--duplicates", "--baseline", baseline, tree.Root()}).Said(), "0");
}
