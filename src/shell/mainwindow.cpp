#include "mainwindow.h"
#include "commandtable.h"
#include "toolicons.h"

#include "buildinfo.h"
#include "commands/editcommands.h"
#include "document/savebackup.h"
#include "info/aboutbox.h"
#include "info/help.h"
#include "platform/twips.h"
#include "preview/previewsettings.h"
#include "preview/sourceprinter.h"
#include "template/newpagedialog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>

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

template <typename T>
T *required(const QHash<QString, T *> &widgets, const char *kind, const char *name) {
    T *widget = widgets.value(QLatin1String(name));
    if (!widget)
        qFatal("The main window has no %s named \"%s\"", kind, name);
    return widget;
}

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

} // namespace

MainWindow::MainWindow(const Services &services, QWidget *parent)
    : QMainWindow(parent)
    , services_(services) {
    setObjectName(QStringLiteral("main"));
    setWindowTitle(QString::fromLatin1(applicationTitle));

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    buildMenus();

    editorView_ = new EditorView(editor_, client);
    editorView_->setObjectName(QStringLiteral("RichTextBox1"));
    editorView_->setFrameShape(QFrame::StyledPanel);
    QList<QKeySequence> reserved;
    for (const MenuEntry &m : menuTable)
        if (*m.shortcut)
            reserved << QKeySequence(QString::fromLatin1(m.shortcut));
    for (const AlternateKey &k : alternateKeys)
        reserved << QKeySequence(QString::fromLatin1(k.shortcut));
    editorView_->setReservedShortcuts(reserved);
    addMenuKeys();

    buildToolbar();
    buildHiddenButtons();
    history_ = std::make_unique<History>(editor_, static_cast<HistoryHost &>(*this));
    document_ =
        std::make_unique<Document>(editor_, *services_.dialogs, static_cast<DocumentHost &>(*this));
    // No edit makes the text longer than a file the program can save and open again.
    editor_.setMaxLength(document_->textLimit());
    editor_.addObserver(this);
    preview_ = std::make_unique<InstantPreview>(editor_, *document_, client);
    browserPreview_ =
        std::make_unique<BrowserPreview>(*document_, *services_.dialogs, *services_.shell, this);
    connect(preview_->pane(), &PreviewPane::linkClicked, this,
            [this](const QUrl &url) { services_.shell->openUrl(url); });
    route();

    // The editor comes first in the tab order, then the toolbar left to right.
    QWidget *previous = editorView_;
    for (const ToolbarEntry &t : toolbarTable) {
        QWidget *b = requiredToolButton(t.name);
        setTabOrder(previous, b);
        previous = b;
    }
    editorView_->setFocus();

    const int menuBarHeight = menuBar()->sizeHint().height();
    resize(twipsToPixels(initialClientWidth), twipsToPixels(initialClientHeight) + menuBarHeight);
    editorTwips_.setSize(QSize(10935, 6735));
    editorView_->setGeometry(0, twipsToPixels(480), twipsToPixels(10935), twipsToPixels(6735));
}

MainWindow::~MainWindow() {
    // The view observes the model, which goes before the window's children do.
    delete editorView_;
    editor_.removeObserver(this);
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
    open(QKeySequence(Qt::Key_F10), [this]() -> QAction * {
        for (QAction *a : menuBar()->actions())
            if (a->isVisible())
                return a;
        return nullptr;
    });
    for (const MenuEntry &m : menuTable) {
        if (!(m.flags & MenuEntry::Menu) || (m.flags & MenuEntry::Hidden))
            continue;
        const QString name = QString::fromLatin1(m.name);
        const QChar letter = QChar::fromLatin1(m.caption[0]).toUpper();
        open(QKeySequence(Qt::ALT | Qt::Key(letter.unicode())), [this, name] {
            return menus_.value(name) ? menus_.value(name)->menuAction() : nullptr;
        });
    }
}

