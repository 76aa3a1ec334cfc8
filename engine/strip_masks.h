// Which bytes of a text belong to each of a few classes, 64 bytes (a strip)
// at a time, on the widest registers this processor has. Every byte loop
// with a wide path goes through here, so that each width is chosen in one
// place and tested against the portable one.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "syntax.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

constexpr std::size_t kStripBytes = 64;

// The set bits of a mask, counted without the instruction that not every
// processor of the build's baseline has.
constexpr int BitCount(uint64_t bits) {
    bits -= (bits >> 1) & 0x5555555555555555ull;
    bits = (bits & 0x3333333333333333ull) + ((bits >> 2) & 0x3333333333333333ull);
    bits = (bits + (bits >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return static_cast<int>((bits * 0x0101010101010101ull) >> 56);
}
// Of a mask that is not 0.
inline int LowestBit(uint64_t bits) {
    return __builtin_ctzll(bits);
}
inline int HighestBit(uint64_t bits) {
    return 63 - __builtin_clzll(bits);
}

// A class of bytes: ranges of byte values, taken as signed so that the bytes
// from 128 on come first and most classes are one or two compares; and
// lower-case letters, matched in either ASCII case.
struct TByteClass {
    struct TRange {
        int Low;
        int High;
    };
    std::array<TRange, 8> Ranges{};
    int RangeCount = 0;
    std::array<char, 8> Letters{};
    int LetterCount = 0;

    constexpr bool Holds(char c) const {
        const int byte = static_cast<unsigned char>(c);
        const int value = byte < 128 ? byte : byte - 256;
        for (int r = 0; r < RangeCount; ++r) {
            if (value >= Ranges[r].Low && value <= Ranges[r].High) return true;
        }
        for (int l = 0; l < LetterCount; ++l) {
            if ((c | 0x20) == Letters[l]) return true;
        }
        return false;
    }

    // Adds the signed range, merged with those it meets.
    constexpr TByteClass& Add(TRange range) {
        int kept = 0;
        std::array<TRange, 8> ranges{};
        for (int r = 0; r < RangeCount; ++r) {
            const TRange other = Ranges[r];
            if (other.High + 1 < range.Low || range.High + 1 < other.Low) {
                ranges[kept++] = other;
            } else {
                range = {other.Low < range.Low ? other.Low : range.Low,
                         other.High > range.High ? other.High : range.High};
            }
        }
        ranges[kept++] = range;
        Ranges = ranges;
        RangeCount = kept;
        return *this;
    }
};

// The bytes from `low` to `high` in unsigned order.
constexpr TByteClass ByteRange(unsigned char low, unsigned char high) {
    TByteClass c;
    const auto signedOf = [](unsigned char b) { return b < 128 ? int{b} : int{b} - 256; };
    if (low < 128 && high >= 128) {
        c.Add({low, 127});
        c.Add({-128, signedOf(high)});
    } else {
        c.Add({signedOf(low), signedOf(high)});
    }
    return c;
}

constexpr TByteClass OneByte(char c) {
    return ByteRange(static_cast<unsigned char>(c), static_cast<unsigned char>(c));
}

// `c` and, for an ASCII letter, its other case.
constexpr TByteClass EitherCase(char c) {
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c;
    if (lower < 'a' || lower > 'z') return OneByte(c);
    TByteClass letter;
    letter.Letters[letter.LetterCount++] = lower;
    return letter;
}

constexpr TByteClass operator|(TByteClass a, const TByteClass& b) {
    for (int r = 0; r < b.RangeCount; ++r) a.Add(b.Ranges[r]);
    for (int l = 0; l < b.LetterCount; ++l) {
        bool known = false;
        for (int k = 0; k < a.LetterCount; ++k) known = known || a.Letters[k] == b.Letters[l];
        if (!known) a.Letters[a.LetterCount++] = b.Letters[l];
    }
    return a;
}

// WalkStrips calls visitor.Strip(masks, s) for each strip s of a text, in
// order, until it returns false: masks[k] has bit i set where byte 64 * s + i
// is in class k of TVisitor::kClasses (past the end of the text, clear). The
// visitor's Strip is compiled into each way of walking, for its width.

// The ways of walking that this processor has, narrowest first: "portable"
// always, then "sse2", "avx2", "avx512" as far as it (and the build) has them.
std::vector<const char*> StripPathNames();
// Walks take the widest of the first `count` ways; 0 lets them take the
// widest there is. The tests and the benchmark run each way through it.
void LimitStripPaths(std::size_t count);
inline std::atomic<std::size_t> StripPathLimit{0};

// Which wider registers this processor has (and the build may use).
struct TProcessorWidths {
    bool Avx2 = false;
    bool Avx512 = false;
};
TProcessorWidths ProcessorWidths();

namespace strip_masks {

template <typename TVisitor>
void Portable(const char* bytes, std::size_t size, TVisitor& visitor) {
    constexpr const auto& kClasses = TVisitor::kClasses;
    constexpr std::size_t kCount = std::size(kClasses);
    for (std::size_t s = 0; s * kStripBytes < size; ++s) {
        uint64_t masks[kCount] = {};
        const std::size_t end = size - s * kStripBytes < kStripBytes ? size - s * kStripBytes : kStripBytes;
        for (std::size_t i = 0; i < end; ++i) {
            for (std::size_t k = 0; k < kCount; ++k) {
                if (kClasses[k].Holds(bytes[s * kStripBytes + i])) masks[k] |= uint64_t{1} << i;
            }
        }
        if (!visitor.Strip(masks, s)) return;
    }
}

#if defined(__SSE2__)
// The registers of one width: compares that give a mask of a part of the
// strip, and the bits of such a mask. Results come back through a reference,
// never by value: a wider function's vector return reaches a caller that is
// not wide in another register than it expects, whenever the call is not
// inlined (a build without optimization).
struct TSse2 {
    using V = __m128i;
    using M = __m128i;
    static constexpr std::size_t kWidth = 16;
    using TNarrower = void;
    static void Load(const char* p, V& x) { x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
    static void Fold(const V& x, V& folded) { folded = _mm_or_si128(x, _mm_set1_epi8(0x20)); }
    static void Eq(const V& x, int c, M& m) {
        m = _mm_or_si128(m, _mm_cmpeq_epi8(x, _mm_set1_epi8(static_cast<char>(c))));
    }
    static void Below(const V& x, int c, M& m) {
        m = _mm_or_si128(m, _mm_cmplt_epi8(x, _mm_set1_epi8(static_cast<char>(c))));
    }
    static void Above(const V& x, int c, M& m) {
        m = _mm_or_si128(m, _mm_cmpgt_epi8(x, _mm_set1_epi8(static_cast<char>(c))));
    }
    static void Between(const V& x, int low, int high, M& m) {
        m = _mm_or_si128(m, _mm_and_si128(_mm_cmpgt_epi8(x, _mm_set1_epi8(static_cast<char>(low))),
                                          _mm_cmplt_epi8(x, _mm_set1_epi8(static_cast<char>(high)))));
    }
    static void Clear(M& m) { m = _mm_setzero_si128(); }
    static uint64_t Bits(const M& m) { return static_cast<uint16_t>(_mm_movemask_epi8(m)); }
};

#if !defined(_WIN32)
// Not in the Windows build: its compiler does not align the stack for
// 32-byte spills.
#define TESSARON_AVX2 __attribute__((target("avx2")))
struct TAvx2 {
    using V = __m256i;
    using M = __m256i;
    static constexpr std::size_t kWidth = 32;
    using TNarrower = TSse2;
    TESSARON_AVX2 static void Load(const char* p, V& x) { x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
    TESSARON_AVX2 static void Fold(const V& x, V& folded) { folded = _mm256_or_si256(x, _mm256_set1_epi8(0x20)); }
    TESSARON_AVX2 static void Eq(const V& x, int c, M& m) {
        m = _mm256_or_si256(m, _mm256_cmpeq_epi8(x, _mm256_set1_epi8(static_cast<char>(c))));
    }
    TESSARON_AVX2 static void Below(const V& x, int c, M& m) {
        m = _mm256_or_si256(m, _mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(c)), x));
    }
    TESSARON_AVX2 static void Above(const V& x, int c, M& m) {
        m = _mm256_or_si256(m, _mm256_cmpgt_epi8(x, _mm256_set1_epi8(static_cast<char>(c))));
    }
    TESSARON_AVX2 static void Between(const V& x, int low, int high, M& m) {
        m = _mm256_or_si256(m, _mm256_and_si256(_mm256_cmpgt_epi8(x, _mm256_set1_epi8(static_cast<char>(low))),
                                                _mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(high)), x)));
    }
    TESSARON_AVX2 static void Clear(M& m) { m = _mm256_setzero_si256(); }
    TESSARON_AVX2 static uint64_t Bits(const M& m) { return static_cast<uint32_t>(_mm256_movemask_epi8(m)); }
};
#undef TESSARON_AVX2

#define TESSARON_AVX512 __attribute__((target("avx512bw")))
struct TAvx512 {
    using V = __m512i;
    using M = uint64_t;
    static constexpr std::size_t kWidth = 64;
    TESSARON_AVX512 static void Load(const char* p, V& x) { x = _mm512_loadu_si512(p); }
    // The first `size` bytes (fewer than 64), zeros after them; nothing past them is read.
    TESSARON_AVX512 static void LoadFirst(const char* p, std::size_t size, V& x) {
        x = _mm512_maskz_loadu_epi8((uint64_t{1} << size) - 1, p);
    }
    TESSARON_AVX512 static void Fold(const V& x, V& folded) { folded = _mm512_or_si512(x, _mm512_set1_epi8(0x20)); }
    TESSARON_AVX512 static void Eq(const V& x, int c, M& m) {
        m |= _mm512_cmpeq_epi8_mask(x, _mm512_set1_epi8(static_cast<char>(c)));
    }
    TESSARON_AVX512 static void Below(const V& x, int c, M& m) {
        m |= _mm512_cmplt_epi8_mask(x, _mm512_set1_epi8(static_cast<char>(c)));
    }
    TESSARON_AVX512 static void Above(const V& x, int c, M& m) {
        m |= _mm512_cmpgt_epi8_mask(x, _mm512_set1_epi8(static_cast<char>(c)));
    }
    TESSARON_AVX512 static void Between(const V& x, int low, int high, M& m) {
        m |= _mm512_cmpgt_epi8_mask(x, _mm512_set1_epi8(static_cast<char>(low))) &
             _mm512_cmplt_epi8_mask(x, _mm512_set1_epi8(static_cast<char>(high)));
    }
    static void Clear(M& m) { m = 0; }
    static uint64_t Bits(const M& m) { return m; }
};
#undef TESSARON_AVX512
#endif

template <typename W, int Low, int High>
void AddRange(const typename W::V& x, typename W::M& m) {
    if constexpr (Low == High) {
        W::Eq(x, Low, m);
    } else if constexpr (Low == -128 && High == 127) {
        W::Above(x, -128, m);
        W::Eq(x, -128, m);
    } else if constexpr (Low == -128) {
        W::Below(x, High + 1, m);
    } else if constexpr (High == 127) {
        W::Above(x, Low - 1, m);
    } else {
        W::Between(x, Low - 1, High + 1, m);
    }
}

// Adds the bits of class K over one register of bytes at `at`.
template <typename W, const auto& Classes, std::size_t K, std::size_t... R, std::size_t... L>
void AddClass(const typename W::V& x, std::size_t at, uint64_t& out, std::index_sequence<R...>,
              std::index_sequence<L...>) {
    constexpr const TByteClass& c = Classes[K];
    typename W::M m;
    W::Clear(m);
    (AddRange<W, c.Ranges[R].Low, c.Ranges[R].High>(x, m), ...);
    if constexpr (sizeof...(L) > 0) {
        typename W::V folded;
        W::Fold(x, folded);
        (W::Eq(folded, c.Letters[L], m), ...);
    }
    out |= W::Bits(m) << at;
}

template <typename W, const auto& Classes, std::size_t... K>
void StripOf(const char* p, uint64_t* out, std::index_sequence<K...>) {
    ((out[K] = 0), ...);
    for (std::size_t at = 0; at < kStripBytes; at += W::kWidth) {
        typename W::V x;
        W::Load(p + at, x);
        (AddClass<W, Classes, K>(x, at, out[K], std::make_index_sequence<Classes[K].RangeCount>(),
                                 std::make_index_sequence<Classes[K].LetterCount>()),
         ...);
    }
}

// Masks of a text shorter than a strip.
template <typename W, const auto& Classes, std::size_t... K>
void ShortOf(const char* p, std::size_t size, uint64_t* out, std::index_sequence<K...> each) {
    if constexpr (W::kWidth == kStripBytes) {
        typename W::V x;
        W::LoadFirst(p, size, x);
        ((out[K] = 0), ...);
        (AddClass<W, Classes, K>(x, 0, out[K], std::make_index_sequence<Classes[K].RangeCount>(),
                                 std::make_index_sequence<Classes[K].LetterCount>()),
         ...);
        ((out[K] &= (uint64_t{1} << size) - 1), ...);
    } else if (size < W::kWidth) {
        if constexpr (!std::is_void_v<typename W::TNarrower>) {
            ShortOf<typename W::TNarrower, Classes>(p, size, out, each);
        } else {
            char piece[W::kWidth] = {};
            std::memcpy(piece, p, size);
            typename W::V x;
            W::Load(piece, x);
            ((out[K] = 0), ...);
            (AddClass<W, Classes, K>(x, 0, out[K], std::make_index_sequence<Classes[K].RangeCount>(),
                                     std::make_index_sequence<Classes[K].LetterCount>()),
             ...);
            ((out[K] &= (uint64_t{1} << size) - 1), ...);
        }
    } else {
        // Whole registers, the last one ending with the text: the bytes it
        // shares with the one before give the same bits.
        ((out[K] = 0), ...);
        for (std::size_t at = 0;; at += W::kWidth) {
            const std::size_t from = at + W::kWidth <= size ? at : size - W::kWidth;
            typename W::V x;
            W::Load(p + from, x);
            (AddClass<W, Classes, K>(x, from, out[K], std::make_index_sequence<Classes[K].RangeCount>(),
                                     std::make_index_sequence<Classes[K].LetterCount>()),
             ...);
            if (from + W::kWidth == size) break;
        }
    }
}

template <typename W, typename TVisitor>
void Wide(const char* bytes, std::size_t size, TVisitor& visitor) {
    constexpr const auto& kClasses = TVisitor::kClasses;
    constexpr std::size_t kCount = std::size(kClasses);
    constexpr auto kEach = std::make_index_sequence<kCount>();
    uint64_t masks[kCount];
    const std::size_t whole = size / kStripBytes;
    for (std::size_t s = 0; s < whole; ++s) {
        StripOf<W, TVisitor::kClasses>(bytes + kStripBytes * s, masks, kEach);
        if (!visitor.Strip(masks, s)) return;
    }
    const std::size_t tail = size % kStripBytes;
    if (tail == 0) return;
    if (whole > 0) {
        // The last 64 bytes, of which the strips before have seen the first ones.
        StripOf<W, TVisitor::kClasses>(bytes + size - kStripBytes, masks, kEach);
        for (uint64_t& mask : masks) mask >>= kStripBytes - tail;
    } else {
        ShortOf<W, TVisitor::kClasses>(bytes, size, masks, kEach);
    }
    visitor.Strip(masks, whole);
}

template <typename TVisitor>
__attribute__((flatten)) void Sse2(const char* bytes, std::size_t size, TVisitor& visitor) {
    Wide<TSse2>(bytes, size, visitor);
}

#if !defined(_WIN32)
template <typename TVisitor>
__attribute__((target("avx2,popcnt"), flatten)) void Avx2(const char* bytes, std::size_t size, TVisitor& visitor) {
    Wide<TAvx2>(bytes, size, visitor);
}

template <typename TVisitor>
__attribute__((target("avx512bw,popcnt"), flatten)) void Avx512(const char* bytes, std::size_t size,
                                                                TVisitor& visitor) {
    Wide<TAvx512>(bytes, size, visitor);
}
#endif
#endif

}  // namespace strip_masks

