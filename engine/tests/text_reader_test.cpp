#include "text_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A chunk of 0 lends the reader the bytes whole.
std::vector<std::string> LinesOf(const std::string& bytes, std::size_t chunk = kReadChunk) {
    TMemorySource source(bytes, chunk == 0);
    TTextReader reader(source, chunk == 0 ? kReadChunk : chunk);
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
    const std::string longLine(300000, 'q');
    const TReaderCase cases[] = {
        {"empty file", "", {}},
        {"no final line end", "abc", {"abc"}},
        {"LF", "a\nb\n", {"a", "b"}},
        {"CR LF", "ab\r\ncd\r\n", {"ab", "cd"}},
        {"blank lines count", "\n\r\n\nx", {"", "", "", "x"}},
        {"lone CR is dropped and ends nothing", "a\rb\r\nc\r", {"ab", "c"}},
        {"CR only file is one line", "a\rb\rc\r", {"abc"}},
        {"Ctrl+Z at a line start ends the file", "a\n" + kZ + "b\nc\n", {"a"}},
        {"Ctrl+Z inside a line ends only that line", "ab" + kZ + "cd\r\nef", {"ab", "ef"}},
        {"Ctrl+Z in the skipped rest ends the file", "ab" + kZ + "c" + kZ + "d\nef", {"ab"}},
        {"NUL bytes are text", std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
        {"a line longer than a read", longLine + "\r\nend", {longLine, "end"}},
    };
    for (const TReaderCase& c : cases) {
        for (const std::size_t chunk : {kReadChunk, std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{3}}) {
            EXPECT_EQ(LinesOf(c.Bytes, chunk), c.Expected) << c.Name << ", read " << chunk << " bytes at a time";
        }
    }
}

// Ctrl+Z ends the file where a 128-byte block starts, counted from the file's
// start and not from a read's, and only its line anywhere else.
TEST(TextReader, CtrlZAtABlockStartEndsTheFileInsideALine) {
    std::vector<std::size_t> positions = {256, kReadChunk};
    for (std::size_t at = 0; at <= 129; ++at) positions.push_back(at);
    for (const std::size_t at : positions) {
        const std::string bytes = std::string(at, 'x') + kZ + "tail\nnext\n";
        Lines expected;
        if (at > 0) expected.push_back(std::string(at, 'x'));
        if (at % 128 != 0) expected.push_back("next");
        EXPECT_EQ(LinesOf(bytes), expected) << at;
        EXPECT_EQ(LinesOf(bytes, 100), expected) << at << " in 100-byte reads";
        EXPECT_EQ(LinesOf(bytes, 0), expected) << at << " lent whole";
    }
}
