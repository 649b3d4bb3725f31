#pragma once
// A flat push button showing a 16x16 icon or a caption, with a tooltip, enabled and visible
// flags and a click; placed in twips. Used for the toolbar and the dialogs' buttons.

#include <QAbstractButton>
#include <QRect>

namespace quenbry {

class ImageButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit ImageButton(QWidget *parent = nullptr);

    void setGeometryTwips(int left, int top, int width, int height);
    // The position and size as last set, in twips.
    QRect geometryTwips() const { return twips_; }

    QSize sizeHint() const override;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QRect twips_;
    bool hovered_ = false;
};

} // namespace quenbry
