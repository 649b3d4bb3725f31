#include "mainskin.h"
#include "skinpictures.h"

#include <QApplication>
#include <QLabel>

namespace quenbry {

MainSkin::MainSkin(QWidget *window, QWidget *editor)
    : window_(window)
    , editor_(editor)
    , skinPictures_{neoCaptionPicture(), neoButtonPicture()} {}

QImage MainSkin::skinPicture(int index) const {
    return index >= 0 && index < int(skinPictures_.size()) ? skinPictures_[index] : QImage();
}

void MainSkin::selectNewSkin(int index) {
    auto configuration = std::make_unique<SkinConfiguration>();
    if (index == NeoSkin) {
        const QFont windowFont = window_ ? window_->font() : QApplication::font();
        SkinConfiguration &c = *configuration;
        c.setName(QStringLiteral("Neo vbAccelerator"));
        c.setColour(SkinSetting::ActiveCaptionTextColour, QColor(255, 255, 255));
        c.setColour(SkinSetting::ActiveCaptionColour, QColor(47, 122, 151));
        c.setColour(SkinSetting::InactiveCaptionTextColour, QColor(0, 0, 0));
        c.setColour(SkinSetting::MenuHighlightTextColour, QColor(255, 255, 255));
        c.setColour(SkinSetting::MenuHighlightColour, QColor(47, 122, 151));
        c.setColour(SkinSetting::InactiveCaptionColour, QColor(123, 189, 214));
        c.setFont(SkinSetting::CaptionFont, windowFont);
        c.setFont(SkinSetting::MenuFont, windowFont);
        c.setPicture(SkinSetting::CaptionPicture, skinPicture(0));
        c.setPicture(SkinSetting::ButtonPicture, skinPicture(1));
        c.setNumber(SkinSetting::CaptionHeight, 19);
        c.setNumber(SkinSetting::CaptionButtonSize, 20);
        c.setNumber(SkinSetting::CaptionSlice1, 90);
        c.setNumber(SkinSetting::CaptionSlice2, 140);
        c.setNumber(SkinSetting::CaptionSlice3, 240);
        c.setNumber(SkinSetting::CaptionSlice4, 400);
    }
    configuration_ = std::move(configuration);
}

void MainSkin::skinCommand(int index) {
    if (index != NeoSkin)
        return;
    selectNewSkin(NeoSkin);
    skinner_.attach(window_, *configuration_);
    applySkinColours(window_, editor_);
}

void MainSkin::applySkinColours(QWidget *window, QWidget *editor) {
    if (window)
        setBackgroundColour(window, QPalette::Window, skinner_.backgroundColour());
    if (editor)
        setBackgroundColour(editor, QPalette::Base, skinner_.backgroundColour());
}

bool DialogSkin::takeOver(QWidget *dialog, const SkinConfiguration *ownerSkin) {
    if (!dialog || !ownerSkin)
        return false;
    if (!skinner_)
        skinner_ = std::make_unique<FrameSkinner>();
    skinner_->attach(dialog, *ownerSkin);
    setBackgroundColour(dialog, QPalette::Window, skinner_->backgroundColour());
    return true;
}

void setBackgroundColour(QWidget *widget, QPalette::ColorRole role, const QColor &colour) {
    QPalette pal = widget->palette();
    pal.setColor(role, colour);
    widget->setPalette(pal);
    if (!widget->isWindow() && role == widget->backgroundRole())
        widget->setAutoFillBackground(true);
}

void colourLabels(QWidget *form, const QColor &colour) {
    for (QLabel *label : form->findChildren<QLabel *>()) {
        if (label->objectName() == QLatin1String("lblInfo"))
            continue;
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, colour);
        label->setPalette(pal);
    }
}

} // namespace quenbry
