// One suite of editor behaviour, run against the model alone and with the on-screen view.
#include "platform/editorview.h"
#include "platform/editorwidget.h"
#include "text/editorcore.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextLayout>
#include <gtest/gtest.h>
#include <memory>
#include <random>

namespace quenbry {
namespace {

enum class Impl { Memory, Widget, View };

// Counts the notifications an editor raises.
struct Recorder {
    int changes = 0;
    int selChanges = 0;
    std::vector<int> keys;
    void attach(EditorBuffer &e) {
        e.onChange = [this] {
            ++changes;
        };
        e.onSelChange = [this] {
            ++selChanges;
        };
        e.onKeyPress = [this](int &k) {
            keys.push_back(k);
        };
    }
};

class Conformance : public testing::TestWithParam<Impl> {
protected:
    void SetUp() override {
        if (GetParam() == Impl::Widget) {
            auto w = std::make_unique<EditorWidget>();
            w->resize(400, 300);
            widget = w.get();
            editor = std::move(w);
        } else {
            editor = std::make_unique<EditorCore>();
        }
        if (GetParam() == Impl::View) {
            view = std::make_unique<EditorView>(*editor);
            view->resize(400, 300);
        }
        rec.attach(*editor);
    }
    // The view shows one line per line end, whatever its kind, and its caret and anchor hold
    // the model's selection.
    void expectViewMatches() {
        if (view) {
            for (int n = 0; n < editor->lineCount(); ++n) {
                QString shown;
                for (const LineLayouts::Piece &p : view->layouts().piecesIn(n, -1e9, 1e9))
                    shown += p.layout->text();
                const int start = editor->lineStart(n);
                ASSERT_EQ(shown, editor->mid(start, editor->lineEnd(n) - start)) << "line " << n;
            }
            EXPECT_EQ(std::min(view->anchor(), view->caret()), editor->selStart());
            EXPECT_EQ(std::abs(view->caret() - view->anchor()), editor->selLength());
        }
        if (!widget)
            return;
        const QString expected = editor->text().replace("\r\n", "\n").replace(u'\r', u'\n');
        EXPECT_EQ(widget->document()->toPlainText(), expected);
        // A caret the program put between a CR and its LF shows after the line end.
        const int s = editor->selStart();
        const bool insidePair =
            s > 0 && s < editor->length() && editor->at(s - 1) == u'\r' && editor->at(s) == u'\n';
        const QTextCursor c = widget->textCursor();
        EXPECT_EQ(widget->fromViewOffset(c.selectionStart()), insidePair ? s + 1 : s);
    }

