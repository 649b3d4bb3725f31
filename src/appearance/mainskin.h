#pragma once
// The main window's skin: its frame skinner, its current skin configuration and the skin
// command; and the small helper with which a dialog takes over its owner's skin.

#include "frameskinner.h"
#include "skinconfiguration.h"

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>

namespace quenbry {

class MainSkin {
public:
    // The skin number whose settings are defined; the hidden "Skin" menu item passes 3.
    static constexpr int NeoSkin = 2;

    // Creates the window's frame skinner. The window's start-up then runs skinCommand(2).
    // The editor (may be null) shares the window's background.
    MainSkin(QWidget *window, QWidget *editor);

    // Replaces the current configuration by a new one; only number 2 gets settings, any other
    // keeps the defaults of a fresh configuration.
    void selectNewSkin(int index);
    // The current configuration, or null before the first selectNewSkin.
    const SkinConfiguration *skinConfiguration() const { return configuration_.get(); }

    // Does nothing unless index is 2: then selects that skin, attaches the window's frame
    // skinner to the window with it and applies the skin's colours.
    void skinCommand(int index);
    // The window's background (QPalette::Window) and the editor's (QPalette::Base) take the
    // frame skinner's background colour.
    void applySkinColours(QWidget *window, QWidget *editor);

    const FrameSkinner &frameSkinner() const { return skinner_; }
    // The two hidden pictures the skin is given: 0 is the caption strip, 1 the glyphs.
    QImage skinPicture(int index) const;

private:
    QPointer<QWidget> window_;
    QPointer<QWidget> editor_;
    FrameSkinner skinner_;
    std::unique_ptr<SkinConfiguration> configuration_;
    std::array<QImage, 2> skinPictures_;
};

// A dialog's own frame skinner, created on first use and kept for the dialog's lifetime.
class DialogSkin {
public:
    // When the owner has a skin configuration: attaches the dialog's frame skinner to the
    // dialog with it and gives the dialog the skinner's background colour. Returns whether it
    // did; without a configuration the dialog keeps its own colours.
    bool takeOver(QWidget *dialog, const SkinConfiguration *ownerSkin);
    // Null until the first successful takeOver.
    const FrameSkinner *frameSkinner() const { return skinner_.get(); }

private:
    std::unique_ptr<FrameSkinner> skinner_;
};

// Gives the widget's background role the colour; non-window widgets then fill it themselves.
void setBackgroundColour(QWidget *widget, QPalette::ColorRole role, const QColor &colour);
// Every label on the form, except one named "lblInfo", shows its text in the colour.
void colourLabels(QWidget *form, const QColor &colour);

} // namespace quenbry
