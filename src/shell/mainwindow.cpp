#include "mainwindow.h"
#include "commandtable.h"
#include "toolicons.h"

#include "buildinfo.h"
#include "commands/editcommands.h"
#include "document/savebackup.h"
#include "findui/findbar.h"
#include "findui/gotolinedialog.h"
#include "info/aboutbox.h"
#include "info/help.h"
#include "journal/leftjournals.h"
#include "platform/filenames.h"
#include "platform/twips.h"
#include "preview/previewsettings.h"
#include "print/sourceprinter.h"
#include "status/statusline.h"
#include "template/newpagedialog.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>

namespace quenbry {

namespace {

// The client area the window opens with.
constexpr int initialClientWidth = 11910;
constexpr int initialClientHeight = 7770;
// How much narrower than the window the editor is: by the resize rule, and beside the preview
// pane; hiding the pane with the Instant Preview command leaves the editor a little narrower
// than the resize rule would.
constexpr int editorMargin = 300;
constexpr int editorMarginBesidePane = 6450;
constexpr int editorMarginPaneHidden = 370;

// A menu bar that holds the keyboard (after Alt alone, or once Escape has closed one of its
// menus) looks exactly like an idle one in the desktop's style, so whatever a person types next
// vanishes unseen. Without that mode Escape hands the keys straight back to the editor; F10 and
// Alt with a menu's letter are the window's own shortcuts and keep working.
class MenuBarStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// A second F10 closes the menus the first one opened, as on desktops, and the window gives the
// keys back to the editor: an open menu holds the keyboard, so the window's shortcut would
// never hear it.
class MenuCloser : public QObject {
public:
    explicit MenuCloser(std::function<void()> closed, QObject *parent)
        : QObject(parent)
        , closed_(std::move(closed)) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_F10 || key->modifiers() != Qt::NoModifier)
            return false;
        while (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
        closed_();
        return true;
    }

private:
    std::function<void()> closed_;
};

const QString lineNumbersValueName = QStringLiteral("LineNumbers");

// The user's choices live beside the preview's, as the numbers 1 and 0.
bool readPreference(const SettingsStore &store, const QString &name) {
    bool number = false;
    return store.value(previewSettingsKeyPath, name).toLongLong(&number) == 1 && number;
}

} // namespace

MainWindow::MainWindow(const Services &services, QWidget *parent)
    : QMainWindow(parent)
    , services_(services) {
    setObjectName(QStringLiteral("main"));
    setWindowTitle(QString::fromLatin1(applicationTitle));

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    editorView_ = new EditorView(session_.text(), session_, client);
    editorView_->setObjectName(QStringLiteral("RichTextBox1"));
    editorView_->setFrameShape(QFrame::StyledPanel);
    connect(editorView_, &EditorView::contextMenuRequested, this, &MainWindow::showEditMenu);

    document_ = std::make_unique<Document>(session_, *services_.dialogs,
                                           static_cast<DocumentHost &>(*this));
    preview_ = std::make_unique<InstantPreview>(session_.text(), *document_, client);
    browserPreview_ =
        std::make_unique<BrowserPreview>(*document_, *services_.dialogs, *services_.shell, this);
    connect(preview_->pane(), &PreviewPane::linkClicked, this,
            [this](const QUrl &url) { services_.shell->openUrl(url); });
    services_.shell->onBrowserFailed = [this] {
        services_.dialogs->message(
            this,
            tr("No web browser could be started. Choose a default web browser for your desktop "
               "(xdg-settings set default-web-browser NAME.desktop) and try again."),
            QString::fromLatin1(applicationTitle), MessageButtons::Ok, MessageIcon::Critical);
    };
    recent_ = std::make_unique<RecentPages>(*services_.userSettings);
    journal_ = std::make_unique<Journal>(session_.text(), [this] {
        return JournalDocument{fileNameToBytes(document_->fileName()), document_->encoding()};
    });
    journal_->onError = [this](const QString &error) {
        services_.dialogs->message(this, error, QString::fromLatin1(applicationTitle),
                                   MessageButtons::Ok, MessageIcon::Information);
    };
    finder_ = std::make_unique<Finder>(session_);
    findBar_ = new FindBar(*finder_, client);
    connect(findBar_, &FindBar::placeChanged, this, &MainWindow::findBarPlaced);
    connect(finder_.get(), &Finder::patternChanged, this, [this] {
        if (!findBar_->isHidden())
            editorView_->repaintAll();
    });
    statusLine_ = new StatusLine(
        session_, [this] { return editorView_->caret(); }, client);
    statusLine_->setEncoding(encodingName(document_->encoding()));
    buildCommands();
    addMenuKeys();
    session_.addListener(this);

    editorView_->setFocus();
    const int menuBarHeight = menuBar()->sizeHint().height();
    resize(twipsToPixels(initialClientWidth), twipsToPixels(initialClientHeight) + menuBarHeight);
    editorTwips_.setSize(QSize(10935, 6735));
    editorView_->setGeometry(0, twipsToPixels(480), twipsToPixels(10935), twipsToPixels(6735));
}

