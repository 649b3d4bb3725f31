// The temporary preview file: private to its user, in the form of a saved document, and a
// failing write that is logged once instead of at every pause in typing.

#include "preview/previewfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace quenbry {
namespace {

unsigned modeOf(const QString &path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

QByteArray bytesOf(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int warnings = 0;
void countWarnings(QtMsgType type, const QMessageLogContext &, const QString &) {
    if (type == QtWarningMsg)
        ++warnings;
}

TEST(PreviewFile, IsReadableByItsUserOnly) {
    QTemporaryDir dir;
    PreviewFile file(dir.filePath(QStringLiteral("quenbry")));
    ASSERT_TRUE(file.write(u"a\u0101"));
    EXPECT_EQ(modeOf(file.folder()), 0700u);
    EXPECT_EQ(modeOf(file.path()), 0600u);
    // The saved document's form: the code page's bytes, references for the rest, one CR LF.
    EXPECT_EQ(bytesOf(file.path()), QByteArray("a&#257;\r\n"));
    ASSERT_TRUE(file.write(u"b"));
    EXPECT_EQ(bytesOf(file.path()), QByteArray("b\r\n"));
}

TEST(PreviewFile, AFailureIsLoggedOnceUntilAWriteSucceeds) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("quenbry"));
    PreviewFile file(folder);
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    warnings = 0;
    const QtMessageHandler previous = qInstallMessageHandler(countWarnings);
    const bool first = file.write(u"x");
    const bool second = file.write(u"x");
    QFile::remove(folder);
    const bool recovered = file.write(u"x");
    QDir(folder).removeRecursively();
    blocker.open(QIODevice::WriteOnly);
    blocker.close();
    const bool again = file.write(u"x");
    qInstallMessageHandler(previous);

    EXPECT_FALSE(first);
    EXPECT_FALSE(second);
    EXPECT_TRUE(recovered);
    EXPECT_FALSE(again);
    EXPECT_EQ(warnings, 2);
}

} // namespace
} // namespace quenbry
