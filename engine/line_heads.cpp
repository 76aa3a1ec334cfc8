#include "line_heads.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

struct TMasks {
    uint64_t Lf = 0;
    uint64_t Control = 0;  // bytes <= 32 and >= 128
    uint64_t Initial = 0;  // s, b, m in either case
    uint64_t Cr = 0;
    uint64_t CtrlZ = 0;
};

TMasks MasksByByte(const char* p) {
    TMasks m;
    for (int i = 0; i < 64; ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        const int low = c | 0x20;
        const uint64_t bit = uint64_t{1} << i;
        if (c == '\n') m.Lf |= bit;
        if (c <= 32 || c >= 128) m.Control |= bit;
        if (low == 's' || low == 'b' || low == 'm') m.Initial |= bit;
        if (c == '\r') m.Cr |= bit;
        if (c == 0x1A) m.CtrlZ |= bit;
    }
    return m;
}

// The first byte after each run of leading controls: adding a run's first
// bit to the run carries through it to the byte above.
inline __attribute__((always_inline)) TWindowFacts FactsOf(const TMasks& m, bool lfNext, uint64_t& atLineHead) {
    const uint64_t seeds = (m.Lf << 1) | atLineHead;
    const uint64_t runs = m.Control & ~m.Lf;
    const uint64_t carried = runs + (seeds & runs);
    const uint64_t heads = (carried & ~runs) | (seeds & ~runs);
    atLineHead = (m.Lf >> 63) | static_cast<uint64_t>(carried < runs);
    const uint64_t crBeforeLf = m.Cr & ((m.Lf >> 1) | (static_cast<uint64_t>(lfNext) << 63));
    return {m.Lf, heads & m.Initial, (m.Cr & ~crBeforeLf) | m.CtrlZ, __builtin_popcountll(m.Lf)};
}

inline __attribute__((always_inline)) bool LfNext(const char* p, std::size_t w, std::size_t count, bool lfAfter) {
    return w + 1 < count ? p[64] == '\n' : lfAfter;
}

void ClassifyPortable(const char* bytes, std::size_t count, bool lfAfter, uint64_t& atLineHead, TWindowFacts* facts) {
    for (std::size_t w = 0; w < count; ++w) {
        const char* p = bytes + 64 * w;
        facts[w] = FactsOf(MasksByByte(p), LfNext(p, w, count, lfAfter), atLineHead);
    }
}

#if defined(__SSE2__)
uint64_t Bits(__m128i mask, int at) {
    return static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(mask))) << at;
}

void ClassifySse2(const char* bytes, std::size_t count, bool lfAfter, uint64_t& atLineHead, TWindowFacts* facts) {
    for (std::size_t w = 0; w < count; ++w) {
        const char* p = bytes + 64 * w;
        TMasks m;
        __m128i ctrlZ = _mm_setzero_si128();
        for (int at = 0; at < 64; at += 16) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
            const __m128i low = _mm_or_si128(x, _mm_set1_epi8(0x20));
            const __m128i initial = _mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi8(low, _mm_set1_epi8('s')), _mm_cmpeq_epi8(low, _mm_set1_epi8('b'))),
                _mm_cmpeq_epi8(low, _mm_set1_epi8('m')));
            m.Lf |= Bits(_mm_cmpeq_epi8(x, _mm_set1_epi8('\n')), at);
            m.Control |= Bits(_mm_cmplt_epi8(x, _mm_set1_epi8(33)), at);
            m.Initial |= Bits(initial, at);
            m.Cr |= Bits(_mm_cmpeq_epi8(x, _mm_set1_epi8('\r')), at);
            ctrlZ = _mm_or_si128(ctrlZ, _mm_cmpeq_epi8(x, _mm_set1_epi8(0x1A)));
        }
        // Ctrl+Z is rare: the window is looked at byte by byte only when it holds one.
        if (_mm_movemask_epi8(ctrlZ) != 0) m = MasksByByte(p);
        facts[w] = FactsOf(m, LfNext(p, w, count, lfAfter), atLineHead);
    }
}

