#include "editorview.h"
#include "text/textmotion.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextCharFormat>
#include <algorithm>

// The editor view's input: keys, input methods, the mouse and the wheel, turned into edits of
// the text and moves of the caret.

namespace quenbry {

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
                deleteRange(previousWord(model_, caret_), caret_);
            else
                input_.typeCharacter('\b');
            return;
        case Qt::Key_Delete:
            if (ctrl)
                deleteRange(caret_, endOfWord(model_, caret_));
            else if (!shift)
                input_.pressDelete();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (!ctrl)
                input_.typeCharacter('\r');
            return;
        case Qt::Key_Tab:
            if (!ctrl && !shift)
                input_.typeCharacter('\t');
            return;
        case Qt::Key_Backtab:
            return;
        case Qt::Key_Escape:
            input_.typeCharacter(27);
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
            moveCaret(ctrl ? previousWord(model_, caret_) : caretBefore(model_, caret_), shift);
        return true;
    case Qt::Key_Right:
        if (selection && !shift && !ctrl)
            moveCaret(std::max(anchor_, caret_), false);
        else
            moveCaret(ctrl ? nextWord(model_, caret_) : caretAfter(model_, caret_), shift);
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
            input_.insertFromUser(text.mid(i, 2));
            ++i;
        } else {
            input_.typeCharacter(text[i].unicode());
        }
    }
}

void EditorView::deleteRange(int from, int to) {
    if (model_.selLength() > 0) {
        input_.insertFromUser(QString());
        return;
    }
    if (to > from) {
        select(from, to);
        input_.insertFromUser(QString());
    }
}

void EditorView::openContextMenuAtCaret() {
    // The keyboard's way to the pop-up menu takes the right button's road, from the caret.
    ensureCaretVisible();
    const QRect r = cursorRect(caret_);
    emit contextMenuRequested(viewport()->mapToGlobal(r.bottomLeft()));
}

void EditorView::contextMenuEvent(QContextMenuEvent *event) {
    // The right button's menu comes on its release (mouseReleaseEvent).
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
            input_.insertFromUser(QString());
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
            input_.insertFromUser(text);
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
        pressedUnit_ = lineWithEndAt(model_, pos);
        desiredX_ = -1;
        select(pressedUnit_.from, pressedUnit_.to);
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
    pressedUnit_ = wordAt(model_, offsetAt(point));
    desiredX_ = -1;
    select(pressedUnit_.from, pressedUnit_.to);
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
        const TextRange at = unit_ == Unit::Word ? wordAt(model_, pos) : lineWithEndAt(model_, pos);
        if (pos < pressedUnit_.from)
            select(pressedUnit_.to, at.from);
        else
            select(pressedUnit_.from, std::max(at.to, pressedUnit_.to));
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
    // The context menu comes with the right button's release, not its press.
    if (event->button() == Qt::RightButton)
        emit contextMenuRequested(event->globalPosition().toPoint());
    event->accept();
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

} // namespace quenbry
