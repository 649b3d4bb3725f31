#include "documentfile.h"

#include "filecodec.h"
#include "platform/filedescriptor.h"
#include "savebackup.h"

#include "platform/filenames.h"

#include <QCoreApplication>
#include <QLocale>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace quenbry {

static_assert(kMaxDocumentBytes < INT_MAX / 2, "the editor counts characters in an int");

namespace {

// The translation context of the messages below.
struct Text {
    Q_DECLARE_TR_FUNCTIONS(DocumentFile)
};

QString systemReason(int error) {
    return qt_error_string(error);
}

FileResult readFailure(const QString &path, const QString &reason) {
    return {
        QString(),
        Text::tr("The file \"%1\" could not be opened.\n\n%2.").arg(displayFileName(path), reason),
        {}};
}

FileResult writeFailure(const QString &path, const QString &reason) {
    return {
        QString(),
        Text::tr("The file \"%1\" could not be saved.\n\n%2.").arg(displayFileName(path), reason),
        {}};
}

// Why a file of this kind cannot be a document; empty for a regular file. Opening a pipe
// waits for a writer, a device may never end or may act on being opened: neither is touched.
QString notARegularFile(const struct stat &st) {
    if (S_ISREG(st.st_mode))
        return {};
    if (S_ISDIR(st.st_mode))
        return Text::tr("It is a folder, not a file");
    if (S_ISFIFO(st.st_mode))
        return Text::tr("It is a named pipe, not a file");
    if (S_ISSOCK(st.st_mode))
        return Text::tr("It is a socket, not a file");
    return Text::tr("It is a device, not a file");
}

QString tooLarge(qint64 size, qint64 limit) {
    const QLocale locale;
    return Text::tr("It holds %1, more than the %2 the editor can hold")
        .arg(locale.formattedDataSize(size), locale.formattedDataSize(limit, 0));
}

FileStamp stampOf(const struct stat &st) {
    return {quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_mtim.tv_sec),
            qint64(st.st_mtim.tv_nsec), qint64(st.st_size)};
}

