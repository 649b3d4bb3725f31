#include "previewfile.h"

#include "document/filecodec.h"
#include "platform/filedescriptor.h"
#include "platform/filenames.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace quenbry {

namespace {

constexpr char fileName[] = "temp.html";
constexpr mode_t folderMode = S_IRWXU;
constexpr mode_t fileMode = S_IRUSR | S_IWUSR;

// The translation context of the messages below.
struct Text {
    Q_DECLARE_TR_FUNCTIONS(PreviewFile)
};

// The folder, opened without following a link; -1 when it is missing (and not to be made), or
// cannot be used. `refused` tells a folder that is there but not the user's own: another user
// who could put a link or a file of theirs in it would steer the writes.
int openFolder(const QByteArray &name, bool create, QString &error, bool &refused) {
    constexpr int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    bool made = false;
    int fd = ::open(name.constData(), flags);
    if (fd < 0 && errno == ENOENT && create) {
        made = ::mkdir(name.constData(), folderMode) == 0;
        if (!made && errno != EEXIST) {
            error = qt_error_string(errno);
            return -1;
        }
        fd = ::open(name.constData(), flags);
    }
    if (fd < 0) {
        const int reason = errno;
        struct stat st {};
        refused = ::lstat(name.constData(), &st) == 0 && S_ISLNK(st.st_mode);
        error = refused ? Text::tr("the folder is a symbolic link") : qt_error_string(reason);
        return -1;
    }
    FileDescriptor folder(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = qt_error_string(errno);
        return -1;
    }
    refused = true;
    if (st.st_uid != ::geteuid()) {
        error = Text::tr("the folder belongs to another user");
        return -1;
    }
    // A umask may have taken bits from a folder made here; one found so was made by someone
    // else, for other users.
    if ((st.st_mode & 07777) != folderMode && (!made || ::fchmod(fd, folderMode) != 0)) {
        error = Text::tr("the folder's permissions are not 0700");
        return -1;
    }
    refused = false;
    return std::exchange(folder.fd, -1);
}

// The file, opened for writing and the user's alone. Anything else under its name (a link, a
// pipe, another user's file, one that others may read or that has more names) is unlinked and
// the file made afresh: writing through it would write elsewhere or for others.
int openFile(int folder, QString &error) {
    constexpr int flags = O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    FileDescriptor file(::openat(folder, fileName, flags | O_CREAT, fileMode));
    struct stat st {};
    if (file.fd >= 0 && ::fstat(file.fd, &st) == 0 && S_ISREG(st.st_mode) &&
        st.st_uid == ::geteuid() && (st.st_mode & 07777) == fileMode && st.st_nlink == 1)
        return std::exchange(file.fd, -1);
    if (::unlinkat(folder, fileName, 0) != 0 && errno != ENOENT) {
        error = qt_error_string(errno);
        return -1;
    }
    FileDescriptor fresh(::openat(folder, fileName, flags | O_CREAT | O_EXCL, fileMode));
    if (fresh.fd < 0 || ::fchmod(fresh.fd, fileMode) != 0) {
        error = qt_error_string(errno);
        return -1;
    }
    return std::exchange(fresh.fd, -1);
}

int writeAll(int fd, const QByteArray &bytes) {
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        done += n;
    }
    return 0;
}

} // namespace

PreviewFile::PreviewFile(const QString &folder)
    : folder_(QDir::cleanPath(folder))
    , path_(folder.isEmpty() ? QString() : folder_ + QLatin1Char('/') + QLatin1String(fileName)) {}

QString PreviewFile::defaultFolder() {
    // When the session has no runtime folder, or one that is not the user's alone, Qt makes
    // one with mode 0700; it gives none when it cannot.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QString() : runtime + QStringLiteral("/quenbry");
}

bool PreviewFile::write(QStringView text, Encoding encoding) {
    QString error;
    refused_ = false;
    if (tryWrite(text, encoding, error)) {
        failing_ = false;
        return true;
    }
    // The preview is written after every pause in typing: one line in the log tells what is
    // wrong, a line per pause would bury it.
    if (!failing_)
        qWarning("The preview file %s could not be written: %s", qPrintable(displayFileName(path_)),
                 qPrintable(error));
    failing_ = true;
    return false;
}

bool PreviewFile::tryWrite(QStringView text, Encoding encoding, QString &error) {
    if (folder_.isEmpty()) {
        error = Text::tr("there is no private runtime folder");
        return false;
    }
    const FileDescriptor folder(openFolder(fileNameToBytes(folder_), true, error, refused_));
    if (folder.fd < 0)
        return false;
    FileDescriptor file(openFile(folder.fd, error));
    if (file.fd < 0)
        return false;
    const QByteArray bytes = FileCodec::encodeFile(text, encoding);
    int failure = ::ftruncate(file.fd, 0) == 0 ? writeAll(file.fd, bytes) : errno;
    if (::close(std::exchange(file.fd, -1)) != 0 && errno != EINTR && !failure)
        failure = errno;
    if (failure)
        error = qt_error_string(failure);
    return !failure;
}

void PreviewFile::remove() {
    QString error;
    bool refused = false;
    const FileDescriptor folder(
        folder_.isEmpty() ? -1 : openFolder(fileNameToBytes(folder_), false, error, refused));
    if (folder.fd >= 0)
        ::unlinkat(folder.fd, fileName, 0);
}

} // namespace quenbry
