#pragma once
// Reading and writing a whole document file: the bytes through FileCodec in the file's encoding, a
// save that never leaves a torn or re-owned file behind, the file's identity for noticing other
// writers, and error texts for the user.

#include "filecodec.h"

#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <optional>

namespace quenbry {

// The largest file Open reads, and so the largest Save writes: 512 MiB. The editor holds a
// character in three bytes (UTF-16 and its colour) besides its line index: such a file keeps
// 2 GiB resident (3.3 GiB at the peak of opening it), and its length must stay far below what
// an int offset can count.
constexpr qint64 kMaxDocumentBytes = qint64(512) << 20;

// Which file a name stands for and when and how large it was last written: another program's
// save, or a second editor's, changes at least one of these.
struct FileStamp {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 modifiedSeconds = 0;
    qint64 modifiedNanoseconds = 0;
    qint64 size = 0;
    bool operator==(const FileStamp &) const = default;
};

struct FileResult {
    QString text;                              // what was read (reads only)
    QString error;                             // a sentence or two for the user; empty on success
    FileStamp stamp;                           // the file as it was read or written
    Encoding encoding = Encoding::Windows1252; // what was read is written in (reads only)
    bool ok() const { return error.isEmpty(); }
};

// Reads the whole file, in the encoding its bytes are written in, or in `as`: bytes that are not
// valid in it are refused, with the offset of the first. Only a regular file of at most `limit`
// bytes is read; a pipe or a device is refused before it is opened.
FileResult readDocumentFile(const QString &path, qint64 limit = kMaxDocumentBytes,
                            std::optional<Encoding> as = std::nullopt);

// Writes `text` and one CR LF in the encoding. A symbolic link is written through to its target. An
// existing file is replaced by a complete new one, renamed over it, that keeps its owner, group,
// permission bits and extended attributes; where such a replacement would differ from the
// file (other hard links, an owner that cannot be restored, a folder that takes no new file)
// the file itself is rewritten, after its room on the disk has been reserved and its old bytes
// are safe in a backup (see savebackup.h). Only regular files are written, and none of more
// than `limit` bytes, which Open would refuse.
FileResult writeDocumentFile(const QString &path, QStringView text,
                             Encoding encoding = Encoding::Windows1252,
                             qint64 limit = kMaxDocumentBytes);

// The file exists and has no write permission bit at all, yet this process could write it,
// being root: overwriting it needs the user's word.
bool writableOnlyAsRoot(const QString &path);

// The file's stamp now (through links); nothing when it cannot be looked at, e.g. because it
// does not exist.
std::optional<FileStamp> currentFileStamp(const QString &path);

} // namespace quenbry