MainWindow::~MainWindow() {
    services_.shell->onBrowserFailed = nullptr;
    session_.removeListener(this);
    // The view, the status bar and the find bar follow the session and its finder, which go
    // before the window's children do.
    delete statusLine_;
    delete findBar_;
    delete editorView_;
}

void MainWindow::addMenuKeys() {
    auto *style = new MenuBarStyle;
    style->setParent(menuBar());
    menuBar()->setStyle(style);
    // Captions carry no access keys, yet desktop users reach the menus by the keyboard: F10
    // opens the first menu, Alt with a menu's first letter opens that menu.
    auto open = [this](QKeySequence key, std::function<QAction *()> menu) {
        auto *a = new QAction(this);
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, [this, menu] {
            QAction *m = menu();
            if (!m)
                return;
            menuBar()->setActiveAction(m);
            // Opened from the keyboard, a menu offers its first item, as menus do on desktops.
            if (QMenu *popup = m->menu())
                for (QAction *item : popup->actions())
                    if (item->isVisible() && item->isEnabled() && !item->isSeparator()) {
                        popup->setActiveAction(item);
                        break;
                    }
        });
        addAction(a);
    };
    auto *closer = new MenuCloser([this] { editorView_->setFocus(); }, this);
    for (QMenu *menu : std::as_const(menus_))
        menu->installEventFilter(closer);
    open(QKeySequence(Qt::Key_F10), [this]() -> QAction * {
        for (QAction *a : menuBar()->actions())
            if (a->isVisible())
                return a;
        return nullptr;
    });
    for (const CommandRow &row : commandTable) {
        if (row.kind != CommandRow::Menu || (row.flags & (CommandRow::Hidden | CommandRow::Nested)))
            continue;
        QMenu *menu = menus_.value(QLatin1String(row.name));
        const QChar letter = menu->title().at(0).toUpper();
        open(QKeySequence(Qt::ALT | Qt::Key(letter.unicode())),
             [menu] { return menu->menuAction(); });
    }
}

void MainWindow::buildCommands() {
    QList<QKeySequence> reserved;
    QMenu *menu = nullptr, *submenu = nullptr;
    for (const CommandRow &row : commandTable) {
        const bool nested = row.flags & CommandRow::Nested;
        switch (row.kind) {
        case CommandRow::Menu:
            if (nested)
                submenu = addMenu(row, menu);
            else
                menu = addMenu(row, nullptr);
            continue;
        case CommandRow::Separator:
        case CommandRow::Item:
            addItem(row, nested ? submenu : menu);
            break;
        }
        if (row.toolButton.name)
            addToolButton(row);
        if (row.hiddenButton)
            addHiddenButton(row);
        for (const char *key : {row.shortcut, row.alternateKey})
            if (*key)
                reserved << QKeySequence(QString::fromLatin1(key));
    }
    // The editor never acts on the commands' keys itself: they reach the command, or nothing
    // when it is disabled.
    editorView_->setReservedShortcuts(reserved);
    // The toolbar's tab order runs left to right after the editor.
    std::vector<ImageButton *> buttons(toolButtons_.begin(), toolButtons_.end());
    std::sort(buttons.begin(), buttons.end(), [](ImageButton *a, ImageButton *b) {
        return a->geometryTwips().left() < b->geometryTwips().left();
    });
    QWidget *previous = editorView_;
    for (ImageButton *b : buttons) {
        setTabOrder(previous, b);
        previous = b;
    }
    setEnabled(Command::Undo, false, HiddenButtonSurface);
    setEnabled(Command::Redo, false, HiddenButtonSurface);
    // A recent page's item tells its full path.
    menus_.value(QStringLiteral("mnurecent"))->setToolTipsVisible(true);
    // Another instance may have changed the recent pages since this one last looked.
    connect(menus_.value(QStringLiteral("mnufile")), &QMenu::aboutToShow, this, [this] {
        recent_->reload();
        updateRecentPages();
    });
}

