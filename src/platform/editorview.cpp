#include "editorview.h"
#include "editoraccessibility.h"
#include "twips.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTextCharFormat>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace quenbry {

namespace {

// The space around the text, as a text document leaves it.
constexpr int kMargin = 4;
// Tab stops every 80 pixels, as Qt's text views have them.
constexpr qreal kTabStop = 80;

int shiftState(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? ShiftKey : 0) | (m & Qt::ControlModifier ? CtrlKey : 0) |
           (m & Qt::AltModifier ? AltKey : 0);
}

bool isLineEnd(QChar c) {
    return c == u'\r' || c == u'\n';
}

// Words for double-click and Ctrl+arrows: letters, digits and marks; runs of other visible
// characters; and space between them.
enum class CharClass { Space, Word, Other };
CharClass classOf(QChar c) {
    if (c.isSpace())
        return CharClass::Space;
    if (c.isLetterOrNumber() || c.isMark() || c == u'_' || c.isSurrogate())
        return CharClass::Word;
    return CharClass::Other;
}

} // namespace

EditorView::EditorView(EditorCore &model, QWidget *parent)
    : QAbstractScrollArea(parent)
    , model_(model)
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
    if (change.linesRemoved == change.linesInserted)
        repaintLines(change.firstLine, change.firstLine + change.linesInserted);
    else
        repaintFromLine(change.firstLine);
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
    model_.selectFromUser(std::min(anchor, caret), std::abs(caret - anchor));
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

// ---- Caret movement over the text --------------------------------------------------------

int EditorView::nextPosition(int pos) const {
    const int length = model_.length();
    if (pos >= length)
        return length;
    const QChar c = model_.at(pos);
    if (pos + 1 < length && ((c == u'\r' && model_.at(pos + 1) == u'\n') ||
                             (c.isHighSurrogate() && model_.at(pos + 1).isLowSurrogate())))
        pos += 2;
    else
        ++pos;
    // Marks belong to the character before them.
    while (pos < length && (model_.at(pos).isMark() || model_.at(pos).isLowSurrogate()))
        ++pos;
    return pos;
}

int EditorView::previousPosition(int pos) const {
    if (pos <= 0)
        return 0;
    if (pos >= 2 && ((model_.at(pos - 1) == u'\n' && model_.at(pos - 2) == u'\r') ||
                     (model_.at(pos - 1).isLowSurrogate() && model_.at(pos - 2).isHighSurrogate())))
        pos -= 2;
    else
        --pos;
    while (pos > 0 && (model_.at(pos).isMark() || model_.at(pos).isLowSurrogate()))
        --pos;
    return pos;
}

int EditorView::nextWord(int pos) const {
    const int length = model_.length();
    if (pos >= length)
        return length;
    if (isLineEnd(model_.at(pos)))
        return nextPosition(pos);
    const CharClass start = classOf(model_.at(pos));
    if (start != CharClass::Space)
        while (pos < length && !isLineEnd(model_.at(pos)) && classOf(model_.at(pos)) == start)
            ++pos;
    while (pos < length && !isLineEnd(model_.at(pos)) &&
           classOf(model_.at(pos)) == CharClass::Space)
        ++pos;
    return pos;
}

int EditorView::previousWord(int pos) const {
    if (pos <= 0)
        return 0;
    int p = pos;
    while (p > 0 && !isLineEnd(model_.at(p - 1)) && classOf(model_.at(p - 1)) == CharClass::Space)
        --p;
    if (p > 0 && isLineEnd(model_.at(p - 1)))
        return p == pos ? previousPosition(p) : p;
    if (p == 0)
        return 0;
    const CharClass cls = classOf(model_.at(p - 1));
    while (p > 0 && !isLineEnd(model_.at(p - 1)) && classOf(model_.at(p - 1)) == cls)
        --p;
    return p;
}

int EditorView::endOfWord(int pos) const {
    const int length = model_.length();
    if (pos >= length)
        return length;
    if (isLineEnd(model_.at(pos)))
        return nextPosition(pos);
    while (pos < length && !isLineEnd(model_.at(pos)) &&
           classOf(model_.at(pos)) == CharClass::Space)
        ++pos;
    if (pos < length && !isLineEnd(model_.at(pos))) {
        const CharClass cls = classOf(model_.at(pos));
        while (pos < length && !isLineEnd(model_.at(pos)) && classOf(model_.at(pos)) == cls)
            ++pos;
    }
    return pos;
}

