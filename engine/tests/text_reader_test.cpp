#include "text_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

// A chunk of 0 lends the reader the bytes whole.
std::vector<std::string> LinesOf(const std::string& bytes, std::size_t chunk) {
    TMemorySource source(bytes, chunk == 0);
    TTextReader reader(source, chunk == 0 ? kReadChunk : chunk);
    std::vector<std::string> lines;
    while (!reader.Eof()) lines.emplace_back(reader.ReadLine());
    return lines;
}

const std::string kZ = "\x1a";

}  // namespace

TEST(TextReader, LineRules) {
    const std::string longLine(300000, 'q'), chunk(kReadChunk, 'c'), x128(128, 'x');
    const std::tuple<const char*, std::string, std::vector<std::string>> cases[] = {
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
        // A 128-byte block counts from the file's start, not from a read's.
        {"Ctrl+Z at a block start ends the file", x128 + kZ + "tail\nnext", {x128}},
        {"Ctrl+Z at a read's start", chunk + kZ + "tail\nnext", {chunk}},
        {"Ctrl+Z half a block in", x128.substr(64) + kZ + "tail\nnext", {x128.substr(64), "next"}},
        {"Ctrl+Z a byte before a block start", x128.substr(1) + kZ + "tail\nnext", {x128.substr(1), "next"}},
        {"Ctrl+Z a byte after a block start", x128 + "x" + kZ + "tail\nnext", {x128 + "x", "next"}},
        {"NUL bytes are text", std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
        {"a line longer than a read", longLine + "\r\nend", {longLine, "end"}},
    };
    for (const auto& [name, bytes, expected] : cases) {
        for (const std::size_t size : std::vector<std::size_t>{kReadChunk, 0, 1, 2, 3, 100}) {
            EXPECT_EQ(LinesOf(bytes, size), expected) << name << ", read " << size << " bytes at a time";
        }
    }
}
