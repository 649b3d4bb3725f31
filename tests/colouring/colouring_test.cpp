// The colouring: the colour of each typed character and the typing state it leaves, the region
// pass over whole texts, and random editing sessions (see colouringsession.h) from fixed seeds,
// on generated pages, and over every file of the fuzz target's corpus.

#include "colouring/syntaxcolouring.h"
#include "colouringsession.h"
#include "editing/editsession.h"
#include "fuzzfiles.h"
#include "pages.h"
#include "referencepass.h"
#include "testsupport/colourletters.h"
#include "text/editorcore.h"

#include <QCoreApplication>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <random>

inline void PrintTo(const QString &s, std::ostream *os) {
    *os << '"' << s.toStdString() << '"';
}

namespace quenbry::testing {
namespace {

// Colours written as one letter per character, in the notation of the replay scripts, so that
// the tables read like the text; D is the editor's default (a character never coloured).
constexpr Rgb kUncoloured = rgb(1, 2, 3);

QString colourLetters(const EditorBuffer &buffer) {
    QString out;
    for (int i = 0; i < buffer.length(); ++i) {
        const Rgb c = buffer.colourAt(i) | 0xff000000u;
        out += c == (kUncoloured | 0xff000000u) ? QChar(u'D') : colourLetter(c);
    }
    return out;
}

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
        // A key goes to the colouring first, which may consume it.
        const auto type = [&colouring](EditorCore &e, int key) {
            colouring.colourKeystroke(e, key);
            if (key != 0)
                e.typeCharacter(key);
        };
        scratch.setText("x");
        scratch.selectFromUser(1, 0);
        for (const char *k = c.prior; *k; ++k)
            type(scratch, *k);
        load(editor, QString::fromLatin1(c.before));
        for (const char *k = c.typed; *k; ++k)
            type(editor, *k);
        EXPECT_EQ(editor.text(), QString::fromLatin1(c.text));
        EXPECT_EQ(colourLetters(editor), QString::fromLatin1(c.colours));
        EXPECT_EQ(flags(colouring.typingState()), QString::fromLatin1(c.state));
    }
}

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

