#include "line_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "rules.h"
#include "strip_paths.h"

using namespace std::string_literals;

namespace {

// With `asked`, declarations' places are kept and odd encodings noted; without,
// the state's defaults hold.
TScanState Scanned(const std::string& bytes, bool asked = true) {
    TScanState state;
    if (asked) state.KeepDefinedPlaces = state.NoteEncodings = true;
    TMemorySource source(bytes);
    TLineScanner(state).ScanText(source, 70000);
    return state;
}

}  // namespace

TEST(LineScanner, RecordsReferencesAndDeclarations) {
    const std::string at63 = "ButtonImage = " + std::string(49, 'L'), l49(49, 'l');
    // A line and what it records, declarations with "D ".
    std::vector<std::pair<std::string, std::string>> cases = {
        {"  SelectPortrait = SNPortrait ; comment", "3:7:20 snportrait\n"},
        {"SelectPortraitX = other", "3:7:19 other\n"},
        {"selectportrait=Tight", "3:7:16 tight\n"},
        {"ButtonImage = a//b", "3:7:15 a\n"},
        {"SelectPortrait = Z@[ALongMixedCASEName\xC9\xD0TailZ@[A ; c",
         "3:7:18 z@[alongmixedcasename\xC9\xD0tailz@[a\n"},
        {"ButtonImage = Path/To/SomethingLonger/ ; x", "3:7:15 path/to/somethinglonger/\n"},
        {"ButtonImage                    = Far", "3:7:34 far\n"},
        {"\t  ButtonImage\t=\t MyButton   ; trailing", "3:7:19 mybutton\n"},
        {"ButtonImage = x = y", "3:7:15 x = y\n"},
        {"ButtonImage = \xA0\xC0Name\xFF", "3:7:15 \xA0\xC0name\xFF\n"},
        {"ButtonImage = a\0b\0"s, "3:7:15 a\0b\n"s},
        {"\x01\x02SelectPortrait =\x05X\x06Y\x1f", "3:7:20 x\x06y\n"},
        {"MappedImage  SSFoo", "D 3:7:14 ssfoo\n"},
        {"MappedImage", "D 3:7:1 mappedimage\n"},
        {"MappedImage\tSSFoo", "D 3:7:1 mappedimage\tssfoo\n"},
        {"\t  MAPPEDIMAGE   Padded ; note", "D 3:7:18 padded\n"},
        {"MappedImageX Baz", "D 3:7:14 baz\n"},
        {"MappedImage \0c"s, "D 3:7:14 c\n"},
        // A comment, or the first "/" of one, at the end of a strip of 64 bytes.
        {at63 + "//" + std::string(20, 'x'), "3:7:15 " + l49 + "\n"},
        {at63 + "/a//" + std::string(20, 'x'), "3:7:15 " + l49 + "/a\n"},
        {at63.substr(0, 62) + ";" + std::string(20, 'x'), "3:7:15 " + l49.substr(1) + "\n"},
        {"ButtonImage" + std::string(60, ' ') + "= Far ; x", "3:7:74 far\n"},
    };
    // Lines that record nothing.
    for (const char* line : {"ButtonImage Far Away From It //= x", "ButtonImage=", "ButtonImage = ; x",
                             "; ButtonImage = x", "// ButtonImage = x", "Button = x", "ButtonImag = x",
                             "Image = ButtonImage", "MappedImage = X", "Mapped Image Foo", "", "   \t  "}) {
        cases.emplace_back(line, "");
    }
    ForEachStripPath([&](const char*) {
        for (const auto& [line, expected] : cases) {
            TScanState state;
            state.KeepDefinedPlaces = true;
            TLineScanner(state).ScanLine(line, 3, 7);
            EXPECT_EQ(Records(state), expected) << line;
        }
    });
}

// Files whose first line the reader cannot take as written are noted, and
// declarations' places kept, only when asked; the wish outlives a reset.
TEST(LineScanner, NotesEncodingsAndKeepsPlacesOnlyWhenAsked) {
    const std::pair<TOddEncoding, std::vector<std::string>> cases[] = {
        {TOddEncoding::Utf8Bom, {"\xEF\xBB\xBFMappedImage A\r\n", "\xEF\xBB\xBF \tbuttonIMAGE = a"}},
        {TOddEncoding::Utf16, {"\xFF\xFE", "\xFE\xFF\0M", "M\0a\0"s, "\0M\0a\0p"s}},
        // The key on a later line; too short to tell; NULs where characters should be.
        {TOddEncoding::None,
         {"\xEF\xBB\xBF; a comment\nMappedImage A", "\xEF\xBB\xBF\nMappedImage A", "MappedImage A\r\n", "M\0a"s,
          "M\0a\0\0\0"s, "\0\0a\0"s, ""}},
    };
    for (const auto& [expected, heads] : cases) {
        for (const std::string& head : heads) {
            const TScanState state = Scanned(head);
            const TEncodingNote note =
                state.OddEncodings.empty() ? TEncodingNote{70000, TOddEncoding::None} : state.OddEncodings[0];
            EXPECT_EQ(note.Encoding, expected) << head;
            EXPECT_EQ(note.FileIndex, 70000u);
        }
    }
    const TScanState unasked = Scanned(cases[0].second[0] + "MappedImage B\n", false);
    EXPECT_EQ(unasked.OddEncodings.size(), 0u);
    EXPECT_EQ(std::make_pair(unasked.DefinedNames.Count(), unasked.DefinedPlaces.Count()), std::make_pair(1, 0));
    TScanState asked = Scanned(cases[0].second[0]);
    asked.Reset();
    EXPECT_TRUE(asked.KeepDefinedPlaces && asked.DefinedPlaces.Count() == 0);
}

