#pragma once
// A model and its view shown as a window of their own, active and focused, so that events go
// the way a desktop sends them.

#include "platform/editorview.h"
#include "text/editorcore.h"

#include <QTest>
#include <gtest/gtest.h>

namespace quenbry {

struct ShownView {
    explicit ShownView(QSize size = QSize(500, 300)) {
        view.resize(size);
        view.show();
        view.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&view));
        view.setFocus();
    }
    QWindow *window() { return view.windowHandle(); }
    // A point of the viewport in the window's coordinates.
    QPoint inWindow(QPoint p) { return view.viewport()->mapTo(&view, p); }
    QPoint pointOf(int offset) {
        view.scrollToOffset(offset);
        const QRect r = view.cursorRect(offset);
        return QPoint(r.left() + 1, r.center().y());
    }
    EditorCore model;
    EditorView view{model};
};

} // namespace quenbry
