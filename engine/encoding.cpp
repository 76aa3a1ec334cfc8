#include "encoding.h"

#include <algorithm>

#include "syntax.h"

namespace {

// Enough pairs to tell text from a binary file that has a few NULs.
constexpr std::size_t kJudgedBytes = 64;

// NUL in every byte at `parity` of the first ones, and in no other.
bool NulsAt(std::string_view head, std::size_t parity) {
    for (std::size_t i = 0; i < head.size(); ++i) {
        if ((head[i] == '\0') != (i % 2 == parity)) return false;
    }
    return true;
}

}  // namespace

TOddEncoding OddEncodingOf(std::string_view head) {
    if (head.substr(0, 2) == "\xFF\xFE" || head.substr(0, 2) == "\xFE\xFF") return TOddEncoding::Utf16;
    const std::string_view pairs = head.substr(0, std::min(head.size(), kJudgedBytes) / 2 * 2);
    if (pairs.size() >= 4 && (NulsAt(pairs, 0) || NulsAt(pairs, 1))) return TOddEncoding::Utf16;
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (head.substr(0, kBom.size()) != kBom) return TOddEncoding::None;
    std::string_view line = head.substr(kBom.size());
    while (!line.empty() && IsBlank(line.front()) && line.front() != kLineFeed) {
        line.remove_prefix(1);
    }
    for (const std::string_view keyword : kImageKeywords) {
        if (EqualsIgnoringAsciiCase(line.substr(0, keyword.size()), keyword)) return TOddEncoding::Utf8Bom;
    }
    return TOddEncoding::None;
}
