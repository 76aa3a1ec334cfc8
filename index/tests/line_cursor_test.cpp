#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "positions.h"
#include "strip_paths.h"

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
                std::size_t begin = 0;
                std::size_t stop = 0;
                TRange range;
                placed = cursor.RangeOf(line, 1, 2, begin, stop, range);
                if (!placed) break;
                EXPECT_EQ(begin, start) << k << ", line " << line;
                EXPECT_EQ(stop, start + 2);
                EXPECT_TRUE(range == map.RangeOf(start, start + 2)) << k << ", line " << line;
            }
            EXPECT_TRUE(placed || loneCr) << k;
        }
    });
}
