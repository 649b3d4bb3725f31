// The region pass over whole texts: tags, attribute values and comments.

#include "colourletters.h"
#include "referencepass.h"

#include <gtest/gtest.h>

namespace quenbry::testing {
namespace {

// Each text goes through the real pass and the reference pass, uncoloured and with a selection
// that no pass may move.
TEST(ColourRegions, PaintsTagsValuesAndComments) {
    const struct {
        QString text;
        QString colours;
    } cases[] = {
        {"", ""},
        {"a<b>c<i>d", "DGGGDGGGD"},
        {"<a href=\"x.htm\" class=big>", "GGGGGGGGVVVVVVVGGGGGGGVVVG"},
        {"<p title=\"a b\" id=x>", "GGGGGGGGGVVVVVGGGGVG"},
        // The last value runs on for as many characters as the tag's tail holds.
        {"<td width=50 nowrap>", "GGGGGGGGGGVVVVVVGGGG"},
        {"<img src=\"a.gif\" alt>", "GGGGGGGGGVVVVVVVGGGGG"},
        // The `=` inside the quotes is taken as the next attribute's.
        {"<a href=\"x.php?a=1\">", "GGGGGGGGGGGGGGGGGVVG"},
        {"<!-- note <b>x</b> -->x", "CCCCCCCCCCCCCCCCCCCCCCD"},
        {"<!DOCTYPE HTML PUBLIC \"x\">", "GGGGGGGGGGGGGGGGGGGGGGGGGG"},
        {"<b>x<a href=\"x\"", "GGGDDDDDDDDDDDD"},
        {"<!->x<b>", "CCCCDGGG"},
        {"<!-->x<b>", "CCCCCDGGG"},
        // A comment opener without `->` after it runs to the end of the text.
        {"a<!-- x > <b>y", "DCCCCCCCCCCCCC"},
        {"<a <b>c>", "GGGGGGDD"},
        {"<% x=1 %>", "GGGGGVVGG"},
        // `<` right after an `=` repaints the whole tag, wiping the values before it.
        {"<a x=1 y==<b=c>", "GGGGGGGGGGGGGVG"},
        {"<a t='a b' u=c>", "GGGGGVVVGGGGGVG"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EditorCore editor, slow;
        for (EditorCore *e : {&editor, &slow}) {
            e->setDefaultTextColour(kUncoloured);
            e->setText(c.text);
        }
        editor.selectFromUser(1, 2);
        const int selStart = editor.selStart(), selLength = editor.selLength();
        SyntaxColouring colouring;
        colouring.colourRegions(editor);
        reference::colourRegions(slow);
        EXPECT_EQ(colourLetters(editor), c.colours);
        EXPECT_EQ(colourLetters(slow), c.colours) << "reference pass";
        EXPECT_EQ(editor.selStart(), selStart);
        EXPECT_EQ(editor.selLength(), selLength);
    }
}

} // namespace
} // namespace quenbry::testing
