#include "frameskinner.h"

#include <QPalette>

namespace quenbry {

void FrameSkinner::attach(QWidget *window, const SkinConfiguration &configuration) {
    configuration_ = configuration;
    window_ = window;
    if (!window)
        return;
    // Selections and focus marks take the caption's colours, so the skin shows inside the
    // ordinary frame too. White on the Neo blue reads at 4.8:1.
    QPalette pal = window->palette();
    pal.setColor(QPalette::Highlight, configuration_.colour(SkinSetting::ActiveCaptionColour));
    pal.setColor(QPalette::HighlightedText,
                 configuration_.colour(SkinSetting::ActiveCaptionTextColour));
    window->setPalette(pal);
}

QColor FrameSkinner::backgroundColour() const {
    // The editor shows its syntax colours on this background, and its comment colour,
    // RGB(64, 128, 128), only just reaches 4.5:1 even on pure white. So the client area gets
    // the faintest blue-green tint that keeps every one of them legible, rather than a
    // visibly blue one that would push comments below that line.
    return QColor(252, 255, 255);
}

QColor FrameSkinner::textColour() const {
    // The caption's own colour at half brightness: of the skin's family, and about 11:1 on
    // the background for the Neo blue.
    return configuration_.colour(SkinSetting::ActiveCaptionColour).darker(200);
}

} // namespace quenbry
