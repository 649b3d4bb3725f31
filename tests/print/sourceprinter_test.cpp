// Printed pages read back as a reader of the paper would: the text through pdftotext, the
// colours through a rendering by pdftoppm (both from poppler-utils).
#include "print/sourceprinter.h"

#include "colouring/syntaxcolouring.h"
#include "editing/editsession.h"
#include "pages.h"
#include "testsupport/scriptedservices.h"
#include "text/editorcore.h"
#include "view/editorview.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QScreen>
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

// The colours along a row of text, left to right, read off the strongest ink of each column
// and matched to the nearest colour by its direction from the white background: where each
// stretch of one colour starts, as a fraction of the row's inked width.
std::vector<std::pair<QRgb, double>> colourStretches(const QImage &image,
                                                     const std::vector<QRgb> &colours) {
    std::vector<std::pair<QRgb, int>> stretches;
    int first = -1, last = -1;
    for (int x = 0; x < image.width(); ++x) {
        QRgb ink = qRgb(255, 255, 255);
        for (int y = 0; y < image.height(); ++y) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) + qGreen(p) + qBlue(p) < qRed(ink) + qGreen(ink) + qBlue(ink))
                ink = p;
        }
        const double d[3] = {255.0 - qRed(ink), 255.0 - qGreen(ink), 255.0 - qBlue(ink)};
        if (d[0] + d[1] + d[2] < 200)
            continue;
        QRgb nearest = 0;
        double best = -1;
        for (QRgb c : colours) {
            const double e[3] = {255.0 - qRed(c), 255.0 - qGreen(c), 255.0 - qBlue(c)};
            const double cos = (d[0] * e[0] + d[1] * e[1] + d[2] * e[2]) /
                               std::hypot(d[0], d[1], d[2]) / std::hypot(e[0], e[1], e[2]);
            if (cos > best) {
                best = cos;
                nearest = c;
            }
        }
        if (stretches.empty() || stretches.back().first != nearest)
            stretches.push_back({nearest, x});
        first = first < 0 ? x : first;
        last = x;
    }
    std::vector<std::pair<QRgb, double>> out;
    for (const auto &[colour, x] : stretches)
        out.push_back({colour, double(x - first) / (last + 1 - first)});
    return out;
}

class SourcePrinterTest : public ::testing::Test {
protected:
    QString pdf() const { return dir.filePath("out.pdf"); }

    // Prints the editor's text from start on, as it was when the job was made: what happens
    // in between (the editor's text set to then) must not reach the paper.
    bool print(const QString &name = "Untitled", qreal tabStop = 80, int start = 0,
               const QString &then = QString()) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf());
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setResolution(resolution);
        printer.setPageRanges(ranges);
        SourcePrintJob job(*source, start, source->length() - start, {font, tabStop}, name);
        if (!then.isNull())
            editor.setText(then);
        return job.print(printer);
    }
    // The first page at dpi.
    QImage firstPage(int dpi) const {
        poppler("pdftoppm",
                {"-r", QString::number(dpi), "-singlefile", "-png", pdf(), dir.filePath("page")});
        return QImage(dir.filePath("page.png")).convertToFormat(QImage::Format_RGB32);
    }
    // The pages' text rows, the footers left out.
    QStringList rows() const {
        QStringList pages = poppler("pdftotext", {"-raw", pdf(), "-"}).split(u'\f');
        pages.removeLast();
        QStringList out;
        for (const QString &page : pages) {
            QStringList lines = page.split(u'\n', Qt::SkipEmptyParts);
            lines.removeLast();
            out += lines;
        }
        return out;
    }

    QTemporaryDir dir;
    EditorCore editor;
    const EditorCore *source = &editor; // the text print() prints
    QFont font{"DejaVu Sans", 10};
    int resolution = 1200;
    QPageRanges ranges;
};

