#include "text_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> LinesOf(const std::string& bytes, std::size_t chunk = kReadChunk) {
    TMemorySource source(bytes);
    TTextReader reader(source, chunk);
    std::vector<std::string> lines;
    while (!reader.Eof()) lines.emplace_back(reader.ReadLine());
    return lines;
}

using Lines = std::vector<std::string>;

struct TReaderCase {
    const char* Name;
    std::string Bytes;
    Lines Expected;
};

const std::string kZ = "\x1a";

}  // namespace

TEST(TextReader, LineRules) {
    const TReaderCase cases[] = {
        {"empty file", "", {}},
        {"no final line end", "abc", {"abc"}},
        {"LF", "a\nb\n", {"a", "b"}},
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"blank lines count", "\n\r\n\nx", {"", "", "", "x"}},
        {"lone CR is dropped and ends nothing", "a\rb\r\nc\r", {"ab", "c"}},
        {"CR only file is one line", "a\rb\rc\r", {"abc"}},
        {"Ctrl+Z at a line start ends the file", "a\n" + kZ + "b\nc\n", {"a"}},
        {"Ctrl+Z inside a line ends only that line", "ab" + kZ + "cd\r\nef", {"ab", "ef"}},
        {"Ctrl+Z in the skipped rest ends the file", "ab" + kZ + "c" + kZ + "d\nef", {"ab"}},
        {"Ctrl+Z as the first byte of the file", kZ + "abc", {}},
        {"NUL bytes are text", std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
    };
    for (const TReaderCase& c : cases) {
        EXPECT_EQ(LinesOf(c.Bytes), c.Expected) << c.Name;
        EXPECT_EQ(LinesOf(c.Bytes, 3), c.Expected) << c.Name << ", read 3 bytes at a time";
    }
}

TEST(TextReader, CtrlZAtABlockStartEndsTheFileInsideALine) {
    for (std::size_t at : {std::size_t{128}, std::size_t{256}, kReadChunk}) {
        std::string bytes(at, 'x');
        bytes += kZ + "tail\nnext\n";
        EXPECT_EQ(LinesOf(bytes), Lines{std::string(at, 'x')}) << at;
        EXPECT_EQ(LinesOf(bytes, 100), Lines{std::string(at, 'x')}) << at << " in 100-byte reads";
    }
    // One byte off the block start, it ends only its line.
    std::string bytes(127, 'x');
    bytes += kZ + "tail\nnext\n";
    EXPECT_EQ(LinesOf(bytes), (Lines{std::string(127, 'x'), "next"}));
}

TEST(TextReader, CtrlZInEveryPositionOfABlock) {
    for (std::size_t at = 0; at < 128; ++at) {
        std::string bytes(128, 'a');
        bytes[at] = kZ[0];
        bytes += "\nlast\n";
        const Lines lines = LinesOf(bytes);
        if (at == 0) {
            EXPECT_TRUE(lines.empty());
        } else {
            EXPECT_EQ(lines, (Lines{std::string(at, 'a'), "last"})) << at;
        }
    }
}

TEST(TextReader, LongLinesAcrossChunks) {
    const std::string longLine(300000, 'q');
    EXPECT_EQ(LinesOf(longLine + "\r\nend"), (Lines{longLine, "end"}));
    EXPECT_EQ(LinesOf("ab\r\ncd\r\n", 3), (Lines{"ab", "cd"}));  // CR and LF in separate reads
}