// Writes all bytes from the start of the file; an errno on failure.
int writeAll(int fd, const QByteArray &bytes) {
    qint64 done = 0;
    while (done < bytes.size()) {
        const size_t chunk = size_t(std::min<qint64>(bytes.size() - done, qint64(1) << 30));
        const ssize_t n = ::pwrite(fd, bytes.constData() + done, chunk, off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        done += n;
    }
    return 0;
}

int syncToDisk(int fd) {
    return ::fsync(fd) == 0 ? 0 : errno;
}

// Every extended attribute of the file `from` onto the open file `to` (ACLs and security
// labels are among them); an errno when one cannot be read or set.
int copyAttributes(const QByteArray &from, int to) {
    std::vector<char> names;
    for (;;) {
        const ssize_t size = ::listxattr(from.constData(), nullptr, 0);
        if (size < 0)
            return errno == ENOTSUP ? 0 : errno;
        names.resize(size_t(size));
        const ssize_t got = ::listxattr(from.constData(), names.data(), names.size());
        if (got >= 0) {
            names.resize(size_t(got));
            break;
        }
        if (errno != ERANGE) // ERANGE: an attribute came meanwhile
            return errno;
    }
    std::vector<char> value;
    for (size_t at = 0; at < names.size(); at += std::strlen(names.data() + at) + 1) {
        const char *name = names.data() + at;
        ssize_t size;
        do {
            size = ::getxattr(from.constData(), name, nullptr, 0);
            if (size < 0)
                return errno == ENODATA ? 0 : errno; // ENODATA: it went meanwhile
            value.resize(size_t(size));
            size = ::getxattr(from.constData(), name, value.data(), value.size());
        } while (size < 0 && errno == ERANGE);
        if (size < 0 || ::fsetxattr(to, name, value.data(), size_t(size), 0) != 0)
            return errno;
    }
    return 0;
}

// The process's file-size limit (ulimit -f) would stop a write half-way through.
bool beyondSizeLimit(qint64 size) {
    struct rlimit limit {};
    return ::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
           rlim_t(size) > limit.rlim_cur;
}

// Without a reservation the free room is counted instead: the file takes the blocks it does
// not have yet, and a file system like ext2 needs about one block in a thousand more for its
// own bookkeeping (indirect blocks). Root may use the blocks kept for it.
int roomToGrow(int fd, const struct stat &st, qint64 newSize) {
    struct statvfs vfs {};
    if (::fstatvfs(fd, &vfs) != 0 || vfs.f_frsize == 0)
        return 0; // unknown: the write itself will tell, and the old bytes go back
    const qint64 block = qint64(vfs.f_frsize);
    const qint64 growth = (newSize + block - 1) / block * block - qint64(st.st_blocks) * 512;
    if (growth <= 0)
        return 0;
    const qint64 needed = growth + growth / 256 + 4 * block;
    const qint64 free = qint64(::geteuid() == 0 ? vfs.f_bfree : vfs.f_bavail) * block;
    return free >= needed ? 0 : ENOSPC;
}

// The file under its own name, rewritten: it stays the same file for every name and owner.
// Its room on the disk is reserved or counted first, and its old bytes are copied to a backup,
// so that neither a full disk, a size limit nor a crash half-way through costs the old text.
QString rewriteInPlace(const QByteArray &name, const QByteArray &bytes, FileStamp &stamp) {
    if (beyondSizeLimit(bytes.size()))
        return systemReason(EFBIG);
    // Read as well as written: the old bytes go to the backup first.
    FileDescriptor file(::open(name.constData(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st {};
    if (file.fd < 0 || ::fstat(file.fd, &st) != 0)
        return systemReason(errno);
    if (const QString why = notARegularFile(st); !why.isEmpty())
        return why;
    // The file holds its old bytes on every way out below but one; a failed reservation may
    // still have stamped it modified (ext2 under the ext4 driver does), and a save that
    // changed nothing must not pass for another program's change at the next Save.
    const auto unchanged = [&](const QString &why) {
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::futimens(file.fd, times);
        return why;
    };
    bool reserved = true;
    if (::fallocate(file.fd, FALLOC_FL_KEEP_SIZE, 0, off_t(bytes.size())) != 0) {
        if (errno != EOPNOTSUPP && errno != ENOSYS && errno != EINVAL)
            return unchanged(systemReason(errno));
        reserved = false;
    }
    SaveBackupWriter backup;
    if (const QString failure = backup.create(name, file.fd, bytes); !failure.isEmpty())
        return unchanged(failure);
    // Counted after the backup, which may have taken its room from the same disk.
    if (const int error = reserved ? 0 : roomToGrow(file.fd, st, bytes.size())) {
        backup.remove();
        return unchanged(systemReason(error));
    }
    int error = writeAll(file.fd, bytes);
    if (!error && ::ftruncate(file.fd, off_t(bytes.size())) != 0)
        error = errno;
    if (!error)
        error = syncToDisk(file.fd);
    if (error) {
        // The old bytes go back over the part already written; should that fail too, the
        // backup stays and the next start offers it.
        if (backup.restoreInto(file.fd) != 0)
            return Text::tr("%1. Its previous version is kept in %2")
                .arg(systemReason(error), backup.path());
        backup.remove();
        return unchanged(systemReason(error));
    }
    if (::fstat(file.fd, &st) != 0)
        error = errno;
    if (!error)
        error = file.close();
    if (error)
        return systemReason(error);
    backup.remove();
    stamp = stampOf(st);
    return {};
}

// A new file in the target's folder, without a name until it is complete where the file system
// allows that, so that a save cut short leaves nothing behind.
class TempFile {
public:
    explicit TempFile(const QByteArray &target)
        : target_(target) {
        const qsizetype slash = target.lastIndexOf('/');
        folder_ = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : target.left(slash);
    }
    ~TempFile() {
        if (!name_.isEmpty())
            ::unlink(name_.constData());
    }
    int fd() const { return file_.fd; }

    // An errno on failure.
    int create(mode_t mode) {
        file_.fd = ::open(folder_.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (file_.fd >= 0)
            return 0;
        if (errno != EOPNOTSUPP && errno != EISDIR)
            return errno;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QByteArray name = freshName();
            file_.fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (file_.fd >= 0) {
                name_ = name;
                return 0;
            }
            if (errno != EEXIST)
                return errno;
        }
        return EEXIST;
    }

    // Gives the complete file its name, after the data is on the disk: an errno when there
    // is no name for it beside the target.
    int name() {
        if (!name_.isEmpty())
            return 0;
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(file_.fd);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QByteArray name = freshName();
            if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(),
                         AT_SYMLINK_FOLLOW) == 0) {
                name_ = name;
                return 0;
            }
            if (errno != EEXIST)
                return errno;
        }
        return EEXIST;
    }

    // Closes the named file and renames it over the target; an errno on failure.
    int replaceTarget() {
        if (const int error = file_.close())
            return error;
        if (::rename(name_.constData(), target_.constData()) != 0)
            return errno;
        name_.clear();
        // The rename itself must reach the disk too; a folder that cannot be synced still holds
        // the new file.
        FileDescriptor folder(::open(folder_.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder.fd >= 0)
            ::fsync(folder.fd);
        return 0;
    }

private:
    // The target's name and a random suffix, the name shortened where both would not fit.
    QByteArray freshName() const {
        static constexpr char letters[] =
            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        QByteArray suffix(".XXXXXX");
        for (int i = 1; i < suffix.size(); ++i)
            suffix[i] = letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
        const qsizetype slash = target_.lastIndexOf('/');
        const QByteArray base = target_.mid(slash + 1).left(NAME_MAX - suffix.size());
        return target_.left(slash + 1) + base + suffix;
    }

    QByteArray target_;
    QByteArray folder_;
    QByteArray name_; // empty while the file has no name
    FileDescriptor file_{-1};
};

// Replaces the existing file `name` by a complete new one renamed over it, with the old one's
// owner, group, permission bits and extended attributes. Nothing when a rename would not keep
// the file as other names and owners see it, and it must be rewritten in place instead.
std::optional<QString> replaceByRename(const QByteArray &name, const struct stat &old,
                                       const QByteArray &bytes, FileStamp &stamp) {
    if (old.st_nlink > 1)
        return std::nullopt;
    TempFile temp(name);
    if (temp.create(S_IRUSR | S_IWUSR) != 0)
        return std::nullopt;
    struct stat st {};
    if (::fstat(temp.fd(), &st) != 0)
        return systemReason(errno);
    // Before the data: a user who may not give the file back to its owner finds out at once.
    if ((st.st_uid != old.st_uid || st.st_gid != old.st_gid) &&
        ::fchown(temp.fd(), old.st_uid, old.st_gid) != 0)
        return errno == EPERM ? std::nullopt : std::optional(systemReason(errno));
    if (const int error = writeAll(temp.fd(), bytes))
        return systemReason(error);
    // After the data, since writing clears the set-id bits and file capabilities.
    if (::fchmod(temp.fd(), old.st_mode & 07777) != 0)
        return systemReason(errno);
    if (copyAttributes(name, temp.fd()) != 0)
        return std::nullopt;
    if (const int error = syncToDisk(temp.fd()))
        return systemReason(error);
    if (::fstat(temp.fd(), &st) != 0)
        return systemReason(errno);
    if (temp.name() != 0)
        return std::nullopt;
    if (const int error = temp.replaceTarget())
        return systemReason(error);
    stamp = stampOf(st);
    return QString();
}

// A file of that name does not exist yet: it appears complete, or not at all where the folder
// takes no temporary file.
QString createFile(const QByteArray &name, const QByteArray &bytes, FileStamp &stamp) {
    constexpr mode_t everyone = S_IRUSR | S_IWUSR | S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH;
    TempFile temp(name);
    const bool viaTemp = temp.create(everyone) == 0;
    FileDescriptor direct(
        viaTemp ? -1 : ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, everyone));
    const int fd = viaTemp ? temp.fd() : direct.fd;
    struct stat st {};
    int error = fd < 0 ? errno : writeAll(fd, bytes);
    if (!error)
        error = syncToDisk(fd);
    if (!error && ::fstat(fd, &st) != 0)
        error = errno;
    if (!error && viaTemp) {
        error = temp.name();
        if (!error)
            error = temp.replaceTarget();
    } else if (!error) {
        error = direct.close();
    }
    if (error) {
        if (!viaTemp && fd >= 0)
            ::unlink(name.constData());
        return systemReason(error);
    }
    stamp = stampOf(st);
    return {};
}

// On a page of megabytes, the system's giving of fresh memory to the decoded text costs as
// much as reading the file; another core can make every page of it meanwhile. Below this
// size, starting a thread for it costs more than it saves.
constexpr qint64 kRoomMadeAsideBytes = 1 << 20;

void touchEveryPage(char16_t *units, qsizetype n) {
    constexpr qsizetype kUnitsAPage = 4096 / sizeof(char16_t);
    for (qsizetype i = 0; i < n; i += kUnitsAPage)
        units[i] = 0;
}

// Symbolic links chained deeper than this are treated as a loop.
constexpr int kMaxLinkDepth = 40;

} // namespace

