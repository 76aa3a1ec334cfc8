#include "positions.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "fixtures.h"

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
