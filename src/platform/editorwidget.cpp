#include "editorwidget.h"
#include "twips.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>

namespace quenbry {

namespace {

int shiftState(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? ShiftKey : 0) | (m & Qt::ControlModifier ? CtrlKey : 0) |
           (m & Qt::AltModifier ? AltKey : 0);
}
} // namespace

EditorWidget::EditorWidget(QWidget *parent)
    : QPlainTextEdit(parent) {
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setContextMenuPolicy(Qt::NoContextMenu);
    // The view never edits its document by itself: every edit goes through the core, so that
    // the exact text, its colours and the notifications stay in step.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setAttribute(Qt::WA_InputMethodEnabled, true);
    viewport()->setCursor(Qt::IBeamCursor);
    setFocusPolicy(Qt::StrongFocus);
    setDefaultTextColour(palette().color(QPalette::Text).rgb());
    connect(this, &QPlainTextEdit::cursorPositionChanged, this,
            &EditorWidget::syncSelectionFromView);
    connect(this, &QPlainTextEdit::selectionChanged, this, &EditorWidget::syncSelectionFromView);
    addObserver(this);
}

EditorWidget::~EditorWidget() {
    removeObserver(this);
}

void EditorWidget::textReplaced(const TextReplaced &change) {
    if (change.start == 0 && change.inserted == length())
        viewReset();
    else
        viewReplaced(change.start, change.removed, change.inserted);
}

QString EditorWidget::toViewText(QStringView exact) {
    // Runs between line ends are copied whole: a page of megabytes comes through here on
    // every Open.
    QString out(exact.size(), Qt::Uninitialized);
    QChar *dst = out.data();
    const QChar *src = exact.data();
    const QChar *const end = src + exact.size();
    while (src < end) {
        const QChar *cr = std::find(src, end, QChar(u'\r'));
        dst = std::copy(src, cr, dst);
        if (cr == end)
            break;
        *dst++ = QChar(u'\n');
        src = cr + 1;
        if (src < end && *src == u'\n')
            ++src;
    }
    out.truncate(dst - out.constData());
    return out;
}

int EditorWidget::toViewOffset(int offset) const {
    // Pairs lying wholly before offset each count one character less in the view.
    const auto before = std::lower_bound(crlf_.begin(), crlf_.end(), offset - 1);
    return offset - int(before - crlf_.begin());
}

int EditorWidget::fromViewOffset(int viewOffset) const {
    // Pair i sits at view offset crlf_[i] - i, which grows with i.
    int lo = 0, hi = int(crlf_.size());
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (crlf_[size_t(mid)] - mid < viewOffset)
            lo = mid + 1;
        else
            hi = mid;
    }
    return viewOffset + lo;
}

void EditorWidget::viewReset() {
    crlf_.clear();
    colourDirt_.clear();
    cachedBlocks_.clear();
    const QString exact = text();
    for (int i = exact.indexOf(u'\r'); i >= 0; i = exact.indexOf(u'\r', i + 1))
        if (i + 1 < exact.size() && exact[i + 1] == u'\n')
            crlf_.push_back(i);
    syncing_ = true;
    document()->setPlainText(toViewText(exact));
    syncing_ = false;
    viewSelectionChanged();
}

