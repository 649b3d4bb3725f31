// The files a previewed page may load: its folder's regular files, as the file system resolves
// them, and nothing past the folder, the size limit or the kernel's pseudo files.

#include "preview/pagefiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace quenbry {
namespace {

void write(const QString &path, const QByteArray &bytes, qint64 size = -1) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    if (size >= 0) {
        ASSERT_TRUE(f.resize(size)); // sparse: no disk for the limit's sake
    }
}

TEST(PageFiles, OnlyRegularFilesInsideTheFolderOpen) {
    QTemporaryDir dir;
    const QString root = dir.path(), site = root + "/site";
    ASSERT_TRUE(QDir().mkpath(site + "/sub") && QDir().mkpath(root + "/site2"));
    write(site + "/a.txt", "a");
    write(site + "/sub/b.txt", "b");
    write(root + "/out.txt", "out");
    write(root + "/site2/c.txt", "c");
    write(site + "/limit.bin", "", pagefiles::maxFileSize);
    write(site + "/big.bin", "", pagefiles::maxFileSize + 1);
    ASSERT_TRUE(QFile::link(site + "/a.txt", site + "/in-link"));
    ASSERT_TRUE(QFile::link(root + "/out.txt", site + "/out-link"));
    ASSERT_TRUE(QFile::link(root, site + "/up"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(site + "/fifo").constData(), 0600), 0);
    const QString folder = pagefiles::folderOf(site + "/page.html");

    const struct {
        QString folder, path;
        bool opens;
    } cases[] = {
        {folder, site + "/a.txt", true},
        {folder, site + "/sub/b.txt", true},
        {folder, site + "/in-link", true},
        {folder, site + "/up/site/a.txt", true}, // out and back in: the file is the folder's
        {folder, site + "/limit.bin", true},
        {folder, site + "/../out.txt", false},
        {folder, site + "/out-link", false},
        {folder, site + "/up/out.txt", false},
        {folder, root + "/site2/c.txt", false}, // a name that merely begins like the folder's
        {folder, site + "/big.bin", false},
        {folder, site + "/fifo", false},
        {folder, site + "/sub", false},
        {folder, site + "/missing", false},
        {folder, QStringLiteral("/etc/passwd"), false},
        {pagefiles::folderOf({}), site + "/a.txt", false}, // an untitled page has no folder
        {pagefiles::folderOf("/proc/self/environ"), QStringLiteral("/proc/self/environ"), false},
        {QStringLiteral("/dev"), QStringLiteral("/dev/zero"), false},
    };
    for (const auto &c : cases) {
        QString why;
        const bool opened = pagefiles::openInside(c.folder, c.path, why) != nullptr;
        EXPECT_EQ(opened, c.opens) << c.path.toStdString() << ": " << why.toStdString();
        EXPECT_EQ(why.isEmpty(), c.opens) << c.path.toStdString();
    }
}

TEST(PageFiles, AFileThatGrowsWhileReadEndsAtTheLimit) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("growing.bin"));
    write(path, "", pagefiles::maxFileSize);
    QString why;
    const auto file = pagefiles::openInside(pagefiles::folderOf(path), path, why);
    ASSERT_TRUE(file) << why.toStdString();
    QFile more(path);
    ASSERT_TRUE(more.open(QIODevice::Append));
    more.write(QByteArray(4096, 'x'));
    more.close();
    // Piece by piece, as the engine reads it, until the file says there is no more.
    qint64 total = 0;
    QByteArray piece(1 << 20, Qt::Uninitialized);
    for (qint64 n; (n = file->read(piece.data(), piece.size())) > 0;)
        total += n;
    EXPECT_EQ(total, pagefiles::maxFileSize);
}

} // namespace
} // namespace quenbry
