#include "filecodec.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <cctype>

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

QByteArrayView byteOrderMark(Encoding encoding) {
    switch (encoding) {
    case Encoding::Utf8WithBom:
        return "\xEF\xBB\xBF";
    case Encoding::Utf16Le:
        return "\xFF\xFE";
    case Encoding::Utf16Be:
        return "\xFE\xFF";
    default:
        return {};
    }
}

// A string of n characters in room's memory when it holds enough, else in fresh memory.
QString textIn(QString &room, qsizetype n) {
    if (room.capacity() < n || !room.isDetached())
        return QString(n, Qt::Uninitialized);
    QString text = std::move(room);
    text.resize(n);
    return text;
}

// Well-formed UTF-8 as text (overlong forms, surrogates and code points beyond U+10FFFF are not
// well-formed), checked and decoded in one pass: a page of megabytes waits for neither twice.
// Nothing when a byte does not begin a well-formed sequence, with its offset in invalidAt;
// multiByte tells whether any sequence was longer than one byte.
std::optional<QString> decodeUtf8(QByteArrayView bytes, qsizetype &invalidAt, bool &multiByte,
                                  QString &room) {
    const auto *s = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype n = bytes.size();
    // Never more units than bytes: a four-byte sequence is two.
    QString text = textIn(room, n);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    // Bytes that are not UTF-8 are read again in another encoding, which may use the memory.
    const auto fail = [&] {
        room = std::move(text);
        return std::nullopt;
    };
    qsizetype i = 0, o = 0;
    while (i < n) {
#if defined(__SSE2__)
        // Most of a page is ASCII: sixteen bytes at a time, up to the first that is not. The
        // units are written for all sixteen; those after it are written again (o <= i).
        // Text in other scripts runs from one sequence to the next without an ASCII byte.
        const __m128i zero = _mm_setzero_si128();
        while (i + 16 <= n && s[i] < 0x80) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + o), _mm_unpacklo_epi8(v, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + o + 8), _mm_unpackhi_epi8(v, zero));
            const int high = _mm_movemask_epi8(v);
            const int ascii = high == 0 ? 16 : __builtin_ctz(unsigned(high));
            i += ascii;
            o += ascii;
            if (ascii < 16)
                break;
        }
        if (i == n)
            break;
#endif
        const uchar lead = s[i];
        if (lead < 0x80) {
            out[o++] = lead;
            ++i;
            continue;
        }
        // Three bytes whose lead allows every continuation: most of the world's scripts,
        // Chinese and Japanese among them, with nothing overlong or a surrogate to rule out.
        if (((lead >= 0xE1 && lead <= 0xEC) || lead >= 0xEE) && lead <= 0xEF && i + 2 < n &&
            (s[i + 1] & 0xC0) == 0x80 && (s[i + 2] & 0xC0) == 0x80) {
            out[o++] = char16_t((lead & 0x0F) << 12 | (s[i + 1] & 0x3F) << 6 | (s[i + 2] & 0x3F));
            multiByte = true;
            i += 3;
            continue;
        }
        const int length = lead >= 0xC2 && lead <= 0xDF   ? 2
                           : lead >= 0xE0 && lead <= 0xEF ? 3
                           : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                          : 0;
        invalidAt = i;
        if (length == 0 || i + length > n)
            return fail();
        char32_t codePoint = lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                return fail();
            codePoint = codePoint << 6 | (s[i + k] & 0x3F);
        }
        if ((length == 3 && (codePoint < 0x800 || (codePoint >= 0xD800 && codePoint < 0xE000))) ||
            (length == 4 && (codePoint < 0x10000 || codePoint > 0x10FFFF)))
            return fail();
        if (QChar::requiresSurrogates(codePoint)) {
            out[o++] = QChar::highSurrogate(codePoint);
            out[o++] = QChar::lowSurrogate(codePoint);
        } else {
            out[o++] = char16_t(codePoint);
        }
        multiByte = true;
        i += length;
    }
    text.truncate(o);
    // Text far beyond ASCII takes fewer units than bytes: its room is given back.
    if (o < n - n / 4)
        text.squeeze();
    return text;
}