// The compact store of regions against a plain list, with chunks of three regions so that
// appends and replacements cross chunk boundaries and the shift boundary moves both ways; some
// tags are megabytes long and some comments are left open.
TEST(RegionList, KeepsWhatAPlainListKeeps) {
    std::mt19937 random(7);
    const auto below = [&](int n) {
        return int(random() % unsigned(n));
    };
    const auto laidOut = [&](int from, int count) {
        std::vector<Region> out;
        for (int i = 0; i < count; ++i) {
            Region r;
            r.start = from + below(4) + (below(8) ? 0 : 300'000);
            r.gt = r.end = r.start + 1 + (below(8) ? below(200) : 5'000'000);
            r.comment = below(3) == 0;
            r.closed = r.comment && below(4) > 0;
            r.end += r.comment ? below(100) + r.closed : 0;
            r.dash = r.closed ? r.end - 1 : -1;
            out.push_back(r);
            from = r.end + 1;
        }
        return out;
    };
    RegionList list(3);
    std::vector<Region> model;
    for (int step = 0; step < 4000; ++step) {
        const int kind = below(8);
        if (kind == 0 && below(20) == 0) {
            list.clear();
            model.clear();
        } else if (kind < 2) {
            for (const Region &r : laidOut(model.empty() ? 0 : model.back().end + 1, below(5))) {
                list.append(r);
                model.push_back(r);
            }
        } else {
            const size_t first = size_t(below(int(model.size()) + 1));
            const size_t last = std::min(model.size(), first + size_t(below(kind < 7 ? 3 : 30)));
            const int from = first > 0 ? model[first - 1].end + 1 : 0;
            const std::vector<Region> fresh = laidOut(from, below(kind < 7 ? 4 : 30));
            const int freshEnd = fresh.empty() ? from : fresh.back().end + 1;
            const int delta = last < model.size() ? freshEnd + below(3) - model[last].start : 0;
            list.replace(first, last, fresh, delta);
            for (size_t i = last; i < model.size(); ++i) {
                for (int *at : {&model[i].start, &model[i].gt, &model[i].end})
                    *at += delta;
                model[i].dash += model[i].closed ? delta : 0;
            }
            model.erase(model.begin() + long(first), model.begin() + long(last));
            model.insert(model.begin() + long(first), fresh.begin(), fresh.end());
        }
        ASSERT_EQ(list.size(), model.size()) << step;
        if (model.empty())
            continue;
        const size_t i = size_t(below(int(model.size())));
        ASSERT_TRUE(list.at(i) == model[i]) << step;
        const int x = below(model.back().end + 2);
        const auto byEnd = [x](const Region &r) {
            return r.end >= x;
        };
        ASSERT_EQ(list.firstWhere(byEnd),
                  size_t(std::find_if(model.begin(), model.end(), byEnd) - model.begin()))
            << step;
        ASSERT_TRUE(list.toVector() == model) << step;
    }
}

std::vector<std::uint8_t> randomBytes(std::mt19937 &random, int size) {
    std::vector<std::uint8_t> bytes(static_cast<size_t>(size));
    for (auto &b : bytes)
        b = std::uint8_t(random());
    return bytes;
}

TEST(ColouringSessions, RandomSessionsMatchTheReferencePass) {
    std::mt19937 random(1);
    for (int session = 0; session < 400; ++session) {
        const auto bytes = randomBytes(random, 100 + int(random() % 1200));
        ASSERT_EQ(runColouringSession(bytes.data(), bytes.size()), "") << "session " << session;
    }
}

// Many regions, long rescans and resynchronisation far from the edit.
TEST(ColouringSessions, GeneratedPagesStayExact) {
    std::mt19937 random(2);
    for (unsigned seed = 1; seed <= 4; ++seed) {
        const QString page =
            seed % 2 ? bench::realisticPage(60'000, seed) : bench::minifiedPage(60'000, seed);
        const auto bytes = randomBytes(random, 1500);
        ASSERT_EQ(runColouringSession(bytes.data(), bytes.size(), page), "") << "page " << seed;
    }
}

// An opened page is coloured in idle steps. Whatever is typed, pasted or undone before they
// have ended, the colours come out as if the whole page had been coloured first: a tag taken
// apart far beyond the steps keeps the colour that the whole pass gave it.
TEST(ColouringSessions, EditsBeforeTheOpenedPageIsColouredEndAsAfterAWholePass) {
    const QString page = bench::realisticPage(4'000'000, 5);
    const int mid = int(page.indexOf(u'<', page.size() / 2));
    const int far = int(page.lastIndexOf(u'<', page.size() - 200));
    using Edit = std::function<void(EditSession &)>;
    const Edit idle = [](EditSession &) {
        QCoreApplication::processEvents();
    };
    const Edit deleteFarLt = [&](EditSession &s) {
        s.selectFromUser(far, 1);
        s.pressDelete();
    };
    const Edit type = [&](EditSession &s) {
        s.selectFromUser(mid + 1, 0);
        for (char c : std::string("<!x =\"a b\">"))
            s.typeCharacter(c);
    };
    const Edit paste = [&](EditSession &s) {
        s.selectFromUser(far - 10, 30);
        s.insertFromUser("<p title=\"q\">x</p><!-- y");
    };
    const Edit undo = [](EditSession &s) {
        s.undo();
    };
    const Edit readColour = [&](EditSession &s) {
        s.text().colourAt(far);
    };
    const std::vector<std::vector<Edit>> scripts = {{deleteFarLt, undo, type},
                                                    {idle, type, paste, undo, undo, deleteFarLt},
                                                    {paste, idle, undo, type},
                                                    {readColour, paste, deleteFarLt, undo}};
    for (size_t i = 0; i < scripts.size(); ++i) {
        EditSession stepped, whole;
        for (EditSession *s : {&stepped, &whole}) {
            s->setRecording(true);
            s->load(page);
        }
        whole.text().settleColours();
        ASSERT_TRUE(stepped.text().coloursPending()) << "script " << i;
        for (const Edit &edit : scripts[i])
            for (EditSession *s : {&stepped, &whole})
                edit(*s);
        ASSERT_EQ(stepped.text().text(), whole.text().text()) << "script " << i;
        EXPECT_TRUE(stepped.text().colourRuns() == whole.text().colourRuns()) << "script " << i;
        EXPECT_TRUE(stepped.colouring().regions() == whole.colouring().regions()) << i;
    }
}

TEST(ColouringSessions, FuzzCorpus) {
    runEachFile(COLOURING_CORPUS, [](const std::uint8_t *data, std::size_t size) {
        return runColouringSession(data, size);
    });
}

} // namespace
} // namespace quenbry::testing