QMenu *MainWindow::addMenu(const CommandRow &row, QMenu *parent) {
    auto *menu = new QMenu(QCoreApplication::translate("CommandTable", row.caption), this);
    const QString name = QString::fromLatin1(row.name);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    if (parent)
        parent->addMenu(menu);
    else
        menuBar()->addMenu(menu);
    menu->menuAction()->setVisible(!(row.flags & CommandRow::Hidden));
    menus_.insert(name, menu);
    items_.insert(name, menu->menuAction());
    return menu;
}

void MainWindow::addItem(const CommandRow &row, QMenu *menu) {
    QAction *a = row.kind == CommandRow::Separator
                     ? menu->addSeparator()
                     : menu->addAction(QCoreApplication::translate("CommandTable", row.caption));
    const QString name = QString::fromLatin1(row.name);
    a->setObjectName(name);
    QList<QKeySequence> keys;
    for (const char *key : {row.shortcut, row.alternateKey})
        if (*key)
            keys << QKeySequence(QString::fromLatin1(key));
    a->setShortcuts(keys);
    a->setCheckable(row.flags & (CommandRow::Checkable | CommandRow::Radio));
    a->setChecked(row.flags & CommandRow::Checked);
    if (row.flags & CommandRow::Radio) {
        auto *group = menu->findChild<QActionGroup *>(QString(), Qt::FindDirectChildrenOnly);
        (group ? group : new QActionGroup(menu))->addAction(a);
    }
    a->setVisible(!(row.flags & CommandRow::Hidden));
    // Items of the hidden View menu keep working shortcuts: the window owns them too.
    addAction(a);
    items_.insert(name, a);
    if ((row.command == Command::SetEncoding || row.command == Command::ReopenWithEncoding) &&
        !encodingFromName(QString::fromLatin1(row.argument)))
        qFatal("The command table names no encoding \"%s\"", row.argument);
    if (row.kind == CommandRow::Item) {
        connect(a, &QAction::triggered, this, [this, &row] { execute(row); });
        surfaces_[row.command].item = a;
    }
}

void MainWindow::addToolButton(const CommandRow &row) {
    if (!toolbar_) {
        toolbar_ = new QWidget(centralWidget());
        toolbar_->setObjectName(QStringLiteral("toolbar"));
        toolbar_->setGeometry(0, 0, twipsToPixels(4200), twipsToPixels(toolButtonSize));
    }
    auto *b = new ImageButton(toolbar_);
    b->setObjectName(QString::fromLatin1(row.toolButton.name));
    b->setToolTip(QCoreApplication::translate("CommandTable", row.toolButton.tooltip));
    b->setIcon(toolIcon(row.toolButton.icon));
    b->setGeometryTwips(row.toolButton.left, 0, toolButtonSize, toolButtonSize);
    connect(b, &QAbstractButton::clicked, this, [this, &row] { execute(row); });
    toolButtons_.insert(b->objectName(), b);
    surfaces_[row.command].toolButton = b;
}

void MainWindow::addHiddenButton(const CommandRow &row) {
    auto *b = new QPushButton(centralWidget());
    b->setObjectName(QString::fromLatin1(row.hiddenButton));
    b->setVisible(false);
    b->setFocusPolicy(Qt::NoFocus);
    connect(b, &QAbstractButton::clicked, this, [this, &row] { execute(row); });
    hiddenButtons_.insert(b->objectName(), b);
    surfaces_[row.command].hiddenButton = b;
}

