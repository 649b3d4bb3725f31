#include "pagefiles.h"

#include "platform/filenames.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace quenbry::pagefiles {

namespace {

// The name with every link and ".." resolved, as the system resolves it, by its bytes; empty
// when it does not exist.
QString canonicalName(const QString &name) {
    char resolved[PATH_MAX];
    if (!::realpath(fileNameToBytes(name).constData(), resolved))
        return {};
    return fileNameFromBytes(resolved);
}

// Their files look regular and are the kernel's view of the machine: processes' environments
// and memory, hardware, keys.
bool onPseudoFileSystem(int fd) {
    struct statfs fs;
    if (::fstatfs(fd, &fs) != 0)
        return true;
    static constexpr unsigned long pseudo[] = {
        PROC_SUPER_MAGIC,   SYSFS_MAGIC,         DEBUGFS_MAGIC, TRACEFS_MAGIC,  SECURITYFS_MAGIC,
        CGROUP_SUPER_MAGIC, CGROUP2_SUPER_MAGIC, BPF_FS_MAGIC,  EFIVARFS_MAGIC, DEVPTS_SUPER_MAGIC,
    };
    return std::find(std::begin(pseudo), std::end(pseudo), (unsigned long)fs.f_type) !=
           std::end(pseudo);
}

// A file that grows while the engine reads it still ends at the limit.
class BoundedFile : public QFile {
public:
    qint64 size() const override { return std::min(QFile::size(), maxFileSize); }

protected:
    qint64 readData(char *data, qint64 max) override {
        const qint64 n = QFile::readData(data, std::min(max, maxFileSize - delivered_));
        if (n > 0)
            delivered_ += n;
        return n;
    }

private:
    qint64 delivered_ = 0;
};

} // namespace

QString folderOf(const QString &documentFile) {
    if (documentFile.isEmpty())
        return {};
    const qsizetype slash = documentFile.lastIndexOf(u'/');
    return canonicalName(slash <= 0 ? QStringLiteral("/") : documentFile.left(slash));
}

std::unique_ptr<QIODevice> openInside(const QString &folder, const QString &path, QString &why) {
    if (folder.isEmpty()) {
        why = QStringLiteral("an untitled page has no folder");
        return nullptr;
    }
    const QString canonical = canonicalName(path);
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    if (canonical.isEmpty() || !canonical.startsWith(prefix)) {
        why = QStringLiteral("not a file inside the document's folder");
        return nullptr;
    }
    // The canonical path holds no link any more; one put there since is not followed, and a
    // FIFO does not block the open.
    const int fd = ::open(fileNameToBytes(canonical).constData(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        why = QString::fromLocal8Bit(::strerror(errno));
        return nullptr;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || onPseudoFileSystem(fd)) {
        why = QStringLiteral("not a regular file");
    } else if (st.st_size > maxFileSize) {
        why = QStringLiteral("larger than %1 MiB").arg(maxFileSize >> 20);
    } else {
        auto file = std::make_unique<BoundedFile>();
        if (file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
            return file;
        why = file->errorString();
    }
    ::close(fd);
    return nullptr;
}

} // namespace quenbry::pagefiles
