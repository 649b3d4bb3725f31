#pragma once
// The bytes of a document file and the editor's characters: Windows-1252, one byte one
// character, with references for what the code page cannot hold.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace quenbry {

class FileCodec {
public:
    // Every byte becomes one character. The five bytes that Windows-1252 leaves undefined
    // (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters of the same number, so
    // that any file comes back byte for byte when it is encoded again.
    static QString decode(QByteArrayView bytes);

    // Every character that decode can produce becomes its byte. Any other character is
    // written as a decimal HTML character reference ("&#8364;"); a surrogate pair is one
    // character with one reference, a lone surrogate becomes "&#65533;", which is what a
    // browser shows for it.
    static QByteArray encode(QStringView text);
};

} // namespace quenbry
