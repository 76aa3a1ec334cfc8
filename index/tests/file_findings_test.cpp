#include "file_findings.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "fixtures.h"
#include "temp_tree.h"
#include "workspace.h"

TEST(FileFindings, EachKindAsAskedAndWhatIsDeclaredElsewhere) {
    // a.ini's text, the kinds asked for (unused, duplicates), and a.ini's findings;
    // b.ini declares Twin and uses Kept, base/ declares Based, names.txt lists Listed.
    const std::tuple<std::string, bool, bool, std::string> cases[] = {
        {"ButtonImage = Nothing\nButtonImage = Based\nButtonImage = LISTED\n", true, true, "U 0:14-0:21 Nothing;"},
        {"MappedImage Kept\nMappedImage Spare\n", true, true, "N 1:12-1:17 Spare;"},
        {"MappedImage Kept\nMappedImage Spare\n", false, true, ""},
        {"MappedImage Twin\nButtonImage = Twin\n", true, true, "D 0:12-0:16 Twin @1:0:12-0:16;"},
        {"MappedImage Twin\nButtonImage = Twin\n", true, false, ""},
        // A name declared elsewhere and here is still this tree's to use.
        {"MappedImage Based\n", true, true, "N 0:12-0:17 Based;"},
        {"ButtonImage = Twin\nMappedImage A\nMappedImage A\n", true, true,
         "N 1:12-1:13 A;D 1:12-1:13 A @0:2:12-2:13;N 2:12-2:13 A;D 2:12-2:13 A @0:1:12-1:13;"},
    };
    for (const auto& [text, unused, duplicates, expected] : cases) {
        TTempTree tree;
        tree.File("base/c.ini", "MappedImage Based\n");
        tree.File("names.txt", "Listed\n");
        tree.File("w/a.ini", text);
        tree.File("w/b.ini", "MappedImage Twin\nButtonImage = Kept\n");
        const TWorkspaceIndex index = Indexed(tree, "w", {{"base"}, {"names.txt"}, unused, duplicates});
        EXPECT_EQ(Described(index.File(0).Findings), expected) << text;
    }
}
