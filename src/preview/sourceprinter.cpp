#include "sourceprinter.h"

#include "platform/services.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QPrinter>
#include <QProgressDialog>
#include <QScreen>
#include <QTemporaryFile>
#include <QTextCursor>
#include <cmath>
#include <filesystem>

namespace quenbry {

namespace {

// How much text is put into the document, or laid out, between two looks at the progress.
constexpr int kProgressStep = 64 * 1024;
// Above this many characters the progress shows from the start: preparing the pages of such a
// text takes long enough to look like a hang. Below it, only a job of many pages shows it.
constexpr qint64 kBigText = 256 * 1024;
constexpr qint64 kManyPages = 20;

const QColor kFooterColour(128, 128, 128);

// A font in pixels would print at the printer's pixels, a speck: the page wants its size in
// points, as the screen shows it.
QFont inPoints(QFont font) {
    if (font.pointSizeF() <= 0 && font.pixelSize() > 0) {
        const QScreen *screen = QGuiApplication::primaryScreen();
        const qreal dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
        font.setPointSizeF(font.pixelSize() * 72.0 / dpi);
    }
    return font;
}

QFont footerFont(const QFont &body) {
    QFont f = body;
    f.setPointSizeF(std::max(6.0, body.pointSizeF() * 0.8));
    return f;
}

// A name beside target for the file being written: a print that does not finish must leave
// target as it was. The name is only reserved here; the printer creates the file afresh, so
// that it gets the permissions of any new file.
QString partialFileName(const QString &target) {
    const QFileInfo info(target);
    QTemporaryFile reserve(
        info.dir().filePath(QLatin1Char('.') + info.fileName() + QLatin1String(".XXXXXX")));
    return reserve.open() ? reserve.fileName() : QString();
}

bool replaceFile(const QString &from, const QString &to) {
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()),
                            std::filesystem::path(to.toStdU16String()), error);
    return !error;
}

// The window that shows a long job's progress, with its Cancel button. It appears only for a
// long job and goes when the job ends.
class ProgressWindow : public PrintProgress {
public:
    explicit ProgressWindow(QWidget *owner)
        : owner_(owner) {}

    bool advance(Stage stage, qint64 done, qint64 total) override {
        if (!dialog_ && total > (stage == Preparing ? kBigText : kManyPages))
            open();
        if (!dialog_)
            return true;
        if (stage == Printing) {
            dialog_->setLabelText(QCoreApplication::translate("print", "Printing page %1 of %2…")
                                      .arg(std::min(done + 1, total))
                                      .arg(total));
        } else {
            dialog_->setLabelText(QCoreApplication::translate("print", "Preparing the pages…"));
        }
        dialog_->setMaximum(int(total));
        dialog_->setValue(int(done));
        QCoreApplication::processEvents();
        return !dialog_->wasCanceled();
    }

private:
    void open() {
        dialog_ = std::make_unique<QProgressDialog>(owner_);
        dialog_->setWindowTitle(QCoreApplication::translate("print", "Print"));
        dialog_->setWindowModality(owner_ ? Qt::WindowModal : Qt::ApplicationModal);
        // One window for the whole job: it must neither reset nor close between the stages.
        dialog_->setAutoReset(false);
        dialog_->setAutoClose(false);
        dialog_->setMinimumDuration(0);
        dialog_->show();
    }

    QWidget *owner_;
    std::unique_ptr<QProgressDialog> dialog_;
};

} // namespace

SourcePrintJob::SourcePrintJob(const EditorBuffer &editor, int start, int length,
                               const SourceLook &look, const QString &documentName)
    : look_(look)
    , documentName_(documentName) {
    look_.font = inPoints(look_.font);
    const QString text = editor.mid(start, length);
    const int end = start + int(text.size());
    text_.reserve(text.size());
    // Every line end, CR LF, LF or CR, breaks the line once: it becomes one paragraph
    // separator, also when the CR and the LF of a pair fall in runs of different colours.
    const auto add = [&](int from, int to, QRgb colour) {
        const int viewStart = int(text_.size());
        for (int i = from - start; i < to - start; ++i) {
            const QChar c = text[i];
            if (c == u'\n' && i > 0 && text[i - 1] == u'\r')
                continue;
            text_ += c == u'\r' || c == u'\n' ? QChar(QChar::ParagraphSeparator) : c;
        }
        if (int(text_.size()) > viewStart)
            runs_.push_back({viewStart, int(text_.size()) - viewStart, colour});
    };
    int covered = start;
    for (const ColourRun &r : editor.colourRuns()) {
        const int from = std::max(r.start, start), to = std::min(r.start + r.length, end);
        if (from >= to)
            continue;
        if (covered < from)
            add(covered, from, editor.defaultTextColour());
        add(from, to, r.colour);
        covered = to;
    }
    if (covered < end)
        add(covered, end, editor.defaultTextColour());
}

