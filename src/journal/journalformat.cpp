#include "journalformat.h"

#include "text/editorcore.h"
#include "text/gapbuffer.h"

#include <QtEndian>
#include <cstring>
#include <zlib.h>

namespace quenbry {

namespace {

constexpr char kMagic[] = "QUENBRY JOURNAL 1\n";
constexpr qsizetype kMagicLength = sizeof(kMagic) - 1;
constexpr qsizetype kFrame = 8; // the payload's length, then its checksum
constexpr char kCheckpoint = 'C';
constexpr char kEdit = 'E';

uLong crcOf(uLong crc, QByteArrayView bytes) {
    // zlib takes at most 4 GB at a time.
    for (qsizetype at = 0; at < bytes.size();) {
        const auto n = uInt(std::min<qsizetype>(bytes.size() - at, qsizetype(1) << 30));
        crc = ::crc32(crc, reinterpret_cast<const Bytef *>(bytes.data() + at), n);
        at += n;
    }
    return crc;
}

// The checksum covers the length too: a length torn into another one does not pass. The
// payload may come in two pieces.
quint32 checksum(quint32 length, QByteArrayView payload, QByteArrayView rest = {}) {
    uchar le[4];
    qToLittleEndian(length, le);
    return quint32(crcOf(crcOf(::crc32(0, le, 4), payload), rest));
}

template <typename T> void put(QByteArray &out, T value) {
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

// The characters as UTF-16, little-endian.
void putCharacters(QByteArray &out, QStringView text) {
    const qsizetype at = out.size();
    out.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    if constexpr (Q_BYTE_ORDER == Q_BIG_ENDIAN)
        qToLittleEndian<quint16>(out.constData() + at, text.size(), out.data() + at);
}

void putText(QByteArray &out, QStringView text) {
    put(out, quint32(text.size()));
    putCharacters(out, text);
}

QByteArray frame(const QByteArray &payload) {
    QByteArray out;
    out.reserve(payload.size() + kFrame);
    put(out, quint32(payload.size()));
    put(out, checksum(quint32(payload.size()), payload));
    out += payload;
    return out;
}

// Reads a payload field by field; any read past its end makes it unsound.
struct Reader {
    QByteArrayView bytes;
    qsizetype at = 0;
    bool ok = true;
    template <typename T> T get() {
        if (!ok || bytes.size() - at < qsizetype(sizeof(T))) {
            ok = false;
            return T();
        }
        const T value = qFromLittleEndian<T>(bytes.data() + at);
        at += sizeof(T);
        return value;
    }
    QByteArrayView take(qsizetype n) {
        if (!ok || n < 0 || bytes.size() - at < n) {
            ok = false;
            return {};
        }
        at += n;
        return bytes.sliced(at - n, n);
    }
    QString text() {
        const qsizetype n = get<quint32>();
        const QByteArrayView raw = take(n * 2);
        if (!ok)
            return {};
        QString s(n, Qt::Uninitialized);
        qFromLittleEndian<quint16>(raw.data(), n, s.data());
        return s;
    }
};

} // namespace

QByteArray journalHeader() {
    return QByteArray(kMagic, kMagicLength);
}

QByteArray journalCheckpointHead(qint64 time, const JournalDocument &document, QStringView text) {
    QByteArray head;
    head += kCheckpoint;
    put(head, time);
    put(head, quint8(document.encoding));
    put(head, quint32(document.fileName.size()));
    head += document.fileName;
    put(head, quint32(text.size()));
    const auto length = quint32(head.size() + text.size() * 2);
    QByteArray characters;
    if constexpr (Q_BYTE_ORDER == Q_BIG_ENDIAN)
        putCharacters(characters, text);
    else
        characters =
            QByteArray::fromRawData(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    QByteArray out;
    put(out, length);
    put(out, checksum(length, head, characters));
    return out + head;
}

QByteArray journalCheckpoint(qint64 time, const JournalDocument &document, QStringView text) {
    QByteArray out = journalCheckpointHead(time, document, text);
    putCharacters(out, text);
    return out;
}

QByteArray journalEdit(qint64 time, int start, int removed, QStringView inserted) {
    QByteArray payload;
    payload.reserve(24 + inserted.size() * 2);
    payload += kEdit;
    put(payload, time);
    put(payload, quint32(start));
    put(payload, quint32(removed));
    putText(payload, inserted);
    return frame(payload);
}

std::optional<JournalContent> readJournal(QByteArrayView bytes) {
    if (bytes.size() < kMagicLength || std::memcmp(bytes.data(), kMagic, kMagicLength) != 0)
        return std::nullopt;
    JournalContent content;
    // Edits are replayed in a gap buffer, as the editor made them: typing moves nothing far.
    TextBuffer text;
    const auto result = [&] {
        content.text = QString(text.size(), Qt::Uninitialized);
        text.copyOut(0, text.size(), reinterpret_cast<char16_t *>(content.text.data()));
        return std::optional(std::move(content));
    };
    qsizetype at = kMagicLength;
    for (bool first = true;; first = false) {
        if (at == bytes.size())
            return first ? std::nullopt : result();
        // A record is whole when its frame, its payload and its checksum all are.
        Reader frameReader{bytes.sliced(at)};
        const quint32 length = frameReader.get<quint32>();
        const quint32 sum = frameReader.get<quint32>();
        const QByteArrayView payload = frameReader.take(length);
        Reader r{payload};
        const char kind = r.get<char>();
        const qint64 time = r.get<qint64>();
        bool sound = frameReader.ok && length > 0 && checksum(length, payload) == sum &&
                     kind == (first ? kCheckpoint : kEdit);
        if (sound && first) {
            const quint8 encoding = r.get<quint8>();
            content.document.fileName = r.take(r.get<quint32>()).toByteArray();
            QString whole = r.text();
            sound = r.ok && encoding <= quint8(Encoding::Utf16Be) && r.at == payload.size() &&
                    whole.size() <= EditorCore::kLengthBound;
            text.adopt(std::move(whole));
            content.document.encoding = Encoding(encoding);
        } else if (sound) {
            const quint32 start = r.get<quint32>();
            const quint32 removed = r.get<quint32>();
            const QString inserted = r.text();
            sound = r.ok && r.at == payload.size() && start <= quint32(text.size()) &&
                    removed <= quint32(text.size()) - start &&
                    qint64(text.size()) - removed + inserted.size() <= EditorCore::kLengthBound;
            if (sound) {
                text.replace(int(start), int(removed),
                             reinterpret_cast<const char16_t *>(inserted.utf16()),
                             int(inserted.size()));
                ++content.edits;
            }
        }
        if (!sound) {
            if (first)
                return std::nullopt;
            content.cut = true;
            return result();
        }
        content.time = time;
        at += kFrame + length;
    }
}

} // namespace quenbry
