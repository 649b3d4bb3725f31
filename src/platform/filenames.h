#pragma once
// File names as the system gives them: bytes in any encoding. A name travels through the
// program as a QString that maps back to exactly its bytes.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

class QUrl;

namespace quenbry {

// Valid UTF-8 decodes as UTF-8; each byte that is not part of valid UTF-8 becomes the lone
// surrogate U+DC80..U+DCFF, so that fileNameToBytes gives the bytes back.
QString fileNameFromBytes(QByteArrayView bytes);
QByteArray fileNameToBytes(QStringView name);

// The name for a caption or a message: U+FFFD for each byte that is not UTF-8.
QString displayFileName(QStringView name);

// The absolute form of a name from the command line, against the current folder as bytes;
// "." and ".." are resolved by name, links are kept.
QString absoluteFileName(const QString &name);

// A file: URL that names the file's exact bytes.
QUrl localFileUrl(const QString &path);

} // namespace quenbry
