// Find and replace over the edit session's text as stored: what matches where, what a
// replacement makes of it, Replace All as one change that one Undo takes back byte for byte,
// where Go to Line leads, and the line-end census that the status bar reads.
#include "find/finder.h"
#include "find/lineplace.h"
#include "text/lineends.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace quenbry {
namespace {

struct FindFixture : testing::Test {
    EditSession session;
    Finder finder{session};
    EditorCore &text = session.text();
    void SetUp() override { session.setRecording(true); }
    std::vector<TextRange> matches(const QString &subject, SearchOptions options) {
        text.setText(subject);
        finder.setOptions(options);
        std::vector<TextRange> out;
        finder.matchesIn(0, text.length(), out);
        return out;
    }
};

TEST_F(FindFixture, MatchesCountCharactersAsStoredAndEveryLineEndEndsALine) {
    const struct {
        const char16_t *subject;
        SearchOptions options;
        std::vector<TextRange> expected;
    } cases[] = {
        {u"Ab ab aB", {"ab"}, {{0, 2}, {3, 5}, {6, 8}}},
        {u"Ab ab aB", {"ab", true}, {{3, 5}}},
        {u"tab ab a_b ab_ \u00e9ab ab\u0301", {"ab", false, true}, {{4, 6}}},
        // `.` stops at CR, LF and CR LF alike; `$` is before a line end, never inside CR LF.
        {u"a\r\nb\rc\nd", {"^..$", false, false, true}, {}},
        {u"ab\r\ncd\ref\ngh", {"\\w$", false, false, true}, {{1, 2}, {5, 6}, {8, 9}, {11, 12}}},
        {u"ab\r\ncd", {"b\\r\\nc", false, false, true}, {{1, 5}}},
        {u"ab\r\ncd", {"b\\s+c", false, false, true}, {{1, 5}}},
        {u"x\r\ny", {"^", false, false, true}, {}}, // empty matches are not highlighted
        {u"a\xd800"
         "b \xdc00"
         "ab",
         {"ab"},
         {{5, 7}}},
        {u"a.b axb", {"a.b"}, {{0, 3}}},
        {u"a(b", {"a(b", false, false, true}, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(matches(QString::fromUtf16(c.subject), c.options), c.expected)
            << c.options.text.toStdString() << " in "
            << QString::fromUtf16(c.subject).toStdString();
    EXPECT_EQ(finder.pattern().error(), "missing closing parenthesis (at 4)");
}

TEST_F(FindFixture, ReplacementsUseTheGroupsOfAnExpressionOnly) {
    const struct {
        SearchOptions options;
        const char *replacement, *expected, *error;
    } cases[] = {
        {{"(\\w+)-(\\w+)", false, false, true},
         "\\2+$1 \\0 $$ \\\\ \\. \\t|",
         "b+a a-b $ \\ . \t|",
         ""},
        {{"a-b"}, "\\2$1", "\\2$1", ""},
        {{"(a)-b", false, false, true},
         "\\2",
         "",
         "The replacement uses group 2; the expression has 1"},
        {{"a-b", false, true, true},
         "$1",
         "",
         "The replacement uses group 1; the expression has none"},
    };
    for (const auto &c : cases) {
        matches("a-b", c.options);
        EXPECT_EQ(finder.pattern().replacementError(c.replacement), c.error);
        if (!*c.error) {
            finder.replaceAll(c.replacement);
            EXPECT_EQ(text.text(), c.expected) << c.replacement;
        }
    }
}

TEST_F(FindFixture, ReplaceAllIsOneChangeThatOneUndoTakesBackByteForByte) {
    const QString page = QStringLiteral("<b>cat</b>\r\ncat\ncat\rx cat");
    text.setText(page);
    session.resetHistory();
    text.setColour(10, 1, rgb(1, 2, 3)); // a character between matches keeps its colour
    finder.setCounting(true);
    finder.setOptions({"cat"});
    EXPECT_EQ(finder.matchCount(), 4);
    finder.replaceAll("dog!");
    EXPECT_EQ(text.text(), "<b>dog!</b>\r\ndog!\ndog!\rx dog!");
    EXPECT_EQ(text.colourAt(11), rgb(1, 2, 3));
    EXPECT_EQ(session.history().undoCount(), 2);
    EXPECT_EQ(finder.status(), "Replaced 4 matches");
    EXPECT_EQ(finder.matchCount(), 0);
    session.undo();
    EXPECT_EQ(text.text(), page);
    session.redo();
    session.undo();
    EXPECT_EQ(text.text(), page);
    // A selection over more than one line limits it; the selection keeps what it held.
    text.setSelStart(12);
    text.setSelLength(7);
    finder.replaceAll("a");
    EXPECT_EQ(text.text(), "<b>cat</b>\r\na\na\rx cat");
    EXPECT_EQ(text.selText(), "a\na");
    // A match replaced by itself changes nothing, and leaves Undo nothing to do.
    text.setSelStart(0);
    finder.setOptions({"X"});
    finder.replaceAll("x");
    EXPECT_EQ(session.history().undoCount(), 2);
}

TEST_F(FindFixture, StepsWrapAtBothEndsAndEmptyMatchesMoveOn) {
    matches("one\r\ntwo\r\nthree", {"^", false, false, true});
    finder.setCounting(true);
    const int starts[] = {5, 10, 0, 5};
    for (int start : starts) {
        finder.findNext();
        EXPECT_EQ(text.selStart(), start);
    }
    EXPECT_EQ(finder.status(), "2 of 3");
    finder.findPrevious();
    finder.findPrevious();
    EXPECT_EQ(text.selStart(), 10);
    EXPECT_EQ(finder.status(), "3 of 3 (wrapped to the bottom)");
}

TEST_F(FindFixture, CountsAcrossTheStretchesItReadsAtATime) {
    // Matches far apart, each across the end of a stretch, and long ones that outrun it.
    QString page;
    for (int i = 0; i < 3; ++i)
        page += QString(65535, u'x') + QString::fromUtf16(u"ab\r\nc\U0001F600");
    text.setText(page);
    finder.setCounting(true);
    for (const char *pattern : {"ab", "x+ab$", "b\\r\\nc", "(?<=x)a", "\\S+\\s+\\S+"}) {
        finder.setOptions({pattern, true, false, true});
        const QRegularExpression oracle("(*ANYCRLF)" + QString::fromLatin1(pattern),
                                        QRegularExpression::MultilineOption);
        int expected = 0;
        for (auto it = oracle.globalMatch(page); it.hasNext(); it.next())
            ++expected;
        for (QDeadlineTimer limit(10000); finder.matchCount() < 0 && !limit.hasExpired();)
            QCoreApplication::processEvents();
        EXPECT_EQ(finder.matchCount(), expected) << pattern;
    }
}

TEST(LinePlace, LinesAndColumnsCountFromOneAndRefusalsSayWhy) {
    EditorCore text;
    text.setText("ab\r\ncde\nf\rg");
    const struct {
        const char *input;
        int offset;
        const char *error;
    } cases[] = {
        {"2", 4, ""},
        {" 2 : 4 ", 7, ""},
        {"4:2", 11, ""},
        {"0", -1, "There is no line 0: the text has lines 1 to 4."},
        {"5", -1, "There is no line 5: the text has lines 1 to 4."},
        {"99999999999", -1, "There is no line 99999999999: the text has lines 1 to 4."},
        {"2:5", -1, "Line 2 has columns 1 to 4."},
        {"x", -1, "Type a line number from 1 to 4, or a line and a column as in 12:5."},
    };
    for (const auto &c : cases) {
        const LinePlace p = linePlace(text, c.input);
        EXPECT_EQ(p.offset, c.offset) << c.input;
        EXPECT_EQ(p.error, c.error) << c.input;
    }
}

// Counted one character at a time, the plain way.
LineEndCensus::Counts lineEndsOf(const QString &t) {
    LineEndCensus::Counts c;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const bool pair = t[i] == u'\r' && i + 1 < t.size() && t[i + 1] == u'\n';
        c.crLf += pair;
        c.cr += t[i] == u'\r' && !pair;
        c.lf += t[i] == u'\n' && (i == 0 || t[i - 1] != u'\r');
    }
    return c;
}

TEST(LineEndCensus, FollowsEditsThatMakeAndBreakPairsAtTheirEdges) {
    EditorCore text;
    LineEndCensus census(text);
    QRandomGenerator random(19);
    const QString pieces[] = {"\r", "\n", "\r\n", "a", ""};
    int start = 0;
    QString put;
    for (int i = 0; i < 2000; ++i) {
        // Every tenth edit takes out exactly the long run the one before put in, as an Undo of
        // a paste does; the others are short.
        const bool undo = i % 10 == 9;
        start = undo ? start : int(random.bounded(text.length() + 1));
        text.setSelStart(start);
        text.setSelLength(undo ? int(put.size()) : int(random.bounded(4)));
        put = undo ? QString()
                   : (pieces[random.bounded(5)] + pieces[random.bounded(5)])
                         .repeated(i % 10 == 8 ? 9 : 1);
        text.setSelText(put);
        // Now and then a whole new text, whose line ends the model counts as it indexes them.
        if (i % 100 == 50)
            text.setText(text.text().mid(int(random.bounded(text.length() + 1))));
        // The whole text counted afresh is read in long runs, the edits in short ones.
        LineEndCensus fresh(text);
        const LineEndCensus::Counts plain = lineEndsOf(text.text());
        for (const LineEndCensus::Counts &c : {census.counts(), fresh.counts()}) {
            ASSERT_EQ(c.crLf, plain.crLf) << i;
            ASSERT_EQ(c.lf, plain.lf) << i;
            ASSERT_EQ(c.cr, plain.cr) << i;
        }
    }
    text.setText("a\nb\n");
    EXPECT_EQ(census.lineEnds(), LineEnds::Lf);
    text.setText("a\nb\r\n");
    EXPECT_EQ(census.lineEnds(), LineEnds::Mixed);
}

} // namespace
} // namespace quenbry
