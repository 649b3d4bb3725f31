#include "mainwindow.h"
#include "commandtable.h"
#include "toolicons.h"

#include "commands/editcommands.h"
#include "platform/twips.h"
#include "template/frmnewpage.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace quenbry {

namespace {
const QString appTitle = QStringLiteral("Quenbry HTML Editor");
// The client area the window opens with.
constexpr int initialClientWidth = 11910;
constexpr int initialClientHeight = 7770;
} // namespace

MainWindow::MainWindow(const Services &services, QWidget *parent)
    : QMainWindow(parent)
    , services_(services) {
    setObjectName(QStringLiteral("main"));
    setWindowTitle(appTitle);
    setWindowIcon(applicationIcon());

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    buildMenus();

    RichTextBox1 = new EditorWidget(client);
    RichTextBox1->setObjectName(QStringLiteral("RichTextBox1"));
    RichTextBox1->setFrameShape(QFrame::StyledPanel);
    QList<QKeySequence> reserved;
    for (const MenuEntry &m : menuTable)
        if (*m.shortcut)
            reserved << QKeySequence(QString::fromLatin1(m.shortcut));
    RichTextBox1->setReservedShortcuts(reserved);

    buildToolbar();
    buildHiddenButtons();
    history_ = std::make_unique<History>(*RichTextBox1, static_cast<HistoryHost &>(*this));
    document_ = std::make_unique<Document>(*RichTextBox1, *services_.dialogs,
                                           static_cast<DocumentHost &>(*this));
    route();

    // The editor comes first in the tab order, then the toolbar left to right.
    QWidget *previous = RichTextBox1;
    for (const ToolbarEntry &t : toolbarTable) {
        QWidget *b = toolButtons_.value(QString::fromLatin1(t.name));
        setTabOrder(previous, b);
        previous = b;
    }
    RichTextBox1->setFocus();

    const int menuBarHeight = menuBar()->sizeHint().height();
    resize(twipsToPixels(initialClientWidth), twipsToPixels(initialClientHeight) + menuBarHeight);
    editorTwips_.setSize(QSize(10935, 6735));
    RichTextBox1->setGeometry(0, twipsToPixels(480), twipsToPixels(10935), twipsToPixels(6735));
}

MainWindow::~MainWindow() = default;

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
        if (*m.shortcut)
            a->setShortcut(QKeySequence(QString::fromLatin1(m.shortcut)));
        if (m.flags & MenuEntry::Checked) {
            a->setCheckable(true);
            a->setChecked(true);
        }
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
    hiddenButtons_.value(QStringLiteral("cmdUndo"))->setEnabled(false);
    hiddenButtons_.value(QStringLiteral("cmdRedo"))->setEnabled(false);
}

