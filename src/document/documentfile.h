#pragma once
// Reading and writing a whole document file: the bytes through FileCodec, a save that
// replaces the old file only once the new one is complete, and error texts for the user.

#include <QString>
#include <QStringView>

namespace quenbry {

struct FileResult {
    QString text;  // what was read (reads only)
    QString error; // a sentence or two for the user; empty on success
    bool ok() const { return error.isEmpty(); }
};

// Reads the whole file; on success `text` holds one character per byte.
FileResult readDocumentFile(const QString &path);

// Writes `text` and one CR LF. A regular file (new or existing) is written to a temporary
// file beside it and renamed over it, so a failed save leaves the old file as it was; the
// old file's permissions are kept and a symbolic link is written through to its target.
// Devices and pipes cannot be replaced that way and are written directly.
FileResult writeDocumentFile(const QString &path, QStringView text);

} // namespace quenbry