// Wider registers where the processor has them. Not in the Windows build:
// its compiler does not align the stack for 32-byte spills.
#if !defined(_WIN32)
__attribute__((target("avx2,popcnt"))) uint64_t Bits(__m256i mask, int at) {
    return static_cast<uint64_t>(static_cast<uint32_t>(_mm256_movemask_epi8(mask))) << at;
}

__attribute__((target("avx2,popcnt"))) void ClassifyAvx2(const char* bytes, std::size_t count, bool lfAfter,
                                                         uint64_t& atLineHead, TWindowFacts* facts) {
    for (std::size_t w = 0; w < count; ++w) {
        const char* p = bytes + 64 * w;
        TMasks m;
        __m256i ctrlZ = _mm256_setzero_si256();
        for (int at = 0; at < 64; at += 32) {
            const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + at));
            const __m256i low = _mm256_or_si256(x, _mm256_set1_epi8(0x20));
            const __m256i initial = _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(low, _mm256_set1_epi8('s')),
                                                                    _mm256_cmpeq_epi8(low, _mm256_set1_epi8('b'))),
                                                    _mm256_cmpeq_epi8(low, _mm256_set1_epi8('m')));
            m.Lf |= Bits(_mm256_cmpeq_epi8(x, _mm256_set1_epi8('\n')), at);
            m.Control |= Bits(_mm256_cmpgt_epi8(_mm256_set1_epi8(33), x), at);
            m.Initial |= Bits(initial, at);
            m.Cr |= Bits(_mm256_cmpeq_epi8(x, _mm256_set1_epi8('\r')), at);
            ctrlZ = _mm256_or_si256(ctrlZ, _mm256_cmpeq_epi8(x, _mm256_set1_epi8(0x1A)));
        }
        if (_mm256_movemask_epi8(ctrlZ) != 0) m = MasksByByte(p);
        facts[w] = FactsOf(m, LfNext(p, w, count, lfAfter), atLineHead);
    }
}

__attribute__((target("avx512bw,popcnt"))) void ClassifyAvx512(const char* bytes, std::size_t count, bool lfAfter,
                                                               uint64_t& atLineHead, TWindowFacts* facts) {
    for (std::size_t w = 0; w < count; ++w) {
        const char* p = bytes + 64 * w;
        const __m512i x = _mm512_loadu_si512(p);
        const __m512i low = _mm512_or_si512(x, _mm512_set1_epi8(0x20));
        TMasks m;
        m.Lf = _mm512_cmpeq_epi8_mask(x, _mm512_set1_epi8('\n'));
        m.Control = _mm512_cmplt_epi8_mask(x, _mm512_set1_epi8(33));
        m.Initial = _mm512_cmpeq_epi8_mask(low, _mm512_set1_epi8('s')) |
                    _mm512_cmpeq_epi8_mask(low, _mm512_set1_epi8('b')) |
                    _mm512_cmpeq_epi8_mask(low, _mm512_set1_epi8('m'));
        m.Cr = _mm512_cmpeq_epi8_mask(x, _mm512_set1_epi8('\r'));
        m.CtrlZ = _mm512_cmpeq_epi8_mask(x, _mm512_set1_epi8(0x1A));
        facts[w] = FactsOf(m, LfNext(p, w, count, lfAfter), atLineHead);
    }
}

#endif
#endif

}  // namespace

std::vector<TClassifierPath> ClassifierPaths() {
    std::vector<TClassifierPath> paths = {{"portable", ClassifyPortable}};
#if defined(__SSE2__)
    paths.push_back({"sse2", ClassifySse2});
#if !defined(_WIN32)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) paths.push_back({"avx2", ClassifyAvx2});
    if (__builtin_cpu_supports("avx512bw")) paths.push_back({"avx512", ClassifyAvx512});
#endif
#endif
    return paths;
}

void ClassifyWindows(const char* bytes, std::size_t count, bool lfAfter, uint64_t& atLineHead, TWindowFacts* facts) {
    static const TClassifier classify = ClassifierPaths().back().Classify;
    classify(bytes, count, lfAfter, atLineHead, facts);
}
