#include "filecodec.h"

#include <array>

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

void appendReference(QByteArray &out, char32_t codePoint) {
    out.append("&#");
    out.append(QByteArray::number(quint32(codePoint)));
    out.append(';');
}

} // namespace

QString FileCodec::decode(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = quint8(bytes[i]);
        out[i] = (b >= 0x80 && b < 0xA0) ? kHighControls[b - 0x80] : char16_t(b);
    }
    return text;
}

QByteArray FileCodec::encode(QStringView text) {
    QByteArray out;
    out.reserve(text.size());
    const char16_t *s = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        const int b = byteFor(c);
        if (b >= 0) {
            out.append(char(b));
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
            appendReference(out, QChar::surrogateToUcs4(c, s[i + 1]));
            ++i;
        } else if (QChar::isSurrogate(c)) {
            appendReference(out, 0xFFFD);
        } else {
            appendReference(out, c);
        }
    }
    return out;
}

} // namespace quenbry