void MainWindow::execute(const CommandRow &row) {
    switch (row.command) {
    case Command::None:
    case Command::FtpUpload:
    case Command::QuickPreview:
        break;
    case Command::New:
        document_->newPage();
        break;
    case Command::Open:
        document_->open();
        break;
    case Command::Save:
        document_->save();
        break;
    case Command::SaveAs:
        document_->saveAs();
        break;
    case Command::PreviewInBrowser:
        previewInBrowser();
        break;
    case Command::PreviewRemoteContent:
        toggleRemoteContent();
        break;
    case Command::Print:
        printSource();
        break;
    case Command::SetEncoding:
        document_->setEncoding(*encodingFromName(QString::fromLatin1(row.argument)));
        break;
    case Command::ReopenWithEncoding:
        document_->reopen(*encodingFromName(QString::fromLatin1(row.argument)));
        break;
    case Command::OpenRecent:
        openRecentPage(row);
        break;
    case Command::ClearRecentPages:
        recent_->clear();
        updateRecentPages();
        break;
    case Command::Exit:
        document_->exit();
        break;
    case Command::Undo:
        session_.undo();
        break;
    case Command::Redo:
        session_.redo();
        break;
    case Command::Cut:
        cutSelection(session_.text(), *services_.clipboard);
        break;
    case Command::Copy:
        copySelection(session_.text(), *services_.clipboard);
        break;
    case Command::Paste:
        pasteClipboard(session_.text(), *services_.clipboard);
        break;
    case Command::SelectAll:
        quenbry::selectAll(session_.text());
        editorView_->offerPrimarySelection();
        break;
    case Command::Skin:
        // The hidden Skin item is element 3 of its menu array, which selects no skin.
        skin_->skinCommand(3);
        break;
    case Command::Find:
        findBar_->open(false);
        break;
    case Command::Replace:
        findBar_->open(true);
        break;
    case Command::FindNext:
        findStep(true);
        break;
    case Command::FindPrevious:
        findStep(false);
        break;
    case Command::GoToLine:
        goToLine();
        break;
    case Command::LineNumbers:
        toggleLineNumbers();
        break;
    case Command::ToolbarIcon:
        toggleToolButton(row);
        break;
    case Command::InstantPreview:
        toggleInstantPreview();
        break;
    case Command::InsertTag:
        insertTag(session_.text(), QString::fromLatin1(row.argument));
        break;
    case Command::Help:
        showHelp();
        break;
    case Command::About:
        showAbout();
        break;
    }
}

void MainWindow::setEnabled(Command command, bool enabled, quenbry::Surfaces on) {
    const auto it = surfaces_.find(command);
    if (it == surfaces_.end())
        qFatal("The main window has no command %d", int(command));
    if (it->second.item && (on & MenuSurface))
        it->second.item->setEnabled(enabled);
    if (it->second.toolButton && (on & ToolbarSurface))
        it->second.toolButton->setEnabled(enabled);
    if (it->second.hiddenButton && (on & HiddenButtonSurface))
        it->second.hiddenButton->setEnabled(enabled);
}

bool MainWindow::isEnabled(Command command, Surface on) const {
    const auto it = surfaces_.find(command);
    if (it == surfaces_.end())
        return false;
    const Surfaces &s = it->second;
    switch (on) {
    case MenuSurface:
        return s.item && s.item->isEnabled();
    case ToolbarSurface:
        return s.toolButton && s.toolButton->isEnabled();
    default:
        return s.hiddenButton && s.hiddenButton->isEnabled();
    }
}

// ---- Start-up and shut-down -------------------------------------------------------------

void MainWindow::startUp(const QString &fileToOpen) {
    if (loaded_)
        return;
    loaded_ = true;
    skin_ = std::make_unique<MainSkin>(this, editorView_);
    skin_->skinCommand(MainSkin::NeoSkin);
    putPage(session_.text(), defaultPage());
    session_.setModified(false);
    document_->refreshTitle();
    session_.setRecording(true);
    session_.handleChange();
    // The start-up page is the program's, not an edit of the user's: leaving the editor
    // right away must not ask to save it.
    session_.setModified(false);
    updateClipboardCommands();
    // Shown here, painted when start-up has returned to the event loop: keys pressed meanwhile
    // then reach a window whose history has started, and are recorded like any other edit.
    show();
    // Bring the toolbar and the menu into agreement; this only ever disables.
    for (Command c : {Command::Cut, Command::Copy, Command::Paste})
        if (!isEnabled(c, MenuSurface))
            setEnabled(c, false, ToolbarSurface);
    for (Command c : {Command::Undo, Command::Redo})
        if (!isEnabled(c, ToolbarSurface))
            setEnabled(c, false, MenuSurface);
    const bool remote = readRemoteContentAllowed(*services_.userSettings);
    items_.value(QStringLiteral("mnupreviewremote"))->setChecked(remote);
    preview_->setRemoteContentAllowed(remote);
    const bool lineNumbers = readPreference(*services_.userSettings, lineNumbersValueName);
    items_.value(QStringLiteral("mnulinenumbers"))->setChecked(lineNumbers);
    editorView_->setLineNumbersShown(lineNumbers);
    preview_->writeFile();
    session_.resetHistory();
    session_.text().setSelStart(0);
    editorView_->setFocus();
    updateFileCommands();
    updateRecentPages();
    // The page start-up puts in is no one's work yet.
    journal_->textStored();
    if (!fileToOpen.isEmpty())
        document_->openFile(fileToOpen);
    offerInterruptedSaves();
    offerLeftJournals();
}

