#pragma once
// The on-screen editor: a scroll area that shows an EditorCore and hands the user's keys,
// clicks and input-method text on as edits. It holds no text of its own: it observes the
// model, shapes only the lines in sight (long lines in segments) and repaints only what a
// change touched. Input, painting and geometry live in editorinput.cpp, editorpainting.cpp
// and editorview.cpp.

#include "editoraccessibility.h"
#include "linelayouts.h"
#include "text/editorcore.h"
#include "text/textmotion.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QElapsedTimer>
#include <QImage>
#include <QKeySequence>
#include <functional>

namespace quenbry {

class LineNumberGutter;

class EditorView : public QAbstractScrollArea, private EditorObserver {
    Q_OBJECT
public:
    // The user's edits go to input (the edit session, which lets the colouring see each key),
    // or straight to the model.
    EditorView(EditorCore &model, EditorInput &input, QWidget *parent = nullptr);
    explicit EditorView(EditorCore &model, QWidget *parent = nullptr)
        : EditorView(model, model, parent) {}
    ~EditorView() override;

    EditorCore &model() const { return model_; }

    // Key sequences that belong to the window's commands: the editor never acts on them
    // itself, so they reach the menu (or nothing, when the command is disabled).
    void setReservedShortcuts(const QList<QKeySequence> &keys) { reserved_ = keys; }

    // Hides or shows the selection highlight while the program rewrites the text.
    void setSelectionHidden(bool hidden);
    bool isSelectionHidden() const { return selectionHidden_; }

    // The distance between tab stops, in pixels.
    qreal tabStopDistance() const;

    void setBackgroundColour(QColor colour);
    QColor backgroundColour() const;

    // The selection as the user holds it: the end that stays and the end that moves (the
    // caret). The model knows only its start and length.
    int anchor() const { return anchor_; }
    int caret() const { return caret_; }

    // Geometry in viewport coordinates. The caret's rectangle before offset, one line high.
    QRect cursorRect(int offset);
    // The caret position nearest to a point of the viewport.
    int offsetAt(QPoint point);
    // The first line in sight, and how many lines fit.
    int firstVisibleLine() const;
    int visibleLines() const;
    // Scrolls so that the caret, or the place before offset, is in sight.
    void ensureCaretVisible();
    void scrollToOffset(int offset) { showOffset(offset, -1); }
    LineLayouts &layouts() { return layouts_; }
    // Lets go of everything drawn so far and draws the view afresh.
    void repaintAll();

    // Line numbers in a gutter at the left, inside the view: the text area narrows.
    void setLineNumbersShown(bool shown);
    bool lineNumbersShown() const { return gutter_ != nullptr; }
    // Ranges of the text to show highlighted behind their characters (the matches of a
    // search), asked for those that meet [from, to) of what is drawn; none when empty. The
    // characters keep their own colours.
    using Highlighter = std::function<void(int from, int to, std::vector<TextRange> &out)>;
    void setHighlighter(Highlighter highlighter);
    // Offers the selection, when there is one, as the X primary selection, which the middle
    // button pastes elsewhere: for selections made by hand, and by Select All.
    void offerPrimarySelection();

signals:
    // The right button came up over the text, or the keyboard asked for the context menu
    // (Shift+F10, the Menu key): where the menu belongs, in global coordinates.
    void contextMenuRequested(QPoint globalPos);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    friend class LineNumberGutter;

    // EditorObserver
    void textReplaced(const TextReplaced &change) override;
    void coloursChanged(const ColoursChanged &change) override;
    void selectionChanged(const SelectionChanged &change) override;

    bool isReserved(const QKeyEvent *event) const;
    bool handlesKey(const QKeyEvent *event) const;
    bool moveByKey(const QKeyEvent *event);
    void typeText(const QString &text);
    // Moves the caret to pos; with extend the anchor stays, otherwise it follows.
    void moveCaret(int pos, bool extend);
    void select(int anchor, int caret);
    // The caret moved: keep it in sight, lit, and known to input methods and screen readers.
    void afterCaretMoved();
    void deleteRange(int from, int to);
    void openContextMenuAtCaret();

