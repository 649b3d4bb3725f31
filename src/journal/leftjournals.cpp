#include "leftjournals.h"

#include "document/savebackup.h"
#include "journalnames.h"
#include "platform/filedescriptor.h"
#include "platform/filenames.h"

#include <QCoreApplication>
#include <algorithm>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace quenbry {

LeftJournal::LeftJournal(LeftJournal &&other) noexcept
    : path(std::move(other.path))
    , content(std::move(other.content))
    , fd(std::exchange(other.fd, -1))
    , size(other.size) {}

LeftJournal &LeftJournal::operator=(LeftJournal &&other) noexcept {
    std::swap(path, other.path);
    std::swap(content, other.content);
    std::swap(fd, other.fd);
    std::swap(size, other.size);
    return *this;
}

LeftJournal::~LeftJournal() {
    if (fd >= 0)
        ::close(fd);
}

QString LeftJournal::documentName() const {
    if (content.document.fileName.isEmpty())
        return QCoreApplication::translate("Document", "Untitled");
    return displayFileName(fileNameFromBytes(content.document.fileName));
}

namespace {

// The whole file, or nothing when it cannot be read.
std::optional<QByteArray> readAll(int fd, qint64 size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 done = 0; done < size;) {
        const ssize_t got = ::pread(fd, bytes.data() + done, size_t(size - done), off_t(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return std::nullopt;
        done += got;
    }
    return bytes;
}

} // namespace

LeftJournals leftJournals() {
    LeftJournals result;
    QString error;
    FileDescriptor folder(openStateFolder(false, error));
    if (folder.fd < 0)
        return result;
    const std::vector<QByteArray> names = folderEntries(folder.fd);
    const QByteArray folderPath = fileNameToBytes(stateFolder());

    for (const QByteArray &name : names) {
        const bool partial = name.startsWith(kJournalPrefix) &&
                             name.endsWith(QByteArray(kJournalSuffix) + kJournalPartial);
        if (!partial && !(name.startsWith(kJournalPrefix) && name.endsWith(kJournalSuffix)))
            continue;
        // A lock held means a running editor writes it.
        FileDescriptor fd(
            ::openat(folder.fd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat st {};
        if (fd.fd < 0 || ::fstat(fd.fd, &st) != 0 || !S_ISREG(st.st_mode) ||
            ::flock(fd.fd, LOCK_EX | LOCK_NB) != 0)
            continue;
        // A checkpoint its editor never finished: the journal it was to replace still holds
        // the text.
        if (partial) {
            ::unlinkat(folder.fd, name.constData(), 0);
            continue;
        }
        const std::optional<QByteArray> bytes = readAll(fd.fd, st.st_size);
        std::optional<JournalContent> content = bytes ? readJournal(*bytes) : std::nullopt;
        if (!content) {
            const QByteArray damaged = name + ".damaged";
            if (::renameat(folder.fd, name.constData(), folder.fd, damaged.constData()) == 0) {
                ::fsync(folder.fd);
                result.damaged << fileNameFromBytes(folderPath + '/' + damaged);
            } else {
                result.damaged << fileNameFromBytes(folderPath + '/' + name);
            }
            continue;
        }
        LeftJournal left;
        left.path = fileNameFromBytes(folderPath + '/' + name);
        left.content = std::move(*content);
        left.fd = std::exchange(fd.fd, -1);
        left.size = st.st_size;
        result.found.push_back(std::move(left));
    }
    std::sort(result.found.begin(), result.found.end(),
              [](const LeftJournal &a, const LeftJournal &b) {
                  return a.content.time != b.content.time ? a.content.time > b.content.time
                                                          : a.path > b.path;
              });
    return result;
}

QString deleteLeftJournal(LeftJournal &journal) {
    if (::unlink(fileNameToBytes(journal.path).constData()) == 0 || errno == ENOENT)
        return {};
    return QCoreApplication::translate("Journal", "%1 could not be deleted.\n\n%2.")
        .arg(journal.path, qt_error_string(errno));
}

} // namespace quenbry
