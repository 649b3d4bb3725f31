#pragma once
// The line-number gutter at the left of the editor view: inside the view, so the editor keeps
// its place and size and only the text area narrows. It draws the numbers of the lines in
// sight, in the view's colours, as wide as the largest line number needs.

#include <QWidget>

namespace quenbry {

class EditorView;

class LineNumberGutter : public QWidget {
public:
    explicit LineNumberGutter(EditorView &view);

    // The width the numbers of lineCount lines need.
    int widthFor(int lineCount) const;
    // The line whose number shows as the caret's.
    void setCaretLine(int line);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    EditorView &view_;
    int caretLine_ = 0;
};

} // namespace quenbry