void EditorWidget::viewReplaced(int start, int removed, int inserted) {
    flushColourDirt();
    // Widen the edit so that a CR before it or an LF after it is rewritten with it: an edit
    // can join a lone CR and a lone LF into one line end, or split a pair into two.
    const int insEnd = start + inserted;
    const int a = start > 0 && at(start - 1) == u'\r' ? start - 1 : start;
    const int tail = insEnd < length() && at(insEnd) == u'\n' ? 1 : 0;
    const int oldEnd = start + removed + tail;
    const int viewA = toViewOffset(a);
    const int viewB = toViewOffset(oldEnd);

    const int delta = inserted - removed;
    auto first = std::lower_bound(crlf_.begin(), crlf_.end(), a);
    auto last = std::lower_bound(first, crlf_.end(), oldEnd);
    for (auto it = last; it != crlf_.end(); ++it)
        *it += delta;
    const QString region = mid(a, insEnd + tail - a);
    std::vector<int> added;
    for (int i = int(region.indexOf(u'\r')); i >= 0; i = int(region.indexOf(u'\r', i + 1)))
        if (i + 1 < region.size() && region[i + 1] == u'\n')
            added.push_back(a + i);
    first = crlf_.erase(first, last);
    crlf_.insert(first, added.begin(), added.end());

    syncing_ = true;
    QTextCursor cursor(document());
    cursor.setPosition(viewA);
    cursor.setPosition(viewB, QTextCursor::KeepAnchor);
    cursor.insertText(toViewText(region));
    for (QTextBlock b = document()->findBlock(viewA); b.isValid(); b = b.next()) {
        b.setUserState(-1);
        if (b.position() > viewA + region.size())
            break;
    }
    syncing_ = false;
    viewSelectionChanged();
}

void EditorWidget::viewColoured(int start, int length) {
    if (!colourDirt_.empty() && start <= colourDirt_.back().second &&
        start + length >= colourDirt_.back().first) {
        auto &d = colourDirt_.back();
        d.first = std::min(d.first, start);
        d.second = std::max(d.second, start + length);
    } else {
        colourDirt_.push_back({start, start + length});
    }
    if (colourDirt_.size() > 1024) {
        // A pass that recolours much of the page: rather than finding each block, every block
        // counts as out of date from now on.
        colourDirt_.clear();
        ++coloursGeneration_;
    }
    // Blocks on screen whose colours changed are laid out again once the current work is
    // done; each then asks for a repaint of its own rectangle only.
    if (!renderQueued_) {
        renderQueued_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                renderQueued_ = false;
                renderVisibleColours(nullptr);
            },
            Qt::QueuedConnection);
    }
}

void EditorWidget::flushColourDirt() {
    if (colourDirt_.empty())
        return;
    std::sort(colourDirt_.begin(), colourDirt_.end());
    QTextBlock block;
    for (const auto &[s, e] : colourDirt_) {
        const int vs = toViewOffset(s), ve = toViewOffset(e);
        if (!block.isValid() || block.position() + block.length() <= vs)
            block = document()->findBlock(vs);
        for (; block.isValid() && block.position() <= ve; block = block.next())
            block.setUserState(-1);
        if (!block.isValid())
            break;
        block = block.previous();
    }
    colourDirt_.clear();
}

void EditorWidget::applyColours(QTextBlock block, bool quiet) {
    const int start = fromViewOffset(block.position());
    const int len = block.length() - 1;
    QList<QTextLayout::FormatRange> ranges;
    int runStart = 0;
    quint8 runIndex = 0;
    auto flush = [&](int end) {
        if (runIndex != 0 && end > runStart) {
            QTextLayout::FormatRange r;
            r.start = runStart;
            r.length = end - runStart;
            r.format.setForeground(QColor::fromRgb(paletteColour(runIndex)));
            ranges.append(r);
        }
    };
    forEachColourPiece(start, len, [&](const quint8 *p, int count, int offset) {
        for (int i = 0; i < count; ++i) {
            const int pos = offset - start + i;
            if (p[i] != runIndex) {
                flush(pos);
                runStart = pos;
                runIndex = p[i];
            }
        }
    });
    flush(len);
    QTextLayout *blockLayout = block.layout();
    if (!blockLayout->cacheEnabled()) {
        // Blocks on screen keep their shaped text, so that a repaint does not shape every
        // line again; evictLayoutCaches lets it go once the block has left the view.
        blockLayout->setCacheEnabled(true);
        cachedBlocks_.push_back(block);
    }
    blockLayout->setFormats(ranges);
    block.setUserState(coloursGeneration_);
    // The block must be laid out again with its new formats. The layout would answer that by
    // repainting the whole view; only the block's own rectangle needs it, and none when the
    // block is being painted right now.
    QAbstractTextDocumentLayout *layout = document()->documentLayout();
    layout->blockSignals(true);
    document()->markContentsDirty(block.position(), block.length());
    layout->blockSignals(false);
    if (!quiet)
        viewport()->update(visibleRect(block));
}