std::pair<int, int> EditorView::wordAt(int pos) const {
    const int length = model_.length();
    const int line = model_.lineOf(pos);
    const int lineStart = model_.lineStart(line), lineEnd = model_.lineEnd(line);
    if (lineStart == lineEnd)
        return {pos, pos};
    // The character under the pointer, or the one before it at the end of a line.
    const int at = std::clamp(pos, lineStart, lineEnd - 1);
    const CharClass cls = classOf(model_.at(at));
    int from = at, to = at;
    while (from > lineStart && classOf(model_.at(from - 1)) == cls)
        --from;
    while (to < lineEnd && to < length && classOf(model_.at(to)) == cls)
        ++to;
    return {from, to};
}

std::pair<int, int> EditorView::lineRangeAt(int pos) const {
    const int line = model_.lineOf(pos);
    const int next = line + 1 < model_.lineCount() ? model_.lineStart(line + 1) : model_.length();
    return {model_.lineStart(line), next};
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

// ---- Keys -----------------------------------------------------------------------------

bool EditorView::isReserved(const QKeyEvent *event) const {
    const QKeySequence pressed(event->keyCombination());
    return std::any_of(reserved_.begin(), reserved_.end(), [&](const QKeySequence &k) {
        return k.matches(pressed) == QKeySequence::ExactMatch;
    });
}

// A key the editor acts on: its own, ahead of any shortcut of the window that might want it.
bool EditorView::handlesKey(const QKeyEvent *event) const {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool ctrl = mods & Qt::ControlModifier, alt = mods & Qt::AltModifier;
    if (alt || (mods & Qt::MetaModifier)) {
        // AltGr arrives as Ctrl+Alt on some systems and types characters all the same.
        return ctrl && !event->text().isEmpty() && event->text().at(0).isPrint();
    }
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Menu:
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return !ctrl;
    case Qt::Key_F10:
        return mods == Qt::ShiftModifier;
    default:
        return !ctrl && !event->text().isEmpty() && event->text().at(0).isPrint();
    }
}

bool EditorView::event(QEvent *event) {
    if (event->type() == QEvent::ShortcutOverride) {
        auto *ke = static_cast<QKeyEvent *>(event);
        if (!isReserved(ke) && handlesKey(ke)) {
            ke->accept();
            return true;
        }
        ke->ignore();
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        // Tab types a tab: the focus never leaves the editor by it. Ctrl+Tab and
        // Ctrl+Shift+Tab do move it on, so the keyboard alone can still get out.
        auto *ke = static_cast<QKeyEvent *>(event);
        const bool ctrl = ke->modifiers() & Qt::ControlModifier;
        if (ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab) {
            if (ctrl && !(ke->modifiers() & Qt::AltModifier))
                focusNextPrevChild(ke->key() == Qt::Key_Tab &&
                                   !(ke->modifiers() & Qt::ShiftModifier));
            else
                keyPressEvent(ke);
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void EditorView::keyPressEvent(QKeyEvent *event) {
    if (isReserved(event)) {
        // A disabled command's shortcut: nothing happens, as for its menu item.
        event->accept();
        return;
    }
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = mods & Qt::AltModifier;
    const bool shift = mods & Qt::ShiftModifier;
    const bool meta = mods & Qt::MetaModifier;
    event->accept();
    if (!alt && !meta) {
        switch (event->key()) {
        case Qt::Key_Backspace:
            if (ctrl)
                deleteRange(previousWord(caret_), caret_);
            else
                model_.typeCharacter('\b');
            return;
        case Qt::Key_Delete:
            if (ctrl)
                deleteRange(caret_, endOfWord(caret_));
            else if (!shift)
                model_.pressDelete();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (!ctrl)
                model_.typeCharacter('\r');
            return;
        case Qt::Key_Tab:
            if (!ctrl && !shift)
                model_.typeCharacter('\t');
            return;
        case Qt::Key_Backtab:
            return;
        case Qt::Key_Escape:
            model_.typeCharacter(27);
            return;
        case Qt::Key_Menu:
            openContextMenuAtCaret();
            return;
        case Qt::Key_F10:
            if (shift && !ctrl) {
                openContextMenuAtCaret();
                return;
            }
            break;
        default:
            if (moveByKey(event))
                return;
        }
    }
    const QString typed = event->text();
    // A key with Ctrl or Alt that is no shortcut types nothing; AltGr (Ctrl+Alt on some
    // systems) types its character.
    const bool typing = !typed.isEmpty() && ctrl == alt && !meta &&
                        std::all_of(typed.begin(), typed.end(), [](QChar c) {
                            return c.unicode() >= 0x20 && c.unicode() != 0x7f;
                        });
    if (typing) {
        typeText(typed);
        return;
    }
    event->ignore();
}

bool EditorView::moveByKey(const QKeyEvent *event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool ctrl = mods & Qt::ControlModifier;
    const bool shift = mods & Qt::ShiftModifier;
    const bool selection = anchor_ != caret_;
    QScrollBar *v = verticalScrollBar();
    switch (event->key()) {
    case Qt::Key_Left:
        if (selection && !shift && !ctrl)
            moveCaret(std::min(anchor_, caret_), false);
        else
            moveCaret(ctrl ? previousWord(caret_) : previousPosition(caret_), shift);
        return true;
    case Qt::Key_Right:
        if (selection && !shift && !ctrl)
            moveCaret(std::max(anchor_, caret_), false);
        else
            moveCaret(ctrl ? nextWord(caret_) : nextPosition(caret_), shift);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int step = event->key() == Qt::Key_Up ? -1 : 1;
        if (ctrl) {
            // Ctrl with Up or Down scrolls the view and leaves the caret where it is.
            v->setValue(v->value() + step);
            return true;
        }
        const qreal keep = desiredX_;
        const int pos = verticalMove(step);
        const qreal aim = desiredX_ >= 0 ? desiredX_ : keep;
        select(shift ? anchor_ : pos, pos);
        desiredX_ = aim;
        return true;
    }
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const int page = event->key() == Qt::Key_PageUp ? -visibleLines() : visibleLines();
        const int pos = verticalMove(page);
        const qreal aim = desiredX_;
        v->setValue(v->value() + page);
        select(shift ? anchor_ : pos, pos);
        desiredX_ = aim;
        return true;
    }
    case Qt::Key_Home:
        moveCaret(ctrl ? 0 : model_.lineStart(model_.lineOf(caret_)), shift);
        return true;
    case Qt::Key_End:
        moveCaret(ctrl ? model_.length() : model_.lineEnd(model_.lineOf(caret_)), shift);
        return true;
    default:
        return false;
    }
}

void EditorView::typeText(const QString &text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            // KeyPress carries one 16-bit code: a character outside the basic plane goes in
            // as one unit without it.
            model_.insertFromUser(text.mid(i, 2));
            ++i;
        } else {
            model_.typeCharacter(text[i].unicode());
        }
    }
}

