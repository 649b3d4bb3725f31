#include "editorview.h"
#include "editoraccessibility.h"
#include "linenumbers.h"
#include "text/textmotion.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QInputMethod>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <cmath>

namespace quenbry {

EditorView::EditorView(EditorCore &model, EditorInput &input, QWidget *parent)
    : QAbstractScrollArea(parent)
    , model_(model)
    , input_(input)
    , layouts_(model) {
    installEditorAccessibility();
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, true);
    viewport()->setCursor(Qt::IBeamCursor);
    // Every pixel is drawn from the view's own buffer.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    model_.setDefaultTextColour(palette().color(QPalette::Text).rgb());
    anchor_ = model_.selStart();
    caret_ = model_.selStart() + model_.selLength();
    model_.addObserver(this);
    updateMetrics();
}

EditorView::~EditorView() {
    model_.removeObserver(this);
}

// ---- Geometry ----------------------------------------------------------------------------

void EditorView::updateMetrics() {
    const QFontMetricsF fm(font());
    lineHeight_ = std::max(1, int(std::ceil(fm.height())));
    ascent_ = fm.ascent();
    layouts_.setFont(font(), kTabStop);
    syncScrollBars();
    repaintAll();
}

int EditorView::firstVisibleLine() const {
    return verticalScrollBar()->value();
}

int EditorView::visibleLines() const {
    return std::max(1, (viewport()->height() - kMargin) / lineHeight_);
}

int EditorView::lineTop(int line) const {
    return kMargin + (line - firstVisibleLine()) * lineHeight_;
}

int EditorView::lineAtY(int y) const {
    const int line = firstVisibleLine() + int(std::floor(double(y - kMargin) / lineHeight_));
    return std::clamp(line, 0, model_.lineCount() - 1);
}

qreal EditorView::textLeft() const {
    return kMargin - horizontalScrollBar()->value();
}

QRect EditorView::cursorRect(int offset) {
    offset = std::clamp(offset, 0, model_.length());
    const int cursor = offset == caret_ && !preedit_.isEmpty() ? preeditCursor_ : -1;
    const qreal x = textLeft() + layouts_.xOf(offset, cursor);
    const int width = std::max(1, style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, this));
    return QRect(int(std::lround(x)), lineTop(model_.lineOf(offset)), width, lineHeight_);
}

int EditorView::offsetAt(QPoint point) {
    if (model_.length() == 0)
        return 0;
    return layouts_.offsetAt(lineAtY(point.y()), point.x() - textLeft());
}

void EditorView::syncScrollBars() {
    QScrollBar *v = verticalScrollBar();
    const int page = visibleLines();
    v->setRange(0, std::max(0, model_.lineCount() - page));
    v->setPageStep(page);
    v->setSingleStep(1);
    QScrollBar *h = horizontalScrollBar();
    const int width = int(std::ceil(layouts_.widestLine())) + 2 * kMargin + 1;
    h->setRange(0, std::max(0, width - viewport()->width()));
    h->setPageStep(std::max(1, viewport()->width()));
    h->setSingleStep(20);
}

void EditorView::ensureCaretVisible() {
    showOffset(caret_, !preedit_.isEmpty() ? preeditCursor_ : -1);
}

void EditorView::showOffset(int offset, int preeditCursor) {
    syncScrollBars();
    QScrollBar *v = verticalScrollBar();
    const int line = model_.lineOf(offset);
    const int page = visibleLines();
    if (line < v->value())
        v->setValue(line);
    else if (line >= v->value() + page)
        v->setValue(line - page + 1);
    // A caret that leaves the view sideways brings a third of a view of new text with it, so
    // that typing at the end of a long line scrolls now and then rather than on every key.
    QScrollBar *h = horizontalScrollBar();
    const int x = kMargin + int(std::lround(layouts_.xOf(offset, preeditCursor)));
    const int width = viewport()->width();
    int value = h->value();
    if (x < value)
        value = std::max(0, x - kMargin - width / 3);
    else if (x + 2 > value + width)
        value = x - 2 * width / 3;
    if (value != h->value()) {
        h->setMaximum(std::max(h->maximum(), value));
        h->setValue(value);
    }
}

