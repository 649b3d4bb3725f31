#include "journal.h"
#include "text/textprint.h"

#include "document/documentfile.h"
#include "document/savebackup.h"
#include "journalnames.h"
#include "leftjournals.h"
#include "platform/filenames.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include <condition_variable>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace quenbry {

namespace {

// Below this, a checkpoint is never worth more than the edits it replaces.
constexpr qint64 kLeastCompaction = qint64(4) << 20;
// An edit that puts in more characters is journalled by a checkpoint.
constexpr int kLargeEdit = 1 << 20;
// What an edit record costs besides its text.
constexpr qint64 kEditOverhead = 29;
// From this many characters on, the first checkpoint after an Open or a Save reads the text back
// from its file on the writer's thread: copying it on the window's thread would stop the typing
// for as long as a copy of the whole page takes (200 MB: a quarter of a second).
constexpr int kCheckpointFromFile = 1 << 20;

qint64 steadyMs() {
    static QElapsedTimer clock = [] {
        QElapsedTimer c;
        c.start();
        return c;
    }();
    return clock.elapsed();
}

bool writeAll(int fd, const QByteArray &bytes, qint64 at) {
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n =
            ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), off_t(at + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += n;
    }
    return true;
}

} // namespace

// What the writer thread is handed, in order.
struct JournalJob {
    // StoredCheckpoint: a checkpoint of the text its file held when it was last opened or
    // saved, read from that file, then the edits made since.
    enum Kind { Checkpoint, StoredCheckpoint, Edits, Remove, Adopt } kind;
    explicit JournalJob(Kind k, qint64 t = 0)
        : kind(k)
        , time(t) {}
    qint64 time = 0;
    JournalDocument document;
    QString text;
    std::vector<std::tuple<int, int, QString>> edits;
    int fd = -1;          // Adopt: the journal, locked
    QByteArray fileName;  // Adopt: its path
    int storedLength = 0; // StoredCheckpoint: the text as it was stored
    QByteArray storedPrint;
};

// The thread that puts the journal on the disk; typing never waits for it.
class JournalWriter {
public:
    JournalWriter(std::function<void(const QString &)> failed, std::function<void()> refused)
        : failed_(std::move(failed))
        , refused_(std::move(refused))
        , thread_([this] { run(); }) {}

    ~JournalWriter() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.join();
        if (fd_ >= 0)
            ::close(fd_);
        if (folder_ >= 0)
            ::close(folder_);
    }

    void post(JournalJob job) {
        {
            std::lock_guard lock(mutex_);
            jobs_.push_back(std::move(job));
        }
        wake_.notify_all();
    }

    void waitIdle() {
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [this] { return jobs_.empty() && !busy_; });
    }

    QString path() const {
        std::lock_guard lock(pathMutex_);
        return path_;
    }

