// The view in random use: typing, clicks, lines of thousands of characters, scrolling of every
// kind, resizes and forced repaints, in any order and often with no paint between them; what a
// screen reader is told stays the model's. Built with
// AddressSanitizer, so that a copy outside what the view's buffers hold fails here even where
// it would not crash.
#include "shownview.h"

#include <QAccessible>
#include <QApplication>
#include <QScrollBar>
#include <QWheelEvent>
#include <random>

namespace quenbry {
namespace {

// Markup of n characters, past the length at which lines are cut into segments.
QString longMarkup(std::mt19937 &rng, int n) {
    const QString parts[] = {"<td class=\"x y\">", "some words ", "</td>", "\t", "é — z "};
    QString s;
    while (s.size() < n)
        s += parts[rng() % 5];
    s.truncate(n);
    return s;
}

TEST(ViewRandom, ResizesScrollsAndEditsKeepTheViewSoundAndInStep) {
    for (const unsigned seed : {1u, 7u, 42u, 2024u}) {
        std::mt19937 rng(seed);
        ShownView v(QSize(368, 240)); // the editor's width beside the preview pane
        QString shadow = longMarkup(rng, 3000) + "\r\n<p>a</p>\n<p>b</p>\r";
        v.model.setText(shadow);
        QScrollBar *h = v.view.horizontalScrollBar(), *vert = v.view.verticalScrollBar();
        QAccessibleTextInterface *a11y =
            QAccessible::queryAccessibleInterface(&v.view)->textInterface();
        ASSERT_NE(a11y, nullptr);
        // The model replaces the selection with what is typed or put in.
        auto replaceSelection = [&](const QString &text) {
            shadow.replace(v.model.selStart(), v.model.selLength(), text);
        };
        auto wheel = [&](Qt::KeyboardModifiers mods) {
            const QPointF at(10, 10);
            QWheelEvent e(at, v.view.viewport()->mapToGlobal(at), QPoint(),
                          QPoint(0, rng() % 2 ? 120 : -120), Qt::NoButton, mods, Qt::NoScrollPhase,
                          false);
            QApplication::sendEvent(v.view.viewport(), &e);
        };
        for (int step = 0; step < 400; ++step) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << step);
            const int kind = int(rng() % 10);
            bool byKey = kind <= 4;
            if (kind <= 2) {
                const Qt::Key keys[] = {Qt::Key_Left, Qt::Key_Right,  Qt::Key_Up,
                                        Qt::Key_Down, Qt::Key_Home,   Qt::Key_End,
                                        Qt::Key_End,  Qt::Key_PageUp, Qt::Key_PageDown};
                Qt::KeyboardModifiers mods;
                if (rng() % 3 == 0)
                    mods |= Qt::ShiftModifier;
                if (rng() % 4 == 0)
                    mods |= Qt::ControlModifier;
                const Qt::Key key = keys[rng() % 9];
                // Ctrl with Up or Down scrolls and leaves the caret behind.
                byKey = !(mods & Qt::ControlModifier) || (key != Qt::Key_Up && key != Qt::Key_Down);
                QTest::keyClick(v.window(), key, mods);
            } else if (kind == 3) {
                const char typed = "ab <>=\"\t\r"[rng() % 9];
                replaceSelection(typed == '\r' ? QStringLiteral("\r\n") : QString(QChar(typed)));
                QTest::keyClick(v.window(), typed);
            } else if (kind == 4) {
                // Backspace takes the selection, or the character or CR LF before the caret.
                const int at = v.model.selStart();
                const int n = v.model.selLength() > 0                      ? 0
                              : at >= 2 && shadow.mid(at - 2, 2) == "\r\n" ? 2
                                                                           : 1;
                if (n == 0)
                    replaceSelection(QString());
                else if (at > 0)
                    shadow.remove(at - n, n);
                byKey = n == 0 || at > 0; // a Backspace that takes nothing moves no caret
                QTest::keyClick(v.window(), Qt::Key_Backspace);
            } else if (kind == 5) {
                const QString ends[] = {"\r\n", "\n", "\r"};
                const QString text = (rng() % 3 == 0 ? longMarkup(rng, 2000 + int(rng() % 5000))
                                                     : longMarkup(rng, int(rng() % 40))) +
                                     ends[rng() % 3];
                replaceSelection(text);
                v.model.insertFromUser(text);
            } else if (kind <= 7) {
                // Several moves before the view paints any of them.
                for (int n = 1 + int(rng() % 3); n > 0; --n) {
                    switch (rng() % 5) {
                    case 0:
                        h->setValue(int(rng() % (h->maximum() + 1)));
                        break;
                    case 1:
                        vert->setValue(int(rng() % (vert->maximum() + 1)));
                        break;
                    case 2:
                        h->triggerAction(rng() % 2 ? QAbstractSlider::SliderSingleStepAdd
                                                   : QAbstractSlider::SliderPageStepSub);
                        break;
                    default:
                        wheel(rng() % 2 ? Qt::ShiftModifier : Qt::NoModifier);
                    }
                }
            } else if (kind == 8) {
                // The preview pane's jump, or any other size; a rare change of font size.
                const QSize was = v.view.size();
                const int width =
                    rng() % 2 ? was.width() + (rng() % 2 ? 405 : -405) : 100 + int(rng() % 700);
                v.view.resize(std::clamp(width, 100, 900), 60 + int(rng() % 340));
                if (rng() % 8 == 0)
                    wheel(Qt::ControlModifier);
            } else if (rng() % 2) {
                const QRect r = v.view.viewport()->rect();
                const QPoint p(int(rng() % r.width()), int(rng() % r.height()));
                QTest::mouseClick(v.window(), Qt::LeftButton,
                                  rng() % 4 ? Qt::NoModifier : Qt::ShiftModifier, v.inWindow(p));
                QTest::qWait(QApplication::doubleClickInterval() / 4);
            } else if (rng() % 2) {
                v.view.viewport()->repaint();
            } else {
                v.view.viewport()->grab();
            }
            ASSERT_TRUE(v.model.text() == shadow);
            // A screen reader sees the model's text, selection and caret.
            const int length = v.model.length();
            ASSERT_EQ(a11y->characterCount(), length);
            if (step % 20 == 0) {
                ASSERT_TRUE(a11y->text(0, length) == shadow);
            }
            int s = 0, e = 0;
            a11y->selection(0, &s, &e);
            ASSERT_EQ(s, v.model.selLength() ? v.model.selStart() : 0);
            ASSERT_EQ(e - s, v.model.selLength());
            ASSERT_EQ(a11y->cursorPosition(), v.view.caret());
            const QRect viewport = v.view.viewport()->rect();
            if (byKey) {
                ASSERT_TRUE(viewport.contains(v.view.cursorRect(v.view.caret()).center()))
                    << "caret at " << v.view.caret() << " in " << viewport.width() << "x"
                    << viewport.height() << ", scrolled " << h->value();
            }
            // What scrolling, resizing and editing left drawn is what a fresh drawing shows.
            if (rng() % 4 == 0) {
                const QImage kept = v.view.viewport()->grab().toImage();
                v.view.repaintAll();
                ASSERT_EQ(kept, v.view.viewport()->grab().toImage());
            }
            if (rng() % 3)
                QApplication::processEvents();
        }
    }
}

} // namespace
} // namespace quenbry
