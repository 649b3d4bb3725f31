#pragma once
// The New Page dialog: asks for a title, a font size and a font family for the page skeleton.
// The caller builds the page from the choices and puts it into the editor.

#include "appearance/mainskin.h"
#include "pagetemplate.h"
#include "platform/services.h"

#include <QDialog>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;

namespace quenbry {

class ImageButton;

class NewPageDialog : public QDialog {
    Q_OBJECT
public:
    // Shows a fresh dialog modally over the owner window and waits for it to close. The
    // choices when "Create Page" closed it, nothing when it was cancelled or closed.
    static std::optional<TemplateSettings>
    ask(QWidget *ownerWindow, const SkinConfiguration *ownerSkin, Dialogs &dialogs);

    // Loads the dialog with its defaults. ownerSkin is the opening window's skin
    // configuration (null when it has none); it is used while loading and not kept.
    NewPageDialog(const SkinConfiguration *ownerSkin, Dialogs &dialogs, QWidget *parent = nullptr);

    // What "Create Page" took from the fields; meaningful once the dialog is accepted.
    const TemplateSettings &choices() const { return choices_; }
    // The skin this dialog took over, null when it kept its own colours.
    const FrameSkinner *frameSkinner() const { return skin_.frameSkinner(); }

protected:
    // Enter presses the focused button, or "Create Page" from the fields, as in any dialog.
    void keyPressEvent(QKeyEvent *event) override;

private:
    // "Create Page": takes the choices and accepts, unless a blank title is not wanted.
    void create();
    void applyOwnerSkin(const SkinConfiguration *ownerSkin);
    void fillLists();

    Dialogs &dialogs_;
    DialogSkin skin_;
    TemplateSettings choices_;

    // The widgets keep the names a script or a test finds them by: Label1..Label3, Text1,
    // Combo1 (sizes), Combo2 (families), XPButton1 (Create Page) and XPButton2 (Cancel).
    QLabel *titleLabel_;
    QLabel *sizeLabel_;
    QLabel *fontLabel_;
    QLineEdit *titleEdit_;
    QComboBox *sizeList_;
    QComboBox *fontList_;
    ImageButton *createButton_;
    ImageButton *cancelButton_;
};

} // namespace quenbry
