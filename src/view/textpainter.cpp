#include "textpainter.h"

#include "text/editorcore.h"

#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>

namespace quenbry {

void TextPainter::draw(QPainter &p, QPointF origin, const QTextLayout &layout, int layoutStart,
                       int from, int to) const {
    if (to <= from)
        return;
    const int pre = layout.preeditAreaPosition();
    const int preLength = pre >= 0 ? int(layout.preeditAreaText().size()) : 0;
    // The composed text sits before the model's character at pre: a range that starts there
    // starts after it, one that ends there ends before it, so it is never drawn as the model's.
    const auto position = [&](int offset, bool end) {
        const int pos = offset - layoutStart;
        return pre >= 0 && (end ? pos > pre : pos >= pre) ? pos + preLength : pos;
    };
    const auto offsetOf = [&](int pos) {
        if (pre >= 0 && pos > pre)
            pos = std::max(pre, pos - preLength);
        return layoutStart + pos;
    };
    const auto colourOf = [&](quint8 index) {
        return index == 0 ? colours_.plain : QColor::fromRgb(model_.paletteColour(index));
    };

    // The first line that reaches past from: a wrapped stretch of a long line has many.
    const int first = position(from, false);
    int line = 0;
    for (int hi = layout.lineCount(); line < hi;) {
        const int mid = (line + hi) / 2;
        const QTextLine l = layout.lineAt(mid);
        if (l.textStart() + l.textLength() <= first)
            line = mid + 1;
        else
            hi = mid;
    }
    // Glyph runs are asked of one line at a time: the layout's own glyphRuns() walks every
    // line before the range and merges what it finds, a cost that grows with the layout.
    for (; line < layout.lineCount(); ++line) {
        const QTextLine tl = layout.lineAt(line);
        const int lineFrom = std::max(from, offsetOf(tl.textStart()));
        const int lineTo = std::min(to, offsetOf(tl.textStart() + tl.textLength()));
        if (lineFrom >= to)
            break;
        const auto drawRun = [&](int a, int b, const QColor &colour) {
            const int pa = position(a, false), pb = position(b, true);
            if (pb <= pa)
                return;
            p.setPen(colour);
            for (const QGlyphRun &run : tl.glyphRuns(pa, pb - pa))
                p.drawGlyphRun(origin, run);
        };
        int runStart = lineFrom;
        quint8 runIndex = 0;
        const auto flush = [&](int end) {
            const int s = std::clamp(colours_.selectionStart, runStart, end);
            const int e = std::clamp(colours_.selectionEnd, runStart, end);
            if (s < e) {
                drawRun(runStart, s, colourOf(runIndex));
                drawRun(s, e, colours_.highlighted);
                drawRun(e, end, colourOf(runIndex));
            } else {
                drawRun(runStart, end, colourOf(runIndex));
            }
        };
        if (lineFrom >= lineTo)
            continue;
        runIndex = model_.colourIndexAt(lineFrom);
        model_.forEachColourPiece(lineFrom, lineTo - lineFrom,
                                  [&](const quint8 *c, int count, int offset) {
                                      for (int i = 0; i < count; ++i) {
                                          if (c[i] != runIndex) {
                                              flush(offset + i);
                                              runStart = offset + i;
                                              runIndex = c[i];
                                          }
                                      }
                                  });
        flush(lineTo);
    }
}

} // namespace quenbry
