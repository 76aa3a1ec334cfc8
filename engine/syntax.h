// The definition format's syntax in one place: which files are definition
// files, how the reader ends lines, which bytes are blank, where a comment
// starts, and the image keywords. The scanner, the index and the programs'
// small readers all take their rules from here, so that a change here is a
// change everywhere.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// Definition files: the walk's mask, matched without regard to ASCII case.
constexpr std::string_view kDefinitionMask = "*.ini";
constexpr std::string_view kDefinitionExtension = kDefinitionMask.substr(1);
static_assert(kDefinitionMask[0] == '*' && kDefinitionExtension.find_first_of("*?") == std::string_view::npos);
// Whether a path's file name matches the mask.
bool IsDefinitionFile(std::string_view path);

// The reader's lines: an LF ends a line; a CR is dropped from the line and
// ends nothing; Ctrl+Z at a line start ends the file, within a line ends the
// line (its rest up to the LF is skipped), and as the first byte of one of
// the blocks in which the file is read ends the file.
constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
constexpr char kCtrlZ = 0x1A;
constexpr std::size_t kCtrlZBlock = 128;

// A byte of value 32 or less is blank: spaces, tabs and every control byte.
// Bytes of 128 and above never are.
constexpr unsigned char kHighestBlank = 32;
constexpr bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= kHighestBlank;
}
std::size_t LeadingBlanks(std::string_view text);
std::string_view TrimBlanks(std::string_view text);

// Lowering touches the ASCII letters A to Z only.
constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}
std::string AsciiLowered(std::string_view text);
bool EqualsIgnoringAsciiCase(std::string_view text, std::string_view lowered);

// A comment starts at the first ';' of a line, or before that at its first
// "//", wherever they stand, inside a value too.
constexpr char kComment = ';';
constexpr std::string_view kSecondComment = "//";
// Where a comment cuts `text`: its size when none does.
std::size_t CommentStart(std::string_view text);
constexpr char kAssignment = '=';
// What separates a declaration's keyword from its name.
constexpr char kNameSeparator = ' ';
// The header line that ends a block.
constexpr std::string_view kEndKeyword = "end";

// The image keywords, in lower case and compared over their whole length:
// the keys of a use, tried in this order, and the declaring block header.
constexpr std::string_view kImageKeys[] = {"selectportrait", "buttonimage"};
constexpr std::string_view kDeclarationKey = "mappedimage";
constexpr std::size_t kImageKeywordCount = std::size(kImageKeys) + 1;
constexpr std::array<std::string_view, kImageKeywordCount> kImageKeywords = [] {
    std::array<std::string_view, kImageKeywordCount> all{};
    for (std::size_t i = 0; i < std::size(kImageKeys); ++i) all[i] = kImageKeys[i];
    all[kImageKeywordCount - 1] = kDeclarationKey;
    return all;
}();
constexpr std::size_t kShortestImageKeyword = [] {
    std::size_t shortest = kImageKeywords[0].size();
    for (const std::string_view keyword : kImageKeywords)
        shortest = keyword.size() < shortest ? keyword.size() : shortest;
    return shortest;
}();
// Keywords are lower case and of printable ASCII: the scanner finds the lines
// that may start with one by their first byte above the blanks.
static_assert([] {
    for (const std::string_view keyword : kImageKeywords) {
        if (keyword.empty()) return false;
        for (const char c : keyword) {
            if (IsBlank(c) || static_cast<unsigned char>(c) >= 128 || (c >= 'A' && c <= 'Z')) return false;
        }
    }
    return true;
}());

// Value tokens part at blanks and at '=' too, as real files are written:
// `Weapon = TERTIARY = Gun` has the tokens TERTIARY and Gun.
constexpr bool IsValueSeparator(char c) {
    return IsBlank(c) || c == kAssignment;
}
