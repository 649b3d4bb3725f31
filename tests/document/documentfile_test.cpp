#include "document/documentfile.h"
#include "documenttestutil.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

namespace quenbry {
namespace {

using test::readBytes;
using test::writeBytes;

class DocumentFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }
    // Everything in the folder apart from the given names: temporary files left behind.
    QStringList strayFiles(const QStringList &expected) const {
        QStringList names = QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden);
        for (const QString &e : expected)
            names.removeAll(e);
        return names;
    }
};

TEST_F(DocumentFile, SaveKeepsThePermissionsOfTheOldFile) {
    const QString file = path("page.html");
    ASSERT_TRUE(writeBytes(file, "old"));
    const auto perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(file, perms));

    ASSERT_TRUE(writeDocumentFile(file, u"new").ok());

    EXPECT_EQ(readBytes(file), "new\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(file.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(strayFiles({"page.html"}), QStringList());
}

TEST_F(DocumentFile, SaveThroughASymbolicLinkWritesItsTarget) {
    QDir(dir.path()).mkdir("real");
    const QString target = path("real/page.html");
    ASSERT_TRUE(writeBytes(target, "old"));
    // A relative link, so the target is found from the link's own folder.
    ASSERT_TRUE(QFile::link("real/page.html", path("link.html")));
    ASSERT_TRUE(QFile::link("link.html", path("link2.html")));

    ASSERT_TRUE(writeDocumentFile(path("link2.html"), u"new").ok());

    EXPECT_TRUE(QFileInfo(path("link.html")).isSymLink());
    EXPECT_TRUE(QFileInfo(path("link2.html")).isSymLink());
    EXPECT_EQ(readBytes(target), "new\r\n");
}

TEST_F(DocumentFile, SaveThroughADanglingLinkCreatesItsTarget) {
    ASSERT_TRUE(QFile::link(path("missing.html"), path("link.html")));
    ASSERT_TRUE(writeDocumentFile(path("link.html"), u"x").ok());
    EXPECT_TRUE(QFileInfo(path("link.html")).isSymLink());
    EXPECT_EQ(readBytes(path("missing.html")), "x\r\n");
}

TEST_F(DocumentFile, LinkLoopIsReportedNotReplaced) {
    ASSERT_TRUE(QFile::link(path("b"), path("a")));
    ASSERT_TRUE(QFile::link(path("a"), path("b")));
    const FileResult result = writeDocumentFile(path("a"), u"x");
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error.contains(path("a")));
    EXPECT_TRUE(QFileInfo(path("a")).isSymLink());
}

TEST_F(DocumentFile, FailuresNameTheFileAndLeaveNothingBehind) {
    QDir(dir.path()).mkdir("folder");
    struct Case {
        QString path;
        bool reading;
    };
    const Case cases[] = {
        {path("no-such-folder/page.html"), false},
        {QStringLiteral("/proc/quenbry-document-test.html"), false},
        {path("folder"), false},
        {path("no-such-file.html"), true},
        {path("folder"), true},
    };
    for (const Case &c : cases) {
        const FileResult result =
            c.reading ? readDocumentFile(c.path) : writeDocumentFile(c.path, u"text");
        EXPECT_FALSE(result.ok()) << c.path.toStdString();
        EXPECT_TRUE(result.error.contains(QLatin1Char('"') + c.path + QLatin1Char('"')))
            << result.error.toStdString();
        // The reason comes after the file name, not just a generic failure.
        EXPECT_GT(result.error.size(), c.path.size() + 40) << result.error.toStdString();
    }
    EXPECT_TRUE(QFileInfo(path("folder")).isDir());
    EXPECT_EQ(strayFiles({}), QStringList());
    EXPECT_FALSE(QFileInfo::exists("/proc/quenbry-document-test.html"));
}

TEST_F(DocumentFile, FullDeviceFailsAndStaysADevice) {
    struct stat before {};
    if (::stat("/dev/full", &before) != 0 || !S_ISCHR(before.st_mode))
        GTEST_SKIP() << "no /dev/full on this machine";

    const FileResult result = writeDocumentFile(QStringLiteral("/dev/full"), u"text");

    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error.contains("/dev/full"));
    struct stat after {};
    ASSERT_EQ(::stat("/dev/full", &after), 0);
    EXPECT_TRUE(S_ISCHR(after.st_mode));
    EXPECT_EQ(after.st_rdev, before.st_rdev);
}

TEST_F(DocumentFile, ReadsProcFilesThatReportNoSize) {
    const FileResult result = readDocumentFile(QStringLiteral("/proc/self/status"));
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_TRUE(result.text.startsWith("Name:"));
}

} // namespace
} // namespace quenbry
