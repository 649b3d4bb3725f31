#pragma once
// The bytes of a journal of unsaved text: a checkpoint that holds the whole document, then the
// edits made since, each record framed with its length and a checksum so that one cut short
// at any byte is told apart from a whole one.

#include "document/filecodec.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace quenbry {

// What a checkpoint says of the document besides its text.
struct JournalDocument {
    QByteArray fileName; // its file's name as bytes; empty for a document without one
    Encoding encoding = Encoding::Windows1252;
    bool operator==(const JournalDocument &o) const {
        return fileName == o.fileName && encoding == o.encoding;
    }
};

// A file's first bytes, then a checkpoint.
QByteArray journalHeader();
QByteArray journalCheckpoint(qint64 time, const JournalDocument &document, QStringView text);
// The same checkpoint's bytes up to its text, whose own bytes (UTF-16, little-endian) follow
// them: a large page is written from where it lies, not copied once more.
QByteArray journalCheckpointHead(qint64 time, const JournalDocument &document, QStringView text);
// [start, start + removed) became `inserted`.
QByteArray journalEdit(qint64 time, int start, int removed, QStringView inserted);

// A journal read back: the document, the text after the checkpoint and every whole edit that
// follows it, and when the last of those was made (milliseconds since the epoch).
struct JournalContent {
    JournalDocument document;
    QString text;
    qint64 time = 0;
    int edits = 0;    // the edits that were replayed
    bool cut = false; // bytes after them were not a whole, sound record
};

// Nothing when even the checkpoint is not whole: the journal is damaged.
std::optional<JournalContent> readJournal(QByteArrayView bytes);

} // namespace quenbry