// With file rules too: the whole-text scan hands the rules only the lines
// that may matter to them, in order, and they record what every line gives.
TEST(LineScanner, WholeTextScanRecordsWhatLineByLineDoesAtEveryAlignment) {
    // Lines that end in their key's strip, in the next one or batches later,
    // and indents across strips; then what the reader must judge: lone CRs
    // restart the scan at their next line, and a Ctrl+Z at a 128-byte block
    // start ends the file. Short lines and heads of 128 and above for the rules.
    const std::string pieces[] = {
        "  SelectPortrait = Near\r\n",
        "ButtonImage=" + std::string(1100, 'x') + "\n",
        std::string(70, ' ') + "MappedImage Deep\r\n",
        "\t  ButtonImage\t=\t Tab ; c\n",
        "Side = 1\nBehavior = x\nEnd\n",
        "  ButtonImage = PlainLineEnd\nSelectPortrait=Tight\nWeaponSet\n Weapon = P Gun\n",
        "MappedImage Plain\nMappedImage\nW x\n",
        "\xC9 \xE0\xE1\nList\n\xC9=Hi\n1 = A B\n\xC9\xE0W High\n",
        "\x01Weapon = P NONE\nDeathWeapon =Zap//c\n",
    };
    std::string body;
    for (int i = 0; i < 60; ++i) body += pieces[(i * 4) % 9];
    body +=
        "ButtonImage = Cr\rInside\r\nMappedImage Twice\r\r\nButtonImage = Next\nW = Cr\rHere\nW X\rY\n"
        "SelectPortrait = Before\x1A"
        "After\nButtonImage = End\nDeathWeapon = Last";
    const std::vector<TRule> given = {
        Rule("W", "W", {"none"}, {{"Weapon", "WeaponSet", {2, false}}, {"DeathWeapon", "", {}}}),
        Rule("Weapon", "Weapon", {"none"}, {{"*", "List", {1, true}}}),
    };
    // A keyword with a head of 128 or above: the rules then read every line.
    std::vector<TRule> high = given;
    high.push_back(Rule("\xC9", "\xC9", {}, {}));
    const TRuleSet filtered(given), everyLine(high);
    ASSERT_TRUE(filtered.AsciiHeads() && !everyLine.AsciiHeads());
    for (const TRuleSet* rules : {static_cast<const TRuleSet*>(nullptr), &filtered, &everyLine}) {
        ForEachStripPath([&](const char*) {
            for (std::size_t shift = 0; shift < 64; ++shift) {
                SCOPED_TRACE(shift);
                const std::string text = std::string(shift, ' ') + "\n" + body;
                TScanState whole, byLine;
                whole.KeepDefinedPlaces = byLine.KeepDefinedPlaces = true;
                whole.Rules = rules;
                TMemorySource wholeSource(text);
                TLineScanner(whole).ScanText(wholeSource, 1);
                TLineScanner lineScanner(byLine);
                TRuleReader ruleReader(rules != nullptr ? *rules : filtered, byLine.RuleRecords);
                ForEachLine(text, [&](std::string_view read, int32_t line) {
                    lineScanner.ScanLine(read, 1, line);
                    if (rules != nullptr) ruleReader.ReadLine(read, 1, line);
                });
                ASSERT_GT(whole.RefTable.Count(), 20);
                if (rules != nullptr) {
                    ASSERT_GT(byLine.RuleRecords.at(1).RefTable.Count(), 30);
                }
                EXPECT_EQ(Records(whole), Records(byLine));
            }
        });
    }
}

// Long runs of line ends, of blanks, of lone CRs that end no line, and a
// 100 MiB line with no end that is one reference: no field stops at 16 bits.
TEST(LineScanner, LongRunsOfLineEndsAndOfNames) {
    const TScanState empties = Scanned(std::string(100000, '\n') + std::string(70000, ' ') + "ButtonImage = Late");
    EXPECT_EQ(Records(empties), "70000:100000:70015 late\n");
    const TScanState crs = Scanned(std::string(50000, '\r') + "\r\nButtonImage = x\r\r\n");
    EXPECT_EQ(Records(crs), "70000:1:15 x\n");
    constexpr std::size_t kRun = std::size_t{100} << 20;
    const TScanState state = Scanned("MappedImage q\nButtonImage = " + std::string(kRun, 'Q'));
    ASSERT_EQ(state.RefTable.Count(), 1);
    const TRefRec& ref = state.RefTable[0];
    EXPECT_EQ(std::tie(ref.FileIndex, ref.LineIndex, ref.Column, ref.Length),
              std::make_tuple(70000u, 1, 15u, uint32_t{kRun}));
    EXPECT_TRUE(state.UsedNames[0] == std::string(kRun, 'q'));  // no 100 MiB message when it fails
    EXPECT_EQ(Records(state.DefinedPlaces, state.DefinedNames), "70000:0:13 q\n");
}
