#pragma once
// Draws a window with a skin and reports the skin's colours. The frame itself stays the
// desktop's ordinary frame; the skin reaches the window through its palette.

#include "skinconfiguration.h"

#include <QColor>
#include <QPalette>
#include <QPointer>
#include <QWidget>

namespace quenbry {

class FrameSkinner {
public:
    FrameSkinner() = default;

    // From now on the window shows the skin of a copy of the configuration. Attaching again
    // (to the same or another window) replaces the previous attachment.
    void attach(QWidget *window, const SkinConfiguration &configuration);

    QWidget *window() const { return window_; }
    const SkinConfiguration &configuration() const { return configuration_; }

    // The colour of the client areas of skinned windows and of the editor.
    QColor backgroundColour() const;
    // The colour of text drawn straight on that background (labels).
    QColor textColour() const;
    // The skin's dark text, black: the default colour of the editor's text and of every
    // caption, field and button on the skin's light surfaces.
    QColor darkTextColour() const { return QColor(0, 0, 0); }

private:
    QPointer<QWidget> window_;
    SkinConfiguration configuration_;
};

// A palette for a window painted light: the background for its surfaces and fields, the text
// colour for everything written on them, whatever the desktop's theme gave (a dark theme gives
// near-white text); the rest of `from`, its selection colours among them, stays.
QPalette lightPalette(QPalette from, const QColor &background, const QColor &text);

} // namespace quenbry