void MainWindow::offerLeftJournals() {
    const QString title = QString::fromLatin1(applicationTitle);
    const auto ask = [&](const QString &text, MessageButtons buttons, MessageIcon icon) {
        return services_.dialogs->message(this, text, title, buttons, icon);
    };
    LeftJournals left = leftJournals();
    for (const QString &path : left.damaged)
        ask(tr("The unsaved text of an earlier session could not be read. It is kept in %1.")
                .arg(path),
            MessageButtons::Ok, MessageIcon::Critical);
    for (LeftJournal &journal : left.found) {
        const QString when = QLocale().toString(
            QDateTime::fromMSecsSinceEpoch(journal.content.time), QLocale::ShortFormat);
        const QString question =
            tr("%1 was closed before %2 was saved. Recover the unsaved text from %3?")
                .arg(title, journal.documentName(), when);
        switch (ask(question, MessageButtons::YesNoCancel, MessageIcon::Question)) {
        case MessageAnswer::Yes: {
            const JournalDocument &d = journal.content.document;
            document_->recover(fileNameFromBytes(d.fileName), d.encoding,
                               std::move(journal.content.text));
            journal_->adopt(journal);
            // One document at a time: the others are offered at the next start.
            return;
        }
        case MessageAnswer::No:
            if (ask(tr("The unsaved text will be deleted for good. Delete it?"),
                    MessageButtons::YesNoDefaultNo, MessageIcon::Question) == MessageAnswer::Yes) {
                const QString error = deleteLeftJournal(journal);
                if (!error.isEmpty())
                    ask(error, MessageButtons::Ok, MessageIcon::Critical);
            }
            break;
        default:
            break;
        }
    }
}

void MainWindow::offerInterruptedSaves() {
    const QString title = QString::fromLatin1(applicationTitle);
    const auto ask = [&](const QString &text, MessageButtons buttons, MessageIcon icon) {
        return services_.dialogs->message(this, text, title, buttons, icon);
    };
    for (const SaveBackup &backup : interruptedSaves()) {
        const QString question =
            tr("The save of %1 was interrupted. Restore the previous version from %2?")
                .arg(backup.targetName(), backup.file);
        QString error;
        switch (ask(question, MessageButtons::YesNoCancel, MessageIcon::Question)) {
        case MessageAnswer::Yes:
            error = restoreSaveBackup(backup);
            // The page named on the command line may be that file, torn: the editor shows
            // what the file now holds.
            if (error.isEmpty() && !document_->fileName().isEmpty() &&
                QFileInfo(document_->fileName()).canonicalFilePath() == backup.targetName())
                document_->openFile(document_->fileName());
            break;
        case MessageAnswer::No:
            if (ask(tr("The previous version will be deleted for good. Delete it?"),
                    MessageButtons::YesNoDefaultNo, MessageIcon::Question) == MessageAnswer::Yes)
                error = deleteSaveBackup(backup);
            break;
        default:
            break;
        }
        if (!error.isEmpty())
            ask(error, MessageButtons::Ok, MessageIcon::Critical);
    }
}

void MainWindow::closeEvent(QCloseEvent *event) {
    if (!shutDown()) {
        event->ignore();
        return;
    }
    event->accept();
    ended_ = true;
    endJournal();
    if (onEndProcess)
        onEndProcess();
}