// A <meta> tag in the first 1,024 bytes says charset=utf-8: `<meta charset="utf-8">` or
// `<meta http-equiv="Content-Type" content="text/html; charset=utf-8">`, in any case, with or
// without quotes.
bool declaresUtf8(QByteArrayView bytes) {
    const QByteArray head = bytes.first(std::min<qsizetype>(bytes.size(), 1024)).toByteArray();
    const QByteArray lower = head.toLower();
    const auto isSpace = [&](qsizetype i) {
        return i < lower.size() && std::isspace(uchar(lower[i]));
    };
    for (qsizetype meta = lower.indexOf("<meta"); meta >= 0;
         meta = lower.indexOf("<meta", meta + 1)) {
        qsizetype end = lower.indexOf('>', meta);
        if (end < 0)
            end = lower.size();
        for (qsizetype at = lower.indexOf("charset", meta); at >= 0 && at < end;
             at = lower.indexOf("charset", at + 1)) {
            qsizetype i = at + 7;
            while (isSpace(i))
                ++i;
            if (i >= end || lower[i] != '=')
                continue;
            ++i;
            while (isSpace(i))
                ++i;
            if (i < end && (lower[i] == '"' || lower[i] == '\''))
                ++i;
            for (const QByteArrayView label : {QByteArrayView("utf-8"), QByteArrayView("utf8")}) {
                const qsizetype after = i + label.size();
                if (after <= end && QByteArrayView(lower).sliced(i, label.size()) == label &&
                    (after == lower.size() || !std::isalnum(uchar(lower[after]))))
                    return true;
            }
        }
    }
    return false;
}

std::optional<QString> decodeUtf16(QByteArrayView bytes, qsizetype base, bool bigEndian,
                                   qsizetype *invalidAt) {
    const auto fail = [&](qsizetype offset) {
        if (invalidAt)
            *invalidAt = base + offset;
        return std::nullopt;
    };
    if (bytes.size() % 2 != 0)
        return fail(bytes.size() - 1);
    QString text(bytes.size() / 2, Qt::Uninitialized);
    char16_t *units = reinterpret_cast<char16_t *>(text.data());
    if (bigEndian)
        qFromBigEndian<char16_t>(bytes.data(), text.size(), units);
    else
        qFromLittleEndian<char16_t>(bytes.data(), text.size(), units);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!QChar::isSurrogate(units[i]))
            continue;
        if (!QChar::isHighSurrogate(units[i]) || i + 1 == text.size() ||
            !QChar::isLowSurrogate(units[i + 1]))
            return fail(2 * i);
        ++i;
    }
    return text;
}

// The text itself, or a copy in scratch with every lone surrogate made U+FFFD.
QStringView wellFormed(QStringView text, QString &scratch) {
    if (text.isValidUtf16())
        return text;
    scratch = text.toString();
    char16_t *s = reinterpret_cast<char16_t *>(scratch.data());
    for (qsizetype i = 0; i < scratch.size(); ++i) {
        if (QChar::isHighSurrogate(s[i]) && i + 1 < scratch.size() &&
            QChar::isLowSurrogate(s[i + 1]))
            ++i;
        else if (QChar::isSurrogate(s[i]))
            s[i] = QChar::ReplacementCharacter;
    }
    return scratch;
}

} // namespace

QString encodingName(Encoding encoding) {
    switch (encoding) {
    case Encoding::Windows1252:
        break;
    case Encoding::Utf8:
        return QStringLiteral("UTF-8");
    case Encoding::Utf8WithBom:
        return QStringLiteral("UTF-8 with BOM");
    case Encoding::Utf16Le:
        return QStringLiteral("UTF-16 LE");
    case Encoding::Utf16Be:
        return QStringLiteral("UTF-16 BE");
    }
    return QStringLiteral("Windows-1252");
}

