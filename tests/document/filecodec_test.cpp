#include "document/filecodec.h"

#include <QStringDecoder>
#include <gtest/gtest.h>

namespace quenbry {
namespace {

// Every byte is the Windows-1252 character (the five undefined bytes their own C1 control, as
// ICU reads them too) and encodes back to itself.
TEST(FileCodec, EveryByteIsItsWindows1252Character) {
    QStringDecoder windows1252("windows-1252");
    ASSERT_TRUE(windows1252.isValid());
    for (int b = 0; b < 256; ++b) {
        const QByteArray byte(1, char(b));
        const QString character = FileCodec::decode(byte);
        EXPECT_EQ(character, windows1252.decode(byte)) << b;
        EXPECT_EQ(FileCodec::encode(character), byte) << b;
    }
}

TEST(FileCodec, WritesReferencesForWhatTheCodePageCannotHold) {
    struct Case {
        QString text;
        QByteArray bytes;
    };
    const Case cases[] = {
        {QStringLiteral("a\u4E2Db\u03A9"), "a&#20013;b&#937;"},
        // A surrogate pair is one character and one reference.
        {QString::fromUcs4(U"x\U0001F600y"), "x&#128512;y"},
        // Lone halves of a pair are no character at all.
        {QString(QChar(0xD83D)) + QLatin1Char('z'), "&#65533;z"},
        {QLatin1Char('z') + QString(QChar(0xDE00)), "z&#65533;"},
        // C1 controls other than the five undefined bytes: their byte means another character.
        {QString(QChar(0x0080)) + QChar(0x0099), "&#128;&#153;"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FileCodec::encode(c.text), c.bytes) << c.text.toStdString();
}

TEST(FileCodec, LongRunsOfReferencesAfterPlainText) {
    // Plain text first fills the one-byte-a-character guess; the references must all fit.
    QString text(1000, QLatin1Char('a'));
    QByteArray expected = text.toLatin1();
    for (int i = 0; i < 5000; ++i) {
        text += QString::fromUcs4(i % 2 ? U"\U0010FFFF" : U"\u4E2D");
        expected += i % 2 ? "&#1114111;" : "&#20013;";
    }
    EXPECT_EQ(FileCodec::encode(text + 'z'), expected + 'z');
}

} // namespace
} // namespace quenbry