template <typename TVisitor>
void WalkStrips(const char* bytes, std::size_t size, TVisitor& visitor) {
    using TWalk = void (*)(const char*, std::size_t, TVisitor&);
    static const std::vector<TWalk> walks = [] {
        std::vector<TWalk> all = {strip_masks::Portable<TVisitor>};
#if defined(__SSE2__)
        all.push_back(strip_masks::Sse2<TVisitor>);
#if !defined(_WIN32)
        const TProcessorWidths widths = ProcessorWidths();
        if (widths.Avx2) all.push_back(strip_masks::Avx2<TVisitor>);
        if (widths.Avx512) all.push_back(strip_masks::Avx512<TVisitor>);
#endif
#endif
        return all;
    }();
    const std::size_t limit = StripPathLimit.load(std::memory_order_relaxed);
    walks[limit == 0 || limit > walks.size() ? walks.size() - 1 : limit - 1](bytes, size, visitor);
}

namespace strip_masks {

// Where a comment cuts a text, its size when none does, and the first
// assignment before that, std::string_view::npos when there is none; a strip at a time.
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
        if (Equals == std::string_view::npos && equals != 0)
            Equals = base + static_cast<std::size_t>(LowestBit(equals));
        if (cuts == 0) return true;
        Cut = base + static_cast<std::size_t>(LowestBit(cuts));
        return false;
    }

private:
    std::string_view Text_;

public:
    std::size_t Cut;
    std::size_t Equals = std::string_view::npos;
};

}  // namespace strip_masks

// Where a comment cuts a line's text after its leading blanks (its size when
// none does), and the first '=' before that (npos when there is none).
struct TCommentCut {
    std::size_t Cut;
    std::size_t Equals;
};
inline TCommentCut CommentCutOf(std::string_view text) {
    strip_masks::TCutFinder finder(text);
    WalkStrips(text.data(), text.size(), finder);
    return {finder.Cut, finder.Equals};
}
