#include "linenumbers.h"
#include "editorview.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace quenbry {

namespace {

constexpr int kPadding = 6;

int digits(int n) {
    int d = 1;
    for (; n >= 10; n /= 10)
        ++d;
    return d;
}

QColor mix(const QColor &a, const QColor &b, qreal t) {
    return QColor::fromRgbF(float(a.redF() * (1 - t) + b.redF() * t),
                            float(a.greenF() * (1 - t) + b.greenF() * t),
                            float(a.blueF() * (1 - t) + b.blueF() * t));
}

} // namespace

LineNumberGutter::LineNumberGutter(EditorView &view)
    : QWidget(&view)
    , view_(view) {
    setObjectName(QStringLiteral("lineNumbers"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Clicks go to the text's first column, as in the text's own margin.
    setCursor(Qt::ArrowCursor);
}

int LineNumberGutter::widthFor(int lineCount) const {
    const qreal digit = QFontMetricsF(view_.font()).horizontalAdvance(u'9');
    return int(std::ceil(digit * std::max(2, digits(lineCount)))) + 2 * kPadding;
}

void LineNumberGutter::setCaretLine(int line) {
    if (line == caretLine_)
        return;
    const int rowOld = caretLine_ - view_.firstVisibleLine();
    const int rowNew = line - view_.firstVisibleLine();
    caretLine_ = line;
    for (int row : {rowOld, rowNew})
        update(0, EditorView::kMargin + row * view_.lineHeight(), width(), view_.lineHeight());
}

void LineNumberGutter::paintEvent(QPaintEvent *event) {
    QPainter p(this);
    const QPalette &pal = view_.palette();
    const QColor background = pal.color(QPalette::Window).darker(104);
    const QColor text = pal.color(QPalette::Text);
    p.fillRect(event->rect(), background);
    p.setPen(mix(background, text, 0.25));
    p.drawLine(width() - 1, event->rect().top(), width() - 1, event->rect().bottom());
    p.setFont(view_.font());
    const int height = view_.lineHeight();
    const int first = view_.firstVisibleLine();
    const int lines = view_.model().lineCount();
    const QColor number = mix(background, text, 0.55);
    for (int row = std::max(0, (event->rect().top() - EditorView::kMargin) / height);; ++row) {
        const int y = EditorView::kMargin + row * height;
        if (y > event->rect().bottom() || first + row >= lines)
            break;
        p.setPen(first + row == caretLine_ ? text : number);
        p.drawText(QRect(0, y, width() - kPadding, height), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(first + row + 1));
    }
}

} // namespace quenbry