    std::unique_ptr<EditorCore> editor;
    EditorWidget *widget = nullptr;
    std::unique_ptr<EditorView> view;
    Recorder rec;
};

TEST_P(Conformance, LineEndsOfEveryKindKeptThroughEdits) {
    const QString mixed = QStringLiteral("a\r\nb\nc\rd\n\r\r\n");
    editor->setText(mixed);
    EXPECT_EQ(editor->text(), mixed);
    EXPECT_EQ(editor->length(), mixed.size());
    expectViewMatches();

    struct Step {
        int start, length;
        QString insert;
        QString expected;
    };
    const Step steps[] = {
        {1, 0, "X", "aX\r\nb\nc\rd\n\r\r\n"},
        // An LF typed after a lone CR makes one CR LF line end.
        {8, 0, "\n", "aX\r\nb\nc\r\nd\n\r\r\n"},
        // Splitting a CR LF pair leaves a lone CR and a lone LF.
        {3, 0, "Y", "aX\rY\nb\nc\r\nd\n\r\r\n"},
        {0, 0, "", "aX\rY\nb\nc\r\nd\n\r\r\n"},
        // Deleting across several kinds at once.
        {2, 5, "", "aXc\r\nd\n\r\r\n"},
        {6, 2, "\r\n\r", "aXc\r\nd\r\n\r\r\n"},
    };
    for (const Step &s : steps) {
        editor->setSelStart(s.start);
        editor->setSelLength(s.length);
        editor->setSelText(s.insert);
        ASSERT_EQ(editor->text(), s.expected);
        EXPECT_EQ(editor->selStart(), s.start + s.insert.size());
        expectViewMatches();
    }
}

TEST_P(Conformance, OffsetsCountCrLfAsTwo) {
    editor->setText(QStringLiteral("ab\r\ncd\r\nef"));
    editor->setSelStart(4);
    editor->setSelLength(2);
    EXPECT_EQ(editor->selText(), "cd");
    editor->setSelStart(2);
    editor->setSelLength(2);
    EXPECT_EQ(editor->selText(), "\r\n");
    // A caret between the CR and the LF is kept exactly, as the program set it.
    editor->setSelStart(3);
    EXPECT_EQ(editor->selStart(), 3);
    editor->setSelText(QStringLiteral("Z"));
    EXPECT_EQ(editor->text(), "ab\rZ\ncd\r\nef");
    expectViewMatches();
    EXPECT_EQ(editor->indexOf(QStringView(u"\r\nef"), 0), 7);
    EXPECT_EQ(editor->lastIndexOf(u'\r', 9), 7);
}

TEST_P(Conformance, EnterTypesCrLfAndBackspaceDeleteTakeItWhole) {
    editor->setText(QStringLiteral("ab"));
    editor->setSelStart(1);
    editor->typeCharacter('\r');
    EXPECT_EQ(editor->text(), "a\r\nb");
    EXPECT_EQ(editor->selStart(), 3);
    editor->typeCharacter('\b');
    EXPECT_EQ(editor->text(), "ab");
    EXPECT_EQ(editor->selStart(), 1);
    editor->typeCharacter('\r');
    editor->setSelStart(1);
    editor->pressDelete();
    EXPECT_EQ(editor->text(), "ab");
    editor->setSelStart(0);
    editor->typeCharacter('\b');
    EXPECT_EQ(editor->text(), "ab");
    expectViewMatches();
}

TEST_P(Conformance, SelectionRulesClampAndReject) {
    editor->setText(QStringLiteral("hello"));
    EXPECT_TRUE(editor->setSelStart(99));
    EXPECT_EQ(editor->selStart(), 5);
    editor->setSelStart(1);
    EXPECT_TRUE(editor->setSelLength(99));
    EXPECT_EQ(editor->selLength(), 4);
    // Setting the start collapses the selection.
    editor->setSelStart(2);
    EXPECT_EQ(editor->selLength(), 0);
    EXPECT_FALSE(editor->setSelStart(-1));
    EXPECT_FALSE(editor->setSelLength(-3));
    EXPECT_EQ(editor->selStart(), 2);
    EXPECT_EQ(editor->selLength(), 0);
}

TEST_P(Conformance, NotificationsFollowTextAndSelectionNotColour) {
    editor->setText(QStringLiteral("abc"));
    EXPECT_EQ(rec.changes, 1);
    const int sel = rec.selChanges;
    editor->setSelStart(0);
    EXPECT_EQ(rec.selChanges, sel) << "an unchanged selection raises nothing";
    editor->setSelLength(2);
    EXPECT_EQ(rec.selChanges, sel + 1);
    editor->setSelColor(rgb(1, 2, 3));
    editor->setColour(0, 3, rgb(4, 5, 6));
    EXPECT_EQ(rec.changes, 1) << "colour changes raise no Change";
    editor->setSelText(QStringLiteral("X"));
    EXPECT_EQ(rec.changes, 2);
    EXPECT_EQ(editor->lastEdit().start, 0);
    EXPECT_EQ(editor->lastEdit().removed, "ab");
    EXPECT_EQ(editor->lastEdit().insertedLength, 1);
    editor->typeCharacter('y');
    editor->typeCharacter('z');
    EXPECT_EQ(rec.changes, 4);
    EXPECT_EQ(rec.keys, (std::vector<int>{'y', 'z'}));
}

TEST_P(Conformance, KeyPressComesFirstAndCanCancel) {
    editor->setText(QStringLiteral("ab"));
    editor->setSelStart(2);
    int seenLength = -1;
    editor->onKeyPress = [&](int &k) {
        seenLength = editor->length();
        if (k == 'q')
            k = 0;
        else if (k == 'r')
            k = 'R';
    };
    editor->typeCharacter('q');
    EXPECT_EQ(editor->text(), "ab");
    EXPECT_EQ(rec.changes, 1);
    editor->typeCharacter('r');
    EXPECT_EQ(seenLength, 2) << "KeyPress runs before the insertion";
    EXPECT_EQ(editor->text(), "abR");
    editor->typeCharacter('\b');
    editor->typeCharacter('q'); // cancelled Backspace too would be a no-op: check typed only
    EXPECT_EQ(editor->text(), "ab");
}

TEST_P(Conformance, ColoursAreInheritedAtTheInsertionPoint) {
    const Rgb red = rgb(200, 0, 0), blue = rgb(0, 0, 160), def = editor->defaultTextColour();
    editor->setText(QStringLiteral("ab"));
    EXPECT_EQ(editor->colourAt(0), def | 0xff000000u);
    // An empty selection's colour is the next typed character's colour.
    editor->setSelStart(2);
    editor->setSelColor(red);
    editor->typeCharacter('c');
    EXPECT_EQ(editor->colourAt(2), red);
    // The next one continues the colour of the character before it.
    editor->typeCharacter('d');
    EXPECT_EQ(editor->colourAt(3), red);
    // A pending colour is forgotten when the caret moves.
    editor->setSelStart(1);
    editor->setSelColor(blue);
    editor->setSelStart(4);
    editor->typeCharacter('e');
    EXPECT_EQ(editor->colourAt(4), red);
    // Typing over a selection takes the colour set on the selection.
    editor->setSelStart(0);
    editor->setSelLength(2);
    editor->setSelColor(blue);
    editor->typeCharacter('Z');
    EXPECT_EQ(editor->text(), "Zcde");
    EXPECT_EQ(editor->colourAt(0), blue);
    // At the very start, text takes the colour of the first character.
    editor->setSelStart(0);
    editor->setSelText(QStringLiteral("<"));
    EXPECT_EQ(editor->colourAt(0), blue);
    EXPECT_EQ(editor->colourRuns(), (std::vector<ColourRun>{{0, 2, blue}, {2, 3, red}}));
    // Replacing the whole text drops every colour.
    editor->setText(QStringLiteral("xy"));
    EXPECT_EQ(editor->colourRuns(), (std::vector<ColourRun>{{0, 2, def | 0xff000000u}}));
}

// Random edits of every kind keep the view and the exact text in step.
TEST_P(Conformance, RandomEditsKeepViewInStep) {
    std::mt19937 rng(11);
    const QString alphabet = QStringLiteral("ab<>\r\n\r\n\n\r ");
    editor->setText(QStringLiteral("start\r\nline\nx\r"));
    for (int step = 0; step < 600; ++step) {
        const int len = editor->length();
        const int s = len ? int(rng() % (len + 1)) : 0;
        editor->setSelStart(s);
        editor->setSelLength(int(rng() % 4));
        switch (rng() % 4) {
        case 0:
            editor->typeCharacter(alphabet[int(rng() % alphabet.size())].unicode());
            break;
        case 1:
            editor->pressBackspace();
            break;
        case 2:
            editor->pressDelete();
            break;
        default: {
            QString ins;
            for (int k = int(rng() % 5); k > 0; --k)
                ins += alphabet[int(rng() % alphabet.size())];
            editor->setSelText(ins);
        }
        }
        if ((widget || view) && step % 25 == 0) {
            expectViewMatches();
            if (HasFailure())
                return;
        }
    }
    expectViewMatches();
}

INSTANTIATE_TEST_SUITE_P(Editors, Conformance,
                         testing::Values(Impl::Memory, Impl::Widget, Impl::View),
                         [](const auto &info) {
                             return info.param == Impl::Memory   ? "Memory"
                                    : info.param == Impl::Widget ? "Widget"
                                                                 : "View";
                         });

// The on-screen editor driven by real key events.
class WidgetKeys : public testing::Test {
protected:
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier, const QString &text = {}) {
        QKeyEvent press(QEvent::KeyPress, k, m, text);
        QApplication::sendEvent(&w, &press);
        QKeyEvent release(QEvent::KeyRelease, k, m, text);
        QApplication::sendEvent(&w, &release);
    }
    EditorWidget w;
};

TEST_F(WidgetKeys, TypingEnterBackspaceAndNavigation) {
    w.resize(300, 200);
    Recorder rec;
    rec.attach(w);
    key(Qt::Key_A, Qt::NoModifier, "a");
    key(Qt::Key_Return, Qt::NoModifier, "\r");
    key(Qt::Key_B, Qt::ShiftModifier, "B");
    EXPECT_EQ(w.text(), "a\r\nB");
    EXPECT_EQ(rec.keys, (std::vector<int>{'a', 13, 'B'}));
    key(Qt::Key_Left);
    key(Qt::Key_Left);
    EXPECT_EQ(w.selStart(), 1) << "one arrow press crosses the whole CR LF";
    key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(w.selStart(), 1);
    EXPECT_EQ(w.selLength(), 2);
    key(Qt::Key_Backspace);
    EXPECT_EQ(w.text(), "aB");
    key(Qt::Key_End);
    key(Qt::Key_Delete);
    key(Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(w.selText(), "aB");
}

TEST_F(WidgetKeys, ReservedShortcutsNeverEditTheText) {
    w.setReservedShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::CTRL | Qt::Key_A)});
    w.setText(QStringLiteral("abc"));
    key(Qt::Key_V, Qt::ControlModifier, "\x16");
    key(Qt::Key_A, Qt::ControlModifier, "\x01");
    EXPECT_EQ(w.text(), "abc");
    EXPECT_EQ(w.selLength(), 0);
    QKeyEvent over(QEvent::ShortcutOverride, Qt::Key_V, Qt::ControlModifier);
    over.setAccepted(false);
    QApplication::sendEvent(&w, &over);
    EXPECT_FALSE(over.isAccepted()) << "the window's shortcut must get the key";
}