QRect EditorWidget::visibleRect(const QTextBlock &block) const {
    return blockBoundingGeometry(block).translated(contentOffset()).toAlignedRect() &
           viewport()->rect();
}

void EditorWidget::renderVisibleColours(const QRegion *painting) {
    flushColourDirt();
    int first = -1, last = -1;
    for (QTextBlock b = firstVisibleBlock(); b.isValid(); b = b.next()) {
        const QRect r = visibleRect(b);
        if (r.isEmpty() && b != firstVisibleBlock())
            break;
        if (first < 0)
            first = b.blockNumber();
        last = b.blockNumber();
        if (b.userState() != coloursGeneration_)
            applyColours(b, painting && painting->contains(r));
    }
    evictLayoutCaches(first, last);
}

void EditorWidget::evictLayoutCaches(int firstVisible, int lastVisible) {
    constexpr size_t keep = 400;
    constexpr int margin = 100;
    if (cachedBlocks_.size() <= keep)
        return;
    QAbstractTextDocumentLayout *layout = document()->documentLayout();
    auto far = [&](const QTextBlock &b) {
        if (!b.isValid())
            return true;
        const int n = b.blockNumber();
        if (n >= firstVisible - margin && n <= lastVisible + margin)
            return false;
        // Laid out again without the cache, the block gives its shaped text back.
        QTextLayout *l = b.layout();
        l->setCacheEnabled(false);
        layout->blockSignals(true);
        l->setFormats(l->formats());
        document()->markContentsDirty(b.position(), b.length());
        layout->blockSignals(false);
        return true;
    };
    cachedBlocks_.erase(std::remove_if(cachedBlocks_.begin(), cachedBlocks_.end(), far),
                        cachedBlocks_.end());
}

void EditorWidget::paintEvent(QPaintEvent *event) {
    renderVisibleColours(&event->region());
    QPlainTextEdit::paintEvent(event);
}

void EditorWidget::viewSelectionChanged() {
    syncing_ = true;
    QTextCursor c = textCursor();
    c.setPosition(toViewOffset(selStart()));
    c.setPosition(toViewOffset(selStart() + selLength()), QTextCursor::KeepAnchor);
    jumpScrollTo(c);
    setTextCursor(c);
    syncing_ = false;
}

void EditorWidget::jumpScrollTo(const QTextCursor &cursor) {
    // A caret that leaves the view sideways brings a third of a view of new text with it, so
    // that typing at the end of a long line scrolls now and then rather than on every key
    // (each scroll repaints the whole view).
    if (!isVisible())
        return;
    const QRect r = cursorRect(cursor);
    const int width = viewport()->width();
    if (r.left() >= 0 && r.right() < width)
        return;
    QScrollBar *bar = horizontalScrollBar();
    const int x = r.left() + bar->value();
    bar->setValue(r.left() < 0 ? x - width / 3 : x - 2 * width / 3);
}

void EditorWidget::syncSelectionFromView() {
    if (syncing_)
        return;
    const QTextCursor c = textCursor();
    const int s = fromViewOffset(c.selectionStart());
    const int e = fromViewOffset(c.selectionEnd());
    selectFromUser(s, e - s);
}

bool EditorWidget::isReserved(const QKeyEvent *event) const {
    const QKeySequence pressed(event->keyCombination());
    return std::any_of(reserved_.begin(), reserved_.end(), [&](const QKeySequence &k) {
        return k.matches(pressed) == QKeySequence::ExactMatch;
    });
}

bool EditorWidget::event(QEvent *event) {
    if (event->type() == QEvent::ShortcutOverride) {
        auto *ke = static_cast<QKeyEvent *>(event);
        if (isReserved(ke)) {
            ke->ignore();
            return false;
        }
    }
    return QPlainTextEdit::event(event);
}

