// Colour-as-you-type: the colour each typed character takes, the typing state, and the two
// shortcuts.

#include "colourletters.h"

#include <gtest/gtest.h>

namespace quenbry::testing {
namespace {

struct State {
    bool inTag, inValue, inQuote, inComment, inScript;
    bool operator==(const State &) const = default;
};

State stateOf(const SyntaxColouring &c) {
    const TypingState t = c.typingState();
    return {t.inTag, t.inValue, t.inQuote, t.inComment, t.inScript};
}

// Brings the typing state to s by typing into a scratch editor: the state follows the typed
// characters only, whatever editor they went to.
void typeInto(SyntaxColouring &codes, const State &s) {
    const char *keys = s == State{true, true, true, false, false}     ? "<a=\""
                       : s == State{false, false, false, true, false} ? "<!"
                       : s == State{true, false, false, false, false} ? "<"
                                                                      : "";
    EditorCore scratch;
    scratch.onKeyPress = [&](int &key) {
        codes.colourKeystroke(scratch, key);
    };
    scratch.setText("x");
    scratch.selectFromUser(1, 0);
    for (const char *k = keys; *k; ++k)
        scratch.typeCharacter(*k);
    ASSERT_EQ(stateOf(codes), s) << "no keys for this state";
}

std::ostream &operator<<(std::ostream &os, const State &s) {
    return os << "{tag " << s.inTag << ", value " << s.inValue << ", quote " << s.inQuote
              << ", comment " << s.inComment << ", script " << s.inScript << "}";
}

struct KeystrokeCase {
    const char *name;
    QString before;  // the text before typing, caret at its end
    State state;     // the typing state before typing
    QString typed;   // typed one character at a time
    QString text;    // the text afterwards
    QString colours; // the colours of the whole text afterwards
    State after;
};

constexpr State kClear{false, false, false, false, false};

class ColorKeystrokeTable : public ::testing::TestWithParam<KeystrokeCase> {};

TEST_P(ColorKeystrokeTable, ColoursAndState) {
    const KeystrokeCase &c = GetParam();
    EditorCore editor;
    editor.setDefaultTextColour(kUncoloured);
    SyntaxColouring codes;
    typeInto(codes, c.state);
    editor.onKeyPress = [&](int &key) {
        codes.colourKeystroke(editor, key);
    };
    editor.setText(c.before);
    editor.selectFromUser(editor.length(), 0);
    for (QChar ch : c.typed)
        editor.typeCharacter(ch.unicode());
    EXPECT_EQ(editor.text(), c.text);
    EXPECT_EQ(colourLetters(editor), c.colours);
    EXPECT_EQ(stateOf(codes), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Typing, ColorKeystrokeTable,
    ::testing::Values(
        KeystrokeCase{"TagThenText", "x", kClear, "<p>hi", "x<p>hi", "DGGGTT", kClear},
        KeystrokeCase{"QuotedValueKeepsItsSpace", "x", kClear, "<a href=\"x y\">t",
                      "x<a href=\"x y\">t", "DGGGGGGGGVVVVVGT", kClear},
        // `>` leaves InValue set: the next character continues the `>`'s tag colour.
        KeystrokeCase{"UnquotedValueSurvivesTheBracket",
                      "x",
                      kClear,
                      "<td width=50>x",
                      "x<td width=50>x",
                      "DGGGGGGGGGGVVGG",
                      {false, true, false, false, false}},
        KeystrokeCase{"CommentShortcut", "x", kClear, "<!ab>", "x<!--ab>", "DCCCCCCC", kClear},
        KeystrokeCase{"ScriptShortcut", "x", kClear, "<%x>", "x<%x>", "DSSSS", kClear},
        KeystrokeCase{"BangAfterOtherCharacter", "x", kClear, "a!", "xa!", "DTT", kClear},
        KeystrokeCase{"BangAfterSpaceInTag",
                      "x",
                      kClear,
                      "< !",
                      "x< !",
                      "DGGG",
                      {true, false, false, false, false}},
        KeystrokeCase{"QuoteOutsideValueChangesNothing", "x", kClear, "\"", "x\"", "DT", kClear},
        KeystrokeCase{"SpaceInsideQuotesStaysValue",
                      "x",
                      {true, true, true, false, false},
                      " ",
                      "x ",
                      "DV",
                      {true, true, true, false, false}},
        // The comment shortcut clears InValue but not InQuote.
        KeystrokeCase{"ShortcutLeavesInQuote",
                      "x",
                      {true, true, true, false, false},
                      "<!",
                      "x<!--",
                      "DCCCC",
                      {false, false, true, true, false}},
        KeystrokeCase{"ScriptEndsComment",
                      "x",
                      {false, false, false, true, false},
                      "<%>",
                      "x<%>",
                      "DSSS",
                      kClear},
        KeystrokeCase{"EnterTypesLineEnd", "x", kClear, "\r", "x\r\n", "DTT", kClear},
        // Into an empty editor the first character gets no colour and no state.
        KeystrokeCase{"EmptyEditor", "", kClear, "<", "<", "D", kClear},
        KeystrokeCase{"EmptyEditorThenMore", "", kClear, "<b", "<b", "DT", kClear}),
    [](const auto &info) { return std::string(info.param.name); });

// With the caret at the very start there is no character before it: the shortcuts do not
// apply and nothing fails.
TEST(ColorKeystroke, CaretAtStartOfText) {
    EditorCore editor;
    editor.setDefaultTextColour(kUncoloured);
    SyntaxColouring codes;
    editor.onKeyPress = [&](int &key) {
        codes.colourKeystroke(editor, key);
    };
    editor.setText("<b>");
    editor.selectFromUser(0, 0);
    editor.typeCharacter('!');
    editor.selectFromUser(0, 0);
    typeInto(codes, {true, false, false, false, false});
    editor.typeCharacter('>');
    EXPECT_EQ(editor.text(), ">!<b>");
    EXPECT_EQ(colourLetters(editor), "GTDDD");
    EXPECT_FALSE(codes.typingState().inTag);
}

// Typed over a selection, the colour is set on the selected text before it is replaced; a
// consumed keystroke leaves that colour on the selected text, and the shortcut still acts
// on the `<` before the selection.
TEST(ColorKeystroke, OverASelection) {
    EditorCore editor;
    editor.setDefaultTextColour(kUncoloured);
    SyntaxColouring codes;
    editor.onKeyPress = [&](int &key) {
        codes.colourKeystroke(editor, key);
    };
    editor.setText("ab<cd");
    editor.selectFromUser(0, 2);
    editor.typeCharacter('z');
    EXPECT_EQ(editor.text(), "z<cd");
    EXPECT_EQ(colourLetters(editor), "TDDD");

    editor.selectFromUser(2, 2);
    editor.typeCharacter('!');
    EXPECT_EQ(editor.text(), "z<!--cd");
    EXPECT_EQ(colourLetters(editor), "TCCCCTT");
    EXPECT_TRUE(codes.typingState().inComment);
    EXPECT_EQ(editor.selStart(), 5);
}

// The keystroke's result is its final code: 0 when consumed.
TEST(ColorKeystroke, ReturnsTheFinalCode) {
    EditorCore editor;
    SyntaxColouring codes;
    editor.setText("<");
    editor.selectFromUser(1, 0);
    int key = '%';
    EXPECT_EQ(codes.colourKeystroke(editor, key), 0);
    EXPECT_EQ(key, 0);
    key = 'a';
    EXPECT_EQ(codes.colourKeystroke(editor, key), 'a');
}

TEST(SyntaxColouringPalette, ColorRefsBecomeRgb) {
    EXPECT_EQ(SyntaxColouring::toQRgb(SyntaxColouring::TagColor), qRgb(0, 0, 160));
    EXPECT_EQ(SyntaxColouring::toQRgb(SyntaxColouring::ValueColor), qRgb(128, 0, 128));
    EXPECT_EQ(SyntaxColouring::toQRgb(SyntaxColouring::CommentColor), qRgb(64, 128, 128));
    EXPECT_EQ(SyntaxColouring::toQRgb(SyntaxColouring::ScriptColor), qRgb(128, 0, 0));
    EXPECT_EQ(SyntaxColouring::toQRgb(SyntaxColouring::TextColor), qRgb(0, 0, 0));
}

} // namespace
} // namespace quenbry::testing