void MainWindow::buildMenus() {
    QMenu *current = nullptr;
    for (const MenuEntry &m : menuTable) {
        const QString name = QString::fromLatin1(m.name);
        const QString caption = QString::fromLatin1(m.caption);
        if (m.flags & MenuEntry::Menu) {
            current = new QMenu(caption, this);
            current->setObjectName(name);
            // Captions carry no access keys: an '&' would be taken as one.
            current->menuAction()->setObjectName(name);
            menuBar()->addMenu(current);
            current->menuAction()->setVisible(!(m.flags & MenuEntry::Hidden));
            menus_.insert(name, current);
            items_.insert(name, current->menuAction());
            continue;
        }
        QAction *a = (m.flags & MenuEntry::Separator) ? current->addSeparator()
                                                      : current->addAction(caption);
        a->setObjectName(name);
        if (*m.shortcut) {
            QList<QKeySequence> keys{QKeySequence(QString::fromLatin1(m.shortcut))};
            for (const AlternateKey &k : alternateKeys)
                if (name == QLatin1String(k.name))
                    keys << QKeySequence(QString::fromLatin1(k.shortcut));
            a->setShortcuts(keys);
        }
        if (m.flags & (MenuEntry::Checked | MenuEntry::Checkable))
            a->setCheckable(true);
        if (m.flags & MenuEntry::Checked)
            a->setChecked(true);
        if (m.flags & MenuEntry::Hidden)
            a->setVisible(false);
        // Items of the hidden View menu keep working shortcuts: the window owns them too.
        addAction(a);
        items_.insert(name, a);
    }
}

void MainWindow::buildToolbar() {
    toolbar_ = new QWidget(centralWidget());
    toolbar_->setObjectName(QStringLiteral("toolbar"));
    toolbar_->setGeometry(0, 0, twipsToPixels(4200), twipsToPixels(toolButtonSize));
    for (const ToolbarEntry &t : toolbarTable) {
        auto *b = new ImageButton(toolbar_);
        b->setObjectName(QString::fromLatin1(t.name));
        b->setToolTip(QString::fromLatin1(t.tooltip));
        b->setIcon(toolIcon(t.icon));
        b->setGeometryTwips(t.left, 0, toolButtonSize, toolButtonSize);
        toolButtons_.insert(b->objectName(), b);
    }
}

void MainWindow::buildHiddenButtons() {
    for (const char *name : hiddenButtonTable) {
        auto *b = new QPushButton(centralWidget());
        b->setObjectName(QString::fromLatin1(name));
        b->setVisible(false);
        b->setFocusPolicy(Qt::NoFocus);
        hiddenButtons_.insert(b->objectName(), b);
    }
    requiredHiddenButton("cmdUndo")->setEnabled(false);
    requiredHiddenButton("cmdRedo")->setEnabled(false);
}

QAction *MainWindow::requiredItem(const char *name) const {
    return required(items_, "menu item", name);
}

QMenu *MainWindow::requiredMenu(const char *name) const {
    return required(menus_, "menu", name);
}

ImageButton *MainWindow::requiredToolButton(const char *name) const {
    return required(toolButtons_, "toolbar button", name);
}

QAbstractButton *MainWindow::requiredHiddenButton(const char *name) const {
    return required(hiddenButtons_, "hidden command button", name);
}