void EditorView::deleteRange(int from, int to) {
    if (model_.selLength() > 0) {
        model_.setSelText(QString());
        return;
    }
    if (to > from) {
        select(from, to);
        model_.setSelText(QString());
    }
}

void EditorView::openContextMenuAtCaret() {
    // The keyboard's way to the pop-up menu takes the right button's road, from the caret.
    ensureCaretVisible();
    const QRect r = cursorRect(caret_);
    if (model_.onMouseUp)
        model_.onMouseUp(RightButton, 0, pixelsToTwips(r.left()), pixelsToTwips(r.bottom()));
}

void EditorView::contextMenuEvent(QContextMenuEvent *event) {
    // The right button's release is the MouseUp notification's business.
    if (event->reason() == QContextMenuEvent::Keyboard)
        openContextMenuAtCaret();
    event->accept();
}

// ---- Input methods ------------------------------------------------------------------------

void EditorView::inputMethodEvent(QInputMethodEvent *event) {
    if (!event->commitString().isEmpty() || event->replacementLength() > 0) {
        if (event->replacementLength() > 0) {
            const int from = caret_ + event->replacementStart();
            select(from, from + event->replacementLength());
        }
        if (event->commitString().isEmpty())
            model_.setSelText(QString());
        else
            typeText(event->commitString());
    }
    preedit_ = event->preeditString();
    preeditCursor_ = int(preedit_.size());
    QList<QTextLayout::FormatRange> formats;
    for (const QInputMethodEvent::Attribute &a : event->attributes()) {
        if (a.type == QInputMethodEvent::Cursor) {
            preeditCursor_ = a.start;
        } else if (a.type == QInputMethodEvent::TextFormat) {
            const QTextCharFormat f = qvariant_cast<QTextFormat>(a.value).toCharFormat();
            if (f.isValid())
                formats.append(QTextLayout::FormatRange{a.start, a.length, f});
        }
    }
    if (!preedit_.isEmpty() && formats.isEmpty()) {
        QTextCharFormat underline;
        underline.setFontUnderline(true);
        formats.append(QTextLayout::FormatRange{0, int(preedit_.size()), underline});
    }
    layouts_.setPreedit(caret_, preedit_, formats);
    const int line = model_.lineOf(caret_);
    repaintLines(line, line);
    ensureCaretVisible();
    event->accept();
}

