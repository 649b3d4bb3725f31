#pragma once
// Printing the page's source as the editor shows it: the editor's font and tab width, every
// character in its own colour on white paper, long lines wrapped at the page's edge, and a
// footer with the document's name and "page N of M" in a small grey font.
//
// Each line of the text is shaped on its own, as the editor shapes it, and wrapped at the
// page's width into rows; a row that does not fit on a page begins the next one. The rows are
// drawn by the view's TextPainter, the code that draws the editor's lines. A first pass only
// counts the pages, as every footer names their number; the pages are then drawn one by one,
// which is also what lets a long job show its progress and be cancelled.

#include "text/editorcore.h"

#include <QFont>
#include <QString>
#include <memory>
#include <vector>

class QPainter;
class QPrinter;
class QTextLayout;
class QWidget;

namespace quenbry {

class Dialogs;

// How the editor shows its text.
struct SourceLook {
    QFont font;
    // The editor's distance between tab stops, in the screen's device-independent pixels.
    qreal tabStopDistance = 80;
};

// Follows a long job; returning false cancels it.
class PrintProgress {
public:
    enum Stage {
        Preparing, // done and total count characters put on pages
        Printing,  // done and total count pages
    };
    virtual ~PrintProgress() = default;
    virtual bool advance(Stage stage, qint64 done, qint64 total) = 0;
};

// One print of a stretch of the editor's text. The text and its colours are copied when the
// job is made, so nothing that happens while it prints can change what it prints.
class SourcePrintJob {
public:
    // A line longer than this is shaped in pieces of about this many characters, the rows of
    // one piece going on where the previous piece's rows end: one layout of a minified page
    // would reach past what Qt's fixed-point layout can place, and would hold the shapes of
    // the whole page at once.
    static constexpr int pieceLength = 8192;

    // The text [start, start + length) of the editor, with its colours.
    SourcePrintJob(const EditorCore &editor, int start, int length, const SourceLook &look,
                   const QString &documentName);
    ~SourcePrintJob();

    // Prints the pages on printer, or those picked on it. False when it was cancelled or
    // failed: a PDF file being written is then discarded (an earlier file of that name stays
    // as it was), and a printer that can abort a job is told to.
    bool print(QPrinter &printer, PrintProgress *progress = nullptr);
    // The pages of the last print.
    int pageCount() const { return int(pages_.size()); }

private:
    // A stretch of one line shaped as one layout, of which the first rows are printed: the
    // whole line, or a piece of a long one whose last row the next piece shapes again.
    struct Block {
        int start = 0;
        int length = 0;
        int rows = 0;
    };
    // Where a page begins: a row of a block.
    struct PageStart {
        int block = 0;
        int row = 0;
    };
    std::unique_ptr<QTextLayout> layOut(int start, int length, bool keepShapes) const;
    bool paginate(QPrinter &printer, PrintProgress *progress);
    bool drawPages(QPrinter &printer, PrintProgress *progress);
    // Draws the rows of page (an index into pages_) through painter.
    void drawPage(QPainter &painter, int page, std::unique_ptr<QTextLayout> &layout,
                  int &layoutBlock) const;
    void drawFooter(QPainter &painter, int number) const;
    // Where a piece of a line that begins at start and ends at end may end.
    int pieceEnd(int start, int end) const;

    EditorCore text_;
    SourceLook look_;
    QString documentName_;
    // The font as it is on the printer.
    QFont font_;
    qreal pageWidth_ = 0;
    qreal pageHeight_ = 0;
    qreal footerHeight_ = 0;
    std::vector<Block> blocks_;
    std::vector<PageStart> pages_;
};

// The page margins the Print command starts from, in millimetres, on every side.
inline constexpr qreal printMargin = 15;

// The Print command: the print dialog, its page margins preset to printMargin and its range
// to Selection when text is selected and to All otherwise; on OK the selection is printed, or the
// whole text when nothing is selected, whatever range was picked. A cancel, a missing printer or a
// printer's failure end the command silently. A long job shows its progress with a Cancel button.
void printSource(QWidget *owner, const EditorCore &editor, const SourceLook &look,
                 const QString &documentName, Dialogs &dialogs);

} // namespace quenbry