std::optional<Encoding> encodingFromName(QStringView name) {
    for (const Encoding e : allEncodings)
        if (name == encodingName(e))
            return e;
    return std::nullopt;
}

QByteArray encodingCharset(Encoding encoding) {
    switch (encoding) {
    case Encoding::Windows1252:
        break;
    case Encoding::Utf8:
    case Encoding::Utf8WithBom:
        return QByteArrayLiteral("utf-8");
    case Encoding::Utf16Le:
        return QByteArrayLiteral("utf-16le");
    case Encoding::Utf16Be:
        return QByteArrayLiteral("utf-16be");
    }
    return QByteArrayLiteral("windows-1252");
}

FileCodec::Decoded FileCodec::decodeDetected(QByteArrayView bytes, QString room) {
    for (const Encoding e : {Encoding::Utf8WithBom, Encoding::Utf16Le, Encoding::Utf16Be}) {
        if (!bytes.startsWith(byteOrderMark(e)))
            continue;
        if (std::optional<QString> text =
                decode(bytes, e, nullptr, e == Encoding::Utf8WithBom ? std::move(room) : QString()))
            return {std::move(*text), e};
    }
    bool multiByte = false;
    qsizetype invalidAt = 0;
    if (std::optional<QString> text = decodeUtf8(bytes, invalidAt, multiByte, room)) {
        // Pure ASCII reads the same in Windows-1252.
        const bool utf8 = multiByte || declaresUtf8(bytes);
        return {std::move(*text), utf8 ? Encoding::Utf8 : Encoding::Windows1252};
    }
    return {decode(bytes, std::move(room)), Encoding::Windows1252};
}

std::optional<QString> FileCodec::decode(QByteArrayView bytes, Encoding encoding,
                                         qsizetype *invalidAt, QString room) {
    const QByteArrayView mark = byteOrderMark(encoding);
    const qsizetype base = bytes.startsWith(mark) ? mark.size() : 0;
    const QByteArrayView body = bytes.sliced(base);
    switch (encoding) {
    case Encoding::Windows1252:
        return decode(bytes, std::move(room));
    case Encoding::Utf8:
    case Encoding::Utf8WithBom: {
        bool multiByte = false;
        qsizetype bad = 0;
        std::optional<QString> text = decodeUtf8(body, bad, multiByte, room);
        if (!text && invalidAt)
            *invalidAt = base + bad;
        return text;
    }
    case Encoding::Utf16Le:
    case Encoding::Utf16Be:
        return decodeUtf16(body, base, encoding == Encoding::Utf16Be, invalidAt);
    }
    return std::nullopt;
}

QByteArray FileCodec::encodeFile(QStringView text, Encoding encoding) {
    QByteArray bytes = encode(text, encoding);
    switch (encoding) {
    case Encoding::Utf16Le:
        return bytes.append("\r\0\n\0", 4);
    case Encoding::Utf16Be:
        return bytes.append("\0\r\0\n", 4);
    default:
        return bytes.append("\r\n");
    }
}

QByteArray FileCodec::encode(QStringView text, Encoding encoding) {
    if (encoding == Encoding::Windows1252)
        return encode(text);
    QString scratch;
    const QStringView units = wellFormed(text, scratch);
    QByteArray bytes = byteOrderMark(encoding).toByteArray();
    if (encoding == Encoding::Utf8 || encoding == Encoding::Utf8WithBom)
        return bytes + units.toUtf8();
    const qsizetype start = bytes.size();
    bytes.resize(start + 2 * units.size());
    if (encoding == Encoding::Utf16Be)
        qToBigEndian<char16_t>(units.utf16(), units.size(), bytes.data() + start);
    else
        qToLittleEndian<char16_t>(units.utf16(), units.size(), bytes.data() + start);
    return bytes;
}

QString FileCodec::decode(QByteArrayView bytes, QString room) {
    QString text = textIn(room, bytes.size());
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