bool MainWindow::shutDown() {
    deletePreviewFile();
    if (document_->saveOnClose())
        return true;
    // The window stays open with its text, and with the file its preview shows.
    preview_->writeFile();
    return false;
}

void MainWindow::changeEvent(QEvent *event) {
    QMainWindow::changeEvent(event);
    // After the event: a question asked inside it would hold up the activation itself.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && loaded_)
        QTimer::singleShot(0, this, &MainWindow::offerReload);
}

void MainWindow::offerReload() {
    // A modal window (a question, a file dialog) is the user's business first; the window is
    // activated again when it closes.
    if (isActiveWindow() && !QApplication::activeModalWidget() && !ended_)
        document_->offerReload();
}

void MainWindow::endProcess() {
    ended_ = true;
    endJournal();
    hide();
    if (onEndProcess)
        onEndProcess();
}

// ---- Layout -----------------------------------------------------------------------------

void MainWindow::placeOn(const QScreen *screen) {
    if (!screen)
        return;
    // The frame is unknown until the window manager has put it round the shown window: the
    // style's title bar and border stand in for it, which errs on the large side.
    const int border = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
    const int title = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    const QSize frame(2 * border, title + 2 * border);
    const QRect available = screen->availableGeometry();
    resize(size().boundedTo(available.size() - frame));
    move(available.center() - QRect(QPoint(), size() + frame).center());
}

QSize MainWindow::outerSizeTwips() const {
    const QSize px = frameGeometry().size();
    // A size set in twips is reported as set, so that a change of 1000 twips is one of
    // exactly 1000, whatever the rounding to pixels.
    if (requestedTwips_.isValid() && px == QSize(twipsToPixels(requestedTwips_.width()),
                                                 twipsToPixels(requestedTwips_.height())))
        return requestedTwips_;
    return QSize(pixelsToTwips(px.width()), pixelsToTwips(px.height()));
}

void MainWindow::resizeTwips(int width, int height) {
    requestedTwips_ = QSize(width, height);
    const QSize frame = frameGeometry().size() - geometry().size();
    resize(twipsToPixels(width) - frame.width(), twipsToPixels(height) - frame.height());
    if (frameGeometry().size() != QSize(twipsToPixels(width), twipsToPixels(height)))
        requestedTwips_ = QSize();
    layoutEditor();
}

void MainWindow::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    layoutEditor();
}

void MainWindow::layoutEditor() {
    const QSize outer = outerSizeTwips();
    // A visible pane keeps its strip: the editor must not grow over it.
    const int margin = preview_->isVisible() ? editorMarginBesidePane : editorMargin;
    editorTwips_.setWidth(std::max(0, outer.width() - margin));
    ruleHeight_ = std::max(0, outer.height() - 1400);
    fitEditorHeight();
}

void MainWindow::fitEditorHeight() {
    const int bar = findBar_->isHidden() ? 0 : pixelsToTwips(findBar_->sizeHint().height());
    editorTwips_.setHeight(std::max(0, ruleHeight_ - bar));
    placeEditor();
}

void MainWindow::placeEditor() {
    editorView_->setGeometry(twipsToPixels(editorTwips_.left()), twipsToPixels(editorTwips_.top()),
                             twipsToPixels(editorTwips_.width()),
                             twipsToPixels(editorTwips_.height()));
    const QRect e = editorView_->geometry();
    const int left = e.left() + e.width();
    preview_->pane()->setGeometry(left, e.top(), std::max(0, centralWidget()->width() - left),
                                  e.height());
    const int width = centralWidget()->width();
    const int ruleBottom = twipsToPixels(editorTwips_.top() + ruleHeight_);
    if (!findBar_->isHidden())
        findBar_->setGeometry(0, e.top() + e.height(), width,
                              std::max(0, ruleBottom - e.top() - e.height()));
    statusLine_->setGeometry(0, ruleBottom, width,
                             std::max(0, centralWidget()->height() - ruleBottom));
}

// ---- What the edit session tells ------------------------------------------------------

void MainWindow::textChanged() {
    preview_->scheduleRefresh();
}

void MainWindow::selectionChanged() {
    updateClipboardCommands();
}

