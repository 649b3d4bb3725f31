#include "toolicons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace quenbry {

namespace {

const QColor ink(40, 52, 64);
const QColor paper(255, 255, 255);
const QColor blue(47, 122, 151);
const QColor lightBlue(123, 189, 214);
const QColor amber(226, 170, 60);
const QColor green(70, 150, 80);

void page(QPainter &p, QRectF r) {
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 4, r.top());
    path.lineTo(r.right(), r.top() + 4);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setBrush(paper);
    p.setPen(QPen(ink, 1));
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - 4, r.top()), QPointF(r.right() - 4, r.top() + 4));
    p.drawLine(QPointF(r.right() - 4, r.top() + 4), QPointF(r.right(), r.top() + 4));
}

void arrow(QPainter &p, bool left) {
    QPainterPath path;
    // A curved arrow turning back (undo) or forward (redo).
    if (left) {
        path.moveTo(13, 12);
        path.cubicTo(13, 6, 8, 5, 5, 6.5);
    } else {
        path.moveTo(3, 12);
        path.cubicTo(3, 6, 8, 5, 11, 6.5);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(blue, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(path);
    QPolygonF head;
    if (left)
        head << QPointF(2, 7) << QPointF(7, 3) << QPointF(7.5, 10);
    else
        head << QPointF(14, 7) << QPointF(9, 3) << QPointF(8.5, 10);
    p.setPen(Qt::NoPen);
    p.setBrush(blue);
    p.drawPolygon(head);
}

void draw(QPainter &p, ToolIcon which) {
    switch (which) {
    case ToolIcon::None:
        break;
    case ToolIcon::New:
        page(p, QRectF(3.5, 1.5, 9, 13));
        p.setPen(QPen(amber, 1.5));
        p.drawLine(QPointF(11, 9), QPointF(11, 15));
        p.drawLine(QPointF(8, 12), QPointF(14, 12));
        break;
    case ToolIcon::Save:
        p.setPen(QPen(ink, 1));
        p.setBrush(blue);
        p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
        p.setBrush(paper);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(lightBlue);
        p.drawRect(QRectF(4.5, 9.5, 7, 5));
        break;
    case ToolIcon::Open: {
        p.setPen(QPen(ink, 1));
        p.setBrush(amber.darker(110));
        p.drawRect(QRectF(1.5, 3.5, 12, 10));
        QPolygonF flap;
        flap << QPointF(3.5, 6.5) << QPointF(15.5, 6.5) << QPointF(13.5, 13.5)
             << QPointF(1.5, 13.5);
        p.setBrush(amber);
        p.drawPolygon(flap);
        break;
    }
    case ToolIcon::Print:
        p.setPen(QPen(ink, 1));
        page(p, QRectF(4.5, 1.5, 7, 6));
        p.setBrush(QColor(150, 160, 170));
        p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1, 1);
        p.setBrush(paper);
        p.drawRect(QRectF(4.5, 10.5, 7, 4));
        p.setPen(QPen(green, 1));
        p.drawPoint(QPointF(12.5, 8.5));
        break;
    case ToolIcon::Browser:
        p.setPen(QPen(ink, 1));
        p.setBrush(lightBlue);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(blue, 1));
        p.drawEllipse(QRectF(5, 1.5, 6, 13));
        p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
        p.drawLine(QPointF(8, 1.5), QPointF(8, 14.5));
        break;
    case ToolIcon::Cut:
        p.setPen(QPen(ink, 1.2));
        p.drawLine(QPointF(5, 1.5), QPointF(10.5, 10));
        p.drawLine(QPointF(11, 1.5), QPointF(5.5, 10));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(190, 60, 60), 1.5));
        p.drawEllipse(QRectF(2, 10, 4.5, 4.5));
        p.drawEllipse(QRectF(9.5, 10, 4.5, 4.5));
        break;
    case ToolIcon::Copy:
        page(p, QRectF(1.5, 1.5, 8, 10));
        page(p, QRectF(6.5, 4.5, 8, 10));
        break;
    case ToolIcon::Paste:
        p.setPen(QPen(ink, 1));
        p.setBrush(amber);
        p.drawRoundedRect(QRectF(1.5, 2.5, 10, 12), 1, 1);
        p.setBrush(QColor(150, 160, 170));
        p.drawRect(QRectF(4.5, 1.5, 4, 2.5));
        page(p, QRectF(6.5, 6.5, 8, 8));
        break;
    case ToolIcon::Undo:
        arrow(p, true);
        break;
    case ToolIcon::Redo:
        arrow(p, false);
        break;
    }
}

QPixmap render(int size, const std::function<void(QPainter &)> &paint, qreal scale) {
    QPixmap pm(int(size * scale), int(size * scale));
    pm.fill(Qt::transparent);
    pm.setDevicePixelRatio(scale);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p);
    return pm;
}

} // namespace

QIcon toolIcon(ToolIcon which) {
    QIcon icon;
    for (qreal scale : {1.0, 2.0})
        icon.addPixmap(render(
            16, [which](QPainter &p) { draw(p, which); }, scale));
    return icon;
}

} // namespace quenbry