FileResult readDocumentFile(const QString &path, qint64 limit, std::optional<Encoding> as) {
    const QByteArray name = fileNameToBytes(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return readFailure(path, systemReason(errno));
    if (const QString why = notARegularFile(st); !why.isEmpty())
        return readFailure(path, why);
    if (st.st_size > limit)
        return readFailure(path, tooLarge(st.st_size, limit));
    // Not blocking: should a pipe have taken the file's place meanwhile, the open returns.
    FileDescriptor file(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.fd < 0 || ::fstat(file.fd, &st) != 0)
        return readFailure(path, systemReason(errno));
    if (const QString why = notARegularFile(st); !why.isEmpty())
        return readFailure(path, why);
    // A byte becomes at most one character in the encodings that are not UTF-16; a UTF-16 file,
    // asked for or told by its byte-order mark, would leave half the room unused. The room is
    // taken here, from the allocator's arena of this thread, the one that frees it.
    char mark[2] = {};
    const bool utf16 =
        as ? *as == Encoding::Utf16Le || *as == Encoding::Utf16Be
           : ::pread(file.fd, mark, 2, 0) == 2 &&
                 (QByteArrayView(mark, 2) == "\xFF\xFE" || QByteArrayView(mark, 2) == "\xFE\xFF");
    QString room;
    std::jthread roomMaker;
    if (st.st_size >= kRoomMadeAsideBytes && st.st_size <= limit && !utf16) {
        room = QString(qsizetype(st.st_size), Qt::Uninitialized);
        roomMaker =
            std::jthread(touchEveryPage, reinterpret_cast<char16_t *>(room.data()), room.size());
    }
    // One byte more than the file reports, to see its end; files that report no size (those
    // of /proc) grow the buffer as they go, and one that outgrows the limit is refused.
    QByteArray bytes(std::min<qint64>(st.st_size, limit) + 1, Qt::Uninitialized);
    qint64 used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (used > limit)
                return readFailure(path, tooLarge(used, limit));
            bytes.resize(std::min<qint64>(limit + 1, used * 2 + 4096));
        }
        const ssize_t n = ::read(file.fd, bytes.data() + used, size_t(bytes.size() - used));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return readFailure(path, systemReason(errno));
        if (n == 0)
            break;
        used += n;
    }
    bytes.truncate(used);
    if (roomMaker.joinable())
        roomMaker.join();
    if (!as) {
        FileCodec::Decoded decoded = FileCodec::decodeDetected(bytes, std::move(room));
        return {std::move(decoded.text), QString(), stampOf(st), decoded.encoding};
    }
    qsizetype invalidAt = 0;
    std::optional<QString> text = FileCodec::decode(bytes, *as, &invalidAt, std::move(room));
    if (!text)
        return readFailure(path, Text::tr("The byte at offset %1 is not valid %2")
                                     .arg(QLocale().toString(invalidAt), encodingName(*as)));
    return {std::move(*text), QString(), stampOf(st), *as};
}