SourcePrintJob::~SourcePrintJob() = default;

bool SourcePrintJob::print(QPrinter &printer, PrintProgress *progress) {
    pageCount_ = 0;
    return prepare(printer, progress) && drawPages(printer, progress);
}

bool SourcePrintJob::prepare(QPrinter &printer, PrintProgress *progress) {
    parts_.clear();
    const QFontMetricsF footer(footerFont(look_.font), &printer);
    // The footer's line and as much again between it and the text above. The text's page is
    // a whole number of device pixels: the layout keeps it in fixed point, and a fraction
    // lost there would put its page breaks ever further from where the pages are drawn.
    pageSize_ = QSizeF(printer.width(), std::floor(printer.height() - 2 * footer.height()));
    footerHeight_ = printer.height() - pageSize_.height();
    if (pageSize_.width() <= 0 || pageSize_.height() <= 0)
        return false;
    // Qt's text layout places lines in 26.6 fixed point, which runs out after about 33
    // million device pixels: a few thousand pages at a printer's resolution. A long text is
    // laid out in parts far below that, each part ending where a page ends.
    const qreal lineHeight = QFontMetricsF(look_.font, &printer).lineSpacing();
    const int maxLines = std::max(100, int(8e6 / std::max<qreal>(1, lineHeight)));
    const int maxChars = 10 * maxLines;
    const int length = int(text_.size());
    int from = 0;
    do {
        int to = from, lines = 0;
        while (to < length && to - from < maxChars && lines < maxLines)
            lines += text_[to++] == QChar(QChar::ParagraphSeparator);
        Part part;
        if (!layOut(part, from, to, printer, progress))
            return false;
        from = to;
        // The last page of a part that does not end the text is left to the next part, which
        // begins it at the top of a page: the pages read on as if they had been one.
        QAbstractTextDocumentLayout *layout = part.document->documentLayout();
        const int lastPageStart =
            to < length && part.pages > 1
                ? layout->hitTest(QPointF(0, (part.pages - 1) * pageSize_.height() + 1),
                                  Qt::FuzzyHit)
                : 0;
        if (lastPageStart > 0) {
            QTextCursor tail(part.document.get());
            // From the paragraph separator before it, when the page begins a paragraph.
            tail.setPosition(lastPageStart - (part.document->characterAt(lastPageStart - 1) ==
                                              QChar(QChar::ParagraphSeparator)));
            tail.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
            tail.removeSelectedText();
            part.pages = part.document->pageCount();
            from = part.start + lastPageStart;
        }
        pageCount_ += part.pages;
        parts_.push_back(std::move(part));
    } while (from < length);
    return true;
}

bool SourcePrintJob::layOut(Part &part, int from, int to, QPrinter &printer,
                            PrintProgress *progress) {
    auto doc = std::make_unique<QTextDocument>();
    doc->setUndoRedoEnabled(false);
    doc->setDefaultFont(look_.font);
    doc->setDocumentMargin(0);
    QTextOption option;
    // Source has long lines without spaces (minified markup, long URLs): they wrap anywhere.
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // The layout scales this from the screen's resolution to the printer's, as it does the font.
    option.setTabStopDistance(look_.tabStopDistance);
    doc->setDefaultTextOption(option);

    // Laid out as the text goes in, on pages of the printer's resolution. Were the layout
    // left to finish lazily, in steps, a line that crosses the foot of a page where a step
    // resumes would stay on it (Qt 6.4): the text goes in as one edit, and one edit is laid
    // out in one go. A part is short enough for that.
    doc->documentLayout()->setPaintDevice(&printer);
    doc->setPageSize(pageSize_);
    QTextCursor cursor(doc.get());
    // Outside an edit block every insertion would also lay its paragraph out again to place
    // the cursor: quadratic in the length of a long line.
    cursor.beginEditBlock();
    QHash<QRgb, QTextCharFormat> formats;
    auto run = std::upper_bound(runs_.begin(), runs_.end(), from,
                                [](int offset, const ColourRun &r) { return offset < r.start; });
    if (run != runs_.begin())
        --run;
    int nextReport = from;
    for (; run != runs_.end() && run->start < to; ++run) {
        const int start = std::max(run->start, from);
        if (progress && start >= nextReport) {
            if (!progress->advance(PrintProgress::Preparing, start, text_.size()))
                return false;
            nextReport = start + kProgressStep;
        }
        auto format = formats.find(run->colour);
        if (format == formats.end()) {
            QTextCharFormat f;
            f.setForeground(QColor::fromRgb(run->colour));
            format = formats.insert(run->colour, f);
        }
        cursor.insertText(text_.mid(start, std::min(run->start + run->length, to) - start),
                          *format);
    }
    cursor.endEditBlock();
    part.start = from;
    part.pages = doc->pageCount();
    part.document = std::move(doc);
    return part.pages > 0;
}

