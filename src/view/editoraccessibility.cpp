#include "editoraccessibility.h"
#include "editorview.h"

#include <QAccessibleWidget>
#include <QTextBoundaryFinder>
#include <algorithm>

namespace quenbry {

namespace {

// Units of text are looked for within this reach of the offset asked about, so that a page
// of one long line is never copied whole for a screen reader's question.
constexpr int kReach = 4096;

class EditorViewAccessible : public QAccessibleWidget,
                             public QAccessibleTextInterface,
                             public QAccessibleEditableTextInterface {
public:
    explicit EditorViewAccessible(EditorView *view)
        : QAccessibleWidget(view, QAccessible::EditableText) {}

    EditorView *view() const { return static_cast<EditorView *>(widget()); }
    EditorCore &model() const { return view()->model(); }

    void *interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = true;
        s.multiLine = true;
        s.selectableText = true;
        s.focusable = true;
        return s;
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return model().text();
        return QAccessibleWidget::text(t);
    }

    // QAccessibleTextInterface
    void selection(int index, int *start, int *end) const override {
        *start = *end = 0;
        if (index == 0 && model().selLength() > 0) {
            *start = model().selStart();
            *end = model().selStart() + model().selLength();
        }
    }
    int selectionCount() const override { return model().selLength() > 0 ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override {
        if (index == 0)
            model().selectFromUser(view()->caret(), 0);
    }
    void setSelection(int index, int start, int end) override {
        if (index == 0)
            model().selectFromUser(std::min(start, end), std::abs(end - start));
    }
    int cursorPosition() const override { return view()->caret(); }
    void setCursorPosition(int position) override { model().selectFromUser(position, 0); }
    QString text(int start, int end) const override { return model().mid(start, end - start); }
    int characterCount() const override { return model().length(); }

    QRect characterRect(int offset) const override {
        const int length = model().length();
        if (offset < 0 || offset >= length)
            return QRect();
        QRect r = view()->cursorRect(offset);
        if (model().lineOf(offset + 1) == model().lineOf(offset) && !model().at(offset).isSpace())
            r.setRight(std::max(r.left(), view()->cursorRect(offset + 1).left() - 1));
        return QRect(view()->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    int offsetAtPoint(const QPoint &point) const override {
        const QPoint local = view()->viewport()->mapFromGlobal(point);
        if (!view()->viewport()->rect().contains(local))
            return -1;
        return view()->offsetAt(local);
    }
    void scrollToSubstring(int start, int) override { view()->scrollToOffset(start); }
    QString attributes(int offset, int *start, int *end) const override {
        *start = offset;
        *end = offset + 1;
        return QString();
    }

    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int *start,
                         int *end) const override {
        const std::pair<int, int> unit = unitAt(offset, type);
        *start = unit.first;
        *end = unit.second;
        return model().mid(unit.first, unit.second - unit.first);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int *start,
                             int *end) const override {
        const int at = unitAt(offset, type).first;
        if (at <= 0) {
            *start = *end = 0;
            return QString();
        }
        return textAtOffset(at - 1, type, start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int *start,
                            int *end) const override {
        const int at = unitAt(offset, type).second;
        if (at >= model().length()) {
            *start = *end = model().length();
            return QString();
        }
        return textAtOffset(at, type, start, end);
    }

    // QAccessibleEditableTextInterface
    void deleteText(int start, int end) override { replaceText(start, end, QString()); }
    void insertText(int offset, const QString &text) override { replaceText(offset, offset, text); }
    void replaceText(int start, int end, const QString &text) override {
        model().selectFromUser(std::min(start, end), std::abs(end - start));
        model().insertFromUser(text);
    }

private:
    // The unit of the given kind around offset: a line with its line end, a character, a word
    // or a sentence within its line, or the whole text.
    std::pair<int, int> unitAt(int offset, QAccessible::TextBoundaryType type) const {
        const EditorCore &m = model();
        const int length = m.length();
        offset = std::clamp(offset, 0, length);
        if (type == QAccessible::NoBoundary)
            return {0, length};
        const int line = m.lineOf(offset);
        const int lineStart = m.lineStart(line);
        const int next = line + 1 < m.lineCount() ? m.lineStart(line + 1) : length;
        if (type == QAccessible::LineBoundary || type == QAccessible::ParagraphBoundary)
            return {lineStart, next};
        const int from = std::max(lineStart, offset - kReach);
        const int to = std::min(next, offset + kReach);
        const QString window = m.mid(from, to - from);
        QTextBoundaryFinder::BoundaryType kind = QTextBoundaryFinder::Grapheme;
        if (type == QAccessible::WordBoundary)
            kind = QTextBoundaryFinder::Word;
        else if (type == QAccessible::SentenceBoundary)
            kind = QTextBoundaryFinder::Sentence;
        QTextBoundaryFinder finder(kind, window);
        finder.setPosition(std::min(offset - from, int(window.size())));
        int a = finder.isAtBoundary() ? int(finder.position()) : int(finder.toPreviousBoundary());
        finder.setPosition(std::min(offset - from, int(window.size())));
        int b = int(finder.toNextBoundary());
        if (a < 0)
            a = 0;
        if (b < 0)
            b = int(window.size());
        return {from + a, from + b};
    }
};

QAccessibleInterface *editorViewFactory(const QString &className, QObject *object) {
    if (className == QLatin1String(EditorView::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new EditorViewAccessible(static_cast<EditorView *>(object));
    return nullptr;
}

} // namespace

void installEditorAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(editorViewFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

void notifyEditorAccessibility(EditorView *view, AccessibleChange kind, int start, int removed,
                               int inserted) {
    const EditorCore &model = view->model();
    if (kind == AccessibleText) {
        const QString old =
            model.lastEdit().start == start && model.lastEdit().removed.size() == removed
                ? model.lastEdit().removed
                : QString(removed, QChar::ReplacementCharacter);
        QAccessibleTextUpdateEvent event(view, start, old, model.mid(start, inserted));
        QAccessible::updateAccessibility(&event);
        return;
    }
    QAccessibleTextCursorEvent cursor(view, view->caret());
    QAccessible::updateAccessibility(&cursor);
    if (model.selLength() > 0) {
        QAccessibleTextSelectionEvent selection(view, model.selStart(),
                                                model.selStart() + model.selLength());
        QAccessible::updateAccessibility(&selection);
    }
}

} // namespace quenbry
