#include "positions.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "cp1251.h"
#include "strip_masks.h"
#include "syntax.h"

namespace {

// UTF-8 bytes of each Windows-1251 byte's character.
const std::array<uint8_t, 256>& Cp1251Widths() {
    static const std::array<uint8_t, 256> widths = [] {
        std::array<uint8_t, 256> w{};
        for (int b = 0; b < 256; ++b)
            w[b] = static_cast<uint8_t>(Utf8FromCp1251(std::string(1, static_cast<char>(b))).size());
        return w;
    }();
    return widths;
}

// The length a lead byte announces; 1 for a byte that cannot lead.
std::size_t Utf8Length(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2) return 2;
    return 1;
}

}  // namespace

namespace {

// A CR that no LF follows: it ends a line for the editor, and none for the reader.
bool IsLoneCr(std::string_view bytes, std::size_t at) {
    return bytes[at] == kCarriageReturn && (at + 1 == bytes.size() || bytes[at + 1] != kLineFeed);
}

// The length of the valid UTF-8 sequence at `i`, 0 when none starts there.
std::size_t SequenceAt(std::string_view bytes, std::size_t i) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char lead = s[i];
    if (lead < 0x80) return 1;
    const std::size_t length = Utf8Length(lead);
    if (length == 1 || i + length > bytes.size()) return 0;
    // The second byte's range rules out overlong forms, surrogates and code
    // points above U+10FFFF.
    const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    if (s[i + 1] < low || s[i + 1] > high) return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if ((s[i + k] & 0xC0) != 0x80) return 0;
    }
    return length;
}

}  // namespace

namespace {

constexpr uint64_t kHighBits = 0x8080808080808080ull;

// The bytes from `at` up to `end` that are all ASCII, eight at a time.
std::size_t AsciiRun(std::string_view bytes, std::size_t at, std::size_t end) {
    const std::size_t from = at;
    for (uint64_t word = 0; at + 8 <= end; at += 8) {
        std::memcpy(&word, bytes.data() + at, sizeof word);
        if ((word & kHighBits) != 0) break;
    }
    while (at < end && static_cast<unsigned char>(bytes[at]) < 0x80) ++at;
    return at - from;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0, n = 0; i < bytes.size(); i += n) {
        i += AsciiRun(bytes, i, bytes.size());
        if (i == bytes.size()) break;
        if ((n = SequenceAt(bytes, i)) == 0) return false;
    }
    return true;
}

TEncoding DetectEncoding(std::string_view bytes) {
    return IsValidUtf8(bytes) ? TEncoding::Utf8 : TEncoding::Cp1251;
}

std::string ToUtf8(std::string_view bytes, TEncoding encoding) {
    if (encoding == TEncoding::Cp1251) return Utf8FromCp1251(bytes);
    if (AsciiRun(bytes, 0, bytes.size()) == bytes.size()) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t n = SequenceAt(bytes, i);
        if (n == 0) out += "\xEF\xBF\xBD";  // U+FFFD for a byte outside UTF-8
        out.append(bytes.data() + i, n);
        i += n == 0 ? 1 : n;
    }
    return out;
}

std::string FromUtf8(std::string_view utf8, TEncoding encoding) {
    return encoding == TEncoding::Utf8 ? std::string(utf8) : Cp1251FromUtf8(utf8);
}

TLineFeeds LineFeeds(std::string_view bytes) {
    TLineFeeds feeds;
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        if (bytes[at] == kLineFeed) feeds.At.push_back(at);
        if (IsLoneCr(bytes, at)) feeds.LoneCr = true;
    }
    return feeds;
}

TLineMap::TLineMap(std::string_view bytes, TEncoding encoding, TUnits units, const TLineFeeds& lineFeeds)
    : Bytes_(bytes), Encoding_(encoding), Units_(units) {
    Starts_.reserve(lineFeeds.At.size() + 1);
    Starts_.push_back(0);
    // Most texts have no lone CR: their lines start after each LF.
    if (!lineFeeds.LoneCr) {
        for (const std::size_t lf : lineFeeds.At) Starts_.push_back(lf + 1);
        return;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == kLineFeed || IsLoneCr(bytes, i)) Starts_.push_back(i + 1);
    }
}

namespace {

// Units of the character that starts at `at`, and its byte length.
uint32_t UnitsAt(std::string_view bytes, std::size_t at, TEncoding encoding, TUnits units, std::size_t& length) {
    const auto byte = static_cast<unsigned char>(bytes[at]);
    if (encoding == TEncoding::Cp1251) {
        length = 1;
        return units == TUnits::Utf16 ? 1 : Cp1251Widths()[byte];
    }
    length = std::min(Utf8Length(byte), bytes.size() - at);
    if (units == TUnits::Utf8) return static_cast<uint32_t>(length);
    return length == 4 ? 2 : 1;
}

}  // namespace

uint32_t UnitsBetween(std::string_view bytes, std::size_t from, std::size_t to, TEncoding encoding, TUnits units) {
    if (encoding == TEncoding::Utf8 && units == TUnits::Utf8) return static_cast<uint32_t>(to - from);
    const std::size_t ascii = AsciiRun(bytes, from, to);
    auto count = static_cast<uint32_t>(ascii);
    for (std::size_t at = from + ascii; at < to;) {
        std::size_t length = 0;
        count += UnitsAt(bytes, at, encoding, units, length);
        at += length;
    }
    return count;
}

std::size_t TLineMap::LineEnd(uint32_t line) const {
    if (line + 1 >= Starts_.size()) return Bytes_.size();
    std::size_t end = Starts_[line + 1] - 1;
    if (Bytes_[end] == kLineFeed && end > Starts_[line] && Bytes_[end - 1] == kCarriageReturn) --end;
    return end;
}