void MainWindow::onItem(const char *name, void (MainWindow::*handler)()) {
    QAction *a = items_.value(QString::fromLatin1(name));
    Q_ASSERT(a);
    connect(a, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
}

void MainWindow::route() {
    onItem("mnuname", &MainWindow::mnuname_Click);
    onItem("mnuopen", &MainWindow::mnuopen_Click);
    onItem("mnusave", &MainWindow::mnusave_Click);
    onItem("mnusaveas", &MainWindow::mnusaveas_Click);
    onItem("mnupre", &MainWindow::mnupre_Click);
    onItem("mnuprint", &MainWindow::mnuprint_Click);
    onItem("mnuexit", &MainWindow::mnuexit_Click);
    // The menu's Undo and Redo run the hidden buttons' click actions.
    onItem("mnuundo", &MainWindow::cmdUndo_Click);
    onItem("mnuredo", &MainWindow::cmdRedo_Click);
    onItem("mnucut", &MainWindow::mnucut_Click);
    onItem("mnucopy", &MainWindow::mnucopy_Click);
    onItem("mnupaste", &MainWindow::mnupaste_Click);
    onItem("mnuselectall", &MainWindow::mnuselectall_Click);
    connect(items_.value(QStringLiteral("mnuview(3)")), &QAction::triggered, this,
            [this] { mnuview_Click(3); });
    onItem("mnuipreview", &MainWindow::mnuipreview_Click);
    onItem("mnuhelp", &MainWindow::mnuhelp_Click);
    onItem("mnuabout", &MainWindow::mnuabout_Click);
    for (const TagCommand &t : tagCommands) {
        const QString text = QString::fromLatin1(t.text);
        connect(items_.value(QString::fromLatin1(t.item)), &QAction::triggered, this,
                [this, text] { insertTag(*RichTextBox1, text); });
    }
    for (const ToolbarEntry &t : toolbarTable) {
        const char *item = t.viewItem;
        const char *button = t.name;
        connect(items_.value(QString::fromLatin1(item)), &QAction::triggered, this,
                [this, item, button] { toggleToolButton(item, button); });
    }
    // "Quick Preview Icon" and "FTP Upload Icon" have no button: being checkable items, a
    // click flips their own check mark and that is all.

    const std::pair<const char *, void (MainWindow::*)()> buttons[] = {
        {"XPButton1", &MainWindow::mnuname_Click},  {"XPButton2", &MainWindow::mnusave_Click},
        {"XPButton3", &MainWindow::mnuopen_Click},  {"XPButton4", &MainWindow::mnuprint_Click},
        {"XPButton5", &MainWindow::mnupre_Click},   {"XPButton6", &MainWindow::mnucut_Click},
        {"XPButton8", &MainWindow::mnucopy_Click},  {"XPButton9", &MainWindow::mnupaste_Click},
        {"XPButton7", &MainWindow::Undo},           {"XPButton10", &MainWindow::Redo},
        {"Command1", &MainWindow::mnuname_Click},   {"Command2", &MainWindow::mnuopen_Click},
        {"Command5", &MainWindow::mnupre_Click},    {"Command7", &MainWindow::mnusave_Click},
        {"Command8", &MainWindow::mnucut_Click},    {"Command9", &MainWindow::mnucopy_Click},
        {"Command10", &MainWindow::mnupaste_Click}, {"Command11", &MainWindow::mnuprint_Click},
        {"cmdUndo", &MainWindow::cmdUndo_Click},    {"cmdRedo", &MainWindow::cmdRedo_Click},
    };
    for (const auto &[name, handler] : buttons) {
        QAbstractButton *b = toolButtons_.value(QString::fromLatin1(name));
        if (!b)
            b = hiddenButtons_.value(QString::fromLatin1(name));
        connect(b, &QAbstractButton::clicked, this, [this, h = handler] { (this->*h)(); });
    }

    RichTextBox1->onChange = [this] {
        // The history and the colouring follow every edit, recorded or not, before anything
        // else can edit the text again. Start-up also runs the change handling directly, on
        // an edit already noted.
        history_->noteEdit();
        colorcodes_.noteEdit(RichTextBox1->lastEdit());
        RichTextBox1_Change();
    };
    RichTextBox1->onSelChange = [this] {
        RichTextBox1_SelChange();
    };
    RichTextBox1->onKeyPress = [this](int &k) {
        RichTextBox1_KeyPress(k);
    };
    RichTextBox1->onMouseUp = [this](int b, int s, int x, int y) {
        RichTextBox1_MouseUp(b, s, x, y);
    };
}

// ---- Start-up and shut-down -------------------------------------------------------------

void MainWindow::Form_Load() {
    if (loaded_)
        return;
    loaded_ = true;
    skin_ = std::make_unique<MainSkin>(this, RichTextBox1);
    mnuview_Click(MainSkin::NeoSkin);
    putPage(*RichTextBox1, defaultPage());
    document_->setModified(false);
    document_->S();
    history_->trapUndo = true;
    RichTextBox1_Change();
    // The start-up page is the program's, not an edit of the user's: leaving the editor
    // right away must not ask to save it.
    document_->setModified(false);
    RichTextBox1_SelChange();
    show();
    QApplication::processEvents();
    auto item = [this](const char *n) {
        return items_.value(QString::fromLatin1(n));
    };
    auto button = [this](const char *n) {
        return toolButtons_.value(QString::fromLatin1(n));
    };
    // Bring the toolbar and the menu into agreement; this only ever disables.
    if (!item("mnucut")->isEnabled())
        button("XPButton6")->setEnabled(false);
    if (!item("mnucopy")->isEnabled())
        button("XPButton8")->setEnabled(false);
    if (!item("mnupaste")->isEnabled())
        button("XPButton9")->setEnabled(false);
    if (!button("XPButton7")->isEnabled())
        item("mnuundo")->setEnabled(false);
    if (!button("XPButton10")->isEnabled())
        item("mnuredo")->setEnabled(false);
    history_->reinitUndo();
    RichTextBox1->setSelStart(0);
    RichTextBox1->setFocus();
}

void MainWindow::closeEvent(QCloseEvent *event) {
    if (!Form_Unload()) {
        event->ignore();
        return;
    }
    event->accept();
    ended_ = true;
    if (onEndProcess)
        onEndProcess();
}

bool MainWindow::Form_Unload() {
    // Closing saves without asking. A cancelled Save dialog is the user's choice to leave
    // without saving; a write that failed keeps the window open, so the text is not lost.
    return document_->mnusave_Click() != SaveOutcome::Failed;
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
    Form_Resize();
}

void MainWindow::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void MainWindow::Form_Resize() {
    const QSize outer = outerSizeTwips();
    editorTwips_.setWidth(std::max(0, outer.width() - 300));
    editorTwips_.setHeight(std::max(0, outer.height() - 1400));
    RichTextBox1->setGeometry(twipsToPixels(editorTwips_.left()), twipsToPixels(editorTwips_.top()),
                              twipsToPixels(editorTwips_.width()),
                              twipsToPixels(editorTwips_.height()));
}

// ---- Editor notifications ---------------------------------------------------------------

void MainWindow::RichTextBox1_Change() {
    document_->setModified(true);
    if (!history_->recordChange())
        return;
    colorcodes_.colorRegion(*RichTextBox1, 1, -1);
}

void MainWindow::RichTextBox1_KeyPress(int &keyAscii) {
    colorcodes_.colorKeystroke(*RichTextBox1, keyAscii);
}

void MainWindow::RichTextBox1_SelChange() {
    if (!history_->trapUndo)
        return;
    const int length = RichTextBox1->selLength();
    items_.value(QStringLiteral("mnucut"))->setEnabled(length != 0);
    items_.value(QStringLiteral("mnucopy"))->setEnabled(length != 0);
    items_.value(QStringLiteral("mnupaste"))->setEnabled(!services_.clipboard->text().isEmpty());
    toolButtons_.value(QStringLiteral("XPButton6"))->setEnabled(length != 0);
    toolButtons_.value(QStringLiteral("XPButton8"))->setEnabled(length != 0);
    toolButtons_.value(QStringLiteral("XPButton9"))
        ->setEnabled(!services_.clipboard->text().isEmpty());
    items_.value(QStringLiteral("mnuselectall"))->setEnabled(RichTextBox1->length() != 0);
}

void MainWindow::RichTextBox1_MouseUp(int button, int, int, int) {
    if (button == RightButton)
        services_.popup->popup(menus_.value(QStringLiteral("mnuedit")), QCursor::pos());
}

// ---- Commands ---------------------------------------------------------------------------

void MainWindow::mnuname_Click() {
    document_->mnuname_Click();
}
void MainWindow::mnuopen_Click() {
    document_->mnuopen_Click();
}
void MainWindow::mnusave_Click() {
    document_->mnusave_Click();
}
void MainWindow::mnusaveas_Click() {
    document_->mnusaveas_Click();
}
void MainWindow::mnuexit_Click() {
    document_->mnuexit_Click();
}
void MainWindow::cmdUndo_Click() {
    Undo();
}
void MainWindow::cmdRedo_Click() {
    Redo();
}
void MainWindow::Undo() {
    history_->undo();
}
void MainWindow::Redo() {
    history_->redo();
}
void MainWindow::mnuview_Click(int index) {
    skin_->skinCommand(index);
}

// Preview, printing, help and the About box are not part of this build yet.
void MainWindow::mnupre_Click() {}
void MainWindow::mnuprint_Click() {}
void MainWindow::mnuipreview_Click() {}
void MainWindow::mnuhelp_Click() {}
void MainWindow::mnuabout_Click() {}

void MainWindow::mnucut_Click() {
    cutSelection(*RichTextBox1, *services_.clipboard);
}
void MainWindow::mnucopy_Click() {
    copySelection(*RichTextBox1, *services_.clipboard);
}
void MainWindow::mnupaste_Click() {
    pasteClipboard(*RichTextBox1, *services_.clipboard);
}
void MainWindow::mnuselectall_Click() {
    selectAll(*RichTextBox1);
}

const quenbry::SkinConfiguration *MainWindow::SkinConfiguration() const {
    return skin_ ? skin_->skinConfiguration() : nullptr;
}

void MainWindow::setCommandEnabled(HistoryCommand which, bool enabled) {
    switch (which) {
    case HistoryCommand::XPButton7:
        toolButtons_.value(QStringLiteral("XPButton7"))->setEnabled(enabled);
        break;
    case HistoryCommand::mnuundo:
        items_.value(QStringLiteral("mnuundo"))->setEnabled(enabled);
        break;
    case HistoryCommand::XPButton10:
        toolButtons_.value(QStringLiteral("XPButton10"))->setEnabled(enabled);
        break;
    case HistoryCommand::mnuredo:
        items_.value(QStringLiteral("mnuredo"))->setEnabled(enabled);
        break;
    case HistoryCommand::cmdUndo:
        hiddenButtons_.value(QStringLiteral("cmdUndo"))->setEnabled(enabled);
        break;
    case HistoryCommand::cmdRedo:
        hiddenButtons_.value(QStringLiteral("cmdRedo"))->setEnabled(enabled);
        break;
    }
}

void MainWindow::hideSelection(bool hide) {
    RichTextBox1->setSelectionHidden(hide);
}

void MainWindow::focusEditor() {
    RichTextBox1->setFocus();
}

QString MainWindow::applicationTitle() const {
    return appTitle;
}

void MainWindow::runNewPageDialog() {
    quenbry::runNewPageDialog(this, SkinConfiguration(), *services_.dialogs, templateSettings_,
                              *RichTextBox1);
}

void MainWindow::disableCmdUndo() {
    hiddenButtons_.value(QStringLiteral("cmdUndo"))->setEnabled(false);
}

void MainWindow::disableXPButton7() {
    toolButtons_.value(QStringLiteral("XPButton7"))->setEnabled(false);
}

void MainWindow::toggleToolButton(const char *viewItem, const char *button) {
    ImageButton *b = toolButtons_.value(QString::fromLatin1(button));
    QAction *item = items_.value(QString::fromLatin1(viewItem));
    if (!b->isHidden()) {
        b->setVisible(false);
        item->setChecked(false);
    } else {
        b->setVisible(true);
        item->setChecked(true);
    }
}

} // namespace quenbry
