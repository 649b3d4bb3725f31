#include "editorview.h"
#include "linenumbers.h"
#include "textpainter.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <cstring>

// The editor view's painting: rows of lines drawn into a buffer kept from frame to frame, moved
// as the view scrolls, and the caret over it.

namespace quenbry {

// ---- Painting -----------------------------------------------------------------------------

bool EditorView::bufferShows(int top, int left) const {
    const qreal ratio = viewport()->devicePixelRatioF();
    return bufferTop_ >= 0 && bufferTop_ == top && bufferLeft_ == left &&
           buffer_.devicePixelRatio() == ratio && buffer_.size() == viewport()->size() * ratio &&
           int(rowDrawn_.size()) == bufferRows();
}

void EditorView::paintEvent(QPaintEvent *event) {
    const qreal ratio = viewport()->devicePixelRatioF();
    const QSize size = viewport()->size() * ratio;
    const int top = firstVisibleLine();
    const int rows = bufferRows();
    if (!bufferShows(top, horizontalScrollBar()->value())) {
        if (buffer_.size() != size)
            buffer_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
        buffer_.setDevicePixelRatio(ratio);
        buffer_.fill(backgroundColour());
        rowDrawn_.assign(size_t(rows), 0);
        bufferTop_ = top;
        bufferLeft_ = horizontalScrollBar()->value();
    }
    const QRect area = event->rect();
    {
        QPainter p(&buffer_);
        // After a sideways scroll, the strip that came into view on every row.
        if (!exposedStrip_.isEmpty()) {
            p.setClipRect(exposedStrip_);
            for (int row = 0; row < rows; ++row)
                if (rowDrawn_[size_t(row)])
                    drawRow(p, row, exposedStrip_.left(), exposedStrip_.right() + 1);
            p.setClipping(false);
            exposedStrip_ = QRect();
        }
        const int firstRow = std::max(0, (area.top() - kMargin) / lineHeight_);
        const int lastRow = std::min(rows - 1, (area.bottom() - kMargin) / lineHeight_);
        for (int row = firstRow; row <= lastRow; ++row) {
            if (!rowDrawn_[size_t(row)]) {
                drawRow(p, row, 0, viewport()->width());
                rowDrawn_[size_t(row)] = 1;
            }
        }
    }
    QPainter p(viewport());
    p.drawImage(QRectF(area), buffer_,
                QRectF(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio));
    if (hasFocus() && caretShown_ && !selectionHidden_) {
        const QRect caret = cursorRect(caret_);
        if (caret.intersects(area))
            p.fillRect(caret, palette().color(QPalette::Text));
    }
    layouts_.trim(top, top + rows);
}

void EditorView::drawRow(QPainter &p, int row, int from, int to) {
    const int rowTop = kMargin + row * lineHeight_;
    // Nothing a row draws reaches into its neighbours, so rows can be drawn in any order.
    const QRect rect(from, rowTop, to - from, lineHeight_);
    p.save();
    p.setClipRect(rect, p.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    p.fillRect(rect, backgroundColour());
    drawRowText(p, row, rowTop, from, to);
    p.restore();
}

void EditorView::drawRowText(QPainter &p, int row, int rowTop, int from, int to) {
    const int line = firstVisibleLine() + row;
    if (line >= model_.lineCount())
        return;
    const qreal left = textLeft();
    bool lineEndShown = false;
    const std::vector<LineLayouts::Piece> pieces =
        layouts_.piecesIn(line, from - left, to - left, &lineEndShown);
    qreal end = 0;
    for (const LineLayouts::Piece &piece : pieces) {
        const QTextLine tl = piece.layout->lineAt(0);
        // Every line keeps the font's baseline, also where a fallback font is taller.
        drawPiece(p, piece, QPointF(left + piece.x, rowTop + ascent_ - tl.ascent()), rowTop, from,
                  to);
        end = piece.x + tl.horizontalAdvance();
    }
    // A selected line end shows as a space's width of highlight after the line.
    const int selStart = model_.selStart(), selEnd = selStart + model_.selLength();
    if (!selectionHidden_ && lineEndShown && line + 1 < model_.lineCount()) {
        const int lineEnd = model_.lineEnd(line);
        if (selStart <= lineEnd && selEnd > lineEnd) {
            const qreal space = QFontMetricsF(layouts_.font()).horizontalAdvance(u' ');
            const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
            p.fillRect(QRectF(left + end, rowTop, space, lineHeight_),
                       palette().color(group, QPalette::Highlight));
        }
    }
}

void EditorView::drawPiece(QPainter &p, const LineLayouts::Piece &piece, QPointF origin, int top,
                           int from, int to) {
    QTextLayout *layout = piece.layout;
    const QTextLine tl = layout->lineAt(0);
    const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
    const int pre = layout->preeditAreaPosition();
    const int preLength = pre >= 0 ? int(layout->preeditAreaText().size()) : 0;
    // Positions in the layout: the composed text, when there is some, sits at pre.
    auto at = [&](int offset) {
        const int pos = offset - piece.start;
        return pre >= 0 && pos > pre ? pos + preLength : pos;
    };
    auto offsetOf = [&](int pos) {
        if (pre >= 0 && pos > pre)
            pos = std::max(pre, pos - preLength);
        return piece.start + std::clamp(pos, 0, piece.length);
    };
    // Only the characters in sight are drawn: a segment of a long line reaches far beyond
    // the view, and each colour run drawn costs a walk over the segment's glyphs.
    const int shownFrom =
        std::max(piece.start,
                 offsetOf(tl.xToCursor(from - origin.x(), QTextLine::CursorBetweenCharacters)) - 1);
    const int shownTo =
        std::min(piece.start + piece.length,
                 offsetOf(tl.xToCursor(to - origin.x(), QTextLine::CursorBetweenCharacters)) + 1);
    if (highlighter_)
        drawHighlights(p, tl, origin.x(), top, at, shownFrom, shownTo);
    const int selStart = std::max(model_.selStart(), piece.start);
    const int selEnd = std::min(model_.selStart() + model_.selLength(), piece.start + piece.length);
    const bool selected = !selectionHidden_ && selEnd > selStart;
    if (selected) {
        const qreal x1 = tl.cursorToX(at(selStart)), x2 = tl.cursorToX(at(selEnd));
        p.fillRect(QRectF(origin.x() + std::min(x1, x2), top, std::abs(x2 - x1), lineHeight_),
                   palette().color(group, QPalette::Highlight));
    }
    // The glyphs take each character's colour from the model as they are drawn: the shaped
    // text never has to follow a colour change.
    const QColor text = palette().color(group, QPalette::Text);
    TextColours colours{text, palette().color(group, QPalette::HighlightedText)};
    if (selected) {
        colours.selectionStart = selStart;
        colours.selectionEnd = selEnd;
    }
    TextPainter(model_, colours).draw(p, origin, *layout, piece.start, shownFrom, shownTo);
    if (pre >= 0 && preLength > 0) {
        // The text being composed, underlined where it stands.
        p.setPen(text);
        for (const QGlyphRun &run : layout->glyphRuns(pre, preLength))
            p.drawGlyphRun(origin, run);
        const qreal x1 = tl.cursorToX(pre), x2 = tl.cursorToX(pre + preLength);
        const qreal y = origin.y() + tl.ascent() + 1.5;
        p.drawLine(QPointF(origin.x() + x1, y), QPointF(origin.x() + x2, y));
    }
}

void EditorView::resizeEvent(QResizeEvent *event) {
    QAbstractScrollArea::resizeEvent(event);
    syncScrollBars();
    placeGutter();
}

void EditorView::scrollContentsBy(int dx, int dy) {
    // What the buffer holds moves with the text, and only what comes into view is drawn: a
    // turn of the wheel or a caret that pulls the view sideways repaints a strip, not all.
    // A resize changes the viewport before the scroll it causes, and the buffer keeps its old
    // size until the next paint: it moves only while it holds what was in sight just before.
    const qreal ratio = buffer_.devicePixelRatio();
    const int rows = int(rowDrawn_.size());
    const int width = viewport()->width(), height = viewport()->height();
    if (!bufferShows(firstVisibleLine() + dy, horizontalScrollBar()->value() + dx) ||
        (dx != 0 && dy != 0) || std::abs(dy) >= rows || std::abs(dx) >= width ||
        ratio != std::floor(ratio)) {
        repaintAll();
        if (gutter_ && dy != 0)
            gutter_->update();
        return;
    }
    const int r = int(ratio);
    const qsizetype line = buffer_.bytesPerLine();
    uchar *bits = buffer_.bits();
    if (dy != 0) {
        // Rows that were whole in view keep what they show at their new place.
        const int fullRows = std::max(0, (height - kMargin) / lineHeight_);
        std::vector<char> drawn(size_t(rows), 0);
        for (int row = 0; row < fullRows; ++row)
            if (row + dy >= 0 && row + dy < rows)
                drawn[size_t(row + dy)] = rowDrawn_[size_t(row)];
        const int shift = dy * lineHeight_ * r;
        const int top = kMargin * r, bottom = buffer_.height();
        const int span = bottom - top - std::abs(shift);
        if (span > 0) {
            uchar *area = bits + top * line;
            if (shift < 0)
                std::memmove(area, area - shift * line, size_t(span) * line);
            else
                std::memmove(area + shift * line, area, size_t(span) * line);
        }
        rowDrawn_.swap(drawn);
        bufferTop_ = firstVisibleLine();
        if (gutter_)
            gutter_->update();
    } else if (dx != 0) {
        const int shift = dx * r * 4;
        const qsizetype keep = qsizetype(buffer_.width()) * 4 - std::abs(shift);
        for (int y = 0; y < buffer_.height(); ++y) {
            uchar *row = bits + y * line;
            if (shift < 0)
                std::memmove(row, row - shift, size_t(keep));
            else
                std::memmove(row + shift, row, size_t(keep));
        }
        const QRect strip = dx > 0 ? QRect(0, 0, dx, height) : QRect(width + dx, 0, -dx, height);
        // A strip still waiting to be drawn has just moved along with the rest.
        const QRect waiting = exposedStrip_.translated(dx, 0) & viewport()->rect();
        exposedStrip_ = waiting.isEmpty() ? strip : waiting.united(strip);
        bufferLeft_ = horizontalScrollBar()->value();
    }
    viewport()->update();
}

} // namespace quenbry