uint32_t TLineMap::LineOf(std::size_t offset, uint32_t guess) const {
    if (guess < Starts_.size() && Starts_[guess] <= offset &&
        (guess + 1 == Starts_.size() || offset < Starts_[guess + 1])) {
        return guess;
    }
    return static_cast<uint32_t>(std::upper_bound(Starts_.begin(), Starts_.end(), offset) - Starts_.begin() - 1);
}

uint32_t TLineMap::UnitsBetween(std::size_t from, std::size_t to) const {
    return ::UnitsBetween(Bytes_, from, to, Encoding_, Units_);
}

TPosition TLineMap::PositionOf(std::size_t offset, uint32_t line) const {
    offset = std::min(offset, Bytes_.size());
    line = LineOf(offset, line);
    return {line, UnitsBetween(Starts_[line], std::min(offset, LineEnd(line)))};
}

TRange TLineMap::RangeOf(std::size_t begin, std::size_t end, uint32_t line) const {
    const TPosition start = PositionOf(begin, line);
    // A name mostly ends on its own line: count on from its start.
    if (end >= begin && end <= LineEnd(start.Line)) {
        return {start, {start.Line, start.Character + UnitsBetween(begin, end)}};
    }
    return {start, PositionOf(end, start.Line)};
}

std::size_t TLineMap::OffsetOf(TPosition position) const {
    if (position.Line >= Starts_.size()) return Bytes_.size();
    const std::size_t end = LineEnd(position.Line);
    std::size_t at = Starts_[position.Line];
    for (uint32_t units = 0; at < end && units < position.Character;) {
        std::size_t length = 0;
        units += UnitsAt(Bytes_, at, Encoding_, Units_, length);
        at += length;
    }
    return std::min(at, end);
}

namespace {

// Counts the lines of a text 64 bytes at a time, up to a given one: the LFs
// counted in bulk, the bits walked only in the strip where the line starts.
class TLineCounter {
public:
    enum EClass { cLf, cCr, cCount };
    static constexpr std::array<TByteClass, cCount> kClasses = {OneByte(kLineFeed), OneByte(kCarriageReturn)};

    TLineCounter(std::string_view bytes, int32_t current, int32_t line)
        : Bytes_(bytes), Current(current), Line_(line) {}

    bool Strip(const uint64_t* masks, std::size_t strip) {
        const std::size_t at = kStripBytes * strip;
        const uint64_t lfs = masks[cLf];
        // A CR in the last byte looks at the next strip's first.
        const uint64_t lfAfter =
            at + kStripBytes < Bytes_.size() && Bytes_[at + kStripBytes] == kLineFeed ? 1ull << 63 : 0;
        if ((masks[cCr] & ~((lfs >> 1) | lfAfter)) != 0) {
            LoneCr = true;
            return false;
        }
        const int count = BitCount(lfs);
        if (Current + count < Line_) {
            Current += count;
            return true;
        }
        uint64_t mask = lfs;
        for (; Current + 1 < Line_; ++Current) mask &= mask - 1;
        Start = at + static_cast<std::size_t>(LowestBit(mask)) + 1;
        Current = Line_;
        return false;
    }

private:
    std::string_view Bytes_;

public:
    int32_t Current;  // LFs before the strip
    const int32_t Line_;
    std::size_t Start = 0;  // of the line, once found
    bool LoneCr = false;
};

}  // namespace

bool TLineCursor::Advance(int32_t line) {
    if (line == Line_) return true;
    TLineCounter counter(Bytes_.substr(At_), Line_, line);
    WalkStrips(Bytes_.data() + At_, Bytes_.size() - At_, counter);
    if (counter.LoneCr) return false;
    if (counter.Current < line) {
        Line_ = counter.Current;
        return false;
    }
    At_ += counter.Start;
    Line_ = line;
    return true;
}

bool TLineCursor::RangeOf(int32_t line, uint32_t column, uint32_t length, std::size_t& begin, std::size_t& end,
                          TRange& range) {
    if (line < Line_ || !Advance(line)) return false;
    begin = At_ + column - 1;
    end = begin + length;
    // The reader drops a CR within the line: its columns count past it.
    if (end > Bytes_.size() || std::memchr(Bytes_.data() + At_, kCarriageReturn, end - At_) != nullptr) return false;
    const auto row = static_cast<uint32_t>(line);
    const uint32_t start = ::UnitsBetween(Bytes_, At_, begin, Encoding_, Units_);
    range = {{row, start}, {row, start + ::UnitsBetween(Bytes_, begin, end, Encoding_, Units_)}};
    return true;
}

std::size_t TReaderLines::LineStart(int32_t line) const {
    if (line <= 0) return 0;
    return static_cast<std::size_t>(line) > Lfs_.size() ? Bytes_.size() : Lfs_[line - 1] + 1;
}

std::size_t TReaderLines::LineStartOf(std::size_t offset) const {
    const auto it = std::lower_bound(Lfs_.begin(), Lfs_.end(), offset);
    return it == Lfs_.begin() ? 0 : *(it - 1) + 1;
}

std::size_t TReaderLines::Advance(std::size_t at, uint32_t count) const {
    for (; at < Bytes_.size() && count > 0; ++at) {
        if (Bytes_[at] != kCarriageReturn) --count;
    }
    return at;
}

void TReaderLines::Locate(int32_t line, uint32_t column, uint32_t length, std::size_t& begin, std::size_t& end) const {
    begin = Advance(LineStart(line), column - 1);
    while (begin < Bytes_.size() && Bytes_[begin] == kCarriageReturn) ++begin;
    end = Advance(begin, length);
}
