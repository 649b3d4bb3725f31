#include "filecodec.h"

#include <algorithm>
#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quenbry {

namespace {

// Bytes 0x80 to 0x9F; the undefined ones keep their own number.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr bool isUndefinedByte(char16_t c) {
    return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

// The byte for a character, or -1 when the code page has none.
int byteFor(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF) || isUndefinedByte(c))
        return c;
    if (c < 0x100)
        return -1; // the remaining C1 controls: their bytes mean other characters
    for (int i = 0; i < int(kHighControls.size()); ++i) {
        if (kHighControls[i] == c)
            return 0x80 + i;
    }
    return -1;
}

// Writes "&#N;" at p and returns the position after it.
char *writeReference(char *p, char32_t codePoint) {
    char digits[10];
    int n = 0;
    do {
        digits[n++] = char('0' + codePoint % 10);
        codePoint /= 10;
    } while (codePoint != 0);
    *p++ = '&';
    *p++ = '#';
    while (n > 0)
        *p++ = digits[--n];
    *p++ = ';';
    return p;
}

// "&#1114111;", the longest reference.
constexpr qsizetype kMaxReference = 10;

} // namespace

QString FileCodec::decode(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
#if defined(__SSE2__)
        // Sixteen bytes at a time while they are ASCII, which is most of any HTML page: opening
        // a page of megabytes should not wait for its bytes one by one.
        const __m128i zero = _mm_setzero_si128();
        for (; i + 16 <= n; i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes.data() + i));
            if (_mm_movemask_epi8(v) != 0)
                break;
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), _mm_unpacklo_epi8(v, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i + 8), _mm_unpackhi_epi8(v, zero));
        }
#endif
        for (const qsizetype end = std::min(n, i + 16); i < end; ++i) {
            const auto b = quint8(bytes[i]);
            out[i] = (b >= 0x80 && b < 0xA0) ? kHighControls[b - 0x80] : char16_t(b);
        }
    }
    return text;
}

QByteArray FileCodec::encode(QStringView text) {
    const char16_t *s = text.utf16();
    const qsizetype n = text.size();
    // One byte a character is the common case; references grow the buffer as they come.
    QByteArray out(n, Qt::Uninitialized);
    qsizetype used = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        const int b = byteFor(c);
        if (b >= 0) {
            out.data()[used++] = char(b);
            continue;
        }
        const qsizetype needed = used + kMaxReference + (n - i - 1);
        if (needed > out.size())
            out.resize(std::max(needed, out.size() + out.size() / 2));
        char *p = out.data() + used;
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
            p = writeReference(p, QChar::surrogateToUcs4(c, s[i + 1]));
            ++i;
        } else if (QChar::isSurrogate(c)) {
            p = writeReference(p, 0xFFFD);
        } else {
            p = writeReference(p, c);
        }
        used = p - out.data();
    }
    out.truncate(used);
    return out;
}

} // namespace quenbry