bool SourcePrintJob::drawPages(QPrinter &printer, PrintProgress *progress) {
    if (progress && !progress->advance(PrintProgress::Printing, 0, pageCount_))
        return false;
    const QString target = printer.outputFileName();
    // Where no file can be made beside the target, the target is written in place.
    const QString partial = target.isEmpty() ? QString() : partialFileName(target);
    if (!partial.isEmpty())
        printer.setOutputFileName(partial);

    QPainter painter;
    bool ok = painter.begin(&printer);
    bool cancelled = false;
    // The pages picked in the dialog, if any: numbered as they are in the whole.
    const QPageRanges picked = printer.pageRanges();
    bool first = true;
    int page = 0;
    for (auto part = parts_.begin(); ok && !cancelled && part != parts_.end(); ++part) {
        for (int partPage = 0; partPage < part->pages; ++partPage, ++page) {
            if (!picked.isEmpty() && !picked.contains(page + 1))
                continue;
            if (!first) {
                if (progress && !progress->advance(PrintProgress::Printing, page, pageCount_)) {
                    cancelled = true;
                    break;
                }
                if (!printer.newPage()) {
                    ok = false;
                    break;
                }
            }
            first = false;
            drawPage(painter, *part->document, partPage, page + 1);
        }
    }
    if (cancelled || !ok)
        printer.abort();
    if (painter.isActive())
        ok = painter.end() && ok;
    ok = ok && !cancelled && printer.printerState() != QPrinter::Error;
    if (!partial.isEmpty()) {
        printer.setOutputFileName(target);
        if (!ok || !replaceFile(partial, target)) {
            QFile::remove(partial);
            return false;
        }
    }
    return ok;
}

void SourcePrintJob::drawPage(QPainter &painter, const QTextDocument &document, int partPage,
                              int number) const {
    // The page is the document's layout seen through a window one page high.
    const QRectF view(0, partPage * pageSize_.height(), pageSize_.width(), pageSize_.height());
    painter.save();
    painter.translate(0, -view.top());
    painter.setClipRect(view);
    QAbstractTextDocumentLayout::PaintContext context;
    // The layout draws a line that merely touches the clip's edge, which is where the first
    // line of the next page begins: clipped out of sight, it would still be in the page's
    // text for search, copy and screen readers.
    context.clip = view.adjusted(0, 1, 0, -1);
    context.palette.setColor(QPalette::Text, Qt::black);
    document.documentLayout()->draw(&painter, context);
    painter.restore();

    const QFont font = footerFont(look_.font);
    const QFontMetricsF metrics(font, painter.device());
    painter.setFont(font);
    painter.setPen(kFooterColour);
    const qreal baseline = pageSize_.height() + footerHeight_ - metrics.descent();
    const QString pageOf =
        QCoreApplication::translate("print", "page %1 of %2").arg(number).arg(pageCount_);
    const qreal pageOfWidth = metrics.horizontalAdvance(pageOf);
    const QString name = metrics.elidedText(documentName_, Qt::ElideMiddle,
                                            pageSize_.width() - pageOfWidth - metrics.height());
    painter.drawText(QPointF(0, baseline), name);
    painter.drawText(QPointF(pageSize_.width() - pageOfWidth, baseline), pageOf);
}

void printSource(QWidget *owner, const EditorBuffer &editor, const SourceLook &look,
                 const QString &documentName, Dialogs &dialogs) {
    const bool selection = editor.selLength() != 0;
    const std::unique_ptr<QPrinter> printer =
        dialogs.printDialog(owner, selection ? PrintRange::Selection : PrintRange::All);
    if (!printer)
        return;
    SourcePrintJob job(editor, selection ? editor.selStart() : 0,
                       selection ? editor.selLength() : editor.length(), look, documentName);
    ProgressWindow progress(owner);
    // Any failure ends the command as a cancel does: silently.
    job.print(*printer, &progress);
}

} // namespace quenbry
