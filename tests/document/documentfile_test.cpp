#include "document/documentfile.h"
#include "documenttestutil.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace quenbry {
namespace {

using test::readBytes;
using test::writeBytes;

class DocumentFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }
    // Everything in the folder: a temporary file left behind shows here.
    QStringList files() const {
        return QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden);
    }
};

TEST_F(DocumentFile, SaveKeepsPermissionsAndWritesThroughLinks) {
    const QString file = path("page.html");
    ASSERT_TRUE(writeBytes(file, "old"));
    ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadGroup));
    ASSERT_TRUE(writeDocumentFile(file, u"new").ok());
    EXPECT_EQ(readBytes(file), "new\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(file.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(files(), QStringList{"page.html"});

    // A chain of relative links, and a link whose target does not exist yet.
    QDir(dir.path()).mkdir("real");
    ASSERT_TRUE(QFile::rename(file, path("real/page.html")));
    ASSERT_TRUE(QFile::link("real/page.html", path("link.html")));
    ASSERT_TRUE(QFile::link("link.html", path("link2.html")));
    ASSERT_TRUE(QFile::link(path("missing.html"), path("dangling.html")));
    ASSERT_TRUE(writeDocumentFile(path("link2.html"), u"through").ok());
    ASSERT_TRUE(writeDocumentFile(path("dangling.html"), u"x").ok());
    for (const char *link : {"link.html", "link2.html", "dangling.html"})
        EXPECT_TRUE(QFileInfo(path(link)).isSymLink()) << link;
    EXPECT_EQ(readBytes(path("real/page.html")), "through\r\n");
    EXPECT_EQ(readBytes(path("missing.html")), "x\r\n");
}

TEST_F(DocumentFile, FailuresNameTheFileAndLeaveNothingBehind) {
    QDir(dir.path()).mkdir("folder");
    ASSERT_TRUE(QFile::link(path("b"), path("a")));
    ASSERT_TRUE(QFile::link(path("a"), path("b")));
    struct stat devFull {};
    ASSERT_EQ(::stat("/dev/full", &devFull), 0);
    const struct {
        QString path;
        bool reading;
    } cases[] = {
        {path("no-such-folder/page.html"), false},
        {QStringLiteral("/proc/quenbry-document-test.html"), false},
        {path("folder"), false},
        {path("a"), false}, // a loop of links
        {QStringLiteral("/dev/full"), false},
        {path("no-such-file.html"), true},
        {path("folder"), true},
    };
    for (const auto &c : cases) {
        const FileResult result =
            c.reading ? readDocumentFile(c.path) : writeDocumentFile(c.path, u"text");
        EXPECT_FALSE(result.ok()) << c.path.toStdString();
        EXPECT_TRUE(result.error.contains('"' + c.path + '"')) << result.error.toStdString();
        // The reason comes after the file name, not just a generic failure.
        EXPECT_GT(result.error.size(), c.path.size() + 40) << result.error.toStdString();
    }
    EXPECT_TRUE(QFileInfo(path("folder")).isDir());
    EXPECT_TRUE(QFileInfo(path("a")).isSymLink());
    EXPECT_EQ(files(), (QStringList{"a", "b"}));
    EXPECT_FALSE(QFileInfo::exists("/proc/quenbry-document-test.html"));
    struct stat after {};
    ASSERT_EQ(::stat("/dev/full", &after), 0);
    EXPECT_TRUE(S_ISCHR(after.st_mode));
    EXPECT_EQ(after.st_rdev, devFull.st_rdev);
}

TEST_F(DocumentFile, ReadsProcFilesThatReportNoSize) {
    const FileResult result = readDocumentFile(QStringLiteral("/proc/self/status"));
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_TRUE(result.text.startsWith("Name:"));
}

} // namespace
} // namespace quenbry
