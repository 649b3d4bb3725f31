#include "filenames.h"

#include <QDir>
#include <QUrl>

#include <cerrno>
#include <climits>
#include <unistd.h>

namespace quenbry {

namespace {

constexpr char16_t escapeBase = 0xDC00;

bool isEscape(char16_t c) {
    return c >= escapeBase + 0x80 && c <= escapeBase + 0xFF;
}

// The length of the valid UTF-8 sequence at the start of `s`, or 0. Overlong forms,
// surrogates and values beyond U+10FFFF are not valid: they could not come back as the same
// bytes.
qsizetype validSequence(QByteArrayView s) {
    const auto b = [&](qsizetype i) {
        return uchar(s[i]);
    };
    const uchar lead = b(0);
    if (lead < 0x80)
        return 1;
    qsizetype length;
    char32_t min, value;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, min = 0x80, value = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, min = 0x800, value = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, min = 0x10000, value = lead & 0x07;
    else
        return 0;
    if (s.size() < length)
        return 0;
    for (qsizetype i = 1; i < length; ++i) {
        if ((b(i) & 0xC0) != 0x80)
            return 0;
        value = value << 6 | (b(i) & 0x3F);
    }
    if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

QString fileNameFromBytes(QByteArrayView bytes) {
    QString name;
    name.reserve(bytes.size());
    qsizetype valid = 0; // the start of the run of valid bytes not yet decoded
    for (qsizetype i = 0; i < bytes.size();) {
        const qsizetype n = validSequence(bytes.sliced(i));
        if (n > 0) {
            i += n;
            continue;
        }
        name += QString::fromUtf8(bytes.sliced(valid, i - valid));
        name += QChar(escapeBase + uchar(bytes[i]));
        valid = ++i;
    }
    name += QString::fromUtf8(bytes.sliced(valid));
    return name;
}

QByteArray fileNameToBytes(QStringView name) {
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype plain = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        // The low half of a pair is a character of its own, not an escaped byte.
        if (!isEscape(c) || (i > 0 && QChar::isHighSurrogate(name[i - 1].unicode())))
            continue;
        bytes += name.sliced(plain, i - plain).toUtf8();
        bytes += char(c - escapeBase);
        plain = i + 1;
    }
    bytes += name.sliced(plain).toUtf8();
    return bytes;
}

QString displayFileName(QStringView name) {
    QString shown = name.toString();
    for (qsizetype i = 0; i < shown.size(); ++i)
        if (isEscape(shown[i].unicode()) && (i == 0 || !shown[i - 1].isHighSurrogate()))
            shown[i] = QChar::ReplacementCharacter;
    return shown;
}

QString absoluteFileName(const QString &name) {
    if (name.startsWith(u'/'))
        return QDir::cleanPath(name);
    QByteArray here(PATH_MAX, Qt::Uninitialized);
    while (!::getcwd(here.data(), size_t(here.size()))) {
        if (errno != ERANGE)
            return QDir::cleanPath(name); // the folder is gone: as relative as the user gave it
        here.resize(here.size() * 2);
    }
    here.truncate(qsizetype(qstrlen(here.constData())));
    return QDir::cleanPath(fileNameFromBytes(here) + u'/' + name);
}

QUrl localFileUrl(const QString &path) {
    // QUrl keeps the percent-encoded bytes that are not UTF-8 as they are.
    return QUrl::fromEncoded("file://" + fileNameToBytes(path).toPercentEncoding("/"),
                             QUrl::StrictMode);
}

} // namespace quenbry
