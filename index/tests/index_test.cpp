#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "names.h"
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

using TFiles = std::vector<int32_t>;

}  // namespace

TEST(Positions, TranslateBetweenBytesAndTheProtocolsLines) {
    // Bytes, their encoding, an offset and its position in UTF-16 and in UTF-8 units.
    const std::tuple<std::string, TEncoding, std::size_t, std::string, std::string> cases[] = {
        {"\tab = x", TEncoding::Utf8, 6, "0:6", "0:6"},  // a tab is one character
        {"a\nb\r\ncd", TEncoding::Utf8, 6, "2:1", "2:1"},
        {"a\rb\rcd", TEncoding::Utf8, 5, "2:1", "2:1"},  // a lone CR ends a line
        {"a\r\n", TEncoding::Utf8, 3, "1:0", "1:0"},
        {"\xD0\xAF\xD0\xAF x", TEncoding::Utf8, 5, "0:3", "0:5"},
        {"\xF0\x9F\x98\x80x", TEncoding::Utf8, 4, "0:2", "0:4"},  // a surrogate pair
        {"\xDF\xDF x", TEncoding::Cp1251, 3, "0:3", "0:5"},
        {"\x88x", TEncoding::Cp1251, 1, "0:1", "0:3"},  // the euro sign takes three bytes
        {"\xD0\xAF" + std::string(62, 'a') + " x", TEncoding::Utf8, 65, "0:64", "0:65"},  // a long line
    };
    for (const auto& [bytes, encoding, offset, utf16, utf8] : cases) {
        for (const auto& [units, expected] : {std::pair{TUnits::Utf16, utf16}, std::pair{TUnits::Utf8, utf8}}) {
            const TLineMap map(bytes, encoding, units);
            const TPosition position = map.PositionOf(offset);
            EXPECT_EQ(Where(position), expected) << bytes;
            EXPECT_EQ(map.OffsetOf(position), offset) << bytes;
        }
    }
    EXPECT_EQ(TLineMap("ab\r\ncd", TEncoding::Utf8, TUnits::Utf16).OffsetOf({0, 9}), 2u);  // clamped to the line

    EXPECT_EQ(DetectEncoding("\xD0\xAF\xEF\xBC\x81"), TEncoding::Utf8);
    for (const char* bytes : {"\xDF\xDF", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82"})
        EXPECT_EQ(DetectEncoding(bytes), TEncoding::Cp1251) << bytes;
}

TEST(NameTable, EntriesStayInPlaceThroughGrowthAndErasure) {
    TNameTable table;
    std::map<std::string, TNameEntry*> model;
    std::mt19937 random(7);
    for (int step = 0; step < 20000; ++step) {
        const std::string key = "n" + std::to_string(random() % 3000);
        const auto held = model.find(key);
        if (random() % 3 == 0) {
            TNameEntry* entry = table.Find(key);
            ASSERT_EQ(entry, held == model.end() ? nullptr : held->second) << key;
            if (entry == nullptr) continue;
            table.Erase(*entry);
            model.erase(held);
        } else {
            TNameEntry& entry = table.Insert(key);
            ASSERT_EQ(entry.Key, key);
            if (held != model.end()) {
                ASSERT_EQ(&entry, held->second) << key;
                continue;
            }
            EXPECT_TRUE(entry.Places.Uses.empty()) << key;  // an erased entry comes back empty
            entry.Places.Uses.push_back({step, 0});
            model[key] = &entry;
        }
    }
    std::size_t visited = 0;
    table.ForEach([&](const TNameEntry& entry) {
        ++visited;
        EXPECT_EQ(model.at(entry.Key), &entry);
    });
    EXPECT_EQ(visited, model.size());
}

TEST(Index, FindsWhatTheWindowFindsOnTheNamesRange) {
    const std::string blank(64, '\n');
    // The declaring b.ini, the using a.ini, and a.ini's findings.
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"mappedimage FOO\n", "\tSelectPortrait\t=\tfoo ; Bar\n", ""},
        {"", "ButtonImage = \xD0\xAF\xD0\xAF\r\nButtonImage = b\r\n", "U 0:14-0:16 \xD0\xAF\xD0\xAF;U 1:14-1:15 b;"},
        // The reader drops a lone CR; the editor starts a line there.
        {"", "\rButtonImage = Bar\nx\rButtonImage = Baz\n", "U 1:14-1:17 Bar;"},
        {"", "ButtonImage = a\rb\nButtonImage =\rc\n", "U 0:14-1:1 ab;U 3:0-3:1 c;"},
        // Ctrl+Z ends the reader's line.
        {"", "ButtonImage = Bar\x1AZ\nButtonImage = C\n", "U 0:14-0:17 Bar;U 1:14-1:15 C;"},
        {"MappedImage Foo\n", "MappedImage Foo\nMappedImage Baz\n", "D 0:12-0:15 Foo @1:0:12-0:15;N 1:12-1:15 Baz;"},
        // Lines found 64 bytes at a time: past whole blocks, a CR LF across
        // two, a lone CR within one.
        {"", blank + "ButtonImage = Baz\n" + std::string(40, '\n') + "ButtonImage = Bar\n" + blank,
         "U 64:14-64:17 Baz;U 105:14-105:17 Bar;"},
        {"", std::string(63, ';') + "\r\nButtonImage = Bar\r\n" + blank, "U 1:14-1:17 Bar;"},
        {"", std::string(70, ';') + "\r;\nButtonImage = Bar\n" + blank, "U 2:14-2:17 Bar;"},
    };
    for (const auto& [declarations, uses, expected] : cases) {
        TTempTree tree;
        TWorkspaceIndex index;
        index.SetRoots({tree.Root()});
        index.Open(tree.Path("a.ini"), uses);
        index.Open(tree.Path("b.ini"), declarations + "SelectPortrait = Foo\n");
        EXPECT_EQ(Findings(index, 0), expected) << uses;
    }
}

