// One suite of editor behaviour, run against the model alone and with the on-screen view.
#include "text/editorcore.h"
#include "view/editorview.h"

#include <gtest/gtest.h>
#include <memory>
#include <random>

namespace quenbry {
namespace {

enum class Impl { Memory, View };

// Counts the Change and SelChange notifications an editor raises.
struct Recorder : EditorObserver {
    int changes = 0;
    int selChanges = 0;
    void textChangeNotified() override { ++changes; }
    void selectionChangeNotified() override { ++selChanges; }
};

class Conformance : public testing::TestWithParam<Impl> {
protected:
    void SetUp() override {
        editor = std::make_unique<EditorCore>();
        if (GetParam() == Impl::View) {
            view = std::make_unique<EditorView>(*editor);
            view->resize(400, 300);
        }
        editor->addObserver(&rec);
    }
    void TearDown() override { editor->removeObserver(&rec); }
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
    }

    std::unique_ptr<EditorCore> editor;
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
    editor->setSelectionColour(rgb(1, 2, 3));
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
}

TEST_P(Conformance, ColoursAreInheritedAtTheInsertionPoint) {
    const Rgb red = rgb(200, 0, 0), blue = rgb(0, 0, 160), def = editor->defaultTextColour();
    editor->setText(QStringLiteral("ab"));
    EXPECT_EQ(editor->colourAt(0), def | 0xff000000u);
    // An empty selection's colour is the next typed character's colour.
    editor->setSelStart(2);
    editor->setSelectionColour(red);
    editor->typeCharacter('c');
    EXPECT_EQ(editor->colourAt(2), red);
    // The next one continues the colour of the character before it.
    editor->typeCharacter('d');
    EXPECT_EQ(editor->colourAt(3), red);
    // A pending colour is forgotten when the caret moves.
    editor->setSelStart(1);
    editor->setSelectionColour(blue);
    editor->setSelStart(4);
    editor->typeCharacter('e');
    EXPECT_EQ(editor->colourAt(4), red);
    // Typing over a selection takes the colour set on the selection.
    editor->setSelStart(0);
    editor->setSelLength(2);
    editor->setSelectionColour(blue);
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

// What the edits must do to the text and the caret, worked out on a plain string: a typed Enter
// is CR LF; Backspace and Delete take a selection, or one character, a CR LF counting as one.
struct PlainText {
    QString text;
    int start = 0, length = 0;
    void replace(int from, int n, const QString &with) {
        text.replace(from, n, with);
        start = from + int(with.size());
        length = 0;
    }
    bool pairAt(int i) const {
        return i >= 0 && i + 1 < text.size() && text[i] == u'\r' && text[i + 1] == u'\n';
    }
    void type(QChar c) {
        replace(start, length, c == u'\r' || c == u'\n' ? QStringLiteral("\r\n") : QString(c));
    }
    void backspace() {
        if (length > 0)
            replace(start, length, {});
        else if (start > 0)
            replace(start - (pairAt(start - 2) ? 2 : 1), pairAt(start - 2) ? 2 : 1, {});
    }
    void del() {
        if (length > 0)
            replace(start, length, {});
        else if (start < text.size())
            replace(start, pairAt(start) ? 2 : 1, {});
    }
};

// Random edits of every kind keep the exact text, the caret and the view in step.
TEST_P(Conformance, RandomEditsKeepTextAndViewInStep) {
    std::mt19937 rng(11);
    const QString alphabet = QStringLiteral("ab<>\r\n\r\n\n\r ");
    PlainText expected{QStringLiteral("start\r\nline\nx\r")};
    editor->setText(expected.text);
    for (int step = 0; step < 600; ++step) {
        const int len = editor->length();
        const int s = len ? int(rng() % (len + 1)) : 0;
        editor->setSelStart(s);
        editor->setSelLength(int(rng() % 4));
        expected.start = s;
        expected.length = std::min(editor->selLength(), len - s);
        switch (rng() % 4) {
        case 0: {
            const QChar c = alphabet[int(rng() % alphabet.size())];
            editor->typeCharacter(c.unicode());
            expected.type(c);
            break;
        }
        case 1:
            editor->pressBackspace();
            expected.backspace();
            break;
        case 2:
            editor->pressDelete();
            expected.del();
            break;
        default: {
            QString ins;
            for (int k = int(rng() % 5); k > 0; --k)
                ins += alphabet[int(rng() % alphabet.size())];
            editor->setSelText(ins);
            expected.replace(expected.start, expected.length, ins);
        }
        }
        ASSERT_EQ(editor->text(), expected.text) << "step " << step;
        ASSERT_EQ(editor->selStart(), expected.start) << "step " << step;
        ASSERT_EQ(editor->selLength(), 0) << "step " << step;
        if (view && step % 25 == 0) {
            expectViewMatches();
            if (HasFailure())
                return;
        }
    }
    expectViewMatches();
}

INSTANTIATE_TEST_SUITE_P(Editors, Conformance, testing::Values(Impl::Memory, Impl::View),
                         [](const auto &info) {
                             return info.param == Impl::Memory ? "Memory" : "View";
                         });

} // namespace
} // namespace quenbry
