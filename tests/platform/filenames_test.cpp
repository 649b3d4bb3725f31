// File names as bytes: every name the system can hold comes back byte for byte, names in UTF-8
// are the strings they always were, and what cannot be decoded shows as U+FFFD.
#include "platform/filenames.h"

#include <QDir>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace quenbry {
namespace {

TEST(FileNames, BytesComeBackAndUtf8StaysUtf8) {
    struct Case {
        QByteArray bytes;
        bool utf8;
        int undecodable;
    };
    const Case cases[] = {
        {"page.html", true, 0},
        {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x93\xa9.html", true, 0}, // 2, 3 and 4 bytes
        {"\xe9\xff.html", false, 2},                                 // Latin-1
        {"a\xc3", false, 1},                                         // cut short
        {"\xc0\xaf", false, 2},                                      // overlong '/'
        {"\xed\xb3\xa9", false, 3},                                  // an encoded surrogate
        {"\xf4\x90\x80\x80", false, 4},                              // beyond U+10FFFF
        {"\xf0\x9f\x93\xa9\xe9", false, 1},                          // a pair, then a byte
    };
    for (const Case &c : cases) {
        const QString name = fileNameFromBytes(c.bytes);
        EXPECT_EQ(fileNameToBytes(name), c.bytes) << c.bytes.toHex().constData();
        if (c.utf8) {
            EXPECT_EQ(name, QString::fromUtf8(c.bytes));
        }
        EXPECT_EQ(displayFileName(name).count(QChar::ReplacementCharacter), c.undecodable)
            << c.bytes.toHex().constData();
    }
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes(int(random() % 12), Qt::Uninitialized);
        for (char &b : bytes)
            b = char(random() % 8 == 0 ? random() : 0x80 + random() % 0x80);
        ASSERT_EQ(fileNameToBytes(fileNameFromBytes(bytes)), bytes) << bytes.toHex().constData();
    }
}

TEST(FileNames, AbsoluteNamesAndUrlsKeepTheBytes) {
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path()) + "/\xe9";
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    const QString before = QDir::currentPath();
    ASSERT_EQ(::chdir(folder.constData()), 0);
    const QString absolute = absoluteFileName(fileNameFromBytes("../\xe9/b\xff.html"));
    ASSERT_TRUE(QDir::setCurrent(before));
    ::rmdir(folder.constData());
    EXPECT_EQ(fileNameToBytes(absolute), folder + "/b\xff.html");
    EXPECT_EQ(absoluteFileName(QStringLiteral("/a/./b/../c")), QStringLiteral("/a/c"));
    EXPECT_EQ(localFileUrl(fileNameFromBytes("/a b/#\xe9")).toEncoded(),
              QByteArray("file:///a%20b/%23%E9"));
    EXPECT_EQ(localFileUrl(QStringLiteral("/caf\u00e9")), QUrl::fromLocalFile("/caf\u00e9"));
}

} // namespace
} // namespace quenbry
