#pragma once
// Printing the page's source as the editor shows it: the editor's font and tab width, every
// character in its own colour on white paper, long lines wrapped at the page's edge, and a
// footer with the document's name and "page N of M" in a small grey font.
//
// The pages are Qt's own. The coloured QTextDocument is laid out on the printer's page, less
// the footer's room, by its own layout, which moves a line that would cross the foot of a page
// onto the next one; each page is then drawn from that layout as QTextDocument::print draws it
// (a translated, clipped view of the laid-out document). QTextDocument::print itself is not
// called because it has no place for a footer of ours: it adds a bare page number of its own.
// Drawing page by page is also what lets a long job show its progress and be cancelled. A
// long text is laid out in parts, each ending where a page ends, as Qt's layout cannot
// address more than a few thousand pages at a printer's resolution.

#include "text/editorbuffer.h"

#include <QFont>
#include <QString>
#include <QTextDocument>
#include <memory>

class QPainter;
class QPrinter;
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
    // The text [start, start + length) of the editor, with its colours.
    SourcePrintJob(const EditorBuffer &editor, int start, int length, const SourceLook &look,
                   const QString &documentName);
    ~SourcePrintJob();

    // Prints the pages on printer, or those picked on it. False when it was cancelled or
    // failed: a PDF file being written is then discarded (an earlier file of that name stays
    // as it was), and a printer that can abort a job is told to.
    bool print(QPrinter &printer, PrintProgress *progress = nullptr);
    // The pages of the last print.
    int pageCount() const { return pageCount_; }

private:
    // A stretch of the text laid out on pages of its own.
    struct Part {
        int start = 0; // in text_
        int pages = 0;
        std::unique_ptr<QTextDocument> document;
    };
    bool prepare(QPrinter &printer, PrintProgress *progress);
    bool layOut(Part &part, int from, int to, QPrinter &printer, PrintProgress *progress);
    bool drawPages(QPrinter &printer, PrintProgress *progress);
    // Page partPage of a part's document, with the footer of the job's page number.
    void drawPage(QPainter &painter, const QTextDocument &document, int partPage, int number) const;

    // The text with every line end made one paragraph separator, and its colours.
    QString text_;
    std::vector<ColourRun> runs_;
    SourceLook look_;
    QString documentName_;
    std::vector<Part> parts_;
    QSizeF pageSize_;
    qreal footerHeight_ = 0;
    int pageCount_ = 0;
};

// The Print command: the print dialog, its range preset to Selection when text is selected and
// to All otherwise; on OK the selection is printed, or the whole text when nothing is
// selected, whatever range was picked. A cancel, a missing printer or a printer's failure end
// the command silently. A long job shows its progress with a Cancel button.
void printSource(QWidget *owner, const EditorBuffer &editor, const SourceLook &look,
                 const QString &documentName, Dialogs &dialogs);

} // namespace quenbry