void MainWindow::updateClipboardCommands() {
    // Undo and Redo edit the text with recording off; the commands catch up when they end.
    if (!session_.isRecording())
        return;
    const EditorCore &text = session_.text();
    const bool selection = text.selLength() != 0;
    const bool clipboardText = !services_.clipboard->text().isEmpty();
    // The hidden Cut, Copy and Paste buttons keep the state they have: only the menu and the
    // toolbar follow the selection.
    setEnabled(Command::Cut, selection, MenuSurface | ToolbarSurface);
    setEnabled(Command::Copy, selection, MenuSurface | ToolbarSurface);
    setEnabled(Command::Paste, clipboardText, MenuSurface | ToolbarSurface);
    setEnabled(Command::SelectAll, text.length() != 0);
}

void MainWindow::undoAvailabilityChanged(bool canUndo, bool canRedo) {
    setEnabled(Command::Undo, canUndo);
    setEnabled(Command::Redo, canRedo);
    updateClipboardCommands();
}

void MainWindow::undoRejected() {
    // Only the hidden Undo button goes off, as it always has; the next availability update
    // switches it on again.
    setEnabled(Command::Undo, false, HiddenButtonSurface);
}

void MainWindow::selectionHighlightHidden(bool hidden) {
    editorView_->setSelectionHidden(hidden);
}

void MainWindow::historyStepped() {
    editorView_->setFocus();
}

void MainWindow::showEditMenu(QPoint globalPos) {
    // The pop-up offers the editing commands alone: the search commands of the same menu step
    // aside while it is open.
    std::vector<QAction *> aside;
    for (const CommandRow &row : commandTable) {
        QAction *a = items_.value(QLatin1String(row.name));
        if ((row.flags & CommandRow::MenuBarOnly) && a->isVisible()) {
            a->setVisible(false);
            aside.push_back(a);
        }
    }
    services_.popup->popup(menus_.value(QStringLiteral("mnuedit")), globalPos);
    for (QAction *a : aside)
        a->setVisible(true);
}

// ---- Commands ---------------------------------------------------------------------------

void MainWindow::printSource() {
    editorView_->setFocus();
    quenbry::printSource(this, session_.text(),
                         {editorView_->font(), editorView_->tabStopDistance()},
                         document_->displayName(), *services_.dialogs);
}

void MainWindow::previewInBrowser() {
    browserPreview_->run();
    preview_->scheduleRefresh();
}

void MainWindow::toggleInstantPreview() {
    // The pane's visibility decides, not the check mark; the mark follows it.
    const bool show = !preview_->isVisible();
    const int margin = show ? editorMarginBesidePane : editorMarginPaneHidden;
    editorTwips_.setWidth(std::max(0, outerSizeTwips().width() - margin));
    placeEditor();
    preview_->setVisible(show);
    items_.value(QStringLiteral("mnuipreview"))->setChecked(show);
}

void MainWindow::toggleRemoteContent() {
    // A click has flipped the check mark already; the preference follows it.
    const bool allowed = items_.value(QStringLiteral("mnupreviewremote"))->isChecked();
    if (!writeRemoteContentAllowed(*services_.userSettings, allowed))
        qWarning("The preference for remote content in the preview could not be stored");
    preview_->setRemoteContentAllowed(allowed);
}

void MainWindow::findStep(bool forward) {
    // With nothing to look for yet, the keys open the bar to ask for it.
    if (!finder_->pattern().isUsable()) {
        findBar_->open(false);
        return;
    }
    if (forward)
        finder_->findNext();
    else
        finder_->findPrevious();
}

void MainWindow::goToLine() {
    const std::optional<int> offset = GoToLineDialog::ask(this, session_.text());
    if (offset) {
        session_.text().selectFromUser(*offset, 0);
        editorView_->setFocus();
    }
}

void MainWindow::toggleLineNumbers() {
    // A click has flipped the check mark already; the gutter and the preference follow it.
    const bool shown = items_.value(QStringLiteral("mnulinenumbers"))->isChecked();
    editorView_->setLineNumbersShown(shown);
    if (!services_.userSettings->setValue(previewSettingsKeyPath, lineNumbersValueName,
                                          QVariant(qint64(shown ? 1 : 0))))
        qWarning("The preference for line numbers could not be stored");
}

