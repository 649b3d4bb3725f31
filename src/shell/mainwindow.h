#pragma once
// The main window `main`: it builds the menus, toolbar and editor from the command tables,
// routes every command to the room that does it, keeps the layout and the clipboard commands'
// availability, and composes the rooms that do the work.

#include "appearance/mainskin.h"
#include "colouring/syntaxcolouring.h"
#include "document/document.h"
#include "history/history.h"
#include "platform/editorview.h"
#include "platform/imagebutton.h"
#include "platform/services.h"
#include "preview/browserpreview.h"
#include "preview/instantpreview.h"

#include <QHash>
#include <QMainWindow>
#include <functional>
#include <memory>

class QAbstractButton;
class QAction;
class QMenu;

namespace quenbry {

class MainWindow : public QMainWindow,
                   private HistoryHost,
                   private DocumentHost,
                   private EditorObserver {
    Q_OBJECT
public:
    explicit MainWindow(const Services &services, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence; runs once, when the window is first shown. A file named on the
    // command line is opened near its end, as File > Open opens the file chosen in its dialog;
    // then the backups of saves that were cut short are offered back.
    void startUp(const QString &fileToOpen = {});

    // What the process does when a command ends it (Exit, or the close of the window).
    std::function<void()> onEndProcess;
    bool ended() const { return ended_; }

    // The editor's model, and the view that shows it (object name RichTextBox1).
    EditorCore *editor() { return &editor_; }
    const EditorCore *editor() const { return &editor_; }
    EditorView *editorView() const { return editorView_; }
    // The widgets by the names of the command tables, for scripts and tests; null for a name
    // the window does not have.
    QAction *menuItem(const QString &name) const { return items_.value(name); }
    QMenu *menu(const QString &name) const { return menus_.value(name); }
    ImageButton *toolButton(const QString &name) const { return toolButtons_.value(name); }
    QAbstractButton *hiddenButton(const QString &name) const { return hiddenButtons_.value(name); }

    bool modified() const { return document_->modified(); }
    const History &history() const { return *history_; }
    const SyntaxColouring &colouring() const { return colouring_; }
    const Document &document() const { return *document_; }
    const InstantPreview &preview() const { return *preview_; }
    // The current skin configuration, for the dialogs that take over the window's skin.
    const SkinConfiguration *skinConfiguration() const;

    // The outer size (frame, title bar and menu bar included) and the editor's place, in twips.
    QSize outerSizeTwips() const;
    void resizeTwips(int width, int height);
    QRect editorTwips() const { return editorTwips_; }

    // Deletes the temporary preview file, for the window's close.
    void deletePreviewFile() { preview_->deleteFile(); }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // HistoryHost
    void availabilityChanged(bool canUndo, bool canRedo) override;
    void undoRejected() override;
    void hideSelection(bool hide) override;
    void focusEditor() override;
    // DocumentHost
    QWidget *dialogOwner() override { return this; }
    void setCaption(const QString &caption) override;
    std::optional<TemplateSettings> runNewPageDialog() override;
    void disableHiddenUndoButton() override;
    void disableToolbarUndoButton() override;
    void resetHistory() override { history_->reset(); }
    void endProcess() override;
    // EditorObserver
    void editRefused(const EditRefused &refused) override;

    void buildMenus();
    void buildToolbar();
    void buildHiddenButtons();
    void route();
    // The widgets the window itself needs; a name missing from the tables is a fault of the
    // program, reported at once.
    QAction *requiredItem(const char *name) const;
    QMenu *requiredMenu(const char *name) const;
    ImageButton *requiredToolButton(const char *name) const;
    QAbstractButton *requiredHiddenButton(const char *name) const;

    // The end of start-up: each backup that a save cut short left behind, newest first, is
    // offered back (Yes), deleted after a second question (No), or kept for the next start.
    void offerInterruptedSaves();
    // Whether the window may close: the close deletes the preview file and saves without asking.
    bool shutDown();
    void layoutEditor();
    // Puts the editor where editorTwips_ says and the preview pane in the strip at its right.
    void placeEditor();

    // Editor notifications.
    void onTextChanged();
    void updateClipboardCommands();
    void onKeyPress(int &keyAscii);
    void onEditorMouseUp(int button, int shift, int x, int y);

    // Commands.
    void newDocument();
    void openDocument();
    void save();
    void saveAs();
    void previewInBrowser();
    void printSource();
    void exitProgram();
    void undo();
    void redo();
    void cut();
    void copy();
    void paste();
    void selectAll();
    void selectSkin(int index);
    void toggleInstantPreview();
    void toggleRemoteContent();
    void showHelp(int context = 0);
    void showAbout();
    void toggleToolButton(const char *viewItem, const char *button);

    // Keyboard access to the menus: F10, and Alt with each menu's first letter.
    void addMenuKeys();

    Services services_;
    EditorCore editor_;
    EditorView *editorView_ = nullptr;
    QWidget *toolbar_ = nullptr;
    QHash<QString, QAction *> items_;
    QHash<QString, QMenu *> menus_;
    QHash<QString, ImageButton *> toolButtons_;
    QHash<QString, QAbstractButton *> hiddenButtons_;

    std::unique_ptr<MainSkin> skin_;
    SyntaxColouring colouring_;
    std::unique_ptr<History> history_;
    std::unique_ptr<Document> document_;
    std::unique_ptr<InstantPreview> preview_;
    std::unique_ptr<BrowserPreview> browserPreview_;
    bool ended_ = false;
    bool loaded_ = false;
    QSize requestedTwips_;
    QRect editorTwips_{0, 480, 10935, 6735};
};

} // namespace quenbry