QVariant EditorView::inputMethodQuery(Qt::InputMethodQuery query) const {
    auto *self = const_cast<EditorView *>(this);
    // Around the caret, within its line: enough for an input method, and bounded on a page
    // of one long line.
    constexpr int reach = 1000;
    const int line = model_.lineOf(caret_);
    const int from = std::max(model_.lineStart(line), caret_ - reach);
    const int to = std::min(model_.lineEnd(line), caret_ + reach);
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
        return self->cursorRect(caret_).translated(viewport()->pos());
    case Qt::ImFont:
        return font();
    case Qt::ImCursorPosition:
        return caret_ - from;
    case Qt::ImAnchorPosition:
        return std::clamp(anchor_, from, to) - from;
    case Qt::ImSurroundingText:
        return model_.mid(from, to - from);
    case Qt::ImCurrentSelection:
        return model_.selText();
    case Qt::ImTextBeforeCursor:
        return model_.mid(from, caret_ - from);
    case Qt::ImTextAfterCursor:
        return model_.mid(caret_, to - caret_);
    case Qt::ImHints:
        return int(Qt::ImhMultiLine);
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

// ---- Mouse ----------------------------------------------------------------------------

void EditorView::mousePressEvent(QMouseEvent *event) {
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::MiddleButton && !dragging_ &&
        QGuiApplication::clipboard()->supportsSelection()) {
        // The middle button pastes the text selected last, here or in another program.
        const QString text = QGuiApplication::clipboard()->text(QClipboard::Selection);
        if (!text.isEmpty()) {
            moveCaret(offsetAt(point), false);
            model_.insertFromUser(text);
        }
    }
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    const int pos = offsetAt(point);
    const bool tripleClick =
        lastDoubleClick_.isValid() &&
        lastDoubleClick_.elapsed() < QApplication::doubleClickInterval() &&
        (point - doubleClickPoint_).manhattanLength() < QApplication::startDragDistance();
    lastDoubleClick_.invalidate();
    if (tripleClick) {
        unit_ = Unit::Line;
        pressedUnit_ = lineRangeAt(pos);
        desiredX_ = -1;
        select(pressedUnit_.first, pressedUnit_.second);
    } else if (event->modifiers() & Qt::ShiftModifier) {
        moveCaret(pos, true);
    } else {
        unit_ = Unit::Character;
        pressedUnit_ = {pos, pos};
        moveCaret(pos, false);
    }
    dragging_ = true;
    event->accept();
}

void EditorView::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    const QPoint point = event->position().toPoint();
    unit_ = Unit::Word;
    pressedUnit_ = wordAt(offsetAt(point));
    desiredX_ = -1;
    select(pressedUnit_.first, pressedUnit_.second);
    lastDoubleClick_.start();
    doubleClickPoint_ = point;
    dragging_ = true;
    event->accept();
}

void EditorView::mouseMoveEvent(QMouseEvent *event) {
    if (!dragging_ || !(event->buttons() & Qt::LeftButton))
        return;
    dragPoint_ = event->position().toPoint();
    dragTo(dragPoint_);
    // Outside the text the view scrolls towards the pointer while the button is held.
    if (viewport()->rect().contains(dragPoint_))
        autoScrollTimer_.stop();
    else if (!autoScrollTimer_.isActive())
        autoScrollTimer_.start(50, this);
    event->accept();
}

void EditorView::dragTo(QPoint point) {
    const int pos = offsetAt(point);
    desiredX_ = -1;
    switch (unit_) {
    case Unit::Character:
        select(anchor_, pos);
        break;
    case Unit::Word:
    case Unit::Line: {
        const std::pair<int, int> at = unit_ == Unit::Word ? wordAt(pos) : lineRangeAt(pos);
        if (pos < pressedUnit_.first)
            select(pressedUnit_.second, at.first);
        else
            select(pressedUnit_.first, std::max(at.second, pressedUnit_.second));
        break;
    }
    }
}

void EditorView::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton && dragging_) {
        dragging_ = false;
        autoScrollTimer_.stop();
        offerPrimarySelection();
    }
    emitMouseUp(event);
    event->accept();
}

void EditorView::emitMouseUp(QMouseEvent *event) {
    int button = 0;
    switch (event->button()) {
    case Qt::LeftButton:
        button = LeftButton;
        break;
    case Qt::RightButton:
        button = RightButton;
        break;
    case Qt::MiddleButton:
        button = MiddleButton;
        break;
    default:
        return;
    }
    if (model_.onMouseUp)
        model_.onMouseUp(button, shiftState(event->modifiers()),
                         pixelsToTwips(int(event->position().x())),
                         pixelsToTwips(int(event->position().y())));
}

