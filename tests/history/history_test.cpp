#include "historyharness.h"

#include <gtest/gtest.h>

#include <functional>

namespace quenbry {
namespace {

using Call = FakeHistoryHost::Call;

void expectSelection(const EditorCore &e, int start, int length) {
    EXPECT_EQ(e.selStart(), start);
    EXPECT_EQ(e.selLength(), length);
}

TEST(History, StartUpLeavesOneEntryAndBothCommandsDisabled) {
    HistoryHarness h(QStringLiteral("<html></html>"));
    ASSERT_EQ(h.history.undoStack(), (std::vector<UndoElement>{{13, 13}}));
    EXPECT_TRUE(h.history.redoStack().empty());
    EXPECT_EQ(h.history.undoText(0), QStringLiteral("<html></html>"));
    h.host.calls.clear();
    h.history.undo();
    EXPECT_EQ(h.editor.text(), QStringLiteral("<html></html>"));
    EXPECT_FALSE(h.modified);
    EXPECT_FALSE(h.host.canUndo);
    EXPECT_FALSE(h.host.canRedo);
    // Even an Undo that cannot act refreshes the commands and gives the editor the focus.
    ASSERT_FALSE(h.host.calls.empty());
    EXPECT_EQ(h.host.calls.back(), Call{Call::Focus});
    EXPECT_TRUE(h.history.isRecording());
}

TEST(History, ARecordedChangeReportsTheAvailability) {
    HistoryHarness h{QString()};
    h.editor.typeCharacter('a');
    const std::vector<Call> want = {{Call::Availability, true, false}};
    EXPECT_EQ(h.host.calls, want);
    EXPECT_EQ(h.regionPasses, 2); // the start-up pass and this keystroke
}

TEST(History, TypedCharactersAreUndoneAndRedoneOneByOne) {
    HistoryHarness h(QStringLiteral("<p></p>"));
    h.editor.selectFromUser(3, 0);
    for (char c : {'a', 'b', 'c'})
        h.editor.typeCharacter(c);
    ASSERT_EQ(h.editor.text(), QStringLiteral("<p>abc</p>"));

    const struct {
        const char *text;
        int caret;
    } undone[] = {{"<p>ab</p>", 5}, {"<p>a</p>", 4}, {"<p></p>", 3}};
    for (const auto &step : undone) {
        h.host.calls.clear();
        h.history.undo();
        EXPECT_EQ(h.editor.text(), QLatin1String(step.text));
        expectSelection(h.editor, step.caret, 0);
        // The undo's own edit is not recorded and starts no region pass.
        EXPECT_EQ(h.regionPasses, 4);
        EXPECT_EQ(h.host.calls.front(), (Call{Call::Hide, true}));
    }
    EXPECT_FALSE(h.host.canUndo);
    EXPECT_TRUE(h.host.canRedo);

    const struct {
        const char *text;
        int caret;
    } redone[] = {{"<p>a</p>", 4}, {"<p>ab</p>", 5}, {"<p>abc</p>", 6}};
    for (const auto &step : redone) {
        h.history.redo();
        EXPECT_EQ(h.editor.text(), QLatin1String(step.text));
        expectSelection(h.editor, step.caret, 0);
    }
    EXPECT_FALSE(h.host.canRedo);
    EXPECT_EQ(h.history.undoStack().size(), 4u);
}

// One change, then Undo and Redo: the text before and after it come back exactly, with the
// caret after a restored character or line end and a longer restored run selected.
TEST(History, UndoAndRedoRestoreBothSidesOfOneChange) {
    const QString page = QStringLiteral("one two\r\nthree");
    const struct Case {
        const char *name;
        std::function<void(EditorCore &)> change;
        int undoStart, undoLength;
    } cases[] = {
        {"backspace",
         [](EditorCore &e) {
             e.selectFromUser(3, 0);
             e.pressBackspace();
         },
         3, 0},
        {"selected word deleted",
         [](EditorCore &e) {
             e.selectFromUser(9, 5);
             e.pressDelete();
         },
         9, 5},
        {"line end deleted",
         [](EditorCore &e) {
             e.selectFromUser(9, 0);
             e.pressBackspace();
         },
         9, 0},
        {"pasted run",
         [](EditorCore &e) {
             e.selectFromUser(4, 0);
             e.setSelText("new ");
         },
         4, 0},
        // The old guess would give "xne two..." here.
        {"typed over a selection",
         [](EditorCore &e) {
             e.selectFromUser(0, 3);
             e.typeCharacter('x');
         },
         0, 3},
        // The old guess would only move the caret and leave "Xne".
        {"same length replaced",
         [](EditorCore &e) {
             e.selectFromUser(0, 1);
             e.typeCharacter('X');
         },
         1, 0},
        {"longer selection pasted over",
         [](EditorCore &e) {
             e.selectFromUser(4, 3);
             e.setSelText("2 and 3");
         },
         4, 3},
        // A whole new page whose caret sits before its end: the old edit failed half-way.
        {"whole text replaced by a longer one",
         [](EditorCore &e) { e.setText("<html>\r\n</html> and more text"); }, 0, 14},
        {"whole text replaced by a shorter one", [](EditorCore &e) { e.setText("<p>"); }, 0, 14},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        HistoryHarness h(page);
        c.change(h.editor);
        const QString after = h.editor.text();
        ASSERT_NE(after, page);
        h.modified = false; // saved here
        h.history.undo();
        EXPECT_EQ(h.editor.text(), page);
        expectSelection(h.editor, c.undoStart, c.undoLength);
        EXPECT_TRUE(h.modified);
        EXPECT_FALSE(h.host.canUndo);
        EXPECT_TRUE(h.host.canRedo);
        h.history.redo();
        EXPECT_EQ(h.editor.text(), after);
        EXPECT_EQ(h.history.undoText(1), after);
        EXPECT_EQ(h.history.undoText(0), page);
    }
}

TEST(History, UndoOfAPageWhoseCaretLiesBeforeItsEndDisablesOnlyCmdUndo) {
    HistoryHarness h(QStringLiteral("<p>"));
    h.editor.typeCharacter('a');
    h.editor.setText(QStringLiteral("<html>\r\n</html>")); // the caret goes to the start
    h.history.undo();
    EXPECT_EQ(h.editor.text(), QStringLiteral("a<p>"));
    expectSelection(h.editor, 0, 3); // the closing ">" is shared
    EXPECT_TRUE(h.host.canUndo);
    EXPECT_FALSE(h.host.hiddenUndoEnabled());
    // The next refresh sets it from the stacks again.
    h.history.redo();
    EXPECT_EQ(h.editor.text(), QStringLiteral("<html>\r\n</html>"));
    EXPECT_TRUE(h.host.hiddenUndoEnabled());
}

TEST(History, NewChangeAfterUndoDropsTheRedoEntries) {
    HistoryHarness h{QString()};
    h.editor.typeCharacter('a');
    h.editor.typeCharacter('b');
    h.history.undo();
    ASSERT_TRUE(h.host.canRedo);
    h.editor.typeCharacter('c');
    EXPECT_TRUE(h.history.redoStack().empty());
    EXPECT_FALSE(h.host.canRedo);
    h.history.redo();
    EXPECT_EQ(h.editor.text(), QStringLiteral("ac"));
    h.history.undo();
    h.history.undo();
    EXPECT_EQ(h.editor.text(), QString());
}

TEST(History, UndoWhileRecordingIsOffEditsNothingButSwitchesRecordingOn) {
    HistoryHarness h{QString()};
    h.editor.typeCharacter('a');
    h.history.setRecording(false);
    h.history.undo();
    EXPECT_EQ(h.editor.text(), QStringLiteral("a"));
    EXPECT_TRUE(h.history.isRecording());
    EXPECT_EQ(h.history.undoStack().size(), 2u);
}

TEST(History, EditsMadeWhileRecordingIsOffDoNotCorruptTheEntries) {
    HistoryHarness h(QStringLiteral("abc"));
    h.editor.selectFromUser(3, 0);
    h.editor.typeCharacter('d');
    h.history.setRecording(false);
    h.editor.selectFromUser(0, 1);
    h.editor.setSelText(QStringLiteral("ZZ"));
    h.history.setRecording(true);
    EXPECT_EQ(h.history.undoText(1), QStringLiteral("abcd"));
    h.history.undo();
    EXPECT_EQ(h.editor.text(), QStringLiteral("abc"));
    h.history.redo();
    EXPECT_EQ(h.editor.text(), QStringLiteral("abcd"));
}

TEST(History, ResetOnlyActsWhileRecording) {
    HistoryHarness h(QStringLiteral("x"));
    h.editor.typeCharacter('y');
    h.history.setRecording(false);
    h.history.reset();
    EXPECT_EQ(h.history.undoStack().size(), 2u);
    h.history.setRecording(true);
    h.history.reset();
    EXPECT_EQ(h.history.undoStack(), (std::vector<UndoElement>{{1, 2}}));
    EXPECT_FALSE(h.host.canUndo);
}

} // namespace
} // namespace quenbry
