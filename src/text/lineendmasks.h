#pragma once
// Where the CRs and LFs lie among sixteen characters of text, one bit a character: the line
// index and the line-end census both read every character of an opened page, and almost every
// sixteen hold at most one line end.

#include <QtGlobal>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quenbry {

struct LineEndMasks {
    unsigned cr = 0; // bit k: p[k] is a CR
    unsigned lf = 0; // bit k: p[k] is an LF
};

constexpr int kLineEndMaskWidth = 16;

// A text's line ends by kind.
struct LineEndCounts {
    qint64 crLf = 0;
    qint64 lf = 0; // LF not after a CR
    qint64 cr = 0; // CR not before an LF
};

// Reads p[0, 16).
inline LineEndMasks lineEndMasks(const char16_t *p) {
#if defined(__SSE2__)
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 8));
    const __m128i crs = _mm_set1_epi16(u'\r'), lfs = _mm_set1_epi16(u'\n');
    // Packing the sixteen-bit comparisons to bytes keeps the characters' order in the mask.
    return {unsigned(_mm_movemask_epi8(
                _mm_packs_epi16(_mm_cmpeq_epi16(low, crs), _mm_cmpeq_epi16(high, crs)))),
            unsigned(_mm_movemask_epi8(
                _mm_packs_epi16(_mm_cmpeq_epi16(low, lfs), _mm_cmpeq_epi16(high, lfs))))};
#else
    LineEndMasks m;
    for (int k = 0; k < kLineEndMaskWidth; ++k) {
        m.cr |= unsigned(p[k] == u'\r') << k;
        m.lf |= unsigned(p[k] == u'\n') << k;
    }
    return m;
#endif
}

} // namespace quenbry