void EditorView::wheelEvent(QWheelEvent *event) {
    // Ctrl with the wheel makes the text larger or smaller.
    if (event->modifiers() & Qt::ControlModifier) {
        const int steps = event->angleDelta().y() / 120;
        if (steps != 0) {
            QFont f = font();
            if (f.pointSizeF() > 0)
                f.setPointSizeF(std::clamp(f.pointSizeF() + steps, 4.0, 72.0));
            else
                f.setPixelSize(std::clamp(f.pixelSize() + steps, 6, 96));
            setFont(f);
        }
        event->accept();
        return;
    }
    // Shift turns the wheel sideways.
    if ((event->modifiers() & Qt::ShiftModifier) &&
        std::abs(event->angleDelta().y()) > std::abs(event->angleDelta().x())) {
        QScrollBar *h = horizontalScrollBar();
        h->setValue(h->value() - event->angleDelta().y() * h->singleStep() *
                                     QApplication::wheelScrollLines() / 120);
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

void EditorView::timerEvent(QTimerEvent *event) {
    if (event->timerId() == blinkTimer_.timerId()) {
        caretShown_ = !caretShown_;
        repaintCaret();
    } else if (event->timerId() == autoScrollTimer_.timerId()) {
        const QRect r = viewport()->rect();
        QScrollBar *v = verticalScrollBar();
        QScrollBar *h = horizontalScrollBar();
        if (dragPoint_.y() < r.top())
            v->setValue(v->value() - 1);
        else if (dragPoint_.y() > r.bottom())
            v->setValue(v->value() + 1);
        if (dragPoint_.x() < r.left())
            h->setValue(h->value() - h->singleStep());
        else if (dragPoint_.x() > r.right())
            h->setValue(h->value() + h->singleStep());
        dragTo(dragPoint_);
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}

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
    const int selStart = std::max(model_.selStart(), piece.start);
    const int selEnd = std::min(model_.selStart() + model_.selLength(), piece.start + piece.length);
    const bool selected = !selectionHidden_ && selEnd > selStart;
    if (selected) {
        const qreal x1 = tl.cursorToX(at(selStart)), x2 = tl.cursorToX(at(selEnd));
        p.fillRect(QRectF(origin.x() + std::min(x1, x2), top, std::abs(x2 - x1), lineHeight_),
                   palette().color(group, QPalette::Highlight));
    }
    // The glyphs are drawn run by run in each character's own colour, read from the model as
    // they are drawn: the shaped text never has to follow a colour change.
    const QColor text = palette().color(group, QPalette::Text);
    const QColor highlighted = palette().color(group, QPalette::HighlightedText);
    auto drawRun = [&](int from, int to, QColor colour) {
        if (to <= from)
            return;
        p.setPen(colour);
        const int a = at(from);
        for (const QGlyphRun &run : layout->glyphRuns(a, at(to) - a))
            p.drawGlyphRun(origin, run);
    };
    int runStart = shownFrom;
    quint8 runIndex = 0;
    auto colourOf = [&](quint8 index) {
        return index == 0 ? text : QColor::fromRgb(model_.paletteColour(index));
    };
    auto flush = [&](int end) {
        // The selected part of a run shows in the highlighted text colour.
        if (selected && runStart < selEnd && end > selStart) {
            drawRun(runStart, std::max(runStart, selStart), colourOf(runIndex));
            drawRun(std::max(runStart, selStart), std::min(end, selEnd), highlighted);
            drawRun(std::min(end, selEnd), end, colourOf(runIndex));
        } else {
            drawRun(runStart, end, colourOf(runIndex));
        }
    };
    bool first = true;
    model_.forEachColourPiece(shownFrom, std::max(0, shownTo - shownFrom),
                              [&](const quint8 *c, int count, int offset) {
                                  for (int i = 0; i < count; ++i) {
                                      if (first) {
                                          runIndex = c[i];
                                          first = false;
                                      } else if (c[i] != runIndex) {
                                          flush(offset + i);
                                          runStart = offset + i;
                                          runIndex = c[i];
                                      }
                                  }
                              });
    if (!first)
        flush(shownTo);
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
    } else if (event->type() == QEvent::PaletteChange) {
        model_.setDefaultTextColour(palette().color(QPalette::Text).rgb());
        repaintAll();
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
