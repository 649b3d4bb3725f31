#pragma once
// The journals that editors no longer running left in the state folder, found at start-up.

#include "journalformat.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace quenbry {

// One journal, locked for as long as this object holds it, so that no other editor offers it
// meanwhile.
struct LeftJournal {
    QString path;
    JournalContent content;
    int fd = -1;
    qint64 size = 0;

    LeftJournal() = default;
    LeftJournal(LeftJournal &&other) noexcept;
    LeftJournal &operator=(LeftJournal &&other) noexcept;
    ~LeftJournal();
    // The file's name as the user knows it, "Untitled" for a document without one.
    QString documentName() const;
};

struct LeftJournals {
    std::vector<LeftJournal> found; // newest first
    // Journals that could not be read: each was renamed with a ".damaged" suffix; these are
    // their new paths.
    QStringList damaged;
};

// Journals in use by a running editor are left alone; unfinished ones of dead editors go.
LeftJournals leftJournals();
// Deletes the journal for good; an error text for the user on failure.
QString deleteLeftJournal(LeftJournal &journal);

} // namespace quenbry
