#include "line_scanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "rules.h"
#include "strip_paths.h"

using namespace std::string_literals;

namespace {

using TRecord = std::tuple<int32_t, uint32_t, std::string>;  // line, column, name

// The table's records with their names; each length must be its name's.
std::vector<TRecord> Records(const TRefTable& refs, const TNameList& names) {
    EXPECT_EQ(refs.Count(), names.Count());
    std::vector<TRecord> records;
    for (int32_t k = 0; k < std::min(refs.Count(), names.Count()); ++k) {
        EXPECT_EQ(refs[k].Length, names[k].size()) << k;
        records.emplace_back(refs[k].LineIndex, refs[k].Column, names[k]);
    }
    return records;
}

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
    // A line, the name it uses and the one it declares (empty: none), the column of the one recorded.
    std::vector<std::tuple<std::string, std::string, std::string, uint32_t>> cases = {
        {"  SelectPortrait = SNPortrait ; comment", "snportrait", "", 20},
        {"SelectPortraitX = other", "other", "", 19},
        {"selectportrait=Tight", "tight", "", 16},
        {"ButtonImage = a//b", "a", "", 15},
        {"SelectPortrait = Z@[ALongMixedCASEName\xC9\xD0TailZ@[A ; c", "z@[alongmixedcasename\xC9\xD0tailz@[a", "", 18},
        {"ButtonImage = Path/To/SomethingLonger/ ; x", "path/to/somethinglonger/", "", 15},
        {"ButtonImage                    = Far", "far", "", 34},
        {"\t  ButtonImage\t=\t MyButton   ; trailing", "mybutton", "", 19},
        {"ButtonImage = x = y", "x = y", "", 15},
        {"ButtonImage = \xA0\xC0Name\xFF", "\xA0\xC0name\xFF", "", 15},
        {"ButtonImage = a\0b\0"s, "a\0b"s, "", 15},
        {"\x01\x02SelectPortrait =\x05X\x06Y\x1f", "x\x06y", "", 20},
        {"MappedImage  SSFoo", "", "ssfoo", 14},
        {"MappedImage", "", "mappedimage", 1},
        {"MappedImage\tSSFoo", "", "mappedimage\tssfoo", 1},
        {"\t  MAPPEDIMAGE   Padded ; note", "", "padded", 18},
        {"MappedImageX Baz", "", "baz", 14},
        {"MappedImage \0c"s, "", "c", 14},
        // A comment, or the first "/" of one, at the end of a strip of 64 bytes.
        {"ButtonImage = " + std::string(49, 'L') + "//" + std::string(20, 'x'), std::string(49, 'l'), "", 15},
        {"ButtonImage = " + std::string(49, 'L') + "/a//" + std::string(20, 'x'), std::string(49, 'l') + "/a", "", 15},
        {"ButtonImage = " + std::string(48, 'L') + ";" + std::string(20, 'x'), std::string(48, 'l'), "", 15},
        {"ButtonImage" + std::string(60, ' ') + "= Far ; x", "far", "", 74},
    };
    // Lines that record nothing.
    for (const char* line : {"ButtonImage Far Away From It //= x", "ButtonImage=", "ButtonImage = ; x",
                             "; ButtonImage = x", "// ButtonImage = x", "Button = x", "ButtonImag = x",
                             "Image = ButtonImage", "MappedImage = X", "Mapped Image Foo", "", "   \t  "}) {
        cases.emplace_back(line, "", "", 0);
    }
    ForEachStripPath([&](const char*) {
        for (const auto& [line, used, declared, column] : cases) {
            SCOPED_TRACE(line);
            TScanState state;
            state.KeepDefinedPlaces = true;
            TLineScanner(state).ScanLine(line, 3, 7);
            const auto one = [column = column](const std::string& name) {
                return name.empty() ? std::vector<TRecord>{} : std::vector<TRecord>{{7, column, name}};
            };
            EXPECT_EQ(Records(state.RefTable, state.UsedNames), one(used));
            EXPECT_EQ(Records(state.DefinedPlaces, state.DefinedNames), one(declared));
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
    const TScanState unasked = Scanned(cases[0].second[0], false);
    EXPECT_EQ(unasked.OddEncodings.size(), 0u);
    EXPECT_EQ(unasked.DefinedPlaces.Count(), 0);
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
    const auto rule = [](std::string declaredBy, std::vector<TRuleUse> uses) {
        return TRule{declaredBy, declaredBy, {declaredBy}, {"none"}, {}, std::move(uses)};
    };
    const std::vector<TRule> given = {
        rule("W", {{"Weapon", "WeaponSet", {2, false}}, {"DeathWeapon", "", {}}}),
        rule("Weapon", {{"*", "List", {1, true}}}),
    };
    // A keyword with a head of 128 or above: the rules then read every line.
    std::vector<TRule> high = given;
    high.push_back(rule("\xC9", {}));
    const TRuleSet filtered(given), everyLine(high);
    ASSERT_TRUE(filtered.AsciiHeads() && !everyLine.AsciiHeads());
    const auto ruleRecords = [](const std::vector<TKindRecords>& kinds) {
        std::vector<TRecord> all;
        for (const TKindRecords& kind : kinds) {
            for (const auto& records :
                 {Records(kind.RefTable, kind.UsedNames), Records(kind.DefinedPlaces, kind.DefinedNames)}) {
                all.insert(all.end(), records.begin(), records.end());
                all.emplace_back(-1, 0, "");
            }
        }
        return all;
    };
    for (const TRuleSet* rules : {static_cast<const TRuleSet*>(nullptr), &filtered, &everyLine}) {
        ForEachStripPath([&](const char*) {
            for (std::size_t shift = 0; shift < 64; ++shift) {
                SCOPED_TRACE(shift);
                const std::string text = std::string(shift, ' ') + "\n" + body;
                TScanState whole;
                whole.KeepDefinedPlaces = true;
                whole.Rules = rules;
                TMemorySource wholeSource(text);
                TLineScanner(whole).ScanText(wholeSource, 1);
                TScanState byLine;
                byLine.KeepDefinedPlaces = true;
                TLineScanner lineScanner(byLine);
                std::vector<TKindRecords> kinds;
                TRuleReader ruleReader(rules != nullptr ? *rules : filtered, kinds);
                ForEachLine(text, [&](std::string_view read, int32_t line) {
                    lineScanner.ScanLine(read, 1, line);
                    if (rules != nullptr) ruleReader.ReadLine(read, 1, line);
                });
                ASSERT_GT(whole.RefTable.Count(), 20);
                EXPECT_EQ(Records(whole.RefTable, whole.UsedNames), Records(byLine.RefTable, byLine.UsedNames));
                EXPECT_EQ(Records(whole.DefinedPlaces, whole.DefinedNames),
                          Records(byLine.DefinedPlaces, byLine.DefinedNames));
                if (rules == nullptr) continue;
                ASSERT_GT(kinds.at(1).RefTable.Count(), 30);
                EXPECT_EQ(ruleRecords(whole.RuleRecords), ruleRecords(kinds));
            }
        });
    }
}

// Long runs of line ends, of blanks, of lone CRs that end no line, and a
// 100 MiB line with no end that is one reference: no field stops at 16 bits.
TEST(LineScanner, LongRunsOfLineEndsAndOfNames) {
    const TScanState empties = Scanned(std::string(100000, '\n') + std::string(70000, ' ') + "ButtonImage = Late");
    EXPECT_EQ(Records(empties.RefTable, empties.UsedNames), (std::vector<TRecord>{{100000, 70015, "late"}}));
    const TScanState crs = Scanned(std::string(50000, '\r') + "\r\nButtonImage = x\r\r\n");
    EXPECT_EQ(Records(crs.RefTable, crs.UsedNames), (std::vector<TRecord>{{1, 15, "x"}}));
    constexpr std::size_t kRun = std::size_t{100} << 20;
    const TScanState state = Scanned("MappedImage q\nButtonImage = " + std::string(kRun, 'Q'));
    ASSERT_EQ(state.RefTable.Count(), 1);
    const TRefRec& ref = state.RefTable[0];
    EXPECT_EQ(std::tie(ref.FileIndex, ref.LineIndex, ref.Column, ref.Length),
              std::make_tuple(70000u, 1, 15u, uint32_t{kRun}));
    EXPECT_TRUE(state.UsedNames[0] == std::string(kRun, 'q'));  // no 100 MiB message when it fails
    EXPECT_EQ(Records(state.DefinedPlaces, state.DefinedNames), (std::vector<TRecord>{{0, 13, "q"}}));
}
