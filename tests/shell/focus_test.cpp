// Keyboard focus in the main window, which the replay driver cannot see: Tab runs from the
// editor over the toolbar buttons in the order they stand, left to right.
#include "platform/imagebutton.h"
#include "shell/mainwindow.h"
#include "testsupport/scriptedservices.h"

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
    ASSERT_FALSE(stops.isEmpty());
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
