#include "editorview.h"
#include "linenumbers.h"

#include <QPainter>
#include <QTextLine>

// What the editor view draws besides the text: the line-number gutter and the highlighted
// matches of a search.

namespace quenbry {

namespace {

// Behind the document's own colours, light enough for every one of them to stay legible.
const QColor kMatchColour(255, 236, 130);

} // namespace

void EditorView::setLineNumbersShown(bool shown) {
    if (shown == lineNumbersShown())
        return;
    if (shown) {
        gutter_ = new LineNumberGutter(*this);
        gutter_->setCaretLine(model_.lineOf(caret_));
        gutter_->show();
    } else {
        delete gutter_;
        gutter_ = nullptr;
    }
    placeGutter();
}

void EditorView::placeGutter() {
    const int width = gutter_ ? gutter_->widthFor(model_.lineCount()) : 0;
    if (viewportMargins().left() != width)
        setViewportMargins(width, 0, 0, 0);
    if (gutter_) {
        const QRect r = contentsRect();
        gutter_->setGeometry(r.left(), r.top(), width, viewport()->height());
    }
}

void EditorView::setHighlighter(Highlighter highlighter) {
    highlighter_ = std::move(highlighter);
    repaintAll();
}

void EditorView::drawHighlights(QPainter &p, const QTextLine &line, qreal originX, int top,
                                const std::function<int(int)> &position, int from, int to) {
    highlights_.clear();
    highlighter_(from, to, highlights_);
    for (const TextRange &r : highlights_) {
        const qreal x1 = line.cursorToX(position(std::max(r.from, from)));
        const qreal x2 = line.cursorToX(position(std::min(r.to, to)));
        p.fillRect(QRectF(originX + std::min(x1, x2), top, std::abs(x2 - x1), lineHeight_),
                   kMatchColour);
    }
}

} // namespace quenbry