FileResult writeDocumentFile(const QString &path, QStringView text, Encoding encoding,
                             qint64 limit) {
    const QByteArray bytes = FileCodec::encodeFile(text, encoding);
    // What the editor saves, it must be able to open again.
    if (bytes.size() > limit)
        return writeFailure(
            path,
            Text::tr("It would hold %1 bytes, more than the %2 the editor can "
                     "open again")
                .arg(QLocale().toString(bytes.size()), QLocale().formattedDataSize(limit, 0)));

    // Replacing a link by a file would cut the link; the new file belongs where it points.
    QByteArray name = fileNameToBytes(path);
    for (int depth = 0;; ++depth) {
        struct stat link {};
        if (::lstat(name.constData(), &link) != 0 || !S_ISLNK(link.st_mode))
            break;
        if (depth == kMaxLinkDepth)
            return writeFailure(path, Text::tr("Too many levels of symbolic links"));
        QByteArray to(PATH_MAX, Qt::Uninitialized);
        const ssize_t length = ::readlink(name.constData(), to.data(), size_t(to.size()));
        if (length < 0 || length == to.size())
            return writeFailure(path, systemReason(length < 0 ? errno : ENAMETOOLONG));
        to.truncate(length);
        const qsizetype slash = name.lastIndexOf('/');
        name = to.startsWith('/') || slash < 0 ? to : name.left(slash + 1) + to;
    }
    const qsizetype slash = name.lastIndexOf('/');
    const QByteArray folderName =
        slash < 0 ? QByteArray(".") : name.left(std::max<qsizetype>(slash, 1));
    FileResult result;
    struct stat st {};
    QString failure;
    if (::stat(name.constData(), &st) == 0) {
        failure = notARegularFile(st);
        // Write permission is the user's word that the file may change, even where the
        // folder would let a rename replace it.
        if (failure.isEmpty() && ::faccessat(AT_FDCWD, name.constData(), W_OK, AT_EACCESS) != 0)
            failure = systemReason(errno);
        if (failure.isEmpty()) {
            const auto replaced = replaceByRename(name, st, bytes, result.stamp);
            failure = replaced ? *replaced : rewriteInPlace(name, bytes, result.stamp);
        }
    } else if (errno != ENOENT) {
        failure = systemReason(errno);
    } else if (struct stat folder{};
               ::stat(folderName.constData(), &folder) != 0 && errno == ENOENT) {
        failure = Text::tr("The folder \"%1\" does not exist")
                      .arg(displayFileName(fileNameFromBytes(folderName)));
    } else {
        failure = createFile(name, bytes, result.stamp);
    }
    if (!failure.isEmpty())
        return writeFailure(path, failure);
    return result;
}

bool writableOnlyAsRoot(const QString &path) {
    struct stat st {};
    return ::geteuid() == 0 && ::stat(fileNameToBytes(path).constData(), &st) == 0 &&
           S_ISREG(st.st_mode) && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

std::optional<FileStamp> currentFileStamp(const QString &path) {
    struct stat st {};
    if (::stat(fileNameToBytes(path).constData(), &st) != 0)
        return std::nullopt;
    return stampOf(st);
}

} // namespace quenbry
