#pragma once
// The New Page dialog: asks for a title, a font size and a font family, and on "Create Page"
// replaces the editor's text with the page skeleton built from them.

#include "appearance/mainskin.h"
#include "pagetemplate.h"
#include "platform/editorbuffer.h"
#include "platform/services.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;

namespace quenbry {

class ImageButton;

class FrmNewPage : public QDialog {
    Q_OBJECT
public:
    // Loads the dialog with its defaults. Owner is the opening window's skin configuration
    // (null when it has none); it is used while loading and not kept.
    FrmNewPage(const SkinConfiguration *Owner, Dialogs &dialogs, TemplateSettings &settings,
               EditorBuffer &editor, QWidget *parent = nullptr);

    // The skin this dialog took over, null when it kept its own colours.
    const FrameSkinner *frameSkinner() const { return skin_.frameSkinner(); }

protected:
    // Enter presses the focused button, or "Create Page" from the fields, as in any dialog.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void XPButton1_Click();
    void XPButton2_Click();
    void applyOwnerSkin(const SkinConfiguration *Owner);
    void fillLists();

    Dialogs &dialogs_;
    TemplateSettings &settings_;
    EditorBuffer &editor_;
    DialogSkin skin_;

    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLineEdit *Text1;
    QComboBox *Combo1;
    QComboBox *Combo2;
    ImageButton *XPButton1;
    ImageButton *XPButton2;
};

// Shows a fresh New Page dialog modally over the owner window and waits for it to close.
// Returns whether "Create Page" put a new page into the editor.
bool runNewPageDialog(QWidget *ownerWindow, const SkinConfiguration *ownerSkin, Dialogs &dialogs,
                      TemplateSettings &settings, EditorBuffer &editor);

} // namespace quenbry
