#include "skinpictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace quenbry {

namespace {
const QColor neoBlue(47, 122, 151);
const QColor neoLightBlue(123, 189, 214);
} // namespace

QImage neoCaptionPicture() {
    QImage image(640, 48, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient body(0, 0, 0, 48);
    body.setColorAt(0.0, neoLightBlue);
    body.setColorAt(0.45, neoBlue.lighter(115));
    body.setColorAt(1.0, neoBlue);
    p.fillRect(image.rect(), body);

    // A soft gloss over the upper half, fading out towards the right-hand end.
    QLinearGradient gloss(0, 0, 640, 0);
    gloss.setColorAt(0.0, QColor(255, 255, 255, 90));
    gloss.setColorAt(1.0, QColor(255, 255, 255, 20));
    p.fillRect(QRect(0, 0, 640, 20), gloss);

    // Slice marks: the left end, the icon well, the title's run and the stretchable middle.
    p.setPen(QColor(255, 255, 255, 60));
    for (int x : {90, 140, 240, 400})
        p.drawLine(x, 2, x, 45);
    p.setPen(neoBlue.darker(130));
    p.drawLine(0, 47, 639, 47);
    return image;
}

QImage neoButtonPicture() {
    QImage image(70, 10, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setPen(QPen(Qt::white, 1.5));
    auto cell = [](int i) {
        return QRectF(i * 10 + 2, 2, 6, 6);
    };

    const QRectF close = cell(0);
    p.drawLine(close.topLeft(), close.bottomRight());
    p.drawLine(close.topRight(), close.bottomLeft());

    p.drawRect(cell(1));

    const QRectF restore = cell(2);
    p.drawRect(restore.adjusted(0, 2, -2, 0));
    p.drawLine(QPointF(restore.left() + 2, restore.top()), restore.topRight());
    p.drawLine(restore.topRight(), QPointF(restore.right(), restore.bottom() - 2));

    const QRectF minimise = cell(3);
    p.drawLine(minimise.bottomLeft(), minimise.bottomRight());

    const QRectF help = cell(4);
    QPainterPath question;
    question.moveTo(help.left(), help.top() + 1.5);
    question.quadTo(help.center().x(), help.top() - 1.5, help.right(), help.top() + 1.5);
    question.quadTo(help.center().x(), help.center().y(), help.center().x(), help.bottom() - 2);
    p.drawPath(question);
    p.drawPoint(QPointF(help.center().x(), help.bottom()));

    const QRectF menu = cell(5);
    for (int row = 0; row < 3; ++row)
        p.drawLine(QPointF(menu.left(), menu.top() + row * 3),
                   QPointF(menu.right(), menu.top() + row * 3));

    const QRectF pin = cell(6);
    p.drawEllipse(pin.adjusted(1, 0, -1, -2));
    p.drawLine(QPointF(pin.center().x(), pin.bottom() - 2),
               QPointF(pin.center().x(), pin.bottom()));
    return image;
}

} // namespace quenbry
