// Keyboard focus in the main window, which the replay driver cannot see: Tab runs from the
// editor over the toolbar buttons in the order they stand, left to right.
#include "platform/imagebutton.h"
#include "shell/mainwindow.h"
#include "testsupport/scriptedservices.h"

#include <QTest>
#include <gtest/gtest.h>

namespace quenbry {
namespace {

TEST(MainWindowFocus, TabRunsFromTheEditorOverTheToolbarLeftToRight) {
    ScriptedDesktop desktop;
    MainWindow window(desktop.services());
    window.onEndProcess = [] {
    };
    window.startUp();

    QList<QWidget *> stops;
    for (QWidget *w = window.nextInFocusChain(); w != &window; w = w->nextInFocusChain())
        if (w->isVisibleTo(&window) && (w->focusPolicy() & Qt::TabFocus))
            stops << w;
    ASSERT_GT(stops.size(), 2);
    // From a button, Ctrl+Shift+Tab goes back as Shift+Tab does, and Ctrl+Tab on as Tab does.
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    stops[1]->setFocus();
    QTest::keyClick(stops[1], Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(stops[0]->hasFocus());
    stops[1]->setFocus();
    QTest::keyClick(stops[1], Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_TRUE(stops[2]->hasFocus());
    EXPECT_EQ(stops.takeFirst(), window.editorView());
    int buttons = 0;
    for (ImageButton *b : window.findChildren<ImageButton *>())
        buttons += b->isVisibleTo(&window);
    EXPECT_EQ(stops.size(), buttons);
    for (int i = 0; i < stops.size(); ++i) {
        EXPECT_NE(qobject_cast<ImageButton *>(stops[i]), nullptr);
        if (i > 0) {
            EXPECT_GT(stops[i]->x(), stops[i - 1]->x()) << stops[i]->objectName().toStdString();
        }
    }
}

} // namespace
} // namespace quenbry
