#pragma once
// The on-screen editor: QPlainTextEdit as the view of an EditorCore. The core keeps the exact
// text (every line end as it is) and the colours; the view shows one block per line and
// renders colours lazily, block by block, when a block becomes visible.

#include "text/editorcore.h"

#include <QKeySequence>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <vector>

namespace quenbry {

class EditorWidget : public QPlainTextEdit, public EditorCore, private EditorObserver {
    Q_OBJECT
public:
    explicit EditorWidget(QWidget *parent = nullptr);
    ~EditorWidget() override;

    // Key sequences that belong to the window's commands: the editor never acts on them
    // itself, so they reach the menu (or nothing, when the command is disabled).
    void setReservedShortcuts(const QList<QKeySequence> &keys) { reserved_ = keys; }

    // Hides or shows the selection highlight while the program rewrites the text.
    void setSelectionHidden(bool hidden);

    void setBackgroundColour(QColor colour);
    QColor backgroundColour() const;

    // The offset in the view's document of an offset in the exact text, and back.
    int toViewOffset(int offset) const;
    int fromViewOffset(int viewOffset) const;

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // EditorObserver
    void textReplaced(const TextReplaced &change) override;
    void coloursChanged(const ColoursChanged &change) override {
        viewColoured(change.start, change.length);
    }
    void selectionChanged(const SelectionChanged &) override { viewSelectionChanged(); }
    void viewReplaced(int start, int removed, int inserted);
    void viewReset();
    void viewColoured(int start, int length);
    void viewSelectionChanged();

    bool isReserved(const QKeyEvent *event) const;
    void syncSelectionFromView();
    void jumpScrollTo(const QTextCursor &cursor);
    void deleteToView(QTextCursor::MoveOperation op);
    void flushColourDirt();
    // Lays the block out with its current colours; quietly when it is being painted now.
    void applyColours(QTextBlock block, bool quiet);
    void renderVisibleColours(const QRegion *painting);
    QRect visibleRect(const QTextBlock &block) const;
    void evictLayoutCaches(int firstVisible, int lastVisible);
    static QString toViewText(QStringView exact);

    // Exact offsets of the CR of every CR LF pair, ascending: the only place where the view
    // (one separator per line end) and the exact text differ in length.
    std::vector<int> crlf_;
    std::vector<std::pair<int, int>> colourDirt_;
    std::vector<QTextBlock> cachedBlocks_;
    QList<QKeySequence> reserved_;
    bool syncing_ = false;
    bool selectionHidden_ = false;
    bool renderQueued_ = false;
    // A block whose user state equals this carries the current colours in its layout; stale
    // blocks are marked -1, or all at once by moving the generation on.
    int coloursGeneration_ = 0;
};

} // namespace quenbry