private:
    void run() {
        // The writer gives way to the window's thread: typing comes first.
        ::setpriority(PRIO_PROCESS, ::gettid(), 10);
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
            if (jobs_.empty()) {
                idle_.notify_all();
                return;
            }
            JournalJob job = std::move(jobs_.front());
            jobs_.pop_front();
            busy_ = true;
            lock.unlock();
            const QString error = handle(job);
            lock.lock();
            busy_ = false;
            if (!error.isEmpty())
                failed_(error);
            if (jobs_.empty())
                idle_.notify_all();
        }
    }

    QString handle(JournalJob &job) {
        switch (job.kind) {
        case JournalJob::Checkpoint:
            return checkpoint(job);
        case JournalJob::StoredCheckpoint:
            if (!readStoredText(job)) {
                // Nothing is written, and the edits that follow have nothing to follow.
                size_ = -1;
                refused_();
                return {};
            }
            if (QString error = checkpoint(job); !error.isEmpty())
                return error;
            return append(job);
        case JournalJob::Edits:
            return append(job);
        case JournalJob::Remove:
            remove();
            return {};
        case JournalJob::Adopt:
            remove();
            fd_ = job.fd;
            name_ = job.fileName.mid(job.fileName.lastIndexOf('/') + 1);
            size_ = -1; // its tail may be cut: the next write is a checkpoint
            setPath();
            return {};
        }
        return {};
    }

    QString failure(int error) {
        return QCoreApplication::translate("Journal",
                                           "The unsaved text cannot be kept in %1: %2. Editing "
                                           "goes on; save the page to keep your changes.")
            .arg(stateFolder(), error ? qt_error_string(error) : folderError_);
    }

    // The text the job's document held when it was stored, from its file: only while the file
    // still begins with exactly that text (a save ends it in one more line end).
    static bool readStoredText(JournalJob &job) {
        FileResult read = readDocumentFile(fileNameFromBytes(job.document.fileName),
                                           kMaxDocumentBytes, job.document.encoding);
        if (!read.ok() || read.text.size() < job.storedLength)
            return false;
        read.text.truncate(job.storedLength);
        if (textPrint(read.text) != job.storedPrint)
            return false;
        job.text = std::move(read.text);
        return true;
    }

    // A new file with the whole document, put in the old one's place once it is on the disk.
    QString checkpoint(const JournalJob &job) {
        if (folder_ < 0) {
            folder_ = openStateFolder(true, folderError_);
            if (folder_ < 0)
                return failure(0);
        }
        const QByteArray name =
            !name_.isEmpty() ? name_
                             : kJournalPrefix + QByteArray::number(job.time) + '-' +
                                   QByteArray::number(QRandomGenerator::global()->generate(), 36) +
                                   kJournalSuffix;
        const QByteArray partial = name + kJournalPartial;
        const int fd = ::openat(folder_, partial.constData(),
                                O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0)
            return failure(errno);
        // The text is written from where it lies: a large page is not copied once more.
        const QByteArray head =
            journalHeader() + (Q_BYTE_ORDER == Q_LITTLE_ENDIAN
                                   ? journalCheckpointHead(job.time, job.document, job.text)
                                   : journalCheckpoint(job.time, job.document, job.text));
        const QByteArray characters =
            Q_BYTE_ORDER == Q_LITTLE_ENDIAN
                ? QByteArray::fromRawData(reinterpret_cast<const char *>(job.text.utf16()),
                                          job.text.size() * 2)
                : QByteArray();
        struct stat st {};
        // Another editor's start-up may remove an unfinished file before it is locked.
        if (::flock(fd, LOCK_EX) != 0 || ::fstat(fd, &st) != 0 || st.st_nlink == 0 ||
            !writeAll(fd, head, 0) || !writeAll(fd, characters, head.size()) || ::fsync(fd) != 0 ||
            ::renameat(folder_, partial.constData(), folder_, name.constData()) != 0) {
            const int error = errno ? errno : EIO;
            ::unlinkat(folder_, partial.constData(), 0);
            ::close(fd);
            size_ = -1;
            return failure(error);
        }
        // The new name must reach the disk too.
        const int folderSynced = ::fsync(folder_) == 0 ? 0 : errno;
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
        name_ = name;
        size_ = head.size() + characters.size();
        setPath();
        return folderSynced ? failure(folderSynced) : QString();
    }

    QString append(const JournalJob &job) {
        // Edits that follow a failed write have nothing to follow: the next checkpoint brings
        // the file up to date.
        if (fd_ < 0 || size_ < 0)
            return {};
        QByteArray bytes;
        for (const auto &[start, removed, inserted] : job.edits)
            bytes += journalEdit(job.time, start, removed, inserted);
        if (!writeAll(fd_, bytes, size_) || ::fsync(fd_) != 0) {
            const int error = errno ? errno : EIO;
            // A record cut short is cut off again; the next checkpoint replaces the file anyway.
            if (::ftruncate(fd_, off_t(size_)) == 0)
                ::fsync(fd_);
            size_ = -1;
            return failure(error);
        }
        size_ += bytes.size();
        return {};
    }

    void remove() {
        if (fd_ >= 0) {
            ::unlinkat(folder_ >= 0 ? folder_ : AT_FDCWD,
                       folder_ >= 0 ? name_.constData() : pathBytes_.constData(), 0);
            ::close(fd_);
        }
        fd_ = -1;
        name_.clear();
        size_ = 0;
        setPath();
    }

    void setPath() {
        std::lock_guard lock(pathMutex_);
        pathBytes_ = name_.isEmpty() ? QByteArray() : fileNameToBytes(stateFolder()) + '/' + name_;
        path_ = fileNameFromBytes(pathBytes_);
    }

    std::function<void(const QString &)> failed_;
    std::function<void()> refused_;
    mutable std::mutex mutex_;
    std::condition_variable wake_, idle_;
    std::deque<JournalJob> jobs_;
    bool stop_ = false;
    bool busy_ = false;
    mutable std::mutex pathMutex_;
    QString path_;
    // The writer thread's own.
    int folder_ = -1;
    QString folderError_;
    int fd_ = -1;
    QByteArray name_, pathBytes_;
    qint64 size_ = 0; // -1: the file may not end where the next record would go
    std::thread thread_;
};

Journal::Journal(EditorCore &text, std::function<JournalDocument()> describe)
    : text_(text)
    , describe_(std::move(describe)) {
    writer_ = std::make_unique<JournalWriter>(
        [this](const QString &error) {
            QMetaObject::invokeMethod(
                this, [this, error] { writerFailed(error); }, Qt::QueuedConnection);
        },
        [this] {
            QMetaObject::invokeMethod(
                this, [this] { storedFileChanged(); }, Qt::QueuedConnection);
        });
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &Journal::tick);
    text_.addObserver(this);
}

Journal::~Journal() {
    text_.removeObserver(this);
    if (exists_)
        writer_->post(JournalJob(JournalJob::Remove));
    writer_.reset();
}

QString Journal::path() const {
    return writer_->path();
}