void EditorView::repaintLines(int first, int last) {
    const int top = firstVisibleLine();
    first = std::max(first, top);
    last = std::min(last, top + int(rowDrawn_.size()) - 1);
    if (first > last)
        return;
    std::fill(rowDrawn_.begin() + (first - top), rowDrawn_.begin() + (last - top) + 1, 0);
    viewport()->update(
        QRect(0, lineTop(first), viewport()->width(), (last - first + 1) * lineHeight_));
}

void EditorView::repaintFromLine(int first) {
    repaintLines(first, firstVisibleLine() + int(rowDrawn_.size()));
}

void EditorView::repaintAll() {
    bufferTop_ = -1;
    viewport()->update();
}

void EditorView::repaintCaret() {
    const int line = model_.lineOf(caret_);
    repaintLines(line, line);
}

void EditorView::restartBlink() {
    caretShown_ = true;
    const int flash = QApplication::cursorFlashTime();
    if (hasFocus() && flash > 0)
        blinkTimer_.start(flash / 2, this);
    else
        blinkTimer_.stop();
    repaintCaret();
}

// ---- Following the model -----------------------------------------------------------------

void EditorView::textReplaced(const TextReplaced &change) {
    layouts_.textReplaced(change);
    if (colourDirtStart_ >= 0) {
        const int delta = change.inserted - change.removed;
        auto map = [&](int p) {
            return p < change.start                     ? p
                   : p >= change.start + change.removed ? p + delta
                                                        : change.start + change.inserted;
        };
        colourDirtStart_ = map(colourDirtStart_);
        colourDirtEnd_ = map(colourDirtEnd_);
    }
    if (change.linesRemoved == change.linesInserted) {
        repaintLines(change.firstLine, change.firstLine + change.linesInserted);
    } else {
        repaintFromLine(change.firstLine);
        if (gutter_) {
            placeGutter();
            gutter_->update();
        }
    }
    // The vertical range follows at once (the caret may be about to move onto a new line);
    // the horizontal one, which may have to look at every line, once the edits are done.
    QScrollBar *v = verticalScrollBar();
    v->setRange(0, std::max(0, model_.lineCount() - visibleLines()));
    if (!scrollBarsQueued_) {
        scrollBarsQueued_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                scrollBarsQueued_ = false;
                syncScrollBars();
            },
            Qt::QueuedConnection);
    }
    notifyAccessibility(AccessibleText, change.start, change.removed, change.inserted);
}

void EditorView::coloursChanged(const ColoursChanged &change) {
    if (colourDirtStart_ < 0) {
        colourDirtStart_ = change.start;
        colourDirtEnd_ = change.start + change.length;
    } else {
        colourDirtStart_ = std::min(colourDirtStart_, change.start);
        colourDirtEnd_ = std::max(colourDirtEnd_, change.start + change.length);
    }
    // A pass colours thousands of runs in a row: the lines they touched are repainted once,
    // when the pass is over.
    if (!colourRepaintQueued_) {
        colourRepaintQueued_ = true;
        QMetaObject::invokeMethod(this, &EditorView::flushColourRepaint, Qt::QueuedConnection);
    }
}

void EditorView::flushColourRepaint() {
    colourRepaintQueued_ = false;
    if (colourDirtStart_ < 0)
        return;
    const int length = model_.length();
    const int first = model_.lineOf(std::clamp(colourDirtStart_, 0, length));
    const int last = model_.lineOf(std::clamp(colourDirtEnd_, 0, length));
    colourDirtStart_ = colourDirtEnd_ = -1;
    repaintLines(first, last);
}

void EditorView::selectionChanged(const SelectionChanged &change) {
    if (!ownSelection_) {
        // The program set the selection: it runs forwards from its start.
        anchor_ = change.start;
        caret_ = change.start + change.length;
        desiredX_ = -1;
    }
    const int length = model_.length();
    const int oldFirst = model_.lineOf(std::min(change.oldStart, length));
    const int oldLast = model_.lineOf(std::min(change.oldStart + change.oldLength, length));
    repaintLines(oldFirst, oldLast);
    repaintLines(model_.lineOf(change.start), model_.lineOf(change.start + change.length));
    if (!ownSelection_)
        afterCaretMoved();
}

