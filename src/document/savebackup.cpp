#include "savebackup.h"

#include "platform/filedescriptor.h"
#include "platform/filenames.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace quenbry {

namespace {

// The translation context of the messages below.
struct Text {
    Q_DECLARE_TR_FUNCTIONS(SaveBackup)
};

// Fast and wide enough that a torn file never passes for a whole one.
constexpr auto kHash = QCryptographicHash::Blake2b_256;
constexpr qsizetype kHashHexLength = 64;
constexpr char kMagic[] = "QUENBRY SAVE BACKUP 1\n";
constexpr char kPrefix[] = "save-";
constexpr char kSuffix[] = ".backup";
constexpr char kPartial[] = ".partial";
constexpr qint64 kChunk = qint64(1) << 20;

QByteArray stateFolderBytes() {
    QByteArray base = qgetenv("XDG_STATE_HOME");
    // A relative XDG_STATE_HOME is no folder at all, and the default takes its place.
    if (!base.startsWith('/')) {
        QByteArray home = qgetenv("HOME");
        if (home.isEmpty()) {
            if (const passwd *pw = ::getpwuid(::geteuid()))
                home = pw->pw_dir;
        }
        base = home + "/.local/state";
    }
    return base + "/quenbry";
}

} // namespace

int openStateFolder(bool create, QString &error) {
    const QByteArray path = stateFolderBytes();
    // Why a folder could not be made (a full disk), rather than that it is missing after.
    int notMade = 0;
    if (create) {
        // Each folder of the path in turn, the state folder last.
        for (qsizetype end = 1; end <= path.size(); ++end) {
            if (end < path.size() && path[end] != '/')
                continue;
            if (::mkdir(path.left(end).constData(), 0700) == 0) {
                // A new folder's name must reach the disk as well as the backup in it.
                const int parent = ::open(path.left(path.lastIndexOf('/', end - 1) + 1).constData(),
                                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                if (parent >= 0) {
                    ::fsync(parent);
                    ::close(parent);
                }
            } else if (errno != EEXIST && !notMade) {
                notMade = errno;
            }
        }
    }
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        error = qt_error_string(errno == ENOENT && notMade ? notMade : errno);
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    if (st.st_uid != ::geteuid()) {
        ::close(fd);
        error = Text::tr("The folder belongs to another user");
        return -1;
    }
    if ((st.st_mode & 077) != 0)
        ::fchmod(fd, 0700);
    return fd;
}

namespace {

QByteArray sizeAndHash(qint64 size, const QByteArray &hash) {
    return QByteArray::number(size).rightJustified(20, '0') + ' ' + hash.toHex();
}

struct Header {
    QByteArray target;
    qint64 created = 0;
    qint64 newSize = 0;
    QByteArray newHash;
    qint64 oldSize = 0;
    QByteArray oldHash;
    qint64 dataOffset = 0;
};

std::optional<Header> readHeader(int fd) {
    QByteArray head(8192 + PATH_MAX, Qt::Uninitialized);
    const ssize_t n = ::pread(fd, head.data(), size_t(head.size()), 0);
    if (n <= 0)
        return std::nullopt;
    head.truncate(n);
    if (!head.startsWith(kMagic))
        return std::nullopt;
    qsizetype at = qsizetype(std::strlen(kMagic));
    auto field = [&](const char *key) -> std::optional<QByteArray> {
        const QByteArray prefix = QByteArray(key) + ' ';
        const qsizetype end = head.indexOf('\n', at);
        if (end < 0 || head.mid(at, prefix.size()) != prefix)
            return std::nullopt;
        const QByteArray value = head.mid(at + prefix.size(), end - at - prefix.size());
        at = end + 1;
        return value;
    };
    auto number = [](const QByteArray &text, qint64 &out) {
        bool ok = false;
        out = text.toLongLong(&ok);
        return ok && out >= 0;
    };
    auto sized = [&](const std::optional<QByteArray> &value, qint64 &size, QByteArray &hash) {
        const QList<QByteArray> parts = value ? value->split(' ') : QList<QByteArray>();
        if (parts.size() != 2 || parts[1].size() != kHashHexLength || !number(parts[0], size))
            return false;
        hash = QByteArray::fromHex(parts[1]);
        return hash.toHex() == parts[1];
    };
    Header h;
    qint64 pathLength = 0;
    const std::optional<QByteArray> created = field("created");
    if (!created || !number(*created, h.created) || !sized(field("new"), h.newSize, h.newHash) ||
        !sized(field("old"), h.oldSize, h.oldHash))
        return std::nullopt;
    const std::optional<QByteArray> path = field("path");
    if (!path || !number(*path, pathLength) || pathLength == 0 || at + pathLength >= head.size() ||
        head[at + pathLength] != '\n')
        return std::nullopt;
    h.target = head.mid(at, pathLength);
    h.dataOffset = at + pathLength + 1;
    return h;
}

// Copies `length` bytes, or all up to the end of `from` when it is negative, hashing them when
// asked; the number of bytes copied, or an errno as a negative number. A source that ends
// before `length` is an input/output error.
qint64 copyBytes(int from, qint64 fromAt, int to, qint64 toAt, qint64 length,
                 QCryptographicHash *hash) {
    QByteArray buffer(kChunk, Qt::Uninitialized);
    qint64 done = 0;
    while (length < 0 || done < length) {
        const qint64 want = length < 0 ? kChunk : std::min(kChunk, length - done);
        const ssize_t got = ::pread(from, buffer.data(), size_t(want), off_t(fromAt + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -errno;
        if (got == 0) {
            if (length < 0)
                break;
            return -EIO;
        }
        if (hash)
            hash->addData(QByteArrayView(buffer.constData(), got));
        for (ssize_t written = 0; written < got;) {
            const ssize_t n = ::pwrite(to, buffer.constData() + written, size_t(got - written),
                                       off_t(toAt + done + written));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return n < 0 ? -errno : -EIO;
            written += n;
        }
        done += got;
    }
    return done;
}

// The hash of exactly `size` bytes of the file, read from its start; nothing when the file is
// of another size or cannot be read.
std::optional<QByteArray> hashOfFile(int fd, qint64 size) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != size)
        return std::nullopt;
    QCryptographicHash hash(kHash);
    QByteArray buffer(kChunk, Qt::Uninitialized);
    for (qint64 done = 0; done < size;) {
        const ssize_t got =
            ::pread(fd, buffer.data(), size_t(std::min(kChunk, size - done)), off_t(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return std::nullopt;
        hash.addData(QByteArrayView(buffer.constData(), got));
        done += got;
    }
    return hash.result();
}

// Looked at before it is opened: opening a device may act, and a pipe would wait.
bool isRegularFile(const QByteArray &path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isBackupName(const QByteArray &name, const char *suffix) {
    return name.startsWith(kPrefix) && name.endsWith(suffix);
}

// Opens a backup and takes its lock; -1 when it is gone, is no regular file, or another editor
// holds it.
int openLocked(int folder, const char *name, int flags) {
    const int fd = ::openat(folder, name, flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 &&
        (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::flock(fd, LOCK_EX | LOCK_NB) != 0)) {
        const int error = S_ISREG(st.st_mode) ? errno : EISDIR;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

// Whether the backup's own bytes are still those it recorded.
bool holdsOldBytes(int fd, const Header &h) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_size != h.dataOffset + h.oldSize)
        return false;
    QCryptographicHash hash(kHash);
    QByteArray buffer(kChunk, Qt::Uninitialized);
    for (qint64 done = 0; done < h.oldSize;) {
        const ssize_t got = ::pread(fd, buffer.data(), size_t(std::min(kChunk, h.oldSize - done)),
                                    off_t(h.dataOffset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        hash.addData(QByteArrayView(buffer.constData(), got));
        done += got;
    }
    return hash.result() == h.oldHash;
}

QByteArray splitName(const QString &file, QByteArray &folder) {
    const QByteArray bytes = fileNameToBytes(file);
    const qsizetype slash = bytes.lastIndexOf('/');
    folder = bytes.left(slash);
    return bytes.mid(slash + 1);
}

} // namespace

QString stateFolder() {
    return fileNameFromBytes(stateFolderBytes());
}

QString SaveBackup::targetName() const {
    return fileNameFromBytes(target);
}

SaveBackupWriter::~SaveBackupWriter() {
    if (name_.endsWith(kPartial))
        ::unlinkat(folder_, name_.constData(), 0);
    if (fd_ >= 0)
        ::close(fd_);
    if (folder_ >= 0)
        ::close(folder_);
}

QString SaveBackupWriter::path() const {
    return fileNameFromBytes(folderPath_ + '/' + name_);
}

QString SaveBackupWriter::create(const QByteArray &target, int fd, const QByteArray &newBytes) {
    QString error;
    folderPath_ = stateFolderBytes();
    const auto failure = [&](int errorNumber) {
        return Text::tr("Its previous version could not be copied to %1 first: %2")
            .arg(fileNameFromBytes(folderPath_),
                 errorNumber ? qt_error_string(errorNumber) : error);
    };
    folder_ = openStateFolder(true, error);
    if (folder_ < 0)
        return failure(0);
    char *real = ::realpath(target.constData(), nullptr);
    const QByteArray fullPath = real ? QByteArray(real) : target;
    std::free(real);

    const qint64 created = QDateTime::currentMSecsSinceEpoch();
    QByteArray header = kMagic;
    header += "created " + QByteArray::number(created) + '\n';
    header +=
        "new " + sizeAndHash(newBytes.size(), QCryptographicHash::hash(newBytes, kHash)) + '\n';
    const qint64 oldFieldAt = header.size();
    // Filled in once the old bytes are copied; a backup is only complete with it.
    header += "old " + sizeAndHash(0, QByteArray(kHashHexLength / 2, '\0')) + '\n';
    header += "path " + QByteArray::number(fullPath.size()) + '\n' + fullPath + '\n';
    dataOffset_ = header.size();

    // A start-up that removed the unfinished backup between its creation and its lock leaves
    // a file without a name: another try.
    for (int attempt = 0; fd_ < 0; ++attempt) {
        if (attempt == 100)
            return failure(EEXIST);
        const QByteArray name = kPrefix + QByteArray::number(created) + '-' +
                                QByteArray::number(QRandomGenerator::global()->generate(), 36) +
                                kSuffix + kPartial;
        const int fd = ::openat(folder_, name.constData(),
                                O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return failure(errno);
        struct stat st {};
        if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &st) == 0 && st.st_nlink > 0) {
            fd_ = fd;
            name_ = name;
        } else {
            ::close(fd);
        }
    }
    if (::pwrite(fd_, header.constData(), size_t(header.size()), 0) != header.size())
        return failure(errno ? errno : EIO);
    QCryptographicHash oldHash(kHash);
    qint64 copied = copyBytes(fd, 0, fd_, dataOffset_, -1, &oldHash);
    if (copied >= 0) {
        oldSize_ = copied;
        const QByteArray field = "old " + sizeAndHash(copied, oldHash.result());
        if (::pwrite(fd_, field.constData(), size_t(field.size()), off_t(oldFieldAt)) !=
            field.size())
            copied = -(errno ? errno : EIO);
    }
    if (copied < 0)
        return failure(int(-copied));
    if (::fsync(fd_) != 0)
        return failure(errno);
    const QByteArray complete = name_.chopped(qsizetype(std::strlen(kPartial)));
    if (::renameat(folder_, name_.constData(), folder_, complete.constData()) != 0)
        return failure(errno);
    name_ = complete;
    // The backup's name must be on the disk before the file is touched.
    if (::fsync(folder_) != 0) {
        const int e = errno;
        remove();
        return failure(e);
    }
    return {};
}

int SaveBackupWriter::restoreInto(int fd) {
    const qint64 copied = copyBytes(fd_, dataOffset_, fd, 0, oldSize_, nullptr);
    if (copied < 0)
        return int(-copied);
    if (::ftruncate(fd, off_t(oldSize_)) != 0 || ::fsync(fd) != 0)
        return errno;
    return 0;
}

void SaveBackupWriter::remove() {
    if (!name_.isEmpty())
        ::unlinkat(folder_, name_.constData(), 0);
    name_.clear();
}

std::vector<QByteArray> folderEntries(int fd) {
    std::vector<QByteArray> names;
    DIR *listing = ::fdopendir(::dup(fd));
    if (!listing)
        return names;
    while (const dirent *entry = ::readdir(listing))
        names.emplace_back(entry->d_name);
    ::closedir(listing);
    return names;
}

std::vector<SaveBackup> interruptedSaves() {
    std::vector<SaveBackup> found;
    QString error;
    FileDescriptor folder(openStateFolder(false, error));
    if (folder.fd < 0)
        return found;
    const std::vector<QByteArray> names = folderEntries(folder.fd);
    const QByteArray folderPath = stateFolderBytes();

    for (const QByteArray &name : names) {
        const bool partial = isBackupName(name, kPartial);
        if (!partial && !isBackupName(name, kSuffix))
            continue;
        FileDescriptor backup(openLocked(folder.fd, name.constData(), O_RDONLY));
        if (backup.fd < 0)
            continue;
        // Its save never touched the file: the old bytes were still being copied.
        if (partial) {
            ::unlinkat(folder.fd, name.constData(), 0);
            continue;
        }
        const std::optional<Header> h = readHeader(backup.fd);
        if (!h) {
            qWarning("%s is no backup this program can read; it is left alone",
                     (folderPath + '/' + name).constData());
            continue;
        }
        FileDescriptor target(!isRegularFile(h->target)
                                  ? -1
                                  : ::open(h->target.constData(), O_RDONLY | O_NOFOLLOW |
                                                                      O_NONBLOCK | O_NOCTTY |
                                                                      O_CLOEXEC));
        if (target.fd >= 0) {
            const std::optional<QByteArray> asNew = hashOfFile(target.fd, h->newSize);
            const std::optional<QByteArray> asOld =
                h->oldSize == h->newSize ? asNew : hashOfFile(target.fd, h->oldSize);
            if (asNew == h->newHash || asOld == h->oldHash) {
                ::unlinkat(folder.fd, name.constData(), 0);
                continue;
            }
        }
        if (!holdsOldBytes(backup.fd, *h)) {
            qWarning("%s no longer holds the bytes it recorded; it is left alone",
                     (folderPath + '/' + name).constData());
            continue;
        }
        found.push_back({fileNameFromBytes(folderPath + '/' + name), h->target, h->created});
    }
    std::sort(found.begin(), found.end(), [](const SaveBackup &a, const SaveBackup &b) {
        return a.created != b.created ? a.created > b.created : a.file > b.file;
    });
    return found;
}

QString restoreSaveBackup(const SaveBackup &backup) {
    const auto failure = [&](const QString &reason) {
        return Text::tr(
                   "The previous version could not be written back to %1.\n\n%2. It stays in %3.")
            .arg(backup.targetName(), reason, backup.file);
    };
    QByteArray folderPath;
    const QByteArray name = splitName(backup.file, folderPath);
    FileDescriptor folder(::open(folderPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    FileDescriptor source(folder.fd < 0 ? -1 : openLocked(folder.fd, name.constData(), O_RDONLY));
    if (source.fd < 0) {
        // Gone: another editor's start-up dealt with it meanwhile.
        if (errno == ENOENT)
            return {};
        return failure(errno == EWOULDBLOCK ? Text::tr("Another editor is using it")
                                            : qt_error_string(errno));
    }
    const std::optional<Header> h = readHeader(source.fd);
    if (!h || h->target != backup.target)
        return failure(Text::tr("The backup has changed since it was found"));
    // A link put in the file's place is not followed: the old bytes go to the file they came
    // from, or to a new one of that name.
    constexpr int flags = O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    struct stat st {};
    if (::lstat(h->target.constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return failure(Text::tr("It is no longer a regular file"));
    FileDescriptor target(::open(h->target.constData(), flags));
    if (target.fd < 0 && errno == ENOENT)
        target.fd = ::open(h->target.constData(), flags | O_CREAT | O_EXCL, 0666);
    if (target.fd < 0 || ::fstat(target.fd, &st) != 0)
        return failure(qt_error_string(errno));
    if (!S_ISREG(st.st_mode))
        return failure(Text::tr("It is no longer a regular file"));
    const qint64 copied = copyBytes(source.fd, h->dataOffset, target.fd, 0, h->oldSize, nullptr);
    if (copied < 0)
        return failure(qt_error_string(int(-copied)));
    if (::ftruncate(target.fd, off_t(h->oldSize)) != 0 || ::fsync(target.fd) != 0)
        return failure(qt_error_string(errno));
    if (::close(std::exchange(target.fd, -1)) != 0 && errno != EINTR)
        return failure(qt_error_string(errno));
    ::unlinkat(folder.fd, name.constData(), 0);
    return {};
}

QString deleteSaveBackup(const SaveBackup &backup) {
    if (::unlink(fileNameToBytes(backup.file).constData()) == 0 || errno == ENOENT)
        return {};
    return Text::tr("%1 could not be deleted.\n\n%2.").arg(backup.file, qt_error_string(errno));
}

} // namespace quenbry