    // Where Up, Down, PageUp and PageDown take the caret, lines away.
    int verticalMove(int lines);

    // Where things are on the screen.
    int lineHeight() const { return lineHeight_; }
    int lineTop(int line) const;
    int lineAtY(int y) const;
    qreal textLeft() const;
    void updateMetrics();
    void showOffset(int offset, int preeditCursor);
    void syncScrollBars();
    // Marks lines (or all of the view) to be drawn again, and asks for a repaint.
    void repaintLines(int first, int last);
    void repaintFromLine(int first);
    void repaintCaret();
    // Draws one row of the view (a line, or the empty space after the text) into buffer_,
    // between x from and to.
    void drawRow(QPainter &p, int row, int from, int to);
    void drawRowText(QPainter &p, int row, int rowTop, int from, int to);
    // Draws the part of a piece that falls between x from and to, its origin at origin.
    void drawPiece(QPainter &p, const LineLayouts::Piece &piece, QPointF origin, int top, int from,
                   int to);
    // The rows the buffer keeps: those in sight and the one partly below them.
    int bufferRows() const { return viewport()->height() / lineHeight_ + 2; }
    // Whether buffer_ holds the view at the viewport's present size and pixel density, scrolled
    // to line top and x left.
    bool bufferShows(int top, int left) const;
    void flushColourRepaint();
    void restartBlink();
    void dragTo(QPoint point);
    void notifyAccessibility(AccessibleChange kind, int start = 0, int removed = 0,
                             int inserted = 0);
    // The gutter's width and place; after a change of the line count, the font or the size.
    void placeGutter();
    void drawHighlights(QPainter &p, const QTextLine &line, qreal originX, int top,
                        const std::function<int(int)> &position, int from, int to);

    // The space around the text, as a text document leaves it.
    static constexpr int kMargin = 4;
    // Tab stops every 80 pixels, as Qt's text views have them.
    static constexpr qreal kTabStop = 80;

    EditorCore &model_;
    EditorInput &input_;
    LineLayouts layouts_;
    QList<QKeySequence> reserved_;
    int anchor_ = 0;
    int caret_ = 0;
    // The x that Up, Down, PageUp and PageDown aim for (negative: the caret's own).
    qreal desiredX_ = -1;
    bool selectionHidden_ = false;
    bool ownSelection_ = false;
    int lineHeight_ = 14;
    qreal ascent_ = 11;
    // Colour changes not yet repainted, as one range of offsets.
    int colourDirtStart_ = -1;
    int colourDirtEnd_ = -1;
    bool colourRepaintQueued_ = false;
    bool scrollBarsQueued_ = false;
    bool caretShown_ = true;
    QBasicTimer blinkTimer_;
    // Mouse selection: by characters, words or lines, from the unit first pressed.
    enum class Unit { Character, Word, Line } unit_ = Unit::Character;
    TextRange pressedUnit_;
    bool dragging_ = false;
    QPoint dragPoint_;
    QBasicTimer autoScrollTimer_;
    QElapsedTimer lastDoubleClick_;
    QPoint doubleClickPoint_;
    // What the view shows, caret aside, a row of lines at a time: a key repaints the one row
    // it changed and copies the rest.
    QImage buffer_;
    std::vector<char> rowDrawn_;
    int bufferTop_ = -1;
    int bufferLeft_ = -1;
    QRect exposedStrip_;
    // Input method composition at the caret, and the caret's place in it.
    QString preedit_;
    int preeditCursor_ = 0;
    LineNumberGutter *gutter_ = nullptr;
    Highlighter highlighter_;
    std::vector<TextRange> highlights_;
};

} // namespace quenbry
