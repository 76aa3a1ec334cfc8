// Positions as an editor counts them. The protocol ends a line at LF, CR LF
// and a lone CR, and counts characters in UTF-8 bytes or UTF-16 code units of
// the decoded text; the reader ends lines at LF only and drops every CR.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// How a file's bytes are decoded.
enum class TEncoding { Utf8, Cp1251 };
// What a position's character counts.
enum class TUnits { Utf8, Utf16 };

struct TPosition {
    uint32_t Line = 0;
    uint32_t Character = 0;
    bool operator==(const TPosition& o) const { return Line == o.Line && Character == o.Character; }
    bool operator<(const TPosition& o) const { return Line != o.Line ? Line < o.Line : Character < o.Character; }
    bool operator<=(const TPosition& o) const { return !(o < *this); }
};

struct TRange {
    TPosition Start;
    TPosition End;
    bool operator==(const TRange& o) const { return Start == o.Start && End == o.End; }
    bool Holds(TPosition p) const { return Start <= p && p <= End; }
};

bool IsValidUtf8(std::string_view bytes);
// UTF-8 when the bytes are valid UTF-8, else Windows-1251.
TEncoding DetectEncoding(std::string_view bytes);
std::string ToUtf8(std::string_view bytes, TEncoding encoding);
std::string FromUtf8(std::string_view utf8, TEncoding encoding);

// The offset of every LF in the bytes, and whether a CR stands alone.
struct TLineFeeds {
    std::vector<std::size_t> At;
    bool LoneCr = false;
};
TLineFeeds LineFeeds(std::string_view bytes);

// The protocol's lines of one text, kept as the offsets where they start.
class TLineMap {
public:
    TLineMap(std::string_view bytes, TEncoding encoding, TUnits units)
        : TLineMap(bytes, encoding, units, LineFeeds(bytes)) {}
    TLineMap(std::string_view bytes, TEncoding encoding, TUnits units, const TLineFeeds& lineFeeds);
    // `line` is a guess of the offset's line, such as the reader's line,
    // which is the protocol's own when no lone CR comes before.
    TPosition PositionOf(std::size_t offset, uint32_t line = 0) const;
    // Clamped to the end of the line and of the text.
    std::size_t OffsetOf(TPosition position) const;
    TRange RangeOf(std::size_t begin, std::size_t end, uint32_t line = 0) const;

private:
    uint32_t UnitsBetween(std::size_t from, std::size_t to) const;
    std::size_t LineEnd(uint32_t line) const;
    uint32_t LineOf(std::size_t offset, uint32_t guess) const;

    std::string_view Bytes_;
    TEncoding Encoding_;
    TUnits Units_;
    std::vector<std::size_t> Starts_;
};

// Units of the characters from `from` to `to` of one line.
uint32_t UnitsBetween(std::string_view bytes, std::size_t from, std::size_t to, TEncoding encoding, TUnits units);

// Places names that the reader recorded, asked in line order, with one walk
// over the text and no map of its lines. Where a CR stands alone before a
// name, the reader's lines and columns are not the protocol's: RangeOf says
// false and the caller takes TLineMap and TReaderLines instead.
class TLineCursor {
public:
    TLineCursor(std::string_view bytes, TEncoding encoding, TUnits units)
        : Bytes_(bytes), Encoding_(encoding), Units_(units) {}
    // A name at a 1-based column of a reader line no earlier than the last
    // asked, `length` bytes long.
    bool RangeOf(int32_t line, uint32_t column, uint32_t length, std::size_t& begin, std::size_t& end, TRange& range);

private:
    // False when a lone CR comes before the line's start, or in the 64 bytes where it starts.
    bool Advance(int32_t line);

    std::string_view Bytes_;
    TEncoding Encoding_;
    TUnits Units_;
    std::size_t At_ = 0;  // where line Line_ starts
    int32_t Line_ = 0;
};

// Where the reader's lines start in the bytes: after each LF.
class TReaderLines {
public:
    explicit TReaderLines(std::string_view bytes) : TReaderLines(bytes, LineFeeds(bytes).At) {}
    TReaderLines(std::string_view bytes, std::vector<std::size_t> lineFeeds)
        : Bytes_(bytes), Lfs_(std::move(lineFeeds)) {}
    // The byte offsets of a name that the scanner recorded at a 1-based
    // column of a reader line, `length` bytes long as read.
    void Locate(int32_t line, uint32_t column, uint32_t length, std::size_t& begin, std::size_t& end) const;
    // The start of the reader line that holds `offset`.
    std::size_t LineStartOf(std::size_t offset) const;
    std::size_t LineStart(int32_t line) const;
    int32_t Count() const { return static_cast<int32_t>(Lfs_.size()) + 1; }

private:
    // Skips `count` bytes that the reader keeps, passing over each CR.
    std::size_t Advance(std::size_t at, uint32_t count) const;

    std::string_view Bytes_;
    std::vector<std::size_t> Lfs_;
};
