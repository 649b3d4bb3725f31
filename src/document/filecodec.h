#pragma once
// The bytes of a document file and the editor's characters: Windows-1252, one byte one
// character, with references for what the code page cannot hold; UTF-8 and UTF-16, every
// character as itself; and which of them a file's bytes are written in.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>

namespace quenbry {

// UTF-16 files always carry their byte-order mark; UTF-8 ones may or may not.
enum class Encoding { Windows1252, Utf8, Utf8WithBom, Utf16Le, Utf16Be };

inline constexpr std::array allEncodings = {Encoding::Windows1252, Encoding::Utf8,
                                            Encoding::Utf8WithBom, Encoding::Utf16Le,
                                            Encoding::Utf16Be};

// The name users see ("UTF-8 with BOM"), and back.
QString encodingName(Encoding encoding);
std::optional<Encoding> encodingFromName(QStringView name);
// The charset a browser is told the bytes are in ("utf-16le").
QByteArray encodingCharset(Encoding encoding);

// A decode may put the text in the memory of `room` (its capacity; its characters do not
// count) when that holds enough: memory made ready on another thread while the file was read
// spares an Open of a large page the wait for fresh memory.
class FileCodec {
public:
    struct Decoded {
        QString text;
        Encoding encoding;
    };
    // The text in the encoding the bytes are written in. A byte-order mark decides, when what
    // follows it is valid in its encoding; then UTF-8 that holds a multi-byte sequence, or
    // pure ASCII that declares charset=utf-8 in a <meta> tag of its first 1,024 bytes; any
    // other file is Windows-1252, which takes every byte, so that no file fails to open or
    // comes back changed.
    static Decoded decodeDetected(QByteArrayView bytes, QString room = {});

    // The bytes' text in the encoding, without its byte-order mark; nothing when they are not
    // valid in it, with the offset of the first byte that is not in `invalidAt`.
    static std::optional<QString> decode(QByteArrayView bytes, Encoding encoding,
                                         qsizetype *invalidAt = nullptr, QString room = {});
    // The text in the encoding, its byte-order mark first. A lone surrogate, which UTF-8 and
    // UTF-16 cannot hold, becomes U+FFFD, as a browser would show it.
    static QByteArray encode(QStringView text, Encoding encoding);
    // What a saved file holds: the text, then the one CR LF every save appends.
    static QByteArray encodeFile(QStringView text, Encoding encoding);

    // Every byte becomes one character. The five bytes that Windows-1252 leaves undefined
    // (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters of the same number, so
    // that any file comes back byte for byte when it is encoded again.
    static QString decode(QByteArrayView bytes, QString room = {});

    // Every character that decode can produce becomes its byte. Any other character is
    // written as a decimal HTML character reference ("&#8364;"); a surrogate pair is one
    // character with one reference, a lone surrogate becomes "&#65533;", which is what a
    // browser shows for it.
    static QByteArray encode(QStringView text);
};

} // namespace quenbry