void MainWindow::route() {
    // Which menu item or button runs which command. Undo and Redo are one command each,
    // whether the menu, the toolbar or the hidden buttons cmdUndo and cmdRedo ask for them.
    enum Kind { Item, ToolButton, HiddenButton };
    struct Route {
        Kind kind;
        const char *name;
        void (*run)(MainWindow &);
    };
    // clang-format off
    static constexpr Route routes[] = {
        {Item, "mnuname", [](MainWindow &w) { w.newDocument(); }},
        {Item, "mnuopen", [](MainWindow &w) { w.openDocument(); }},
        {Item, "mnusave", [](MainWindow &w) { w.save(); }},
        {Item, "mnusaveas", [](MainWindow &w) { w.saveAs(); }},
        {Item, "mnupre", [](MainWindow &w) { w.previewInBrowser(); }},
        {Item, "mnupreviewremote", [](MainWindow &w) { w.toggleRemoteContent(); }},
        {Item, "mnuprint", [](MainWindow &w) { w.printSource(); }},
        {Item, "mnuexit", [](MainWindow &w) { w.exitProgram(); }},
        {Item, "mnuundo", [](MainWindow &w) { w.undo(); }},
        {Item, "mnuredo", [](MainWindow &w) { w.redo(); }},
        {Item, "mnucut", [](MainWindow &w) { w.cut(); }},
        {Item, "mnucopy", [](MainWindow &w) { w.copy(); }},
        {Item, "mnupaste", [](MainWindow &w) { w.paste(); }},
        {Item, "mnuselectall", [](MainWindow &w) { w.selectAll(); }},
        // The hidden Skin item passes its index 3, which selects no skin.
        {Item, "mnuview(3)", [](MainWindow &w) { w.selectSkin(3); }},
        {Item, "mnuipreview", [](MainWindow &w) { w.toggleInstantPreview(); }},
        {Item, "mnuhelp", [](MainWindow &w) { w.showHelp(); }},
        {Item, "mnuabout", [](MainWindow &w) { w.showAbout(); }},
        {ToolButton, "XPButton1", [](MainWindow &w) { w.newDocument(); }},
        {ToolButton, "XPButton2", [](MainWindow &w) { w.save(); }},
        {ToolButton, "XPButton3", [](MainWindow &w) { w.openDocument(); }},
        {ToolButton, "XPButton4", [](MainWindow &w) { w.printSource(); }},
        {ToolButton, "XPButton5", [](MainWindow &w) { w.previewInBrowser(); }},
        {ToolButton, "XPButton6", [](MainWindow &w) { w.cut(); }},
        {ToolButton, "XPButton8", [](MainWindow &w) { w.copy(); }},
        {ToolButton, "XPButton9", [](MainWindow &w) { w.paste(); }},
        {ToolButton, "XPButton7", [](MainWindow &w) { w.undo(); }},
        {ToolButton, "XPButton10", [](MainWindow &w) { w.redo(); }},
        {HiddenButton, "Command1", [](MainWindow &w) { w.newDocument(); }},
        {HiddenButton, "Command2", [](MainWindow &w) { w.openDocument(); }},
        {HiddenButton, "Command5", [](MainWindow &w) { w.previewInBrowser(); }},
        {HiddenButton, "Command7", [](MainWindow &w) { w.save(); }},
        {HiddenButton, "Command8", [](MainWindow &w) { w.cut(); }},
        {HiddenButton, "Command9", [](MainWindow &w) { w.copy(); }},
        {HiddenButton, "Command10", [](MainWindow &w) { w.paste(); }},
        {HiddenButton, "Command11", [](MainWindow &w) { w.printSource(); }},
        {HiddenButton, "cmdUndo", [](MainWindow &w) { w.undo(); }},
        {HiddenButton, "cmdRedo", [](MainWindow &w) { w.redo(); }},
    };
    // clang-format on
    for (const Route &r : routes) {
        const auto run = [this, command = r.run] {
            command(*this);
        };
        switch (r.kind) {
        case Item:
            connect(requiredItem(r.name), &QAction::triggered, this, run);
            break;
        case ToolButton:
            connect(requiredToolButton(r.name), &QAbstractButton::clicked, this, run);
            break;
        case HiddenButton:
            connect(requiredHiddenButton(r.name), &QAbstractButton::clicked, this, run);
            break;
        }
    }
    for (const TagCommand &t : tagCommands) {
        const QString text = QString::fromLatin1(t.text);
        connect(requiredItem(t.item), &QAction::triggered, this,
                [this, text] { insertTag(editor_, text); });
    }
    for (const ToolbarEntry &t : toolbarTable) {
        const char *item = t.viewItem;
        const char *button = t.name;
        connect(requiredItem(item), &QAction::triggered, this,
                [this, item, button] { toggleToolButton(item, button); });
    }
    // "Quick Preview Icon" and "FTP Upload Icon" have no button: being checkable items, a
    // click flips their own check mark and that is all.

    editor_.onChange = [this] {
        // The history and the colouring follow every edit, recorded or not, before anything
        // else can edit the text again. Start-up also runs the change handling directly, on
        // an edit already noted.
        history_->noteEdit();
        colouring_.noteEdit(editor_.lastEdit());
        onTextChanged();
        preview_->scheduleRefresh();
    };
    editor_.onSelChange = [this] {
        updateClipboardCommands();
    };
    editor_.onKeyPress = [this](int &k) {
        onKeyPress(k);
    };
    editor_.onMouseUp = [this](int b, int s, int x, int y) {
        onEditorMouseUp(b, s, x, y);
    };
}

