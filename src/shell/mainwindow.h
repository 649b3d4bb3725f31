#pragma once
// The main window `main`: it builds the menus, toolbar and hidden command buttons from the one
// command table, runs and enables every command through it, keeps the layout and the clipboard
// commands' availability, and composes the rooms that do the work; it hears of edits from the
// edit session.

#include "appearance/mainskin.h"
#include "commandtable.h"
#include "document/document.h"
#include "document/recentpages.h"
#include "editing/editsession.h"
#include "find/finder.h"
#include "journal/journal.h"
#include "platform/imagebutton.h"
#include "platform/services.h"
#include "preview/browserpreview.h"
#include "preview/instantpreview.h"
#include "view/editorview.h"

#include <QHash>
#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>

class QAbstractButton;
class QAction;
class QLabel;
class QMenu;
class QScreen;

namespace quenbry {

class FindBar;
class StatusLine;

class MainWindow : public QMainWindow, private EditSessionListener, private DocumentHost {
    Q_OBJECT
public:
    explicit MainWindow(const Services &services, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence; runs once, when the window is first shown. A file named on the
    // command line is opened near its end, as File > Open opens the file chosen in its dialog;
    // then the backups of saves that were cut short and the unsaved text of editors that
    // crashed are offered back.
    void startUp(const QString &fileToOpen = {});
    // Where the window opens, before start-up shows it: centred on the screen, its first size
    // cut to the screen's available area where it would not fit (a large scale factor), the
    // frame the window manager adds included.
    void placeOn(const QScreen *screen);

    // What the process does when a command ends it (Exit, or the close of the window).
    std::function<void()> onEndProcess;
    bool ended() const { return ended_; }

    // The edit session, its text, and the view that shows it (object name RichTextBox1).
    const EditSession &session() const { return session_; }
    EditorCore *editor() { return &session_.text(); }
    const EditorCore *editor() const { return &session_.text(); }
    EditorView *editorView() const { return editorView_; }
    // The widgets by the names of the command table, for scripts and tests; null for a name
    // the window does not have.
    QAction *menuItem(const QString &name) const { return items_.value(name); }
    QMenu *menu(const QString &name) const { return menus_.value(name); }
    ImageButton *toolButton(const QString &name) const { return toolButtons_.value(name); }
    QAbstractButton *hiddenButton(const QString &name) const { return hiddenButtons_.value(name); }

    bool modified() const { return session_.modified(); }
    const Document &document() const { return *document_; }
    const InstantPreview &preview() const { return *preview_; }
    const RecentPages &recentPages() const { return *recent_; }
    // The find bar below the editor (fraFind) and its search, and the status bar.
    FindBar *findBar() const { return findBar_; }
    const Finder &finder() const { return *finder_; }
    StatusLine *statusLine() const { return statusLine_; }
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
    // The user came back from another program: the file may have changed meanwhile.
    void changeEvent(QEvent *event) override;

private:
    // The widgets of one command: its menu item, toolbar button and hidden button, each null
    // where the command has none.
    struct Surfaces {
        QAction *item = nullptr;
        ImageButton *toolButton = nullptr;
        QAbstractButton *hiddenButton = nullptr;
    };

    // EditSessionListener
    void textChanged() override;
    void selectionChanged() override;
    void undoAvailabilityChanged(bool canUndo, bool canRedo) override;
    void undoRejected() override;
    void selectionHighlightHidden(bool hidden) override;
    void historyStepped() override;
    // DocumentHost
    QWidget *dialogOwner() override { return this; }
    void setCaption(const QString &caption) override;
    std::optional<TemplateSettings> runNewPageDialog() override;
    void disableCommand(Command command, quenbry::Surfaces on) override;
    void endProcess() override;
    void showEncoding(Encoding encoding) override;
    void fileUsed(const QString &path) override;
    void textStored(const QByteArray &print) override;

    void buildCommands();
    QMenu *addMenu(const CommandRow &row, QMenu *parent);
    void addItem(const CommandRow &row, QMenu *menu);
    void addToolButton(const CommandRow &row);
    void addHiddenButton(const CommandRow &row);
    // Runs the command of a row, whichever surface it came from.
    void execute(const CommandRow &row);
    void setEnabled(Command command, bool enabled, quenbry::Surfaces on = AllSurfaces);
    bool isEnabled(Command command, Surface on) const;

    // The end of start-up: each backup that a save cut short left behind, newest first, is
    // offered back (Yes), deleted after a second question (No), or kept for the next start.
    void offerInterruptedSaves();
    // Then the unsaved text of each editor that ended without its normal end, newest first:
    // recovered into the editor (Yes, after which the rest wait for the next start), deleted
    // after a second question (No), or kept for the next start.
    void offerLeftJournals();
    // The program ends normally: its journal goes.
    void endJournal() { journal_.reset(); }
    // Whether the window may close: the close deletes the preview file and saves without asking.
    bool shutDown();
    void layoutEditor();
    // The editor's height: what the layout rule gives, less the find bar's while it shows.
    void fitEditorHeight();
    // Puts the editor where editorTwips_ says, the preview pane in the strip at its right, the
    // find bar below them and the status bar in the strip the layout rule leaves at the bottom.
    void placeEditor();

    void updateClipboardCommands();
    // Reopen with Encoding needs a file; Recent Pages, pages.
    void updateFileCommands();
    void updateRecentPages();
    void openRecentPage(const CommandRow &row);
    // Asks about a file changed on disk, unless a modal window is up or the window is not
    // active any more.
    void offerReload();
    void showEditMenu(QPoint globalPos);

    // Commands.
    void printSource();
    void previewInBrowser();
    void toggleInstantPreview();
    void toggleToolButton(const CommandRow &row);
    void toggleRemoteContent();
    void findStep(bool forward);
    void goToLine();
    void toggleLineNumbers();
    // The find bar was shown or hidden, or changed its height.
    void findBarPlaced();
    void showHelp(int context = 0);
    void showAbout();

    // Keyboard access to the menus: F10, and Alt with each menu's first letter.
    void addMenuKeys();

    Services services_;
    EditSession session_;
    EditorView *editorView_ = nullptr;
    QWidget *toolbar_ = nullptr;
    QHash<QString, QAction *> items_;
    QHash<QString, QMenu *> menus_;
    QHash<QString, ImageButton *> toolButtons_;
    QHash<QString, QAbstractButton *> hiddenButtons_;
    std::map<Command, Surfaces> surfaces_;

    std::unique_ptr<MainSkin> skin_;
    std::unique_ptr<Document> document_;
    std::unique_ptr<InstantPreview> preview_;
    std::unique_ptr<BrowserPreview> browserPreview_;
    std::unique_ptr<RecentPages> recent_;
    std::unique_ptr<Finder> finder_;
    std::unique_ptr<Journal> journal_;
    FindBar *findBar_ = nullptr;
    StatusLine *statusLine_ = nullptr;
    bool ended_ = false;
    bool loaded_ = false;
    QSize requestedTwips_;
    QRect editorTwips_{0, 480, 10935, 6735};
    // The editor's height by the layout rule, whatever the find bar takes of it.
    int ruleHeight_ = 6735;
};

} // namespace quenbry
