// The region pass: what it paints over whole texts, and that the incremental pass stays exact (and
// small) across the edits that move region boundaries.

#include "colourletters.h"
#include "editorpair.h"

#include <gtest/gtest.h>

namespace quenbry::testing {
namespace {

struct RegionCase {
    const char *name;
    QString text;
    QString colours;
};

class ColorRegionTable : public ::testing::TestWithParam<RegionCase> {};

// Each case runs through the real pass and the reference pass, on uncoloured text.
TEST_P(ColorRegionTable, PaintsTagsValuesAndComments) {
    const RegionCase &c = GetParam();
    EditorCore editor;
    editor.setDefaultTextColour(kUncoloured);
    editor.setText(c.text);
    editor.selectFromUser(1, 2);
    SyntaxColouring codes;
    codes.colourRegions(editor);
    EXPECT_EQ(colourLetters(editor), c.colours);
    EXPECT_EQ(editor.selStart(), std::min(1, editor.length()));
    EXPECT_EQ(editor.selLength(), std::clamp(editor.length() - 1, 0, 2));

    EditorCore slow;
    slow.setDefaultTextColour(kUncoloured);
    slow.setText(c.text);
    reference::colorRegion(slow);
    EXPECT_EQ(colourLetters(slow), c.colours) << "reference pass";
}

INSTANTIATE_TEST_SUITE_P(
    WholeText, ColorRegionTable,
    ::testing::Values(
        RegionCase{"Empty", "", ""}, RegionCase{"NoTags", "plain", "DDDDD"},
        RegionCase{"PlainTag", "<b>", "GGG"},
        RegionCase{"TextBetweenTagsUntouched", "a<b>c<i>d", "DGGGDGGGD"},
        RegionCase{"QuotedAndBareValues", "<a href=\"x.htm\" class=big>",
                   "GGGGGGGGVVVVVVVGGGGGGGVVVG"},
        RegionCase{"QuotedValueKeepsInnerSpace", "<p title=\"a b\" id=x>", "GGGGGGGGGVVVVVGGGGVG"},
        // Step 6 colours six characters from the start of `50`.
        RegionCase{"BareValueThenAttributeWithoutValue", "<td width=50 nowrap>",
                   "GGGGGGGGGGVVVVVVGGGG"},
        RegionCase{"QuotedValueThenBareAttribute", "<img src=\"a.gif\" alt>",
                   "GGGGGGGGGVVVVVVVGGGGG"},
        // The `=` inside the quotes is taken as the next attribute's.
        RegionCase{"EqualsInsideQuotes", "<a href=\"x.php?a=1\">", "GGGGGGGGGGGGGGGGGVVG"},
        RegionCase{"CommentHidesTags", "<!-- note <b>x</b> -->x", "CCCCCCCCCCCCCCCCCCCCCCD"},
        RegionCase{"Doctype", "<!DOCTYPE HTML PUBLIC \"x\">", "GGGGGGGGGGGGGGGGGGGGGGGGGG"},
        RegionCase{"NoClosingBracket", "<b>x<a href=\"x\"", "GGGDDDDDDDDDDDD"},
        RegionCase{"ShortestComment", "<!->x<b>", "CCCCDGGG"},
        RegionCase{"CommentEndsAtFirstArrow", "<!-->x<b>", "CCCCCDGGG"},
        // A comment opener without `->` after it runs to the end of the text.
        RegionCase{"CommentWithoutEnd", "a<!-- x > <b>y", "DCCCCCCCCCCCCC"},
        RegionCase{"LessThanInsideTag", "<a <b>c>", "GGGGGGDD"},
        RegionCase{"ScriptBlockIsATag", "<% x=1 %>", "GGGGGVVGG"},
        // `<` right after an `=` repaints the whole tag, wiping the values before it.
        RegionCase{"TagRepaintWipesValues", "<a x=1 y==<b=c>", "GGGGGGGGGGGGGVG"},
        RegionCase{"SingleQuotesAreNotQuotes", "<a t='a b' u=c>", "GGGGGVVVGGGGGVG"}),
    [](const auto &info) { return std::string(info.param.name); });

// Records the ranges a pass paints.
class PaintCountingEditor : public EditorCore {
public:
    void setColour(int start, int length, QRgb colour) override {
        painted += length;
        EditorCore::setColour(start, length, colour);
    }
    long long painted = 0;
};

struct EditStep {
    int start;      // where the replacement starts
    int removed;    // how many characters it removes
    QString insert; // what it inserts
    bool recorded = true;
};

struct IncrementalCase {
    const char *name;
    QString text;
    std::vector<EditStep> steps;
};

// Region boundaries that move far: each step compared with the reference over the whole text.
TEST(ColorRegionIncremental, EditsThatMoveBoundariesStayExact) {
    const QString run = QString("words ").repeated(400);
    const QString page = "<p>" + run + "<b>x</b>" + run + "<i>y</i><!-- c -->z";
    const IncrementalCase cases[] = {
        {"LessThanBeforeLongRun", page, {{3, 0, "<"}, {4, 0, "a"}, {5, 0, ">"}, {4, 2, ""}}},
        {"CommentOpenerSwallowsRest", page, {{10, 0, "<!--"}, {14, 0, "x"}, {15, 0, "-->"}}},
        {"CommentOpenerWithoutEnd", "<a>" + run + "<b>", {{5, 0, "<!--"}, {9, 0, "q"}}},
        {"DeleteClosingBracket", page, {{2, 1, ""}, {2, 0, ">"}}},
        {"DeleteOpeningBracket", page, {{0, 1, ""}, {0, 0, "<"}}},
        {"BreakCommentEnd", page, {{int(page.size()) - 2, 1, ""}, {int(page.size()) - 3, 0, ">"}}},
        {"AppendAfterOpenComment", "x<!-- y", {{7, 0, ">"}, {8, 0, "->"}, {10, 0, "<b>"}}},
        {"UnrecordedEditsThenPass",
         page,
         {{3, 0, "<", false}, {20, 0, ">", false}, {2410, 3, "", false}, {0, 0, "q"}}},
        {"ReplaceEverything", page, {{0, int(page.size()), "<b>new</b>"}}},
        {"ValueGrowsPastBracket", "<a x=1>b<c>", {{6, 1, " y"}, {7, 0, "\""}, {10, 0, "\""}}},
    };
    for (const IncrementalCase &c : cases) {
        EditorCore fast, slow;
        SyntaxColouring codes;
        bool recorded = true;
        fast.onChange = [&] {
            codes.noteEdit(fast.lastEdit());
            if (recorded)
                codes.colourRegions(fast);
        };
        slow.onChange = [&] {
            if (recorded)
                reference::colorRegion(slow);
        };
        fast.setText(c.text);
        slow.setText(c.text);
        for (const EditStep &e : c.steps) {
            recorded = e.recorded;
            for (EditorCore *ed : {&fast, &slow}) {
                ed->selectFromUser(e.start, e.removed);
                ed->setSelText(e.insert);
            }
            ASSERT_EQ(fast.text(), slow.text());
            ASSERT_EQ(fast.colourRuns(), slow.colourRuns()) << c.name;
        }
        recorded = true;
        EXPECT_EQ(codes.regions().size(), reference::regions(fast.text()).size()) << c.name;
    }
}

// After an edit the pass paints what can have changed, not the page.
TEST(ColorRegionIncremental, PaintsOnlyWhatTheEditTouches) {
    QString page;
    for (int i = 0; i < 2000; ++i)
        page += "<p class=\"c\">text " + QString::number(i) + "</p><!-- n -->\r\n";
    PaintCountingEditor editor;
    SyntaxColouring codes;
    editor.onChange = [&] {
        codes.noteEdit(editor.lastEdit());
        codes.colourRegions(editor);
    };
    editor.setText(page);
    EXPECT_GE(editor.painted, page.size() / 2);

    struct Step {
        const char *name;
        const char *anchor; // typed at this offset from the anchor, in a line mid-page
        int offset;
        QString typed;
        long long most;
    } steps[] = {
        {"LetterInText", "text", 2, "x", 0},
        {"LetterInTag", "<p", 2, "x", 20},
        {"LetterInComment", "<!--", 5, "x", 1},
        {"LessThanInText", "text", 2, "<", 20},
    };
    for (const Step &s : steps) {
        editor.painted = 0;
        const QString now = editor.text();
        const int line = int(now.indexOf("<p", now.size() / 2));
        editor.selectFromUser(int(now.indexOf(s.anchor, line)) + s.offset, 0);
        editor.insertFromUser(s.typed);
        EXPECT_LE(editor.painted, s.most) << s.name;
    }
    EditorCore slow;
    slow.setText(editor.text());
    reference::colorRegion(slow);
    // Only the regions' colours are comparable: text outside kept its default colour in both.
    EXPECT_EQ(editor.colourRuns(), slow.colourRuns());
}

} // namespace
} // namespace quenbry::testing
