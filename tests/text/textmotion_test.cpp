// Where the caret goes, without any widget: a CR LF and a surrogate pair are one character
// for every step, marks go with the character before them, words stop at line ends.
#include "text/editorcore.h"
#include "text/textmotion.h"

#include <gtest/gtest.h>

namespace quenbry {
namespace {

TEST(TextMotion, CharactersAndCaretPlaces) {
    // "a", CR LF, "b", e + combining acute, U+1F600 as a surrogate pair, a lone CR, "z".
    EditorCore t;
    t.setText(QStringLiteral("a\r\nbe\u0301\U0001F600\rz"));
    struct Case {
        int pos, before, after, caretBefore, caretAfter;
    };
    const Case cases[] = {
        // Between the CR and the LF of a pair, and between a letter and its mark, the caret
        // steps out to the next whole character.
        {0, 0, 1, 0, 1}, {1, 0, 3, 0, 3}, {2, 1, 3, 1, 3}, {3, 1, 4, 1, 4},   {5, 4, 6, 4, 6},
        {6, 5, 8, 4, 8}, {7, 6, 8, 6, 8}, {8, 6, 9, 6, 9}, {9, 8, 10, 8, 10}, {10, 9, 10, 9, 10},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pos);
        EXPECT_EQ(characterBefore(t, c.pos), c.before);
        EXPECT_EQ(characterAfter(t, c.pos), c.after);
        EXPECT_EQ(caretBefore(t, c.pos), c.caretBefore);
        EXPECT_EQ(caretAfter(t, c.pos), c.caretAfter);
    }
}

TEST(TextMotion, BackspaceAndDeleteTakeOneCharacter) {
    struct Case {
        const char16_t *text;
        int caret;
        const char16_t *afterBackspace, *afterDelete;
    };
    const Case cases[] = {
        {u"a\r\nb", 3, u"ab", u"a\r\n"},
        {u"a\r\nb", 1, u"\r\nb", u"ab"},
        {u"x\U0001F600y", 3, u"xy", u"x\U0001F600"},
        {u"x\U0001F600y", 1, u"\U0001F600y", u"xy"},
        // Marks go one at a time: Backspace undoes the last one typed.
        {u"e\u0301", 2, u"e", u"e\u0301"},
        {u"\r\r\n", 1, u"\r\n", u"\r"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.text).toStdString());
        EditorCore t;
        t.setText(QString::fromUtf16(c.text));
        t.setSelStart(c.caret);
        t.pressBackspace();
        EXPECT_EQ(t.text(), QString::fromUtf16(c.afterBackspace));
        t.setText(QString::fromUtf16(c.text));
        t.setSelStart(c.caret);
        t.pressDelete();
        EXPECT_EQ(t.text(), QString::fromUtf16(c.afterDelete));
    }
}

TEST(TextMotion, WordsStopAtClassChangesAndLineEnds) {
    EditorCore t;
    t.setText(QStringLiteral("<a href=x_y>  caf\u00e9\r\nnext"));
    struct Case {
        int pos, next, previous, end;
    };
    const Case cases[] = {
        {0, 1, 0, 1},     // "<" is a run of other characters
        {1, 3, 0, 2},     // "a" then the space after it
        {3, 7, 1, 7},     // "href"; back over the space to the word before
        {8, 11, 7, 11},   // "x_y": underscores belong to words
        {12, 14, 11, 18}, // spaces, then the word after them
        {18, 20, 14, 20}, // at the line end: the whole CR LF is one step
        {20, 24, 18, 24},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pos);
        EXPECT_EQ(nextWord(t, c.pos), c.next);
        EXPECT_EQ(previousWord(t, c.pos), c.previous);
        EXPECT_EQ(endOfWord(t, c.pos), c.end);
    }
    EXPECT_EQ(wordAt(t, 15), (TextRange{14, 18}));
    EXPECT_EQ(wordAt(t, 18), (TextRange{14, 18})) << "at a line's end, the word before";
    EXPECT_EQ(lineWithEndAt(t, 5), (TextRange{0, 20}));
    EXPECT_EQ(lineWithEndAt(t, 22), (TextRange{20, 24}));
}

} // namespace
} // namespace quenbry
