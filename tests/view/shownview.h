#pragma once
// A model and its view shown as a window of their own, active and focused, so that events go
// the way a desktop sends them.

#include "text/editorcore.h"
#include "view/editorview.h"

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
    // Hands every edit on to the model and keeps the typed keys.
    struct KeyLog : EditorInput {
        explicit KeyLog(EditorCore &m)
            : model(m) {}
        void typeCharacter(int key) override {
            keys.push_back(key);
            model.typeCharacter(key);
        }
        void pressDelete() override { model.pressDelete(); }
        void insertFromUser(const QString &t) override { model.insertFromUser(t); }
        void selectFromUser(int start, int length) override { model.selectFromUser(start, length); }
        EditorCore &model;
        std::vector<int> keys;
    };
    EditorCore model;
    KeyLog input{model};
    EditorView view{model, input};
};

} // namespace quenbry
