// The main window's menus and toolbar as the user meets them, checked against a table written
// out here by hand, so that a slip in the window's own tables (a caption, a shortcut, a flag,
// a place) fails; and the keyboard focus order of the window.

#include "testsupport/scriptedservices.h"
#include "shell/mainwindow.h"

#include <QAction>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QProcess>
#include <gtest/gtest.h>

namespace quenbry {
namespace {

struct ExpectedItem {
    const char *name;
    const char *caption;
    const char *shortcut;
    bool visible;
    bool checked;
};

// Every menu and menu item, in menu order: a menu of the menu bar is followed by its items.
const ExpectedItem expectedItems[] = {
    {"mnufile", "File", "", true, false},
    {"mnuname", "New", "Ctrl+N", true, false},
    {"mnuopen", "Open", "Ctrl+O", true, false},
    {"mnusep", "-", "", true, false},
    {"mnusave", "Save", "Ctrl+S", true, false},
    {"mnusaveas", "Save As", "", true, false},
    {"mnuftp", "FTP Upload", "Ctrl+U", false, false},
    {"mnusep1", "-", "", true, false},
    {"mnuqpreview", "Quick Preview", "", false, false},
    {"mnupre", "Preview in browser", "", true, false},
    {"mnuprint", "Print", "Ctrl+P", true, false},
    {"mnusep2", "-", "", true, false},
    {"mnuexit", "Exit", "", true, false},
    {"mnuedit", "Edit", "", true, false},
    {"mnuundo", "Undo", "Ctrl+Z", true, false},
    {"mnuredo", "Redo", "Ctrl+Y", true, false},
    {"mnusep3", "-", "", true, false},
    {"mnucut", "Cut", "Ctrl+X", true, false},
    {"mnucopy", "Copy", "Ctrl+C", true, false},
    {"mnupaste", "Paste", "Ctrl+V", true, false},
    {"mnuselectall", "Select all", "Ctrl+A", true, false},
    {"mnuview(3)", "Skin", "", false, false},
    {"mnuviewmain", "View", "", false, false},
    {"mnuvnew", "New Icon", "", true, true},
    {"mnuvsave", "Save Icon", "", true, true},
    {"mnuvopen", "Open Icon", "", true, true},
    {"mnuvprint", "Print Icon", "", true, true},
    {"mnuipreview", "Instant Preview", "Ctrl+Q", true, true},
    {"mnuvqpreview", "Quick Preview Icon", "", true, true},
    {"mnuvbro", "Preview In Browser Icon", "", true, true},
    {"mnuftpv", "FTP Upload Icon", "", true, true},
    {"mnuvcut", "Cut Icon", "", true, true},
    {"mnuvcopy", "Copy Icon", "", true, true},
    {"mnuvpaste", "Paste Icon", "", true, true},
    {"mnuvundo", "Undo Icon", "", true, true},
    {"mnuvredo", "Redo Icon", "", true, true},
    {"mnutags", "Tags", "", true, false},
    {"mnumarquee", "Marquee", "", true, false},
    {"mnulnbreak", "Line Break", "", true, false},
    {"mnubold", "Bold", "", true, false},
    {"mnufont", "Font", "", true, false},
    {"mnuhr", "Horizontal Rule", "", true, false},
    {"mnuhelpmain", "Help", "", true, false},
    {"mnuhelp", "Help", "F1", true, false},
    {"mnuabout", "About", "", true, false},
};

// Which items each menu holds, in order.
const std::vector<std::pair<const char *, std::vector<const char *>>> expectedMenus = {
    {"mnufile",
     {"mnuname", "mnuopen", "mnusep", "mnusave", "mnusaveas", "mnuftp", "mnusep1", "mnuqpreview",
      "mnupre", "mnuprint", "mnusep2", "mnuexit"}},
    {"mnuedit",
     {"mnuundo", "mnuredo", "mnusep3", "mnucut", "mnucopy", "mnupaste", "mnuselectall",
      "mnuview(3)"}},
    {"mnuviewmain",
     {"mnuvnew", "mnuvsave", "mnuvopen", "mnuvprint", "mnuipreview", "mnuvqpreview", "mnuvbro",
      "mnuftpv", "mnuvcut", "mnuvcopy", "mnuvpaste", "mnuvundo", "mnuvredo"}},
    {"mnutags", {"mnumarquee", "mnulnbreak", "mnubold", "mnufont", "mnuhr"}},
    {"mnuhelpmain", {"mnuhelp", "mnuabout"}},
};

struct ExpectedButton {
    const char *name;
    const char *tooltip;
    int left;
};

// The toolbar left to right; every button is 375 square at the top of the client area.
const ExpectedButton expectedButtons[] = {
    {"XPButton1", "New File", 120},
    {"XPButton2", "Save", 480},
    {"XPButton3", "Open", 840},
    {"XPButton4", "Print Source Code", 1320},
    {"XPButton5", "Preview in Browser", 1680},
    {"XPButton6", "Cut", 2160},
    {"XPButton8", "Copy", 2520},
    {"XPButton9", "Paste", 2880},
    {"XPButton7", "Undo", 3360},
    {"XPButton10", "Redo", 3720},
};

const char *const hiddenButtons[] = {"Command1", "Command2",  "Command5",  "Command7", "Command8",
                                     "Command9", "Command10", "Command11", "cmdUndo",  "cmdRedo"};

// The `commands` object of one dump right after start-up, read from the replay driver.
QJsonObject startupCommands() {
    QProcess driver;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    driver.setProcessEnvironment(env);
    driver.start(QStringLiteral(REPLAY), {});
    if (!driver.waitForStarted(30000))
        return {};
    driver.write("start\ndump\n");
    driver.closeWriteChannel();
    if (!driver.waitForFinished(60000) || driver.exitStatus() != QProcess::NormalExit ||
        driver.exitCode() != 0) {
        ADD_FAILURE() << "driver failed: " << driver.readAllStandardError().toStdString();
        return {};
    }
    const QList<QByteArray> lines = driver.readAllStandardOutput().split('\n');
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(lines.value(0), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return doc.object().value(QStringLiteral("commands")).toObject();
}

class CommandTables : public ::testing::Test {
protected:
    static void SetUpTestSuite() { commands_ = new QJsonObject(startupCommands()); }
    static void TearDownTestSuite() {
        delete commands_;
        commands_ = nullptr;
    }
    static QJsonObject *commands_;
};
QJsonObject *CommandTables::commands_ = nullptr;

TEST_F(CommandTables, EveryMenuItemHasItsCaptionShortcutAndFlags) {
    ASSERT_FALSE(commands_->isEmpty());
    for (const ExpectedItem &e : expectedItems) {
        SCOPED_TRACE(e.name);
        const QJsonValue v = commands_->value(QString::fromLatin1(e.name));
        ASSERT_TRUE(v.isObject()) << "missing from the window";
        const QJsonObject o = v.toObject();
        EXPECT_EQ(o.value("caption").toString().toStdString(), e.caption);
        EXPECT_EQ(o.value("shortcut").toString().toStdString(), e.shortcut);
        EXPECT_EQ(o.value("visible").toBool(), e.visible);
        EXPECT_EQ(o.value("checked").toBool(), e.checked);
    }
}

TEST_F(CommandTables, EveryToolbarButtonHasItsTooltipAndPlace) {
    ASSERT_FALSE(commands_->isEmpty());
    for (const ExpectedButton &e : expectedButtons) {
        SCOPED_TRACE(e.name);
        const QJsonObject o = commands_->value(QString::fromLatin1(e.name)).toObject();
        ASSERT_FALSE(o.isEmpty()) << "missing from the window";
        EXPECT_EQ(o.value("tooltip").toString().toStdString(), e.tooltip);
        EXPECT_EQ(o.value("left").toInt(-1), e.left);
        EXPECT_EQ(o.value("top").toInt(-1), 0);
        EXPECT_EQ(o.value("width").toInt(-1), 375);
        EXPECT_EQ(o.value("height").toInt(-1), 375);
        EXPECT_TRUE(o.value("visible").toBool());
    }
}

TEST_F(CommandTables, NothingBeyondTheTables) {
    ASSERT_FALSE(commands_->isEmpty());
    QStringList known;
    for (const ExpectedItem &e : expectedItems)
        known << QString::fromLatin1(e.name);
    for (const ExpectedButton &e : expectedButtons)
        known << QString::fromLatin1(e.name);
    for (const char *name : hiddenButtons)
        known << QString::fromLatin1(name);
    for (const QString &key : commands_->keys())
        EXPECT_TRUE(known.contains(key)) << key.toStdString();
    EXPECT_EQ(commands_->size(), known.size());
}

// A window on scripted services, loaded as at start-up.
class LoadedWindow : public ::testing::Test {
protected:
    LoadedWindow() {
        window_ = std::make_unique<MainWindow>(desktop_.services());
        window_->onEndProcess = [] {
        };
        window_->startUp();
    }

    ScriptedDesktop desktop_;
    std::unique_ptr<MainWindow> window_;
};

TEST_F(LoadedWindow, MenusHoldTheirItemsInOrder) {
    for (const auto &[menuName, items] : expectedMenus) {
        SCOPED_TRACE(menuName);
        QMenu *menu = window_->menu(QString::fromLatin1(menuName));
        ASSERT_NE(menu, nullptr);
        QStringList actual;
        for (const QAction *a : menu->actions())
            actual << a->objectName();
        QStringList expected;
        for (const char *item : items)
            expected << QString::fromLatin1(item);
        EXPECT_EQ(actual.join(u' ').toStdString(), expected.join(u' ').toStdString());
    }
}

TEST_F(LoadedWindow, SeparatorsAreSeparators) {
    for (const ExpectedItem &e : expectedItems) {
        const QAction *a = window_->menuItem(QString::fromLatin1(e.name));
        ASSERT_NE(a, nullptr) << e.name;
        EXPECT_EQ(a->isSeparator(), QByteArray(e.caption) == "-") << e.name;
    }
}

TEST_F(LoadedWindow, EditorFirstThenToolbarInTabOrder) {
    EXPECT_EQ(window_->focusWidget(), window_->editor());

    QList<QWidget *> tabStops;
    QWidget *w = window_.get();
    do {
        w = w->nextInFocusChain();
        if (w->isVisibleTo(window_.get()) && (w->focusPolicy() & Qt::TabFocus))
            tabStops << w;
    } while (w != window_.get());

    QStringList names;
    for (const QWidget *stop : tabStops)
        names << stop->objectName();
    EXPECT_EQ(names.join(u' ').toStdString(),
              "RichTextBox1 XPButton1 XPButton2 XPButton3 XPButton4 XPButton5 XPButton6 "
              "XPButton8 XPButton9 XPButton7 XPButton10");
}

} // namespace
} // namespace quenbry
