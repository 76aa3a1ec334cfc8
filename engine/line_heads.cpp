#include "line_heads.h"

#include <array>

#include "strip_masks.h"
#include "syntax.h"

namespace {

class TClassifier {
public:
    enum EClass { cLf, cBlankOrHigh, cInitial, cCr, cCtrlZ, cCount };
    static constexpr std::array<TByteClass, cCount> kClasses = [] {
        TByteClass initials;
        for (const std::string_view keyword : kImageKeywords) initials = initials | EitherCase(keyword[0]);
        return std::array<TByteClass, cCount>{OneByte(kLineFeed), ByteRange(0, kHighestBlank) | ByteRange(128, 255),
                                              initials, OneByte(kCarriageReturn), OneByte(kCtrlZ)};
    }();

    TClassifier(const char* bytes, std::size_t count, bool lfAfter, uint64_t atLineHead, TStripFacts* facts)
        : Bytes_(bytes), Count_(count), LfAfter_(lfAfter), AtLineHead_(atLineHead), Facts_(facts) {}

    // The first byte after each run of leading blanks: adding a run's first
    // bit to the run carries through it to the byte above.
    bool Strip(const uint64_t* masks, std::size_t strip) {
        const uint64_t lf = masks[cLf];
        const uint64_t cr = masks[cCr];
        const bool lfNext = strip + 1 < Count_ ? Bytes_[kStripBytes * (strip + 1)] == kLineFeed : LfAfter_;
        const uint64_t seeds = (lf << 1) | AtLineHead_;
        const uint64_t runs = masks[cBlankOrHigh] & ~lf;
        const uint64_t carried = runs + (seeds & runs);
        const uint64_t heads = (carried & ~runs) | (seeds & ~runs);
        AtLineHead_ = (lf >> 63) | static_cast<uint64_t>(carried < runs);
        const uint64_t crBeforeLf = cr & ((lf >> 1) | (static_cast<uint64_t>(lfNext) << 63));
        Facts_[strip] = {lf, heads & masks[cInitial], heads, (cr & ~crBeforeLf) | masks[cCtrlZ], BitCount(lf)};
        return true;
    }

    uint64_t AtLineHead() const { return AtLineHead_; }

private:
    const char* Bytes_;
    std::size_t Count_;
    bool LfAfter_;
    uint64_t AtLineHead_;
    TStripFacts* Facts_;
};

}  // namespace

void ClassifyStrips(const char* bytes, std::size_t count, bool lfAfter, uint64_t& atLineHead, TStripFacts* facts) {
    TClassifier classifier(bytes, count, lfAfter, atLineHead, facts);
    WalkStrips(bytes, kStripBytes * count, classifier);
    atLineHead = classifier.AtLineHead();
}
