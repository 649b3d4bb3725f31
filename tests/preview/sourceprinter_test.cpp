// Printed pages read back as a reader of the paper would: the text through pdftotext, the
// colours through a rendering by pdftoppm (both from poppler-utils).
#include "preview/sourceprinter.h"

#include "colouring/syntaxcolouring.h"
#include "testsupport/scriptedservices.h"
#include "text/editorcore.h"

#include <QApplication>
#include <QImage>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

inline void PrintTo(const QString &s, std::ostream *os) {
    *os << '"' << s.toStdString() << '"';
}

namespace quenbry {
namespace {

QString poppler(const QString &tool, const QStringList &args) {
    QProcess p;
    p.start(tool, args);
    EXPECT_TRUE(p.waitForFinished(60000) && p.exitCode() == 0) << tool.toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString numberedLines(int count) {
    QString text;
    for (int i = 1; i <= count; ++i)
        text += QStringLiteral("line %1\r\n").arg(i);
    return text;
}

class SourcePrinterTest : public ::testing::Test {
protected:
    QString pdf() const { return dir.filePath("out.pdf"); }

    // Prints the editor's text from start on.
    bool print(const QString &name = "Untitled", qreal tabStop = 80, int start = 0) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf());
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setResolution(resolution);
        printer.setPageRanges(ranges);
        SourcePrintJob job(editor, start, editor.length() - start, {font, tabStop}, name);
        return job.print(printer);
    }