void Journal::textReplaced(const TextReplaced &change) {
    if (change.inserted > kLargeEdit) {
        // A whole page put in, or a paste as large: a checkpoint costs no more than its record
        // would, and the text is not copied now (an opened file is safe before the next tick).
        pending_.clear();
        pendingBytes_ = 0;
        checkpointDue_ = true;
    } else {
        pending_.push_back(
            {change.start, change.removed, text_.mid(change.start, change.inserted)});
        pendingBytes_ += kEditOverhead + 2 * qint64(change.inserted);
    }
    changed();
}

void Journal::changed() {
    lastChange_ = steadyMs();
    if (!dirty_) {
        dirty_ = true;
        firstChange_ = lastChange_;
        timer_.start(kIdleMs);
    }
}

void Journal::documentChanged() {
    changed();
}

void Journal::tick() {
    const qint64 now = steadyMs();
    const qint64 wait = std::min(lastChange_ + kIdleMs - now, firstChange_ + kLongestMs - now);
    if (wait > 0)
        timer_.start(int(wait));
    else
        flush();
}

bool Journal::isStoredText(const JournalDocument &document) const {
    return stored_ && stored_->document == document && stored_->length == text_.length() &&
           stored_->print == textPrint(text_.wholeText());
}

// The edits waiting are all that was done to the text its file held when stored, and that
// text is large enough for a copy of it to be felt.
bool Journal::storedFileHoldsBase(const JournalDocument &document) const {
    return !exists_ && !checkpointDue_ && stored_ && !stored_->document.fileName.isEmpty() &&
           stored_->document == document && stored_->length >= kCheckpointFromFile;
}

void Journal::storedFileChanged() {
    // The file no longer holds what was stored: the next checkpoint copies the text itself.
    checkpointDue_ = true;
    changed();
}

void Journal::flush() {
    timer_.stop();
    if (!dirty_)
        return;
    dirty_ = false;
    const JournalDocument document = describe_();
    const qint64 time = QDateTime::currentMSecsSinceEpoch();
    const qint64 textBytes = 2 * qint64(text_.length());
    if (isStoredText(document)) {
        if (exists_)
            writer_->post(JournalJob(JournalJob::Remove));
        exists_ = false;
    } else if (!exists_ || checkpointDue_ || !(document == written_) ||
               logBytes_ + pendingBytes_ > std::max(kLeastCompaction, textBytes)) {
        JournalJob job(JournalJob::Checkpoint, time);
        job.document = document;
        logBytes_ = 0;
        if (storedFileHoldsBase(document)) {
            job.kind = JournalJob::StoredCheckpoint;
            job.storedLength = stored_->length;
            job.storedPrint = stored_->print;
            job.edits.reserve(pending_.size());
            for (Edit &e : pending_)
                job.edits.emplace_back(e.start, e.removed, std::move(e.inserted));
            logBytes_ = pendingBytes_;
        } else {
            job.text = text_.text();
        }
        writer_->post(std::move(job));
        exists_ = true;
        checkpointDue_ = false;
        written_ = document;
    } else {
        JournalJob job(JournalJob::Edits, time);
        job.edits.reserve(pending_.size());
        for (Edit &e : pending_)
            job.edits.emplace_back(e.start, e.removed, std::move(e.inserted));
        writer_->post(std::move(job));
        logBytes_ += pendingBytes_;
    }
    pending_.clear();
    pendingBytes_ = 0;
}

void Journal::waitWritten() {
    writer_->waitIdle();
}

void Journal::textStored(const QByteArray &print) {
    timer_.stop();
    pending_.clear();
    pendingBytes_ = 0;
    dirty_ = false;
    // Whatever made a checkpoint due is in the stored text: the next change starts a journal
    // afresh anyway.
    checkpointDue_ = false;
    stored_ =
        Stored{text_.length(), print.isEmpty() ? textPrint(text_.wholeText()) : print, describe_()};
    if (exists_)
        writer_->post(JournalJob(JournalJob::Remove));
    exists_ = false;
}

void Journal::adopt(LeftJournal &left) {
    timer_.stop();
    pending_.clear();
    pendingBytes_ = 0;
    dirty_ = false;
    stored_.reset();
    JournalJob job(JournalJob::Adopt);
    job.fd = std::exchange(left.fd, -1);
    job.fileName = fileNameToBytes(left.path);
    writer_->post(std::move(job));
    exists_ = true;
    // Its tail may hold a record cut short: what follows it goes into a fresh file.
    checkpointDue_ = true;
    written_ = left.content.document;
    logBytes_ = left.size;
}

void Journal::writerFailed(const QString &error) {
    // The file no longer follows the text: a fresh checkpoint, once changes come again or a
    // while later, whichever is first.
    checkpointDue_ = true;
    if (!dirty_) {
        dirty_ = true;
        firstChange_ = lastChange_ = steadyMs() + 5000;
        timer_.start(5000 + kIdleMs);
    }
    if (!reported_ && onError) {
        reported_ = true;
        onError(error);
    }
}

} // namespace quenbry