TEST(Index, ChangesTellWhichFilesFindingsChanged) {
    TTempTree tree;
    tree.File("a.ini", "ButtonImage = Foo\n");
    tree.File("b.ini", "MappedImage Bar\n");
    tree.File("sub/c.ini", "ButtonImage = Foo\n");
    TWorkspaceIndex index;
    index.SetRoots({tree.Root()});
    EXPECT_EQ(index.IndexAll(), TFiles({0, 1, 2}));  // walk order: sub first
    EXPECT_EQ(index.FileOf(tree.Path("sub/c.ini")), 0);
    EXPECT_EQ(Findings(index, 2), "N 0:12-0:15 Bar;");
    // Declaring Foo clears both uses; a use of Bar clears its hint.
    EXPECT_EQ(index.Open(tree.Path("b.ini"), "MappedImage Bar\nMappedImage Foo\n"), TFiles({0, 1}));
    EXPECT_EQ(index.Edit(2, {{1, 12}, {1, 15}}, "Fox"), TFiles({0, 1, 2}));
    EXPECT_EQ(Findings(index, 2), "N 0:12-0:15 Bar;N 1:12-1:15 Fox;");
    EXPECT_EQ(index.Replace(2, "MappedImage Foo\nMappedImage Bar\n"), TFiles({0, 1, 2}));
    // Lines above a duplicate move the place that the other one points at.
    index.Open(tree.Path("sub/c.ini"), "MappedImage Foo\n");
    EXPECT_EQ(index.Edit(0, {{0, 0}, {0, 0}}, "\n"), TFiles({0, 2}));
    EXPECT_EQ(Findings(index, 2), "D 0:12-0:15 Foo @0:1:12-1:15;N 1:12-1:15 Bar;");
    EXPECT_EQ(index.Declarations("foo"),
              (std::vector<TPlace>{{0, {{1, 12}, {1, 15}}}, {2, {{0, 12}, {0, 15}}}}));  // walk order, not scan order
    EXPECT_EQ(index.DiskChanged(tree.Path("sub/c.ini")), TFiles({}));                    // the editor's text holds
    EXPECT_EQ(index.Close(0), TFiles({0, 2}));                                           // back to the disk's use
    tree.File("new.ini", "MappedImage Gone\n");
    EXPECT_EQ(index.DiskChanged(tree.Path("new.ini")), TFiles({3}));
    EXPECT_EQ(index.Close(2), TFiles({0, 1, 2}));  // b.ini's disk text declares nothing used
    EXPECT_EQ(index.DiskChanged(tree.Path("outside.txt")), TFiles({}));
}
