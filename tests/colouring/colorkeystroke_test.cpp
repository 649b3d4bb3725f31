// Colour-as-you-type: the colour each typed character takes, the typing state it leaves, and
// the two shortcuts.

#include "colourletters.h"

#include <gtest/gtest.h>

namespace quenbry::testing {
namespace {

// The typing state as five letters: tag, value, quote, comment, script; '-' where off.
QString flags(const TypingState &s) {
    QString out = QStringLiteral("tvqcs");
    const bool on[] = {s.inTag, s.inValue, s.inQuote, s.inComment, s.inScript};
    for (int i = 0; i < 5; ++i)
        if (!on[i])
            out[i] = u'-';
    return out;
}

// The editor's text before typing: "[ab]" marks a selection, "|" the caret; without either the
// caret is at the end.
void load(EditorCore &editor, QString text) {
    const int open = int(text.indexOf(u'[')), close = int(text.indexOf(u']'));
    const int caret = int(text.indexOf(u'|'));
    text.remove(u'[').remove(u']').remove(u'|');
    editor.setText(text);
    if (open >= 0)
        editor.selectFromUser(open, close - open - 1);
    else
        editor.selectFromUser(caret >= 0 ? caret : int(text.size()), 0);
}

TEST(ColourKeystroke, ColoursAndTypingState) {
    const struct {
        const char *before; // the editor's text, see load()
        const char *prior;  // typed before, into another editor: the typing state it leaves
        const char *typed;
        const char *text;    // the text afterwards
        const char *colours; // of the whole text afterwards
        const char *state;   // afterwards, see flags()
    } cases[] = {
        {"x", "", "<p>hi", "x<p>hi", "DGGGTT", "-----"},
        {"x", "", "<a href=\"x y\">t", "x<a href=\"x y\">t", "DGGGGGGGGVVVVVGT", "-----"},
        // `>` leaves the value state on: the next character continues the `>`'s tag colour.
        {"x", "", "<td width=50>x", "x<td width=50>x", "DGGGGGGGGGGVVGG", "-v---"},
        {"x", "", "<!ab>", "x<!--ab>", "DCCCCCCC", "-----"},
        {"x", "", "<%x>", "x<%x>", "DSSSS", "-----"},
        {"x", "", "a!", "xa!", "DTT", "-----"},
        {"x", "", "< !", "x< !", "DGGG", "t----"},
        {"x", "", "\"", "x\"", "DT", "-----"},
        {"x", "<a=\"", " ", "x ", "DV", "tvq--"},
        // The comment shortcut clears the value state but not the quote.
        {"x", "<a=\"", "<!", "x<!--", "DCCCC", "--qc-"},
        {"x", "<!", "<%>", "x<%>", "DSSS", "-----"},
        {"x", "", "\r", "x\r\n", "DTT", "-----"},
        // Into an empty editor the first character gets no colour and no state.
        {"", "", "<b", "<b", "DT", "-----"},
        // With the caret at the very start no character precedes it: no shortcut applies.
        {"|<b>", "", "!", "!<b>", "TDDD", "-----"},
        {"|<b>", "<", ">", "><b>", "GDDD", "-----"},
        // Over a selection the colour goes on the selected text before it is replaced; a
        // consumed keystroke leaves it there, and the shortcut acts on the `<` before it.
        {"[ab]<cd", "", "z", "z<cd", "TDDD", "-----"},
        {"z<[cd]", "", "!", "z<!--cd", "DCCCCTT", "---c-"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.before) + " + " + c.prior + " + " + c.typed);
        SyntaxColouring colouring;
        EditorCore scratch, editor;
        editor.setDefaultTextColour(kUncoloured);
        for (EditorCore *e : {&scratch, &editor})
            e->onKeyPress = [&colouring, e](int &key) {
                colouring.colourKeystroke(*e, key);
            };
        scratch.setText("x");
        scratch.selectFromUser(1, 0);
        for (const char *k = c.prior; *k; ++k)
            scratch.typeCharacter(*k);
        load(editor, QString::fromLatin1(c.before));
        for (const char *k = c.typed; *k; ++k)
            editor.typeCharacter(*k);
        EXPECT_EQ(editor.text(), QString::fromLatin1(c.text));
        EXPECT_EQ(colourLetters(editor), QString::fromLatin1(c.colours));
        EXPECT_EQ(flags(colouring.typingState()), QString::fromLatin1(c.state));
    }
}

} // namespace
} // namespace quenbry::testing