TEST_F(SourcePrinterTest, EveryLineEndBreaksOnceAndLongLinesWrapAtTheEdge) {
    const QString longLine(400, u'w');
    editor.setText("one\r\ntwo\nthree\rfour\r\n\r\nsix\r\n" + longLine);
    ASSERT_TRUE(print("Untitled", 80, 0, "changed while printing"));
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

TEST_F(SourcePrinterTest, ALineLongerThanAPieceRunsOnAsOneLine) {
    // Digits are all as wide, so every row but the last holds as many: a row cut short where
    // one piece of the line ends and the next begins would show.
    QString line;
    for (int i = 0; line.size() < 5 * SourcePrintJob::pieceLength / 2; ++i)
        line += QString::number(i);
    editor.setText(line + "\r\nend");
    ASSERT_TRUE(print());
    QStringList rows = this->rows();
    ASSERT_GT(rows.size(), 3);
    EXPECT_EQ(rows.takeLast(), "end");
    EXPECT_EQ(rows.join(""), line);
    for (int i = 1; i + 1 < rows.size(); ++i)
        ASSERT_EQ(rows[i].size(), rows[0].size()) << "row " << i;
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

TEST_F(SourcePrinterTest, PaperShowsTheColoursWhereTheScreenShowsThem) {
    // The same row on screen and on paper, at the same scale: the same colours in the same
    // order, each starting at the same place along the row, the tab's width included. Only
    // the second line is printed, as a selection would be.
    font = QFont("DejaVu Sans", 14);
    editor.setText("<b>\r\nHi\t<p class=\"x\">there <!-- c --> &amp;</p>");
    SyntaxColouring().colourRegions(editor);
    EditorView view(editor);
    view.setFont(font);
    view.setBackgroundColour(Qt::white);
    view.resize(800, 60);
    const QRect row = view.cursorRect(5);
    QImage screen = view.viewport()->grab().toImage();
    screen = screen.copy(0, row.top(), screen.width(), row.height());
    ASSERT_TRUE(print("Untitled", view.tabStopDistance(), 5));
    QImage paper = firstPage(int(QGuiApplication::primaryScreen()->logicalDotsPerInchY()));
    paper = paper.copy(0, 0, paper.width(), paper.height() / 2); // no footer
    std::vector<QRgb> colours = {qRgb(0, 0, 0)};
    for (quint32 c :
         {SyntaxColouring::TagColor, SyntaxColouring::ValueColor, SyntaxColouring::CommentColor})
        colours.push_back(SyntaxColouring::toRgb(c));
    const auto onScreen = colourStretches(screen, colours);
    const auto onPaper = colourStretches(paper, colours);
    ASSERT_EQ(onScreen.size(), 8u); // text, tag, value, tag, text, comment, text, tag
    ASSERT_EQ(onPaper.size(), onScreen.size());
    for (size_t i = 0; i < onScreen.size(); ++i) {
        EXPECT_EQ(onPaper[i].first, onScreen[i].first) << i;
        EXPECT_NEAR(onPaper[i].second, onScreen[i].second, 0.01) << i;
    }
}

TEST_F(SourcePrinterTest, APageJustOpenedPrintsInTheColoursOfTheWholePass) {
    // An opened page is coloured in idle steps; its end printed at once must not come out
    // before the steps have reached it.
    const QString page = bench::realisticPage(10'000'000, 4);
    EditSession opened;
    opened.setRecording(true);
    opened.load(page);
    ASSERT_TRUE(opened.text().coloursPending());
    editor.setText(page);
    SyntaxColouring().colourRegions(editor);
    resolution = 100;
    const int start = editor.lineStart(editor.lineCount() - 8);
    QImage printed[2];
    for (int i = 0; i < 2; ++i) {
        source = i == 0 ? &opened.text() : &editor;
        ASSERT_TRUE(print("page.html", 80, start));
        printed[i] = firstPage(100);
    }
    EXPECT_FALSE(opened.text().coloursPending());
    bool blue = false; // the tags' ink: what is compared is coloured
    for (int y = 0; y < printed[1].height() && !blue; ++y)
        for (int x = 0; x < printed[1].width() && !blue; ++x)
            blue = qBlue(printed[1].pixel(x, y)) > qRed(printed[1].pixel(x, y)) + 80;
    EXPECT_TRUE(blue);
    EXPECT_TRUE(printed[0] == printed[1]);
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

// The Print command leaves the margins of its page setup free on every side, footer included,
// and the text runs up to them: a wrapped line reaches the right one, a full page the bottom.
TEST_F(SourcePrinterTest, ThePrintCommandKeepsItsMarginsFree) {
    editor.setText(QString(300, u'W') + "\r\n" + numberedLines(80));
    EventLog log;
    ScriptedDialogs dialogs(log);
    dialogs.queuePrinter(pdf());
    printSource(nullptr, editor, {font, 80}, "margins.html", dialogs);
    const QImage page = firstPage(72);
    QRect ink;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 160)
                ink |= QRect(x, y, 1, 1);
    const QRect free =
        page.rect().marginsRemoved(QMargins(1, 1, 1, 1) * qRound(printMargin * 72 / 25.4));
    EXPECT_TRUE(free.contains(ink))
        << ink.x() << "," << ink.y() << " " << ink.width() << "x" << ink.height();
    EXPECT_TRUE(ink.marginsAdded(QMargins(12, 12, 12, 12)).contains(free));
}

} // namespace
} // namespace quenbry
