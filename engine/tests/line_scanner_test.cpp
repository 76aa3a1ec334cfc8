#include "line_scanner.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace {

struct TLineCase {
    std::string Line;
    std::string Used;  // empty: no reference
    uint32_t Column;
    std::string Declared;  // empty: no declaration
};

}  // namespace

TEST(LineScanner, RecordsReferencesAndDeclarations) {
    const TLineCase cases[] = {
        {"  SelectPortrait = SNPortrait ; comment", "snportrait", 20, ""},
        {"ButtonImage = button", "button", 15, ""},
        {"\tButtonImage = Foo", "foo", 16, ""},
        {"        SelectPortrait      = Pad", "pad", 31, ""},
        {"SelectPortraitX = other", "other", 19, ""},
        {"selectportrait=Tight", "tight", 16, ""},
        {"ButtonImage = a//b", "a", 15, ""},
        {"SelectPortrait = LongMixedCASEName\xC9\xD0Tail ; c", "longmixedcasename\xC9\xD0tail", 18, ""},
        {"ButtonImage = Path/To/SomethingLonger/ ; x", "path/to/somethinglonger/", 15, ""},
        {"ButtonImage                    = Far", "far", 34, ""},
        {"\t  ButtonImage\t=\t MyButton   ; trailing", "mybutton", 19, ""},
        {"ButtonImage Far Away From It //= x", "", 0, ""},
        {"ButtonImage = x = y", "x = y", 15, ""},
        {"ButtonImage = \xC0\xC1Name", "\xC0\xC1name", 15, ""},
        {"ButtonImage=", "", 0, ""},
        {"ButtonImage = ; x", "", 0, ""},
        {"; ButtonImage = x", "", 0, ""},
        {"// ButtonImage = x", "", 0, ""},
        {"Button = x", "", 0, ""},
        {"ButtonImag = x", "", 0, ""},
        {"Image = ButtonImage", "", 0, ""},
        {"MappedImage  SSFoo", "", 0, "ssfoo"},
        {"MappedImage", "", 0, "mappedimage"},
        {"MappedImage\tSSFoo", "", 0, "mappedimage\tssfoo"},
        {"  MappedImage Bar ; old", "", 0, "bar"},
        {"MappedImageX Baz", "", 0, "baz"},
        {"MappedImage = X", "", 0, ""},
        {"Mapped Image Foo", "", 0, ""},
        {"", "", 0, ""},
        {"   \t  ", "", 0, ""},
    };
    for (const TLineCase& c : cases) {
        TScanState state;
        TLineScanner(state).ScanLine(c.Line, 3, 7);
        SCOPED_TRACE(c.Line);
        ASSERT_EQ(state.UsedNames.Count(), state.RefTable.Count());
        if (c.Used.empty()) {
            EXPECT_EQ(state.UsedNames.Count(), 0);
        } else {
            ASSERT_EQ(state.UsedNames.Count(), 1);
            EXPECT_EQ(state.UsedNames[0], c.Used);
            const TRefRec& ref = state.RefTable[0];
            EXPECT_EQ(ref.FileIndex, 3u);
            EXPECT_EQ(ref.LineIndex, 7);
            EXPECT_EQ(ref.Column, c.Column);
            EXPECT_EQ(ref.Length, c.Used.size());
        }
        if (c.Declared.empty()) {
            EXPECT_EQ(state.DefinedNames.Count(), 0);
        } else {
            ASSERT_EQ(state.DefinedNames.Count(), 1);
            EXPECT_EQ(state.DefinedNames[0], c.Declared);
        }
    }
}

