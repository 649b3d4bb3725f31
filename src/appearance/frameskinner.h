#pragma once
// Draws a window with a skin and reports the skin's colours. The frame itself stays the
// desktop's ordinary frame; the skin reaches the window through its palette.

#include "skinconfiguration.h"

#include <QColor>
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

private:
    QPointer<QWidget> window_;
    SkinConfiguration configuration_;
};

} // namespace quenbry