void MainWindow::findBarPlaced() {
    fitEditorHeight();
    finder_->setCounting(!findBar_->isHidden());
    if (findBar_->isHidden()) {
        editorView_->setHighlighter({});
        editorView_->setFocus();
    } else {
        editorView_->setHighlighter([this](int from, int to, std::vector<TextRange> &out) {
            finder_->matchesIn(from, to, out);
        });
    }
}

void MainWindow::showHelp(int context) {
    quenbry::showHelp(*services_.shell, context);
}
void MainWindow::showAbout() {
    AboutBox::run(this, skinConfiguration(), services_);
}

const SkinConfiguration *MainWindow::skinConfiguration() const {
    return skin_ ? skin_->skinConfiguration() : nullptr;
}

void MainWindow::setCaption(const QString &caption) {
    setWindowTitle(caption);
    updateFileCommands();
    // The title changes with the document's name, and so do the pane's caption and the folder
    // its relative links lead to: after a Save As, and after a New whose dialog was cancelled,
    // which leaves the text as it was.
    if (preview_)
        preview_->scheduleRefresh();
}

std::optional<TemplateSettings> MainWindow::runNewPageDialog() {
    return NewPageDialog::ask(this, skinConfiguration(), *services_.dialogs);
}

void MainWindow::showEncoding(Encoding encoding) {
    const QString name = encodingName(encoding);
    statusLine_->setEncoding(name);
    for (const CommandRow &row : commandTable)
        if (row.command == Command::SetEncoding && name == QLatin1String(row.argument))
            items_.value(QLatin1String(row.name))->setChecked(true);
    // The preview reads the page in the encoding its file is written in.
    preview_->scheduleRefresh();
    if (journal_)
        journal_->documentChanged();
}

void MainWindow::textStored(const QByteArray &print) {
    if (journal_)
        journal_->textStored(print);
}

void MainWindow::fileUsed(const QString &path) {
    recent_->add(path);
    updateRecentPages();
}

void MainWindow::updateFileCommands() {
    const bool hasFile = !document_->fileName().isEmpty();
    menus_.value(QStringLiteral("mnureopenas"))->menuAction()->setEnabled(hasFile);
    // Each item too: a disabled submenu does not stop a shortcut or a script.
    for (const CommandRow &row : commandTable)
        if (row.command == Command::ReopenWithEncoding)
            items_.value(QLatin1String(row.name))->setEnabled(hasFile);
}

void MainWindow::updateRecentPages() {
    const QStringList &paths = recent_->paths();
    for (const CommandRow &row : commandTable) {
        if (row.command != Command::OpenRecent)
            continue;
        QAction *item = items_.value(QLatin1String(row.name));
        const qsizetype index = QByteArray(row.argument).toInt() - 1;
        item->setVisible(index < paths.size());
        if (index >= paths.size())
            continue;
        const QString path = displayFileName(paths[index]);
        // A name's own & is no access key.
        item->setText(QStringLiteral("&%1 %2").arg(
            QString::number(index + 1), displayFileName(QFileInfo(paths[index]).fileName())
                                            .replace(QStringLiteral("&"), QStringLiteral("&&"))));
        item->setToolTip(path);
        item->setStatusTip(path);
    }
    menus_.value(QStringLiteral("mnurecent"))->menuAction()->setEnabled(!paths.isEmpty());
    items_.value(QStringLiteral("mnurecentclear"))->setEnabled(!paths.isEmpty());
}

void MainWindow::openRecentPage(const CommandRow &row) {
    const QString path = recent_->paths().value(QByteArray(row.argument).toInt() - 1);
    if (path.isEmpty())
        return;
    // Open has told the user why the file could not be read; a file that is gone leaves the list.
    if (document_->openPath(path) == Document::OpenOutcome::Failed && !currentFileStamp(path)) {
        recent_->remove(path);
        updateRecentPages();
    }
}

void MainWindow::disableCommand(Command command, quenbry::Surfaces on) {
    setEnabled(command, false, on);
}

void MainWindow::toggleToolButton(const CommandRow &row) {
    // Quick Preview and FTP Upload have no button: their items flip their own check mark.
    if (!row.argument)
        return;
    ImageButton *b = toolButtons_.value(QLatin1String(row.argument));
    QAction *item = items_.value(QLatin1String(row.name));
    b->setVisible(b->isHidden());
    item->setChecked(!b->isHidden());
}

} // namespace quenbry