TEST_F(WidgetKeys, MouseUpReportsButtonShiftAndTwips) {
    w.resize(300, 200);
    w.show();
    int button = 0, shift = -1, x = -1, y = -1;
    w.onMouseUp = [&](int b, int s, int px, int py) {
        button = b;
        shift = s;
        x = px;
        y = py;
    };
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(10, 20), QPointF(10, 20),
                        Qt::RightButton, Qt::NoButton, Qt::ShiftModifier);
    QApplication::sendEvent(w.viewport(), &release);
    EXPECT_EQ(button, RightButton);
    EXPECT_EQ(shift, ShiftKey);
    EXPECT_EQ(x, 150);
    EXPECT_EQ(y, 300);
}

// What the view draws for each visible block must be the core's colours: after a few colour
// changes, after a pass that recolours most of the page, and after an edit.
class WidgetRendering : public testing::Test {
protected:
    void SetUp() override {
        w.resize(500, 300);
        w.show();
        QString text;
        for (int i = 0; i < 200; ++i)
            text += QStringLiteral("<p class=\"x\">line %1</p>\r\n").arg(i);
        w.setText(text);
    }
    // The colour each character of a visible block is drawn in.
    void expectVisibleBlocksMatchTheCore() {
        QApplication::processEvents(); // the window is exposed, and queued repaints run
        w.viewport()->repaint();
        int checked = 0;
        for (QTextBlock b = w.cursorForPosition(QPoint(0, 0)).block(); b.isValid() && checked < 10;
             b = b.next(), ++checked) {
            const int start = w.fromViewOffset(b.position());
            for (int i = 0; i < b.length() - 1; ++i) {
                Rgb drawn = w.defaultTextColour() | 0xff000000u;
                for (const QTextLayout::FormatRange &r : b.layout()->formats())
                    if (i >= r.start && i < r.start + r.length)
                        drawn = r.format.foreground().color().rgb();
                ASSERT_EQ(drawn, w.colourAt(start + i))
                    << "block " << b.blockNumber() << " column " << i;
            }
        }
        EXPECT_EQ(checked, 10);
    }
    EditorWidget w;
};

TEST_F(WidgetRendering, ViewDrawsTheCoresColours) {
    const Rgb blue = rgb(0, 0, 160), purple = rgb(128, 0, 128);
    w.setColour(0, 3, blue);
    w.setColour(30, 12, purple);
    expectVisibleBlocksMatchTheCore();

    // Thousands of small runs, as a pass over a whole page gives.
    for (int i = 0; i < w.length(); i += 4)
        w.setColour(i, 2, (i / 4) % 2 ? blue : purple);
    expectVisibleBlocksMatchTheCore();

    w.setSelStart(5);
    w.setSelColor(rgb(200, 0, 0));
    w.typeCharacter('Z');
    w.setColour(40, 5, blue);
    expectVisibleBlocksMatchTheCore();
}

} // namespace
} // namespace quenbry
