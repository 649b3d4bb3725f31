// Keys as a desktop delivers them to the main window (through its QWindow: focus, shortcuts,
// Tab handling and menus run as they do for a person), where the faults met on a real desktop
// were: Shift+Left, Tab, Alt with a letter, F10, Shift+F10 and the Menu key, and the scroll
// bar after opening a wide page; and where a click leaves the caret by the status bar's count.
#include "preview/previewsettings.h"
#include "shell/mainwindow.h"
#include "status/statusline.h"
#include "testsupport/scriptedservices.h"

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace quenbry {
namespace {

struct RecordingPopup : MenuPopup {
    QMenu *menu = nullptr;
    QPoint at;
    void popup(QMenu *m, const QPoint &globalPos) override {
        menu = m;
        at = globalPos;
    }
};

class WindowKeys : public testing::Test {
protected:
    void SetUp() override {
        Services services = desktop.services();
        services.popup = &popup;
        window = std::make_unique<MainWindow>(services);
        window->onEndProcess = [] {
        };
        window->startUp();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(window->windowHandle(), key, mods);
    }
    EditorCore &editor() { return *window->editor(); }

    ScriptedDesktop desktop;
    RecordingPopup popup;
    std::unique_ptr<MainWindow> window;
};

TEST_F(WindowKeys, ShiftLeftExtendsLeftwardsAndCopyTakesIt) {
    press(Qt::Key_End, Qt::ControlModifier);
    for (int i = 0; i < 3; ++i)
        press(Qt::Key_Left, Qt::ShiftModifier);
    press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(desktop.clipboard.text(), "ml>");
    press(Qt::Key_End);
    press(Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    press(Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(desktop.clipboard.text(), "html>");
}

TEST_F(WindowKeys, TabTypesATabAndKeepsTheFocus) {
    press(Qt::Key_Tab);
    press(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(editor().text().left(2), "\t<");
    EXPECT_EQ(QApplication::focusWidget(), window->editorView());
}

TEST_F(WindowKeys, AltWithAMenuLetterOpensTheMenuAndTypesNothing) {
    const QString before = editor().text();
    const std::pair<Qt::Key, const char *> menus[] = {{Qt::Key_F, "mnufile"},
                                                      {Qt::Key_E, "mnuedit"},
                                                      {Qt::Key_T, "mnutags"},
                                                      {Qt::Key_H, "mnuhelpmain"}};
    for (const auto &[key, name] : menus) {
        press(key, Qt::AltModifier);
        EXPECT_EQ(QApplication::activePopupWidget(), window->menu(QLatin1String(name))) << name;
        if (QWidget *open = QApplication::activePopupWidget())
            open->close();
    }
    press(Qt::Key_X, Qt::AltModifier);
    press(Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(editor().text(), before);
    press(Qt::Key_T, Qt::AltModifier); // opens with its first item ready for Enter
    press(Qt::Key_Return);
    EXPECT_EQ(editor().text(), "<marquee></marquee>" + before);
}

TEST_F(WindowKeys, TheDesktopsOtherEditKeysRunTheEditCommands) {
    press(Qt::Key_End, Qt::ShiftModifier);
    press(Qt::Key_Insert, Qt::ControlModifier);
    const QString line = desktop.clipboard.text();
    ASSERT_TRUE(line.startsWith("<!DOCTYPE"));
    press(Qt::Key_Delete, Qt::ShiftModifier);
    press(Qt::Key_Insert, Qt::ShiftModifier);
    press(Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_TRUE(editor().text().startsWith(line + line + "\r\n"));
    press(Qt::Key_Z, Qt::ControlModifier);
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(editor().text().startsWith(line + line + "\r\n"));
}

TEST_F(WindowKeys, F10OpensTheMenuBarAndEscapeOrAltAloneLeaveTheKeysWithTheEditor) {
    press(Qt::Key_F10);
    EXPECT_EQ(QApplication::activePopupWidget(), window->menu(QStringLiteral("mnufile")));
    press(Qt::Key_Escape);
    press(Qt::Key_W);
    press(Qt::Key_Alt, Qt::AltModifier);
    press(Qt::Key_Q);
    EXPECT_EQ(editor().text().left(3), "wq<");
}

TEST_F(WindowKeys, ShiftF10AndTheMenuKeyOpenTheEditMenuAtTheCaret) {
    press(Qt::Key_Down);
    press(Qt::Key_End);
    EditorView *view = window->editorView();
    const QRect caret = view->cursorRect(view->caret());
    for (const auto &[key, mods] :
         {std::pair{Qt::Key_F10, Qt::ShiftModifier}, std::pair{Qt::Key_Menu, Qt::NoModifier}}) {
        popup.menu = nullptr;
        press(key, mods);
        EXPECT_EQ(popup.menu, window->menu(QStringLiteral("mnuedit")));
        EXPECT_LE((popup.at - view->viewport()->mapToGlobal(caret.bottomLeft())).manhattanLength(),
                  2);
    }
    EXPECT_EQ(editor().text().size(), editor().length()); // nothing typed
}

// The program's own limit holds the text (what it can save and open again), and a key that would
// go beyond it types nothing and tells the user why.
TEST_F(WindowKeys, AKeyBeyondTheLimitTypesNothingAndSaysWhy) {
    EXPECT_EQ(editor().maxLength(), kMaxDocumentBytes - 2);
    editor().setMaxLength(editor().length());
    const QString before = editor().text();
    desktop.dialogs.queueAnswer(MessageAnswer::Ok);
    press(Qt::Key_Less); // refused before the colouring hears of it: no tag begins
    EXPECT_EQ(editor().text(), before);
    ASSERT_EQ(desktop.dialogs.messages.size(), 1u);
    EXPECT_TRUE(desktop.dialogs.messages[0].text.startsWith("The edit was not made."));
    EXPECT_FALSE(window->session().colouring().typingState().inTag);
}

TEST_F(WindowKeys, AWidePageOpensAtItsLeftEdge) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("wide.html"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<p>short</p>\r\n" + QByteArray(3000, 'w') + "\r\n<p>end</p>\r\n");
    file.close();
    desktop.dialogs.queueFileName(path);
    press(Qt::Key_O, Qt::ControlModifier);
    QApplication::processEvents();
    EditorView *view = window->editorView();
    const QScrollBar *bar = view->horizontalScrollBar();
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(view->cursorRect(0).left(), 4);
    // The bar reaches the end of the widest line, though most of it was never shaped.
    const int lineEnd = 4 + int(std::ceil(view->layouts().lineWidth(1))) + 4 + 1;
    EXPECT_NEAR(bar->maximum() + view->viewport()->width(), lineEnd, 1);
}

// The status bar counts a CR LF, an LF and a CR alike as one line end; the line numbers narrow
// the text, not the editor, and the user's settings keep the choice.
TEST_F(WindowKeys, AClickShowsItsLineAndColumnWhateverTheLineEndsAndTheGutter) {
    EditorView *view = window->editorView();
    const QRect place = view->geometry();
    window->menuItem(QStringLiteral("mnulinenumbers"))->trigger();
    EXPECT_EQ(desktop.userSettings.value(previewSettingsKeyPath, QStringLiteral("LineNumbers")),
              QVariant(qint64(1)));
    EXPECT_EQ(view->geometry(), place);
    for (const auto &[page, d] : {std::pair{"ab\r\ncd\r\n", 5}, {"ab\ncd\n", 4}, {"ab\rcd", 4}}) {
        editor().setText(page);
        QApplication::processEvents();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->cursorRect(d).center());
        const StatusLine::State &s = window->statusLine()->state();
        EXPECT_EQ(std::pair(s.line, s.column), std::pair(2, 2)) << page;
    }
}

} // namespace
} // namespace quenbry
