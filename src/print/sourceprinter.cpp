#include "sourceprinter.h"

#include "platform/services.h"
#include "view/textpainter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QProgressDialog>
#include <QScreen>
#include <QTemporaryFile>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <filesystem>

namespace quenbry {

namespace {

// How much text is put on pages between two looks at the progress.
constexpr int kProgressStep = 64 * 1024;
// Above this many characters the progress shows from the start: preparing the pages of such a
// text takes long enough to look like a hang. Below it, only a job of many pages shows it.
constexpr qint64 kBigText = 256 * 1024;
constexpr qint64 kManyPages = 20;

const QColor kFooterColour(128, 128, 128);

// Qt's text layout places rows in 26.6 fixed point, which runs out after about 33 million device
// pixels: a piece of a line stops taking rows well before, whatever the font's size.
constexpr qreal kTallestLayout = 1 << 23;

qreal screenDpi() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

// A font in pixels would print at the printer's pixels, a speck: the page wants its size in
// points, as the screen shows it.
QFont inPoints(QFont font) {
    if (font.pointSizeF() <= 0 && font.pixelSize() > 0)
        font.setPointSizeF(font.pixelSize() * 72.0 / screenDpi());
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

SourcePrintJob::SourcePrintJob(const EditorCore &editor, int start, int length,
                               const SourceLook &look, const QString &documentName)
    : look_(look)
    , documentName_(documentName) {
    look_.font = inPoints(look_.font);
    start = std::clamp(start, 0, editor.length());
    text_.setDefaultTextColour(editor.defaultTextColour());
    text_.setText(editor.mid(start, length));
    int runStart = 0;
    quint8 runIndex = 0;
    const auto colourRun = [&](int end) {
        if (runIndex != 0)
            text_.setColour(runStart, end - runStart, editor.paletteColour(runIndex));
    };
    editor.forEachColourPiece(start, text_.length(), [&](const quint8 *c, int count, int offset) {
        for (int i = 0; i < count; ++i) {
            if (c[i] != runIndex) {
                colourRun(offset + i - start);
                runStart = offset + i - start;
                runIndex = c[i];
            }
        }
    });
    colourRun(text_.length());
}

SourcePrintJob::~SourcePrintJob() = default;

bool SourcePrintJob::print(QPrinter &printer, PrintProgress *progress) {
    return paginate(printer, progress) && drawPages(printer, progress);
}

std::unique_ptr<QTextLayout> SourcePrintJob::layOut(int start, int length, bool keepShapes) const {
    QString text = text_.mid(start, length);
    for (QChar &c : text) {
        // The layout would break the row at these, where the editor shows no line end.
        if (c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QChar::ReplacementCharacter;
    }
    auto layout = std::make_unique<QTextLayout>(text, font_);
    QTextOption option(Qt::AlignLeft);
    // Source has long lines without spaces (minified markup, long URLs): they wrap anywhere.
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // The layout scales this from the screen's resolution to the font's, the printer's.
    option.setTabStopDistance(look_.tabStopDistance);
    layout->setTextOption(option);
    // Without the cache the shapes go once the rows are made: counting pages needs no more.
    layout->setCacheEnabled(keepShapes);
    layout->beginLayout();
    for (qreal y = 0; y < kTallestLayout;) {
        QTextLine row = layout->createLine();
        if (!row.isValid())
            break;
        row.setLeadingIncluded(true);
        row.setLineWidth(pageWidth_);
        row.setPosition(QPointF(0, y));
        y += row.height();
    }
    layout->endLayout();
    return layout;
}

int SourcePrintJob::pieceEnd(int start, int end) const {
    int cut = std::min(end, start + pieceLength);
    // A character and the marks on it, or a surrogate pair, are not cut apart.
    for (int back = 0; back < 64 && cut < end && cut > start + 1; ++back, --cut) {
        const QChar c = text_.at(cut);
        if (!c.isLowSurrogate() && !c.isMark())
            break;
    }
    return cut;
}

bool SourcePrintJob::paginate(QPrinter &printer, PrintProgress *progress) {
    blocks_.clear();
    pages_.clear();
    const QFontMetricsF footer(footerFont(look_.font), &printer);
    // The footer's line and as much again between it and the text above.
    pageWidth_ = printer.width();
    pageHeight_ = std::floor(printer.height() - 2 * footer.height());
    footerHeight_ = printer.height() - pageHeight_;
    if (pageWidth_ <= 0 || pageHeight_ <= 0)
        return false;
    font_ = QFont(look_.font, &printer);
    // As the editor shapes it: a line that the editor cuts into segments has no kerning across
    // the cuts, so it has none anywhere.
    font_.setKerning(false);

    pages_.push_back({0, 0});
    qreal y = 0;
    int nextReport = 0;
    for (int line = 0; line < text_.lineCount(); ++line) {
        const int end = text_.lineEnd(line);
        int pos = text_.lineStart(line);
        do {
            if (progress && pos >= nextReport) {
                if (!progress->advance(PrintProgress::Preparing, pos, text_.length()))
                    return false;
                nextReport = pos + kProgressStep;
            }
            const int cut = pieceEnd(pos, end);
            const auto layout = layOut(pos, cut - pos, false);
            int rows = layout->lineCount();
            const QTextLine lastRow = layout->lineAt(rows - 1);
            int next = pos + lastRow.textStart() + lastRow.textLength();
            // The last row of a piece that does not end the line may hold less than a row
            // would: it is shaped again at the start of the next piece, and the rows go on as
            // if the line had been shaped whole.
            if (next < end && rows > 1)
                next = pos + layout->lineAt(--rows).textStart();
            const int block = int(blocks_.size());
            blocks_.push_back({pos, cut - pos, rows});
            for (int row = 0; row < rows; ++row) {
                const qreal height = layout->lineAt(row).height();
                if (y > 0 && y + height > pageHeight_) {
                    pages_.push_back({block, row});
                    y = 0;
                }
                y += height;
            }
            pos = next;
        } while (pos < end);
    }
    return true;
}

bool SourcePrintJob::drawPages(QPrinter &printer, PrintProgress *progress) {
    const int pageCount = this->pageCount();
    if (progress && !progress->advance(PrintProgress::Printing, 0, pageCount))
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
    // A block that runs on from one page to the next is shaped once for both.
    std::unique_ptr<QTextLayout> layout;
    int layoutBlock = -1;
    for (int page = 0; ok && page < pageCount; ++page) {
        if (!picked.isEmpty() && !picked.contains(page + 1))
            continue;
        if (!first) {
            if (progress && !progress->advance(PrintProgress::Printing, page, pageCount)) {
                cancelled = true;
                break;
            }
            if (!printer.newPage()) {
                ok = false;
                break;
            }
        }
        first = false;
        drawPage(painter, page, layout, layoutBlock);
        drawFooter(painter, page + 1);
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

void SourcePrintJob::drawPage(QPainter &painter, int page, std::unique_ptr<QTextLayout> &layout,
                              int &layoutBlock) const {
    // Paper is white whatever the screen's background: the text keeps the colour the editor
    // gives it, and there is no selection to show.
    const TextPainter text(text_, {QColor::fromRgb(text_.paletteColour(0)), QColor()});
    const PageStart from = pages_[size_t(page)];
    const PageStart to = size_t(page) + 1 < pages_.size() ? pages_[size_t(page) + 1]
                                                          : PageStart{int(blocks_.size()), 0};
    qreal y = 0;
    for (int b = from.block; b <= to.block && b < int(blocks_.size()); ++b) {
        const Block &block = blocks_[size_t(b)];
        const int firstRow = b == from.block ? from.row : 0;
        const int endRow = b == to.block ? to.row : block.rows;
        if (endRow <= firstRow)
            continue;
        if (layoutBlock != b) {
            layout = layOut(block.start, block.length, true);
            layoutBlock = b;
        }
        const QTextLine first = layout->lineAt(firstRow), last = layout->lineAt(endRow - 1);
        text.draw(painter, QPointF(0, y - first.y()), *layout, block.start,
                  block.start + first.textStart(),
                  block.start + last.textStart() + last.textLength());
        y += last.y() + last.height() - first.y();
    }
}

void SourcePrintJob::drawFooter(QPainter &painter, int number) const {
    const QFont font = footerFont(look_.font);
    const QFontMetricsF metrics(font, painter.device());
    painter.setFont(font);
    painter.setPen(kFooterColour);
    const qreal baseline = pageHeight_ + footerHeight_ - metrics.descent();
    const QString pageOf =
        QCoreApplication::translate("print", "page %1 of %2").arg(number).arg(pageCount());
    const qreal pageOfWidth = metrics.horizontalAdvance(pageOf);
    const QString name = metrics.elidedText(documentName_, Qt::ElideMiddle,
                                            pageWidth_ - pageOfWidth - metrics.height());
    painter.drawText(QPointF(0, baseline), name);
    painter.drawText(QPointF(pageWidth_ - pageOfWidth, baseline), pageOf);
}

void printSource(QWidget *owner, const EditorCore &editor, const SourceLook &look,
                 const QString &documentName, Dialogs &dialogs) {
    const bool selection = editor.selLength() != 0;
    QPrinter printer(QPrinter::HighResolution);
    // Most printers cannot ink the last few millimetres of a sheet, and text hard against the
    // edge is hard to read; the page setup of the dialog can set other margins.
    printer.setPageMargins(QMarginsF(printMargin, printMargin, printMargin, printMargin),
                           QPageLayout::Millimeter);
    if (!dialogs.printDialog(owner, printer, selection ? PrintRange::Selection : PrintRange::All))
        return;
    SourcePrintJob job(editor, selection ? editor.selStart() : 0,
                       selection ? editor.selLength() : editor.length(), look, documentName);
    ProgressWindow progress(owner);
    // Any failure ends the command as a cancel does: silently.
    job.print(printer, &progress);
}

} // namespace quenbry
