#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "positions.h"
#include "temp_tree.h"
#include "workspace.h"

namespace {

std::string Where(TPosition p) {
    return std::to_string(p.Line) + ":" + std::to_string(p.Character);
}

std::string Where(const TRange& r) {
    return Where(r.Start) + "-" + Where(r.End);
}

// "U 1:19-1:22 Name" per finding: Undeclared, Unused or Duplicate (with the
// places of the other declarations).
std::string Findings(const TWorkspaceIndex& index, int32_t file) {
    std::string out;
    for (const TFinding& f : index.File(file).Findings) {
        out += std::string(1, "UND"[static_cast<int>(f.Kind)]) + " " + Where(f.Range) + " " + f.Name;
        for (const TPlace& place : f.Related) out += " @" + std::to_string(place.File) + ":" + Where(place.Range);
        out += ";";
    }
    return out;
}

std::string Places(const std::vector<TPlace>& places) {
    std::string out;
    for (const TPlace& place : places) out += std::to_string(place.File) + ":" + Where(place.Range) + ";";
    return out;
}

std::string Files(const std::vector<int32_t>& files) {
    std::string out;
    for (const int32_t file : files) out += std::to_string(file) + ";";
    return out;
}

}  // namespace

TEST(Positions, TranslateBetweenBytesAndTheProtocolsLines) {
    struct TCase {
        std::string Bytes;
        TEncoding Encoding;
        TUnits Units;
        std::size_t Offset;
        std::string Position;
    };
    const TCase cases[] = {
        {"\tab = x", TEncoding::Utf8, TUnits::Utf16, 6, "0:6"},  // a tab is one character
        {"a\nb\r\ncd", TEncoding::Utf8, TUnits::Utf16, 6, "2:1"},
        {"a\rb\rcd", TEncoding::Utf8, TUnits::Utf16, 5, "2:1"},  // a lone CR ends a line
        {"a\r\n", TEncoding::Utf8, TUnits::Utf16, 3, "1:0"},
        {"\xD0\xAF\xD0\xAF x", TEncoding::Utf8, TUnits::Utf16, 5, "0:3"},
        {"\xD0\xAF\xD0\xAF x", TEncoding::Utf8, TUnits::Utf8, 5, "0:5"},
        {"\xF0\x9F\x98\x80x", TEncoding::Utf8, TUnits::Utf16, 4, "0:2"},  // a surrogate pair
        {"\xDF\xDF x", TEncoding::Cp1251, TUnits::Utf16, 3, "0:3"},
        {"\xDF\xDF x", TEncoding::Cp1251, TUnits::Utf8, 3, "0:5"},
        {"\x88x", TEncoding::Cp1251, TUnits::Utf8, 1, "0:3"},  // the euro sign takes three bytes
        {"\xD0\xAF" + std::string(62, 'a') + " x", TEncoding::Utf8, TUnits::Utf16, 65, "0:64"},  // a long line
    };
    for (const TCase& c : cases) {
        const TLineMap map(c.Bytes, c.Encoding, c.Units);
        const TPosition position = map.PositionOf(c.Offset);
        EXPECT_EQ(Where(position), c.Position) << c.Bytes;
        EXPECT_EQ(map.OffsetOf(position), c.Offset) << c.Bytes;
    }
    EXPECT_EQ(TLineMap("ab\r\ncd", TEncoding::Utf8, TUnits::Utf16).OffsetOf({0, 9}), 2u);  // clamped to the line

    // The one walk over a text places "Bar" at (reader line, column), or
    // leaves a lone CR before it to the maps.
    const std::string bar = "ButtonImage = Bar\r\n";
    const std::string baz = "ButtonImage = Baz\r\n";
    const std::string blank(64, '\n');  // a block of the walk
    const struct {
        std::string Bytes;
        int32_t Line;
        std::string Range;
    } walks[] = {
        {blank + baz + bar + blank, 65, "65:14-65:17"},
        {blank + std::string(36, '\n') + baz + bar + blank, 101, "101:14-101:17"},
        {std::string(63, ';') + "\r\n" + bar, 1, "1:14-1:17"},  // CR LF across two blocks
        {std::string(70, ';') + "\r;\n" + bar + blank, 1, "none"},
        {"a\rb\n" + bar, 1, "none"},
        {"ButtonImage =\r Bar", 0, "none"},
    };
    for (const auto& walk : walks) {
        TLineCursor cursor(walk.Bytes, TEncoding::Utf8, TUnits::Utf16);
        std::size_t begin = 0;
        std::size_t end = 0;
        TRange range;
        cursor.RangeOf(walk.Line - 1, 1, 1, begin, end, range);  // an earlier line first
        const bool placed = cursor.RangeOf(walk.Line, 15, 3, begin, end, range);
        EXPECT_EQ(placed ? Where(range.Start) + "-" + Where(range.End) : "none", walk.Range) << walk.Bytes;
        if (placed) {
            EXPECT_EQ(walk.Bytes.substr(begin, end - begin), "Bar");
        }
    }
    EXPECT_EQ(DetectEncoding("\xD0\xAF"), TEncoding::Utf8);
    for (const char* bytes : {"\xDF\xDF", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82"}) {
        EXPECT_EQ(DetectEncoding(bytes), TEncoding::Cp1251) << bytes;
    }
}

TEST(Index, FindsWhatTheWindowFindsOnTheNamesRange) {
    struct TCase {
        std::string Declarations;  // b.ini
        std::string Uses;          // a.ini
        std::string Expected;      // findings of a.ini
    };
    const TCase cases[] = {
        {"MappedImage Foo\n", "SelectPortrait = Foo\nButtonImage = Bar\n", "U 1:14-1:17 Bar;"},
        {"mappedimage FOO\n", "\tSelectPortrait\t=\tfoo ; Bar\n", ""},
        {"", "ButtonImage = \xD0\xAF\xD0\xAF\r\nButtonImage = b\r\n", "U 0:14-0:16 \xD0\xAF\xD0\xAF;U 1:14-1:15 b;"},
        // The reader drops a lone CR; the editor starts a line there.
        {"", "\rButtonImage = Bar\nx\rButtonImage = Baz\n", "U 1:14-1:17 Bar;"},
        {"", "ButtonImage = a\rb\nButtonImage =\rc\n", "U 0:14-1:1 ab;U 3:0-3:1 c;"},
        // Ctrl+Z ends the reader's line.
        {"", "ButtonImage = Bar\x1AZ\nButtonImage = C\n", "U 0:14-0:17 Bar;U 1:14-1:15 C;"},
        {"MappedImage Foo\n", "MappedImage Foo\nMappedImage Baz\n", "D 0:12-0:15 Foo @1:0:12-0:15;N 1:12-1:15 Baz;"},
    };
    for (const TCase& c : cases) {
        TTempTree tree;
        TWorkspaceIndex index;
        index.SetRoots({tree.Root()});
        index.Open(tree.Path("a.ini"), c.Uses);
        index.Open(tree.Path("b.ini"), c.Declarations + "SelectPortrait = Foo\n");
        EXPECT_EQ(Findings(index, 0), c.Expected) << c.Uses;
    }
}

TEST(Index, ChangesTellWhichFilesFindingsChanged) {
    TTempTree tree;
    tree.File("a.ini", "ButtonImage = Foo\n");
    tree.File("b.ini", "MappedImage Bar\n");
    tree.File("sub/c.ini", "ButtonImage = Foo\n");
    TWorkspaceIndex index;
    index.SetRoots({tree.Root()});
    EXPECT_EQ(Files(index.IndexAll()), "0;1;2;");  // walk order: sub first
    EXPECT_EQ(index.FileOf(tree.Path("sub/c.ini")), 0);
    EXPECT_EQ(Findings(index, 2), "N 0:12-0:15 Bar;");
    // Declaring Foo clears both uses; a use of Bar clears its hint.
    EXPECT_EQ(Files(index.Open(tree.Path("b.ini"), "MappedImage Bar\nMappedImage Foo\n")), "0;1;");
    EXPECT_EQ(Files(index.Edit(2, {{1, 12}, {1, 15}}, "Fox")), "0;1;2;");
    EXPECT_EQ(Findings(index, 2), "N 0:12-0:15 Bar;N 1:12-1:15 Fox;");
    EXPECT_EQ(Files(index.Replace(2, "MappedImage Foo\nMappedImage Bar\n")), "0;1;2;");
    // Lines above a duplicate move the place that the other one points at.
    index.Open(tree.Path("sub/c.ini"), "MappedImage Foo\n");
    EXPECT_EQ(Files(index.Edit(0, {{0, 0}, {0, 0}}, "\n")), "0;2;");
    EXPECT_EQ(Findings(index, 2), "D 0:12-0:15 Foo @0:1:12-1:15;N 1:12-1:15 Bar;");
    EXPECT_EQ(Places(index.Declarations("foo")), "0:1:12-1:15;2:0:12-0:15;");  // walk order, not scan order
    EXPECT_EQ(Files(index.Close(0)), "0;2;");                                  // back to the disk's use
    tree.File("new.ini", "MappedImage Gone\n");
    EXPECT_EQ(Files(index.DiskChanged(tree.Path("new.ini"))), "3;");
    EXPECT_EQ(Files(index.Close(2)), "0;1;2;");  // b.ini's disk text declares nothing used
    EXPECT_EQ(Files(index.DiskChanged(tree.Path("outside.txt"))), "");
}

TEST(Index, AnswersNavigationAndEditingQueries) {
    TTempTree tree;
    tree.File("a.ini", "Obj\n  ButtonImage = Arrow\n  SelectPortrait = Arow\n");
    tree.File("b.ini", "MappedImage Arrow\n  Texture = x\nEnd\nMappedImage Arrowhead\nEnd\n");
    tree.File("m/c.ini", "MappedImage arrow\n");
    TWorkspaceIndex index;
    index.SetRoots({tree.Root()});
    index.IndexAll();
    const int32_t a = index.FileOf(tree.Path("a.ini"));
    const TItem* use = index.ItemAt(a, {1, 19});
    ASSERT_NE(use, nullptr);
    EXPECT_EQ(index.ItemAt(a, {1, 13}), nullptr);
    EXPECT_EQ(Places(index.Declarations(use->Key())), "0:0:12-0:17;2:0:12-0:17;");
    EXPECT_EQ(Places(index.Uses(use->Key())), "1:1:16-1:21;");
    const auto hover = index.Hover(a, {1, 16});
    ASSERT_TRUE(hover);
    EXPECT_EQ(hover->Block, "MappedImage arrow\n");
    EXPECT_EQ(index.Hover(index.FileOf(tree.Path("b.ini")), {3, 14})->Block, "MappedImage Arrowhead\nEnd\n");
    EXPECT_EQ(index.ClosestNames("arow", 3), (std::vector<std::string>{"arrow"}));
    EXPECT_EQ(index.WorkspaceSymbols("HEAD").size(), 1u);
    EXPECT_EQ(index.DocumentSymbols(2).size(), 2u);

    struct TCompletionCase {
        TPosition Position;
        std::string Expected;  // replaced range, then the names; "-" for none
    };
    const TCompletionCase completions[] = {
        {{1, 16}, "1:16-1:16 arrow Arrowhead"},
        {{1, 19}, "1:16-1:19 arrow Arrowhead"},
        {{2, 20}, "2:19-2:20 arrow Arrowhead"},
        {{1, 8}, "-"},
        {{0, 2}, "-"},
    };
    for (const TCompletionCase& c : completions) {
        const auto completion = index.Completion(a, c.Position);
        std::string got = "-";
        if (completion) {
            got = Where(completion->Replace);
            for (const std::string& name : completion->Names) got += " " + name;
        }
        EXPECT_EQ(got, c.Expected) << Where(c.Position);
    }
}

TEST(Index, DecodesDiskFilesAndTakesSettings) {
    TTempTree tree;
    tree.File("a.ini", "ButtonImage = \xDF\xDF\nButtonImage = Ext\nButtonImage = Base\n");       // Windows-1251
    tree.File("b.ini", "MappedImage \xD0\xAF\xD0\xAF\nMappedImage Twice\nMappedImage Twice\n");  // UTF-8
    tree.File("names.txt", "ext\n");
    tree.File("base/x.ini", "MappedImage Base\n");
    TWorkspaceIndex index(TUnits::Utf8);
    index.SetRoots({tree.Path("a.ini").substr(0, tree.Root().size())});
    index.IndexAll();
    const int32_t a = index.FileOf(tree.Path("a.ini"));
    const int32_t b = index.FileOf(tree.Path("b.ini"));
    EXPECT_EQ(index.File(a).Encoding, TEncoding::Cp1251);
    EXPECT_EQ(Findings(index, a), "U 0:14-0:18 \xD0\xAF\xD0\xAF;U 1:14-1:17 Ext;");
    TIndexSettings settings;
    settings.NameFiles = {tree.Path("names.txt")};
    settings.Unused = false;
    settings.Duplicates = false;
    settings.Encoding = TEncodingChoice::Utf8;
    EXPECT_EQ(Files(index.SetSettings(settings)), "1;2;");  // base/x.ini is 0
    EXPECT_EQ(Findings(index, b), "");
    EXPECT_EQ(Findings(index, a), "U 0:14-0:16 \xEF\xBF\xBD\xEF\xBF\xBD;");
    settings.DeclaredIn = {tree.Path("nowhere")};
    bool ok = true;
    index.SetSettings(settings, &ok);
    EXPECT_FALSE(ok);
}
