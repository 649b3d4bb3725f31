#include "imagebutton.h"
#include "twips.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionButton>

namespace quenbry {

ImageButton::ImageButton(QWidget *parent)
    : QAbstractButton(parent) {
    setIconSize(QSize(16, 16));
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
}

void ImageButton::setGeometryTwips(int left, int top, int width, int height) {
    twips_ = QRect(left, top, width, height);
    setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                twipsToPixels(height));
}

QSize ImageButton::sizeHint() const {
    if (!text().isEmpty()) {
        const QSize t = fontMetrics().size(Qt::TextShowMnemonic, text());
        return QSize(t.width() + 24, std::max(t.height() + 10, 25));
    }
    return QSize(25, 25);
}

bool ImageButton::event(QEvent *event) {
    // Ctrl+Tab and Ctrl+Shift+Tab move the focus on and back here as they do out of the
    // editor, where Tab alone types: the same keys go round the whole window.
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers mods = key->modifiers();
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            (mods & Qt::ControlModifier) && !(mods & Qt::AltModifier)) {
            focusNextPrevChild(key->key() == Qt::Key_Tab && !(mods & Qt::ShiftModifier));
            return true;
        }
    }
    return QAbstractButton::event(event);
}

void ImageButton::enterEvent(QEnterEvent *event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void ImageButton::leaveEvent(QEvent *event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void ImageButton::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const QPalette &pal = palette();
    const bool enabled = isEnabled();
    const bool captioned = !text().isEmpty();

    // Toolbar buttons stay flat until the pointer is over them; captioned buttons always
    // show their frame so that they read as buttons in a dialog.
    if (enabled && (hovered_ || isDown() || captioned || hasFocus())) {
        QColor fill = pal.color(QPalette::Button);
        if (isDown())
            fill = fill.darker(115);
        else if (hovered_)
            fill = fill.lighter(105);
        p.setBrush(fill);
        p.setPen(hasFocus() ? pal.color(QPalette::Highlight) : pal.color(QPalette::Mid));
        p.drawRoundedRect(r, 3, 3);
    } else if (captioned) {
        p.setBrush(pal.color(QPalette::Disabled, QPalette::Button));
        p.setPen(pal.color(QPalette::Mid));
        p.drawRoundedRect(r, 3, 3);
    }

    if (captioned) {
        p.setPen(pal.color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        p.drawText(rect(), Qt::AlignCenter | Qt::TextShowMnemonic, text());
        return;
    }
    const QSize is = iconSize();
    const QPoint topLeft((width() - is.width()) / 2 + (isDown() ? 1 : 0),
                         (height() - is.height()) / 2 + (isDown() ? 1 : 0));
    icon().paint(&p, QRect(topLeft, is), Qt::AlignCenter,
                 enabled ? QIcon::Normal : QIcon::Disabled);
}

} // namespace quenbry
