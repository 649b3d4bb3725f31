#pragma once
// The main window `main`: it builds the menus, toolbar and editor from the command tables,
// routes every command to its procedure, keeps the layout and the clipboard commands'
// availability, and composes the rooms that do the work.

#include "appearance/mainskin.h"
#include "colouring/colorcodes.h"
#include "document/document.h"
#include "history/history.h"
#include "platform/editorwidget.h"
#include "platform/imagebutton.h"
#include "platform/services.h"
#include "template/pagetemplate.h"

#include <QHash>
#include <QMainWindow>
#include <functional>
#include <memory>

class QAbstractButton;
class QAction;
class QMenu;

namespace quenbry {

class MainWindow : public QMainWindow, private HistoryHost, private DocumentHost {
    Q_OBJECT
public:
    explicit MainWindow(const Services &services, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The load sequence; runs once, when the window is first shown.
    void Form_Load();

    // What the process does when a command ends it (Exit, or the close of the window).
    std::function<void()> onEndProcess;
    bool ended() const { return ended_; }

    EditorWidget *editor() const { return RichTextBox1; }
    QAction *menuItem(const QString &name) const { return items_.value(name); }
    QMenu *menu(const QString &name) const { return menus_.value(name); }
    ImageButton *toolButton(const QString &name) const { return toolButtons_.value(name); }
    QAbstractButton *hiddenButton(const QString &name) const { return hiddenButtons_.value(name); }

    bool trapUndo() const { return history_->trapUndo; }
    bool modified() const { return document_->modified(); }
    const History &history() const { return *history_; }
    const ColorCodes &colorcodes() const { return colorcodes_; }
    const Document &document() const { return *document_; }
    // The current skin configuration, for the dialogs that take over the window's skin.
    const quenbry::SkinConfiguration *SkinConfiguration() const;

    // The outer size (frame, title bar and menu bar included) and the editor's place, in twips.
    QSize outerSizeTwips() const;
    void resizeTwips(int width, int height);
    QRect editorTwips() const { return editorTwips_; }

    // The availability update of the clipboard commands.
    void RichTextBox1_SelChange();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // HistoryHost
    void setCommandEnabled(HistoryCommand which, bool enabled) override;
    void selChange() override { RichTextBox1_SelChange(); }
    void hideSelection(bool hide) override;
    void focusEditor() override;
    // DocumentHost
    QWidget *dialogOwner() override { return this; }
    QString applicationTitle() const override;
    void setCaption(const QString &caption) override { setWindowTitle(caption); }
    void runNewPageDialog() override;
    void disableCmdUndo() override;
    void disableXPButton7() override;
    void endProcess() override;

    void buildMenus();
    void buildToolbar();
    void buildHiddenButtons();
    void route();
    void onItem(const char *name, void (MainWindow::*handler)());
    void Form_Resize();
    bool Form_Unload();

    // Editor notifications.
    void RichTextBox1_Change();
    void RichTextBox1_KeyPress(int &keyAscii);
    void RichTextBox1_MouseUp(int button, int shift, int x, int y);

    // Commands.
    void mnuname_Click();
    void mnuopen_Click();
    void mnusave_Click();
    void mnusaveas_Click();
    void mnupre_Click();
    void mnuprint_Click();
    void mnuexit_Click();
    void cmdUndo_Click();
    void cmdRedo_Click();
    void Undo();
    void Redo();
    void mnucut_Click();
    void mnucopy_Click();
    void mnupaste_Click();
    void mnuselectall_Click();
    void mnuview_Click(int index);
    void mnuipreview_Click();
    void mnuhelp_Click();
    void mnuabout_Click();
    void toggleToolButton(const char *viewItem, const char *button);

    Services services_;
    EditorWidget *RichTextBox1 = nullptr;
    QWidget *toolbar_ = nullptr;
    QHash<QString, QAction *> items_;
    QHash<QString, QMenu *> menus_;
    QHash<QString, ImageButton *> toolButtons_;
    QHash<QString, QAbstractButton *> hiddenButtons_;

    std::unique_ptr<MainSkin> skin_;
    ColorCodes colorcodes_;
    std::unique_ptr<History> history_;
    std::unique_ptr<Document> document_;
    TemplateSettings templateSettings_;
    bool ended_ = false;
    bool loaded_ = false;
    QSize requestedTwips_;
    QRect editorTwips_{0, 480, 10935, 6735};
};

} // namespace quenbry