// ---- Start-up and shut-down -------------------------------------------------------------

void MainWindow::startUp(const QString &fileToOpen) {
    if (loaded_)
        return;
    loaded_ = true;
    skin_ = std::make_unique<MainSkin>(this, editorView_);
    selectSkin(MainSkin::NeoSkin);
    putPage(editor_, defaultPage());
    document_->setModified(false);
    document_->refreshTitle();
    history_->setRecording(true);
    onTextChanged();
    // The start-up page is the program's, not an edit of the user's: leaving the editor
    // right away must not ask to save it.
    document_->setModified(false);
    updateClipboardCommands();
    show();
    QApplication::processEvents();
    // Bring the toolbar and the menu into agreement; this only ever disables.
    if (!requiredItem("mnucut")->isEnabled())
        requiredToolButton("XPButton6")->setEnabled(false);
    if (!requiredItem("mnucopy")->isEnabled())
        requiredToolButton("XPButton8")->setEnabled(false);
    if (!requiredItem("mnupaste")->isEnabled())
        requiredToolButton("XPButton9")->setEnabled(false);
    if (!requiredToolButton("XPButton7")->isEnabled())
        requiredItem("mnuundo")->setEnabled(false);
    if (!requiredToolButton("XPButton10")->isEnabled())
        requiredItem("mnuredo")->setEnabled(false);
    const bool remote = readRemoteContentAllowed(*services_.userSettings);
    requiredItem("mnupreviewremote")->setChecked(remote);
    preview_->setRemoteContentAllowed(remote);
    preview_->writeFile();
    history_->reset();
    editor_.setSelStart(0);
    editorView_->setFocus();
    if (!fileToOpen.isEmpty())
        document_->openFile(fileToOpen);
    offerInterruptedSaves();
}