void EditorWidget::deleteToView(QTextCursor::MoveOperation op) {
    if (selLength() > 0) {
        setSelText(QString());
        return;
    }
    QTextCursor c = textCursor();
    c.movePosition(op, QTextCursor::KeepAnchor);
    const int s = fromViewOffset(c.selectionStart());
    const int e = fromViewOffset(c.selectionEnd());
    if (e > s) {
        selectFromUser(s, e - s);
        setSelText(QString());
    }
}

void EditorWidget::keyPressEvent(QKeyEvent *event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = mods & Qt::AltModifier;
    if (isReserved(event)) {
        // A disabled command's shortcut: nothing happens, as for its menu item.
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Backspace:
        if (ctrl)
            deleteToView(QTextCursor::PreviousWord);
        else
            typeCharacter('\b');
        return;
    case Qt::Key_Delete:
        if (ctrl)
            deleteToView(QTextCursor::EndOfWord);
        else if (!(mods & Qt::ShiftModifier))
            pressDelete();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!ctrl && !alt)
            typeCharacter('\r');
        return;
    case Qt::Key_Tab:
        if (!ctrl && !alt)
            typeCharacter('\t');
        return;
    case Qt::Key_Escape:
        typeCharacter(27);
        return;
    default:
        break;
    }
    const QString typed = event->text();
    // AltGr arrives as Ctrl+Alt on some systems; it types characters all the same.
    const bool typing =
        !typed.isEmpty() && (!ctrl || alt) && std::all_of(typed.begin(), typed.end(), [](QChar c) {
            return c.unicode() >= 0x20 && c.unicode() != 0x7f;
        });
    if (typing) {
        for (qsizetype i = 0; i < typed.size(); ++i) {
            if (typed[i].isHighSurrogate() && i + 1 < typed.size()) {
                // A character outside the basic plane is typed as one unit.
                insertFromUser(typed.mid(i, 2));
                ++i;
            } else {
                typeCharacter(typed[i].unicode());
            }
        }
        event->accept();
        return;
    }
    // Navigation and selection keys: the view moves its cursor, and the selection follows.
    QPlainTextEdit::keyPressEvent(event);
}

void EditorWidget::inputMethodEvent(QInputMethodEvent *event) {
    if (!event->commitString().isEmpty())
        insertFromUser(event->commitString());
    event->accept();
}

void EditorWidget::mouseReleaseEvent(QMouseEvent *event) {
    QPlainTextEdit::mouseReleaseEvent(event);
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
    if (onMouseUp)
        onMouseUp(button, shiftState(event->modifiers()), pixelsToTwips(int(event->position().x())),
                  pixelsToTwips(int(event->position().y())));
}

void EditorWidget::setSelectionHidden(bool hidden) {
    if (hidden == selectionHidden_)
        return;
    selectionHidden_ = hidden;
    QPalette p = palette();
    if (hidden) {
        p.setColor(QPalette::Highlight, p.color(QPalette::Base));
        p.setColor(QPalette::HighlightedText, p.color(QPalette::Text));
    } else {
        const QPalette app = QPalette();
        p.setColor(QPalette::Highlight, app.color(QPalette::Highlight));
        p.setColor(QPalette::HighlightedText, app.color(QPalette::HighlightedText));
    }
    setPalette(p);
}

void EditorWidget::setBackgroundColour(QColor colour) {
    QPalette p = palette();
    p.setColor(QPalette::Base, colour);
    setPalette(p);
}

QColor EditorWidget::backgroundColour() const {
    return palette().color(QPalette::Base);
}

void EditorWidget::changeEvent(QEvent *event) {
    if (event->type() == QEvent::PaletteChange)
        setDefaultTextColour(palette().color(QPalette::Text).rgb());
    QPlainTextEdit::changeEvent(event);
}

} // namespace quenbry
