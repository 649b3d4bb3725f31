// Printing a coloured page to PDF, as "Print to File" does: how long preparing the pages
// (shaping and wrapping every line to count them) and drawing them (shaping each page's lines
// again and writing their glyphs) take, how many pages come out, the longest wait between two
// looks at the progress (how long the window would go without answering), and the peak memory
// after each. Prints a table; run by hand.

#include "colouring/syntaxcolouring.h"
#include "pages.h"
#include "print/sourceprinter.h"
#include "text/editorcore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPageSize>
#include <QPrinter>
#include <QTemporaryDir>
#include <cstdio>

using namespace quenbry;

namespace {

long peakRssKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// Notes when each stage ends and the longest gap between two progress calls.
struct Timing : PrintProgress {
    QElapsedTimer clock;
    qint64 last = 0, longestGap = 0, preparedAt = 0;
    bool advance(Stage stage, qint64, qint64) override {
        const qint64 now = clock.elapsed();
        longestGap = std::max(longestGap, now - last);
        last = now;
        if (stage == Printing && !preparedAt)
            preparedAt = now;
        return true;
    }
};

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    struct Page {
        const char *name;
        QString text;
    };
    const Page pages[] = {
        {"realistic 100 KB", bench::realisticPage(100 * 1000)},
        {"realistic 1 MB", bench::realisticPage(1000 * 1000)},
        {"minified 1 MB", bench::minifiedPage(1000 * 1000)},
        {"realistic 10 MB", bench::realisticPage(10 * 1000 * 1000)},
        // One line of ten million characters: shaped in pieces, it must cost ten times the
        // 1 MB line, not a hundred.
        {"minified 10 MB", bench::minifiedPage(10 * 1000 * 1000)},
    };
    std::printf("%-18s %6s %10s %10s %10s %12s %9s %12s\n", "page", "pages", "prepare s", "draw s",
                "total s", "longest gap", "PDF MB", "peak RSS MB");
    for (const Page &p : pages) {
        EditorCore editor;
        SyntaxColouring colouring;
        editor.setText(p.text);
        colouring.colourRegions(editor);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("page.pdf")));
        printer.setPageSize(QPageSize(QPageSize::A4));
        Timing timing;
        timing.clock.start();
        SourcePrintJob job(editor, 0, editor.length(), {QApplication::font(), 80},
                           QStringLiteral("page.html"));
        if (!job.print(printer, &timing)) {
            std::fprintf(stderr, "%s: the print failed\n", p.name);
            return 1;
        }
        const qint64 total = timing.clock.elapsed();
        std::printf("%-18s %6d %10.2f %10.2f %10.2f %9lld ms %9.1f %12.1f\n", p.name,
                    job.pageCount(), timing.preparedAt / 1e3, (total - timing.preparedAt) / 1e3,
                    total / 1e3, std::max(timing.longestGap, total - timing.last),
                    QFileInfo(printer.outputFileName()).size() / 1e6, peakRssKb() / 1024.0);
        std::fflush(stdout);
    }
    std::printf("\nfont %s %.1f pt, A4; peak RSS (VmHWM) includes the pages and the editor\n",
                qPrintable(QApplication::font().family()), QApplication::font().pointSizeF());
    return 0;
}