    QTemporaryDir dir;
    EditorCore editor;
    QFont font{"DejaVu Sans", 10};
    int resolution = 1200;
    QPageRanges ranges;
};

TEST_F(SourcePrinterTest, EveryLineEndBreaksOnceAndLongLinesWrapAtTheEdge) {
    const QString longLine(400, u'w');
    editor.setText("one\r\ntwo\nthree\rfour\r\n\r\nsix\r\n" + longLine);
    ASSERT_TRUE(print());
    // The layout keeps blank lines, so a line end that broke twice would show as one.
    const QStringList lines = poppler("pdftotext", {"-layout", pdf(), "-"}).split(u'\n');
    ASSERT_GT(lines.size(), 8);
    EXPECT_EQ(lines.mid(0, 6), QStringList({"one", "two", "three", "four", "", "six"}));
    int rows = 6;
    QString wrapped;
    while (rows < lines.size() && !lines[rows].isEmpty())
        wrapped += lines[rows++];
    EXPECT_EQ(wrapped, longLine);
    EXPECT_GT(rows, 7);
}

TEST_F(SourcePrinterTest, TabsStopWhereTheEditorPutsThem) {
    // A tab stop as wide as four x on screen puts what follows the tab where four x end on
    // paper too: the stop scales from the screen to the printer with the font.
    const qreal fourX = QFontMetricsF(font).horizontalAdvance("xxxx");
    editor.setText("\tY\r\nxxxx");
    ASSERT_TRUE(print("Untitled", fourX));
    const QString boxes = poppler("pdftotext", {"-bbox", pdf(), "-"});
    const QRegularExpression y(R"re(xMin="([\d.]+)"[^>]*>Y<)re");
    const QRegularExpression x(R"re(xMax="([\d.]+)"[^>]*>xxxx<)re");
    EXPECT_NEAR(y.match(boxes).captured(1).toDouble(), x.match(boxes).captured(1).toDouble(), 1);
}

TEST_F(SourcePrinterTest, EachCharacterInItsColourOnWhitePaper) {
    const QRgb tag = SyntaxColouring::toRgb(SyntaxColouring::TagColor);
    editor.setText("plain text\r\n<b>\r\nplain text");
    editor.setColour(12, 3, tag);
    // Printed from inside the first line on, as a selection is.
    ASSERT_TRUE(print("Untitled", 80, 4));
    poppler("pdftoppm", {"-r", "200", "-singlefile", "-png", pdf(), dir.filePath("page")});
    const QImage page = QImage(dir.filePath("page.png")).convertToFormat(QImage::Format_RGB32);
    std::vector<int> black, tagged; // rows
    for (int row = 0; row < page.height(); ++row) {
        const auto *line = reinterpret_cast<const QRgb *>(page.constScanLine(row));
        for (int x = 0; x < page.width(); ++x) {
            const QRgb p = line[x];
            const bool grey = qRed(p) == qGreen(p) && qGreen(p) == qBlue(p);
            // Black, greys (the footer, the edges of letters) and the tag's colour blended into
            // the white paper, nothing else: plain text has no colour.
            ASSERT_TRUE(grey || (qRed(p) == qGreen(p) && qBlue(p) > qRed(p))) << x << "," << row;
            if ((grey && qRed(p) < 100) || (p & 0xffffff) == (tag & 0xffffff))
                (grey ? black : tagged).push_back(row);
        }
    }
    ASSERT_GT(tagged.size(), 20u);
    // The tag's colour lies on the tag's line, between the two plain lines, and nowhere else.
    EXPECT_TRUE(std::none_of(black.begin(), black.end(),
                             [&](int r) { return r >= tagged.front() && r <= tagged.back(); }));
    EXPECT_LT(black.front(), tagged.front());
    EXPECT_GT(black.back(), tagged.back());
}

TEST_F(SourcePrinterTest, PagesFollowEachOtherWithTheirFooters) {
    // Every line once, in order, none lost or doubled where a page breaks, and every page as
    // full as the first but the last one.
    const auto check = [&](int lines, int pageCount) {
        editor.setText(numberedLines(lines));
        ASSERT_TRUE(print("page.html"));
        QStringList pages = poppler("pdftotext", {"-raw", pdf(), "-"}).split(u'\f');
        pages.removeLast();
        ASSERT_EQ(pages.size(), pageCount ? pageCount : pages.size());
        int next = 1;
        for (int i = 0; i < pages.size(); ++i) {
            QStringList text = pages[i].split(u'\n', Qt::SkipEmptyParts);
            EXPECT_EQ(text.takeLast(),
                      QString("page.html page %1 of %2").arg(i + 1).arg(pages.size()));
            EXPECT_TRUE(i + 1 == pages.size() || text.size() == pages[0].count(u'\n') - 1) << i;
            for (const QString &line : text)
                EXPECT_EQ(line, QStringLiteral("line %1").arg(next++));
        }
        EXPECT_EQ(next, lines + 1);
    };
    check(165, 3);
    // The pages picked in the dialog, numbered as in the whole.
    ranges.addPage(2);
    ASSERT_TRUE(print("page.html"));
    const QString picked = poppler("pdftotext", {"-raw", pdf(), "-"});
    EXPECT_EQ(picked.count(u'\f'), 1);
    EXPECT_TRUE(picked.contains("line 70\n") && picked.contains("page.html page 2 of 3\n"));
    ranges.clear();
    // At this resolution a part of the layout holds some 5,000 lines: the pages must not show
    // where one part ends and the next begins.
    resolution = 9600;
    check(6000, 0);
}

TEST_F(SourcePrinterTest, ALongJobShowsItsProgressAndCancelLeavesTheFileAsItWas) {
    QFile old(pdf());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    editor.setText(numberedLines(66 * 25));
    EventLog log;
    ScriptedDialogs dialogs(log);
    dialogs.queuePrinter(pdf());
    // Cancel once some pages are drawn: the file being written must go, the old one stay.
    bool shown = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *progress = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget());
        shown = shown || progress;
        if (progress && progress->labelText().startsWith("Printing page 4 of"))
            progress->cancel();
    });
    poll.start(0);
    printSource(nullptr, editor, {font, 80}, "Untitled", dialogs);
    EXPECT_TRUE(shown);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "old");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"out.pdf"}));
}

} // namespace
} // namespace quenbry
