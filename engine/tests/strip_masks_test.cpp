#include "strip_masks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "strip_paths.h"

namespace {

// One class of each shape a wide path compares differently.
constexpr std::array<TByteClass, 9> kShapes = {
    OneByte('\n'),
    ByteRange(0, 32) | ByteRange(128, 255),  // one signed range from -128
    ByteRange(128, 255),
    ByteRange(0x7F, 0x81),  // across the sign
    ByteRange('A', 'Z'),
    ByteRange(200, 255) | OneByte('='),  // up to the top
    // The line heads' initials, a byte and a letter twice.
    EitherCase('s') | EitherCase('B') | OneByte('/') | EitherCase('m') | EitherCase('s'),
    ByteRange('x', 0x7F),  // up to the top of the signed half
    ByteRange(0, 255),
};

// Keeps every strip's masks, up to `Stop` strips.
struct TKeepMasks {
    static constexpr const auto& kClasses = kShapes;
    std::vector<uint64_t> Masks;
    std::size_t Stop = ~std::size_t{0};
    bool Strip(const uint64_t* masks, std::size_t strip) {
        EXPECT_EQ(strip, Masks.size() / kShapes.size());
        Masks.insert(Masks.end(), masks, masks + kShapes.size());
        return strip + 1 < Stop;
    }
};

}  // namespace

TEST(StripMasks, ClassesHoldTheirBytes) {
    const std::tuple<TByteClass, std::string, std::string> cases[] = {
        // class, bytes it holds, bytes it does not
        {kShapes[1], std::string("\0\x01 \x80\xFF", 5), "!a\x7F"},
        {kShapes[3], "\x7F\x80\x81", "\x7E\x82\x01"},
        {kShapes[4], "AMZ", "@[az\xC1"},
        {kShapes[5], "=\xC8\xFF", "<>\xC7\x7F"},
        {kShapes[7], "x\x7F", "w\x80"},
        {kShapes[6], "sSbB/mM", "tTaA\x13\x02\x22\x0F\x0D"},
        {EitherCase('1'), "1", "\x11q"},
    };
    for (const auto& [byteClass, in, out] : cases) {
        for (const char c : in) EXPECT_TRUE(byteClass.Holds(c)) << static_cast<int>(c);
        for (const char c : out) EXPECT_FALSE(byteClass.Holds(c)) << static_cast<int>(c);
    }
    EXPECT_EQ(kShapes[1].RangeCount, 1);
    EXPECT_EQ(kShapes[6].LetterCount, 3);
}

// Each path this processor has gives the portable masks, for texts of every
// length around a strip's and at every alignment, reading only the text, and
// stops where the visitor says.
TEST(StripMasks, EveryPathOfThisProcessorAgreesWithThePortableOne) {
    constexpr char kSpecial[] = "\n\r\x1a \t\0\x1f!=/;sSbBmM@AZ[`\x7f\x80\x81\xa0\xc8\xff";
    const std::string special(kSpecial, sizeof kSpecial - 1);
    std::mt19937 random(29);
    ASSERT_EQ(std::string(StripPathNames().front()), "portable");  // the first that ForEachStripPath runs
    for (int k = 0; k < 400; ++k) {
        const std::size_t size = k % 200;
        const std::size_t shift = k % 7;
        // The text ends its buffer, so that a read past it is caught by the sanitizers.
        std::vector<char> buffer(shift + size);
        for (char& c : buffer) c = random() % 4 ? special[random() % special.size()] : static_cast<char>(random());
        TKeepMasks portable{{}, k % 3 == 0 ? 1 : ~std::size_t{0}};
        ForEachStripPath([&](const char* path) {
            TKeepMasks keep{{}, portable.Stop};
            WalkStrips(buffer.data() + shift, size, keep);
            if (path == std::string("portable")) portable.Masks = keep.Masks;
            EXPECT_EQ(keep.Masks, portable.Masks) << size << " bytes";
        });
        EXPECT_EQ(portable.Masks.size(),
                  kShapes.size() * std::min((size + kStripBytes - 1) / kStripBytes, portable.Stop));
    }
}
