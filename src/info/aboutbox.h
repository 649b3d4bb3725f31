#pragma once
// The About box `frmAbout`: the program's title, version and description on the product
// picture, with OK and System Info. A fresh one for every use, modal over the main window.

#include "appearance/mainskin.h"
#include "platform/services.h"

#include <QDialog>
#include <QImage>

class QLabel;

namespace quenbry {

class ImageButton;

class AboutBox : public QDialog {
    Q_OBJECT
public:
    // Shows a fresh About box modally over the owner window and waits until it closes.
    static void run(QWidget *ownerWindow, const SkinConfiguration *ownerSkin,
                    const Services &services);

    // ownerSkin is the opening window's skin configuration (null when it has none); it is used
    // while loading and not kept.
    AboutBox(const SkinConfiguration *ownerSkin, const Services &services,
             QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
    // Enter presses the focused button, or OK.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void applyOwnerSkin(const SkinConfiguration *ownerSkin);
    // What the labels are drawn on: the window's colour with the picture over it.
    QImage background() const;

    Services services_;
    DialogSkin skin_;
    QImage picture_;
    // Object names lblTitle, lblVersion, lblDescription, cmdOk and cmdSysInfo.
    QLabel *titleLabel_;
    QLabel *versionLabel_;
    QLabel *descriptionLabel_;
    ImageButton *okButton_;
    ImageButton *systemInfoButton_;
};

} // namespace quenbry
