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
    QPalette pal = lightPalette(window->palette(), backgroundColour(), darkTextColour());
    pal.setColor(QPalette::Highlight, configuration_.colour(SkinSetting::ActiveCaptionColour));
    pal.setColor(QPalette::HighlightedText,
                 configuration_.colour(SkinSetting::ActiveCaptionTextColour));
    window->setPalette(pal);
}

QPalette lightPalette(QPalette from, const QColor &background, const QColor &text) {
    // Buttons stand a little darker than the surface; disabled text is a mid grey, which
    // needs no particular contrast.
    const QColor button = background.darker(106);
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool disabled = group == QPalette::Disabled;
        for (const auto role : {QPalette::Window, QPalette::Base})
            from.setColor(group, role, background);
        from.setColor(group, QPalette::AlternateBase, button);
        from.setColor(group, QPalette::Button, button);
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            from.setColor(group, role, disabled ? QColor(128, 128, 128) : text);
        from.setColor(group, QPalette::PlaceholderText, QColor(110, 110, 110));
        from.setColor(group, QPalette::Light, Qt::white);
        from.setColor(group, QPalette::Midlight, button.lighter(110));
        from.setColor(group, QPalette::Mid, button.darker(130));
        from.setColor(group, QPalette::Dark, button.darker(160));
        from.setColor(group, QPalette::Shadow, button.darker(300));
        from.setColor(group, QPalette::Link, QColor(0, 0, 238));
        from.setColor(group, QPalette::LinkVisited, QColor(85, 26, 139));
    }
    return from;
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
