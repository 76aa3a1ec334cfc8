#include "positions.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <utility>

#include "fixtures.h"
#include "strip_paths.h"

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

// The cursor places names as the map of lines does, on every width, in texts
// with long and short lines, CR LF and lone CRs; it gives up (and the caller
// takes the map) only once a lone CR is near.
TEST(LineCursor, PlacesNamesAsTheMapOfLinesDoes) {
    std::mt19937 random(31);
    const std::string pieces[] = {"ab", "\xD0\xAF", "\n", "\r\n", "\n", std::string(70, 'w'), "\xF0\x9F\x98\x80", " "};
    ForEachStripPath([&](const char*) {
        for (int k = 0; k < 200; ++k) {
            std::string bytes;
            const bool loneCr = k % 4 == 0;
            for (int p = 0; p < 120; ++p) bytes += pieces[random() % std::size(pieces)];
            if (loneCr) bytes.insert(random() % bytes.size(), "\r");
            const TReaderLines lines(bytes);
            const TLineMap map(bytes, TEncoding::Utf8, TUnits::Utf16);
            TLineCursor cursor(bytes, TEncoding::Utf8, TUnits::Utf16);
            bool placed = true;
            for (int32_t line = 0; placed && line < lines.Count(); line += 1 + static_cast<int32_t>(random() % 3)) {
                const std::size_t start = lines.LineStart(line);
                const std::size_t end = line + 1 < lines.Count() ? lines.LineStart(line + 1) - 1 : bytes.size();
                if (end - start < 2 || bytes.compare(start, 2, "ab") != 0) continue;
                std::size_t begin = 0, stop = 0;
                TRange range;
                if (!(placed = cursor.RangeOf(line, 1, 2, begin, stop, range))) break;
                EXPECT_TRUE(begin == start && stop == start + 2 && range == map.RangeOf(start, start + 2))
                    << k << ", " << line;
            }
            EXPECT_TRUE(placed || loneCr) << k;
        }
    });
}