void EditorView::afterCaretMoved() {
    ensureCaretVisible();
    if (gutter_)
        gutter_->setCaretLine(model_.lineOf(caret_));
    restartBlink();
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle | Qt::ImCursorPosition |
                                               Qt::ImAnchorPosition | Qt::ImSurroundingText |
                                               Qt::ImCurrentSelection);
    notifyAccessibility(AccessibleCaret);
}

void EditorView::select(int anchor, int caret) {
    const int length = model_.length();
    anchor = std::clamp(anchor, 0, length);
    caret = std::clamp(caret, 0, length);
    const int oldCaret = caret_;
    anchor_ = anchor;
    caret_ = caret;
    ownSelection_ = true;
    input_.selectFromUser(std::min(anchor, caret), std::abs(caret - anchor));
    ownSelection_ = false;
    // The same characters selected from the other end change nothing in the model, but the
    // caret moved.
    const int oldLine = model_.lineOf(std::min(oldCaret, length));
    repaintLines(oldLine, oldLine);
    afterCaretMoved();
    if (!dragging_)
        offerPrimarySelection(); // a drag offers it once, when the button comes up
}

void EditorView::offerPrimarySelection() {
    // On X11 the text last selected by hand is what the middle button pastes elsewhere.
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (model_.selLength() > 0 && clipboard->supportsSelection())
        clipboard->setText(model_.selText(), QClipboard::Selection);
}

void EditorView::moveCaret(int pos, bool extend) {
    desiredX_ = -1;
    select(extend ? anchor_ : pos, pos);
}

void EditorView::setSelectionHidden(bool hidden) {
    if (hidden == selectionHidden_)
        return;
    selectionHidden_ = hidden;
    if (model_.selLength() > 0)
        repaintLines(model_.lineOf(model_.selStart()),
                     model_.lineOf(model_.selStart() + model_.selLength()));
}

void EditorView::setBackgroundColour(QColor colour) {
    QPalette p = palette();
    p.setColor(QPalette::Base, colour);
    setPalette(p);
}

qreal EditorView::tabStopDistance() const {
    return kTabStop;
}

QColor EditorView::backgroundColour() const {
    return palette().color(QPalette::Base);
}

int EditorView::verticalMove(int lines) {
    const int line = model_.lineOf(caret_);
    if (desiredX_ < 0)
        desiredX_ = layouts_.xOf(caret_);
    const int target = line + lines;
    // Past the first or the last line the caret goes to the start or the end of the text.
    if (target < 0 || (lines < 0 && line == 0))
        return 0;
    if (target >= model_.lineCount() || (lines > 0 && line == model_.lineCount() - 1))
        return model_.length();
    return layouts_.offsetAt(std::clamp(target, 0, model_.lineCount() - 1), desiredX_);
}

void EditorView::focusInEvent(QFocusEvent *event) {
    QAbstractScrollArea::focusInEvent(event);
    restartBlink();
    repaintAll();
}

void EditorView::focusOutEvent(QFocusEvent *event) {
    QAbstractScrollArea::focusOutEvent(event);
    blinkTimer_.stop();
    repaintAll();
}

void EditorView::changeEvent(QEvent *event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateMetrics();
        placeGutter();
    } else if (event->type() == QEvent::PaletteChange) {
        model_.setDefaultTextColour(palette().color(QPalette::Text).rgb());
        repaintAll();
        if (gutter_)
            gutter_->update();
    } else if (event->type() == QEvent::StyleChange) {
        repaintAll();
    }
}

void EditorView::notifyAccessibility(AccessibleChange kind, int start, int removed, int inserted) {
    if (!QAccessible::isActive())
        return;
    notifyEditorAccessibility(this, kind, start, removed, inserted);
}

} // namespace quenbry