TEST(LineScanner, DeclarationPlacesAreKeptOnlyWhenAsked) {
    // Long enough for the scan's 64-byte windows; each declaration's place must
    // point at its name in the line as read.
    std::string text;
    for (int i = 0; i < 6; ++i) {
        text += "; filler line number " + std::to_string(i) + " to make the file longer than a window\r\n";
        text += "MappedImage Plain" + std::to_string(i) + "\r\n";
        text += "\t  MAPPEDIMAGE   Padded" + std::to_string(i) + "   ; note\r\n";
        text += "  ButtonImage = Used" + std::to_string(i) + "\r\n";
    }
    text += "MappedImage\r\n";
    const std::vector<std::string> lines = [&] {
        std::vector<std::string> split;
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = text.find("\r\n", at);
            split.push_back(text.substr(at, end - at));
            at = end + 2;
        }
        return split;
    }();
    for (const bool keep : {false, true}) {
        TScanState state;
        state.KeepDefinedPlaces = keep;
        TMemorySource source(text);
        TLineScanner(state).ScanText(source, 4);
        ASSERT_EQ(state.DefinedNames.Count(), 13);
        ASSERT_EQ(state.DefinedPlaces.Count(), keep ? 13 : 0);
        for (int32_t i = 0; i < state.DefinedPlaces.Count(); ++i) {
            const TRefRec& place = state.DefinedPlaces[i];
            EXPECT_EQ(place.FileIndex, 4u);
            EXPECT_EQ(place.LineIndex, i == 12 ? 24 : (i / 2) * 4 + 1 + i % 2);
            std::string named = lines[static_cast<std::size_t>(place.LineIndex)].substr(place.Column - 1, place.Length);
            for (char& c : named) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            EXPECT_EQ(named, state.DefinedNames[i]) << i;
        }
        state.Reset();
        EXPECT_EQ(state.DefinedPlaces.Count(), 0);
        EXPECT_EQ(state.KeepDefinedPlaces, keep) << "the wish outlives a reset";
    }
}

TEST(LineScanner, WholeTextScanRecordsWhatLineByLineDoesAtEveryAlignment) {
    // Lines that end in their key's window, in the next one or batches later,
    // and indents across windows; then what the reader must judge: lone CRs
    // restart the scan at their next line, and a Ctrl+Z at a 128-byte block
    // start ends the file.
    const std::string pieces[] = {
        "  SelectPortrait = Near\r\n",
        "ButtonImage=" + std::string(1100, 'x') + "\n",
        std::string(70, ' ') + "MappedImage Deep\r\n",
        "\t  ButtonImage\t=\t Tab ; c\n",
        "Side = 1\nBehavior = x\n",
        "  ButtonImage = PlainLineEnd\nSelectPortrait=Tight\n",
        "MappedImage Plain\n",
    };
    std::string body;
    for (int i = 0; i < 60; ++i) body += pieces[(i * 3) % 7];
    body +=
        "ButtonImage = Cr\rInside\r\nMappedImage Twice\r\r\nButtonImage = Next\n"
        "SelectPortrait = Before\x1A"
        "After\nButtonImage = End\n";
    for (std::size_t shift = 0; shift < 64; ++shift) {
        const std::string text = std::string(shift, ' ') + "\n" + body;
        SCOPED_TRACE(shift);
        TScanState whole;
        TMemorySource source(text);
        TLineScanner(whole).ScanText(source, 1);
        TScanState byLine;
        TLineScanner lineScanner(byLine);
        TMemorySource again(text);
        TTextReader reader(again);
        for (int32_t line = 0; !reader.Eof(); ++line) lineScanner.ScanLine(reader.ReadLine(), 1, line);
        ASSERT_EQ(whole.RefTable.Count(), byLine.RefTable.Count());
        ASSERT_GT(whole.RefTable.Count(), 20);
        for (int32_t k = 0; k < whole.RefTable.Count(); ++k) {
            EXPECT_EQ(whole.UsedNames[k], byLine.UsedNames[k]);
            EXPECT_EQ(whole.RefTable[k].LineIndex, byLine.RefTable[k].LineIndex);
            EXPECT_EQ(whole.RefTable[k].Column, byLine.RefTable[k].Column);
        }
        ASSERT_EQ(whole.DefinedNames.Count(), byLine.DefinedNames.Count());
        for (int32_t k = 0; k < whole.DefinedNames.Count(); ++k)
            EXPECT_EQ(whole.DefinedNames[k], byLine.DefinedNames[k]);
    }
}
