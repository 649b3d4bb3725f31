// The page skeleton, byte for byte, and the two changes that put it into the editor.
#include "platform/editorcore.h"
#include "template/pagetemplate.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace quenbry;

namespace {

const char16_t defaultsPage[] =
    u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"\r\n"
    u"\"http://www.w3.org/TR/html4/loose.dtd\">\r\n"
    u"<html>\r\n"
    u"<head>\r\n"
    u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">\r\n"
    u"<title>Untitled Page</title>\r\n"
    u"<style type=\"text/css\"><!--\r\n"
    u"body,td,th {\r\n"
    u"    font-family: Arial, Helvetica, sans-serif;\r\n"
    u"    font-size: 12;\r\n"
    u"}\r\n"
    u"-->\r\n"
    u"</style></head>\r\n"
    u"\r\n"
    u"<body>\r\n"
    u"</body>\r\n"
    u"</html>";

const char16_t startupPage[] =
    u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"\r\n"
    u"\"http://www.w3.org/TR/html4/loose.dtd\">\r\n"
    u"<html>\r\n"
    u"<head>\r\n"
    u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">\r\n"
    u"<title>New Page</title>\r\n"
    u"<style type=\"text/css\"><!--\r\n"
    u"body,td,th {\r\n"
    u"    font-family: Arial, Helvetica, sans-serif ;\r\n"
    u"    font-size: 12 ;\r\n"
    u"}\r\n"
    u"-->\r\n"
    u"</style></head>\r\n"
    u"\r\n"
    u"<body>\r\n"
    u"</body>\r\n"
    u"</html>";

// Lines 6, 9 and 10 of a built page; the other fourteen never change.
QString withLines(const QString &title, const QString &family, const QString &size) {
    QStringList lines = QString::fromUtf16(defaultsPage).split(QStringLiteral("\r\n"));
    lines[5] = title;
    lines[8] = family;
    lines[9] = size;
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace

TEST(PageText, BuildsTheSeventeenLinesExactly) {
    struct Case {
        QString title, font;
        qint16 size;
        QString expected;
    };
    const Case cases[] = {
        {"Untitled Page", "Arial, Helvetica, sans-serif", 12, QString::fromUtf16(defaultsPage)},
        {"My page", "Georgia, Times New Roman, Times, serif", 36,
         withLines("<title>My page</title>",
                   "    font-family: Georgia, Times New Roman, Times, serif;",
                   "    font-size: 36;")},
        {"", "Courier New, Courier, mono", 14,
         withLines("<title></title>", "    font-family: Courier New, Courier, mono;",
                   "    font-size: 14;")},
        // Nothing is escaped or trimmed, whatever the title holds.
        {"Fish & Chips <b>\"hot\"</b>", "Verdana, Arial, Helvetica, sans-serif", 20,
         withLines("<title>Fish & Chips <b>\"hot\"</b></title>",
                   "    font-family: Verdana, Arial, Helvetica, sans-serif;",
                   "    font-size: 20;")},
        {"  spaced  ", " odd font ", -5,
         withLines("<title>  spaced  </title>", "    font-family:  odd font ;",
                   "    font-size: -5;")},
        {QString::fromUtf16(u"Caf\u00e9 \u20ac"), "", 0,
         withLines(QString::fromUtf16(u"<title>Caf\u00e9 \u20ac</title>"), "    font-family: ;",
                   "    font-size: 0;")},
    };
    for (const Case &c : cases) {
        const QString page = pageText(c.title, c.font, c.size);
        EXPECT_EQ(page, c.expected) << c.title.toStdString();
        EXPECT_EQ(page.count(QStringLiteral("\r\n")), 16);
        EXPECT_TRUE(page.endsWith(QStringLiteral("</html>")));
        EXPECT_EQ(pageText(TemplateSettings{c.title, c.font, c.size}), page);
    }
}

TEST(PageText, StartupPageHasItsThreeFixedLines) {
    EXPECT_EQ(defaultPage(), QString::fromUtf16(startupPage));
}

TEST(CreateNewPage, EmptiesTheEditorThenInsertsThePage) {
    EditorCore editor;
    editor.setText(QStringLiteral("old text that must go"));
    editor.setSelStart(4);
    editor.setSelLength(4);
    std::vector<QString> textsSeen;
    editor.onChange = [&] {
        textsSeen.push_back(editor.text());
    };

    const TemplateSettings settings{"T & <t>", "Arial, Helvetica, sans-serif", 18};
    putPage(editor, pageText(settings));

    const QString page = pageText(settings);
    ASSERT_EQ(textsSeen.size(), 2u);
    EXPECT_EQ(textsSeen[0], QString());
    EXPECT_EQ(textsSeen[1], page);
    EXPECT_EQ(editor.text(), page);
    EXPECT_EQ(editor.selStart(), page.size());
    EXPECT_EQ(editor.selLength(), 0);
}

TEST(CreateNewPage, StartupPageGoesInTheSameWay) {
    EditorCore editor;
    putPage(editor, defaultPage());
    EXPECT_EQ(editor.text(), QString::fromUtf16(startupPage));
    EXPECT_EQ(editor.selStart(), editor.length());
}