void MainWindow::offerInterruptedSaves() {
    const QString title = QString::fromLatin1(applicationTitle);
    const auto ask = [&](const QString &text, MessageButtons buttons, MessageIcon icon) {
        return services_.dialogs->message(this, text, title, buttons, icon);
    };
    for (const SaveBackup &backup : interruptedSaves()) {
        const QString question =
            QStringLiteral("The save of %1 was interrupted. Restore the previous version from %2?")
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
            if (ask(QStringLiteral("The previous version will be deleted for good. Delete it?"),
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

void MainWindow::endProcess() {
    ended_ = true;
    hide();
    if (onEndProcess)
        onEndProcess();
}

// ---- Layout -----------------------------------------------------------------------------

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
    editorTwips_.setHeight(std::max(0, outer.height() - 1400));
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
}

// ---- Editor notifications ---------------------------------------------------------------

void MainWindow::onTextChanged() {
    document_->textChanged();
    if (!history_->recordChange())
        return;
    colouring_.colourRegions(editor_);
}

void MainWindow::editRefused(const EditRefused &refused) {
    document_->editRefused(refused.length);
}

void MainWindow::onKeyPress(int &keyAscii) {
    colouring_.colourKeystroke(editor_, keyAscii);
}

void MainWindow::updateClipboardCommands() {
    // Undo and Redo edit the text with recording off; the commands catch up when they end.
    if (!history_->isRecording())
        return;
    const bool selection = editor_.selLength() != 0;
    const bool clipboardText = !services_.clipboard->text().isEmpty();
    requiredItem("mnucut")->setEnabled(selection);
    requiredItem("mnucopy")->setEnabled(selection);
    requiredItem("mnupaste")->setEnabled(clipboardText);
    requiredToolButton("XPButton6")->setEnabled(selection);
    requiredToolButton("XPButton8")->setEnabled(selection);
    requiredToolButton("XPButton9")->setEnabled(clipboardText);
    requiredItem("mnuselectall")->setEnabled(editor_.length() != 0);
}

void MainWindow::onEditorMouseUp(int button, int, int x, int y) {
    // At the pointer for the right button, at the caret for the keyboard's menu keys.
    if (button == RightButton)
        services_.popup->popup(requiredMenu("mnuedit"), editorView_->viewport()->mapToGlobal(QPoint(
                                                            twipsToPixels(x), twipsToPixels(y))));
}

// ---- Commands ---------------------------------------------------------------------------

void MainWindow::newDocument() {
    document_->newPage();
}
void MainWindow::openDocument() {
    document_->open();
}
void MainWindow::save() {
    document_->save();
}
void MainWindow::saveAs() {
    document_->saveAs();
}
void MainWindow::exitProgram() {
    document_->exit();
}
void MainWindow::undo() {
    history_->undo();
}
void MainWindow::redo() {
    history_->redo();
}
void MainWindow::selectSkin(int index) {
    skin_->skinCommand(index);
}

void MainWindow::printSource() {
    editorView_->setFocus();
    quenbry::printSource(this, editor_, {editorView_->font(), editorView_->tabStopDistance()},
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
    requiredItem("mnuipreview")->setChecked(show);
}

void MainWindow::toggleRemoteContent() {
    // A click has flipped the check mark already; the preference follows it.
    const bool allowed = requiredItem("mnupreviewremote")->isChecked();
    if (!writeRemoteContentAllowed(*services_.userSettings, allowed))
        qWarning("The preference for remote content in the preview could not be stored");
    preview_->setRemoteContentAllowed(allowed);
}

void MainWindow::showHelp(int context) {
    quenbry::showHelp(*services_.shell, context);
}
void MainWindow::showAbout() {
    AboutBox::run(this, skinConfiguration(), services_);
}

void MainWindow::cut() {
    cutSelection(editor_, *services_.clipboard);
}
void MainWindow::copy() {
    copySelection(editor_, *services_.clipboard);
}
void MainWindow::paste() {
    pasteClipboard(editor_, *services_.clipboard);
}
void MainWindow::selectAll() {
    quenbry::selectAll(editor_);
}

const SkinConfiguration *MainWindow::skinConfiguration() const {
    return skin_ ? skin_->skinConfiguration() : nullptr;
}

void MainWindow::availabilityChanged(bool canUndo, bool canRedo) {
    requiredToolButton("XPButton7")->setEnabled(canUndo);
    requiredItem("mnuundo")->setEnabled(canUndo);
    requiredToolButton("XPButton10")->setEnabled(canRedo);
    requiredItem("mnuredo")->setEnabled(canRedo);
    requiredHiddenButton("cmdUndo")->setEnabled(canUndo);
    requiredHiddenButton("cmdRedo")->setEnabled(canRedo);
    updateClipboardCommands();
}

void MainWindow::undoRejected() {
    // Only the hidden Undo button goes off, as it always has; the next availability update
    // switches it on again.
    requiredHiddenButton("cmdUndo")->setEnabled(false);
}

void MainWindow::hideSelection(bool hide) {
    editorView_->setSelectionHidden(hide);
}

void MainWindow::focusEditor() {
    editorView_->setFocus();
}

void MainWindow::setCaption(const QString &caption) {
    setWindowTitle(caption);
    // The title changes with the document's name, and so do the pane's caption and the folder
    // its relative links lead to: after a Save As, and after a New whose dialog was cancelled,
    // which leaves the text as it was.
    if (preview_)
        preview_->scheduleRefresh();
}

std::optional<TemplateSettings> MainWindow::runNewPageDialog() {
    return NewPageDialog::ask(this, skinConfiguration(), *services_.dialogs);
}

void MainWindow::disableHiddenUndoButton() {
    requiredHiddenButton("cmdUndo")->setEnabled(false);
}

void MainWindow::disableToolbarUndoButton() {
    requiredToolButton("XPButton7")->setEnabled(false);
}

void MainWindow::toggleToolButton(const char *viewItem, const char *button) {
    ImageButton *b = requiredToolButton(button);
    QAction *item = requiredItem(viewItem);
    if (!b->isHidden()) {
        b->setVisible(false);
        item->setChecked(false);
    } else {
        b->setVisible(true);
        item->setChecked(true);
    }
}

} // namespace quenbry
