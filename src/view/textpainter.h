#pragma once
// The one painter of coloured text: the glyphs of a shaped stretch of the model, run by run in
// each character's colour. The editor view draws its lines with it and printing its pages, so
// paper shows what the screen shows.

#include <QColor>
#include <QPointF>

class QPainter;
class QTextLayout;

namespace quenbry {

class EditorCore;

struct TextColours {
    // For characters that have no colour of their own.
    QColor plain;
    // For the characters of [selectionStart, selectionEnd) (offsets in the model).
    QColor highlighted;
    int selectionStart = 0;
    int selectionEnd = 0;
};

class TextPainter {
public:
    TextPainter(const EditorCore &model, const TextColours &colours)
        : model_(model)
        , colours_(colours) {}

    // Draws the characters [from, to) of the model that layout shows, with the layout's origin
    // at origin. The layout holds the model's characters from offset layoutStart on, in one
    // line or several; text an input method is composing in it is not the model's and is
    // left to the caller.
    void draw(QPainter &p, QPointF origin, const QTextLayout &layout, int layoutStart, int from,
              int to) const;

private:
    const EditorCore &model_;
    TextColours colours_;
};

} // namespace quenbry
