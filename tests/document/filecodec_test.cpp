#include "document/filecodec.h"

#include <gtest/gtest.h>

namespace quenbry {
namespace {

QByteArray allBytes() {
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        bytes.append(char(b));
    return bytes;
}

TEST(FileCodec, EveryByteDecodesToOneCharacterAndEncodesBack) {
    const QByteArray bytes = allBytes();
    const QString text = FileCodec::decode(bytes);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(FileCodec::encode(text), bytes);
}

TEST(FileCodec, DecodesWindows1252) {
    struct Case {
        quint8 byte;
        char16_t character;
    };
    const Case cases[] = {
        {0x00, 0x0000}, {0x0D, 0x000D}, {0x41, 0x0041}, {0x7F, 0x007F}, {0x80, 0x20AC},
        {0x81, 0x0081}, {0x8A, 0x0160}, {0x8D, 0x008D}, {0x8F, 0x008F}, {0x90, 0x0090},
        {0x93, 0x201C}, {0x99, 0x2122}, {0x9D, 0x009D}, {0x9F, 0x0178}, {0xA0, 0x00A0},
        {0xE9, 0x00E9}, {0xFF, 0x00FF},
    };
    for (const Case &c : cases) {
        const QByteArray byte(1, char(c.byte));
        EXPECT_EQ(FileCodec::decode(byte), QString(QChar(c.character))) << int(c.byte);
        EXPECT_EQ(FileCodec::encode(QString(QChar(c.character))), byte) << int(c.byte);
    }
}

TEST(FileCodec, WritesReferencesForWhatTheCodePageCannotHold) {
    struct Case {
        QString text;
        QByteArray bytes;
    };
    const Case cases[] = {
        {QStringLiteral("a\u4E2Db"), "a&#20013;b"},
        {QStringLiteral("\u03A9"), "&#937;"},
        // A surrogate pair is one character and one reference.
        {QString::fromUcs4(U"x\U0001F600y"), "x&#128512;y"},
        // Lone halves of a pair are no character at all.
        {QString(QChar(0xD83D)) + QLatin1Char('z'), "&#65533;z"},
        {QLatin1Char('z') + QString(QChar(0xDE00)), "z&#65533;"},
        // C1 controls other than the five undefined bytes: their byte means another character.
        {QString(QChar(0x0080)), "&#128;"},
        {QString(QChar(0x0099)), "&#153;"},
        {QStringLiteral("\u20AC5 caf\u00E9"), "\x80"
                                              "5 caf\xE9"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FileCodec::encode(c.text), c.bytes) << c.text.toStdString();
}

TEST(FileCodec, LongRunsOfReferencesAfterPlainText) {
    // Plain text first fills the one-byte-a-character guess; the references must all fit.
    const QString plain(1000, QLatin1Char('a'));
    QString text = plain;
    QByteArray expected = plain.toLatin1();
    for (int i = 0; i < 5000; ++i) {
        text += QString::fromUcs4(i % 2 ? U"\U0010FFFF" : U"\u4E2D");
        expected += i % 2 ? "&#1114111;" : "&#20013;";
    }
    text += QLatin1Char('z');
    expected += 'z';
    EXPECT_EQ(FileCodec::encode(text), expected);
}

} // namespace
} // namespace quenbry
