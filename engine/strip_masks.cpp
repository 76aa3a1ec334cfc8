#include "strip_masks.h"

#include <string_view>

#include "syntax.h"

namespace {

constexpr std::size_t kNone = std::string_view::npos;

// Where a comment cuts a text, its size when none does, and the first
// assignment before that, kNone when there is none; a strip at a time.
class TCutFinder {
public:
    static_assert(kSecondComment.size() == 2);
    // The second comment's two bytes are one class when they are the same byte.
    static constexpr bool kTwice = kSecondComment[0] == kSecondComment[1];
    enum EClass : std::size_t { cComment, cAssignment, cSecondFirst, cSecondNext = cSecondFirst + (kTwice ? 0 : 1) };
    static constexpr std::array<TByteClass, cSecondNext + 1> kClasses = [] {
        std::array<TByteClass, cSecondNext + 1> all{};
        all[cComment] = OneByte(kComment);
        all[cAssignment] = OneByte(kAssignment);
        all[cSecondFirst] = OneByte(kSecondComment[0]);
        all[cSecondNext] = OneByte(kSecondComment[1]);
        return all;
    }();

    explicit TCutFinder(std::string_view text) : Text_(text), Cut(text.size()) {}

    bool Strip(const uint64_t* masks, std::size_t strip) {
        const std::size_t base = kStripBytes * strip;
        uint64_t pairs = masks[cSecondFirst] & (masks[cSecondNext] >> 1);
        // A pair across the strip's end.
        if ((masks[cSecondFirst] >> 63) != 0 && base + kStripBytes < Text_.size() &&
            Text_[base + kStripBytes] == kSecondComment[1])
            pairs |= uint64_t{1} << 63;
        const uint64_t cuts = masks[cComment] | pairs;
        const uint64_t equals =
            cuts == 0 ? masks[cAssignment] : masks[cAssignment] & ((uint64_t{1} << LowestBit(cuts)) - 1);
        if (Equals == kNone && equals != 0) Equals = base + static_cast<std::size_t>(LowestBit(equals));
        if (cuts == 0) return true;
        Cut = base + static_cast<std::size_t>(LowestBit(cuts));
        return false;
    }

private:
    std::string_view Text_;

public:
    std::size_t Cut;
    std::size_t Equals = kNone;
};

}  // namespace

TCommentCut CommentCutOf(std::string_view text) {
    TCutFinder finder(text);
    WalkStrips(text.data(), text.size(), finder);
    return {finder.Cut, finder.Equals};
}

TProcessorWidths ProcessorWidths() {
    TProcessorWidths widths;
#if defined(__SSE2__) && !defined(_WIN32)
    __builtin_cpu_init();
    widths.Avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
    widths.Avx512 = widths.Avx2 && __builtin_cpu_supports("avx512bw");
#endif
    return widths;
}

std::vector<const char*> StripPathNames() {
    std::vector<const char*> names = {"portable"};
#if defined(__SSE2__)
    names.push_back("sse2");
    const TProcessorWidths widths = ProcessorWidths();
    if (widths.Avx2) names.push_back("avx2");
    if (widths.Avx512) names.push_back("avx512");
#endif
    return names;
}

void LimitStripPaths(std::size_t count) {
    StripPathLimit = count;
}
