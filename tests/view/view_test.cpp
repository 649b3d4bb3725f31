// The on-screen view over a model: keys and the mouse through its window, long lines cut into
// segments against a line shaped whole, and random use against what it must keep in step.
#include "shownview.h"
#include "view/linewidths.h"

#include <QAccessible>
#include <QApplication>
#include <QFontMetricsF>
#include <QScrollBar>
#include <QTest>
#include <QTextLayout>
#include <gtest/gtest.h>
#include <random>

namespace quenbry {
namespace {

struct Key {
    Qt::Key key;
    Qt::KeyboardModifiers mods = Qt::NoModifier;
};

struct KeyCase {
    const char *name;
    QString text;
    int selStart, selLength; // set by the program before the keys
    std::vector<Key> keys;
    QString expected;
    int anchor, caret;
};

TEST(ViewKeys, MoveSelectAndEditAsOnADesktop) {
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
    const QString three = QStringLiteral("abcdef\r\nab\r\nabcdef");
    const KeyCase cases[] = {
        {"Shift+Left extends leftwards from the end",
         "<html>",
         6,
         0,
         {{Qt::Key_Left, shift}, {Qt::Key_Left, shift}, {Qt::Key_Left, shift}},
         "<html>",
         6,
         3},
        {"Ctrl+Shift+Left takes the word before",
         "abc def",
         7,
         0,
         {{Qt::Key_Left, shift | ctrl}},
         "abc def",
         7,
         4},
        {"Shift+Left then Shift+Right shrinks back",
         "abcd",
         4,
         0,
         {{Qt::Key_Left, shift}, {Qt::Key_Left, shift}, {Qt::Key_Right, shift}},
         "abcd",
         4,
         3},
        {"Shift+Right takes a CR LF whole",
         "a\r\nb",
         1,
         0,
         {{Qt::Key_Right, shift}},
         "a\r\nb",
         1,
         3},
        {"Left ends a selection at its start", "abcd", 1, 2, {{Qt::Key_Left}}, "abcd", 1, 1},
        {"Up and Down keep the column",
         three,
         5,
         0,
         {{Qt::Key_Down}, {Qt::Key_Down}},
         three,
         17,
         17},
        {"Down on the last line goes to the end", three, 13, 0, {{Qt::Key_Down}}, three, 18, 18},
        {"Home and Shift+End", three, 10, 0, {{Qt::Key_Home}, {Qt::Key_End, shift}}, three, 8, 10},
        {"Ctrl+End and Ctrl+Shift+Home",
         three,
         3,
         0,
         {{Qt::Key_End, ctrl}, {Qt::Key_Home, ctrl | shift}},
         three,
         18,
         0},
        {"Ctrl+Right to the next word", "abc def", 0, 0, {{Qt::Key_Right, ctrl}}, "abc def", 4, 4},
        {"Backspace takes a CR LF whole", "a\r\nb", 3, 0, {{Qt::Key_Backspace}}, "ab", 1, 1},
        {"Delete takes a CR LF whole", "a\r\nb", 1, 0, {{Qt::Key_Delete}}, "ab", 1, 1},
        {"Enter types CR LF", "ab", 1, 0, {{Qt::Key_Return}}, "a\r\nb", 3, 3},
        {"Tab types a tab", "ab", 1, 0, {{Qt::Key_Tab}}, "a\tb", 2, 2},
        {"Shift+Tab types nothing", "ab", 1, 0, {{Qt::Key_Backtab, shift}}, "ab", 1, 1},
        {"Alt or Ctrl with a letter types nothing",
         "ab",
         1,
         0,
         {{Qt::Key_F, Qt::AltModifier}, {Qt::Key_E, Qt::AltModifier}, {Qt::Key_Q, ctrl}},
         "ab",
         1,
         1},
        {"Ctrl+Backspace takes the word before",
         "abc def",
         7,
         0,
         {{Qt::Key_Backspace, ctrl}},
         "abc ",
         4,
         4},
        {"typing replaces the selection", "abcd", 1, 2, {{Qt::Key_X}}, "axd", 2, 2},
    };
    for (const KeyCase &c : cases) {
        SCOPED_TRACE(c.name);
        ShownView v;
        v.model.setText(c.text);
        v.model.setSelStart(c.selStart);
        v.model.setSelLength(c.selLength);
        for (const Key &k : c.keys)
            QTest::keyClick(v.window(), k.key, k.mods);
        EXPECT_EQ(v.model.text(), c.expected);
        EXPECT_EQ(v.view.anchor(), c.anchor);
        EXPECT_EQ(v.view.caret(), c.caret);
        EXPECT_EQ(v.model.selStart(), std::min(c.anchor, c.caret));
        EXPECT_EQ(v.model.selLength(), std::abs(c.caret - c.anchor));
        EXPECT_TRUE(v.view.hasFocus());
    }
}

TEST(ViewKeys, ReservedShortcutsReachTheWindowNeverTheText) {
    ShownView v;
    v.model.setText(QStringLiteral("abc"));
    auto *paste = new QAction(&v.view);
    paste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    v.view.addAction(paste);
    int pasted = 0;
    QObject::connect(paste, &QAction::triggered, [&] { ++pasted; });
    v.view.setReservedShortcuts({paste->shortcut()});
    QTest::keyClick(v.window(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(pasted, 1);
    // A disabled command's key does nothing at all.
    paste->setEnabled(false);
    QTest::keyClick(v.window(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(pasted, 1);
    EXPECT_EQ(v.model.text(), "abc");
}

// Text being composed shows at the caret and changes nothing; the commit is typed.
TEST(ViewKeys, InputMethodComposesAtTheCaretAndTypesTheCommit) {
    ShownView v;
    v.model.setText(QStringLiteral("ab"));
    v.model.setSelStart(1);
    const int before = v.view.cursorRect(1).left();
    QInputMethodEvent compose(QStringLiteral("xy"), {});
    QApplication::sendEvent(QApplication::focusObject(), &compose);
    EXPECT_EQ(v.model.text(), "ab");
    int at = 0;
    EXPECT_EQ(v.view.layouts().layoutAt(1, &at)->preeditAreaText(), "xy");
    EXPECT_GT(v.view.cursorRect(1).left(), before);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("\u00e9"));
    QApplication::sendEvent(QApplication::focusObject(), &commit);
    EXPECT_EQ(v.model.text(), QStringLiteral("a\u00e9b"));
    EXPECT_EQ(v.input.keys, std::vector<int>{0xe9});
    EXPECT_EQ(v.view.layouts().layoutAt(1, &at)->preeditAreaText(), "");
    EXPECT_EQ(v.view.cursorRect(2).left(), v.view.cursorRect(v.model.selStart()).left());
}

TEST(ViewMouse, ClickShiftClickWordLineAndDrag) {
    ShownView v;
    v.model.setText(QStringLiteral("hello world\r\nsecond line\r\n"));
    std::vector<QPoint> menus;
    QObject::connect(&v.view, &EditorView::contextMenuRequested,
                     [&](QPoint globalPos) { menus.push_back(globalPos); });
    QTest::mouseClick(v.window(), Qt::LeftButton, Qt::NoModifier, v.inWindow(v.pointOf(3)));
    EXPECT_EQ(v.view.caret(), 3);
    QTest::mouseClick(v.window(), Qt::LeftButton, Qt::ShiftModifier, v.inWindow(v.pointOf(8)));
    EXPECT_EQ(v.model.selStart(), 3);
    EXPECT_EQ(v.model.selLength(), 5);
    EXPECT_TRUE(menus.empty()) << "the left button asks for no menu";

    const QPoint inWorld = v.inWindow(v.pointOf(8));
    QTest::mouseDClick(v.window(), Qt::LeftButton, Qt::NoModifier, inWorld);
    EXPECT_EQ(v.model.selText(), "world");
    // A third click soon after selects the whole line, its line end too.
    QTest::mouseClick(v.window(), Qt::LeftButton, Qt::NoModifier, inWorld);
    EXPECT_EQ(v.model.selText(), "hello world\r\n");

    QTest::mousePress(v.window(), Qt::LeftButton, Qt::NoModifier, v.inWindow(v.pointOf(15)));
    QTest::mouseMove(v.window(), v.inWindow(v.pointOf(2)));
    QTest::mouseRelease(v.window(), Qt::LeftButton, Qt::NoModifier, v.inWindow(v.pointOf(2)));
    EXPECT_EQ(v.model.selStart(), 2);
    EXPECT_EQ(v.model.selLength(), 13);
    EXPECT_EQ(v.view.caret(), 2);

    // The right button moves nothing; its release asks for the menu where it came up.
    const QPoint at(10, 20);
    QTest::mousePress(v.window(), Qt::RightButton, Qt::NoModifier, v.inWindow(at));
    EXPECT_TRUE(menus.empty()) << "the press alone opens nothing";
    QTest::mouseRelease(v.window(), Qt::RightButton, Qt::NoModifier, v.inWindow(at));
    EXPECT_EQ(menus, std::vector<QPoint>{v.view.viewport()->mapToGlobal(at)});
    EXPECT_EQ(v.model.selLength(), 13);
}

// ---- Long lines -------------------------------------------------------------------------

// A long line of markup with tags that hold spaces, so that segments are cut inside tags, a
// few tabs and characters beyond Latin-1; or, plain, only printable ASCII, with words the font
// may join letters in.
QString longLine(int length, bool plain = false) {
    const QString parts[] = {plain ? QStringLiteral("<a href=\"x y\" title=\"e - z\">")
                                   : QStringLiteral("<a href=\"x y\" title=\"é — z\">"),
                             QStringLiteral("some text "),
                             QStringLiteral("</a>"),
                             QStringLiteral("<td width=50>"),
                             plain ? QStringLiteral("fi office fl ") : QStringLiteral("fi\tfl "),
                             QStringLiteral("<img src=\"a.png\" alt=\"\">")};
    QString s;
    for (int i = 0; s.size() < length; ++i)
        s += parts[(i * 7) % 6];
    s.truncate(length);
    return s;
}

// Tags in one colour and attribute values in another, as the colouring would have them.
void colourTags(EditorCore &m) {
    const QString t = m.text();
    for (int i = t.indexOf(u'<'); i >= 0; i = t.indexOf(u'<', i + 1)) {
        const int end = t.indexOf(u'>', i);
        if (end < 0)
            break;
        m.setColour(i, end - i + 1, rgb(0, 0, 160));
        for (int q = t.indexOf(u'"', i); q >= 0 && q < end; q = t.indexOf(u'"', q + 1)) {
            const int close = t.indexOf(u'"', q + 1);
            if (close < 0 || close > end)
                break;
            m.setColour(q, close - q + 1, rgb(128, 0, 128));
            q = close;
        }
    }
}

std::unique_ptr<QTextLayout> wholeLine(const QString &text, QFont font) {
    font.setKerning(false);
    auto layout = std::make_unique<QTextLayout>(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    option.setTabStopDistance(80);
    layout->setTextOption(option);
    layout->beginLayout();
    layout->createLine().setLineWidth(1 << 24);
    layout->endLayout();
    return layout;
}

// The colour a character is drawn in: of the pixels in its box, the one that differs most
// from the background, matched to the nearest of the candidate colours by direction.
QRgb inkColour(const QImage &image, QRect box, QColor background,
               const std::vector<QRgb> &candidates) {
    int best = -1;
    QRgb ink = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int d = std::abs(c.red() - background.red()) +
                          std::abs(c.green() - background.green()) +
                          std::abs(c.blue() - background.blue());
            if (d > best) {
                best = d;
                ink = c.rgb();
            }
        }
    if (best < 120)
        return 0; // no ink here worth judging
    double bestCos = -2;
    QRgb match = 0;
    const double d[3] = {double(qRed(ink)) - background.red(),
                         double(qGreen(ink)) - background.green(),
                         double(qBlue(ink)) - background.blue()};
    for (QRgb c : candidates) {
        const double e[3] = {double(qRed(c)) - background.red(),
                             double(qGreen(c)) - background.green(),
                             double(qBlue(c)) - background.blue()};
        const double cos = (d[0] * e[0] + d[1] * e[1] + d[2] * e[2]) /
                           std::sqrt((d[0] * d[0] + d[1] * d[1] + d[2] * d[2]) *
                                     (e[0] * e[0] + e[1] * e[1] + e[2] * e[2]));
        if (cos > bestCos) {
            bestCos = cos;
            match = c;
        }
    }
    return match;
}

// Every character's x, the caret and the colours drawn agree with a layout of the whole line,
// before and after edits across the cuts; also where the x comes from widths not yet shaped.
class ViewSegments : public ::testing::TestWithParam<bool> {};
INSTANTIATE_TEST_SUITE_P(Lines, ViewSegments, ::testing::Bool());

TEST_P(ViewSegments, LongLinesAgreeWithTheWholeLine) {
    ShownView v(QSize(700, 200));
    v.model.setText(longLine(200'000, GetParam()) + QStringLiteral("\r\nnext"));
    colourTags(v.model);
    LineLayouts &layouts = v.view.layouts();
    const std::vector<std::pair<int, int>> before = layouts.segmentsOf(0);
    ASSERT_GT(before.size(), size_t(50));

    auto check = [&](const char *when) {
        SCOPED_TRACE(when);
        const int length = v.model.lineEnd(0);
        const QString line = v.model.mid(0, length);
        const auto whole = wholeLine(line, v.view.font());
        // Qt shapes a long run of text in pieces of 4096 characters, which would split the
        // joined letters of a word there: the printable line is shaped word by word instead
        // (a word ending after a space or a '>', as the view's cuts assume).
        std::vector<std::pair<int, std::shared_ptr<QTextLayout>>> words;
        std::vector<qreal> wordX{0};
        for (int at = 0; GetParam() && at < length;) {
            int end = at;
            while (end < length && line[end] != u' ' && line[end] != u'>')
                ++end;
            words.emplace_back(at, wholeLine(line.mid(at, end + 1 - at), v.view.font()));
            wordX.push_back(wordX.back() + words.back().second->lineAt(0).naturalTextWidth());
            at = end + 1;
        }
        auto reference = [&](int i) {
            if (!GetParam())
                return whole->lineAt(0).cursorToX(i);
            const auto it = std::upper_bound(words.begin(), words.end(), i,
                                             [](int i, const auto &w) { return i < w.first; });
            const size_t k = size_t(it - words.begin()) - 1;
            return wordX[k] + words[k].second->lineAt(0).cursorToX(i - words[k].first);
        };
        const std::vector<std::pair<int, int>> segments = layouts.segmentsOf(0);
        for (const auto &[start, len] : segments)
            ASSERT_LE(len, LineLayouts::longLine);
        // Every character on both sides of every cut, and every 97th one elsewhere.
        std::vector<int> probes;
        for (const auto &[start, len] : segments)
            for (int d = -3; d <= 3; ++d)
                probes.push_back(start + d);
        for (int i = 0; i <= length; i += 97)
            probes.push_back(i);
        // From the far end first, each x then resting on the widths of every segment before.
        layouts.clear();
        std::reverse(probes.begin(), probes.end());
        for (int i : probes) {
            if (i < 0 || i > length)
                continue;
            ASSERT_DOUBLE_EQ(layouts.xOf(i), reference(i)) << "offset " << i;
        }
        // Hit-testing finds the characters where the whole line has them.
        for (int i = 1; i < length; i += 1013)
            ASSERT_EQ(layouts.offsetAt(0, reference(i) + 0.25), i);
        // The caret on either side of a cut stands where the whole line puts it.
        for (size_t k = 1; k < segments.size(); k += segments.size() / 5) {
            const int at = segments[k].first;
            v.model.setSelStart(at);
            // The view's text starts 4 pixels in and scrolls with the bar.
            const QRect caret = v.view.cursorRect(at);
            ASSERT_EQ(caret.left() + v.view.horizontalScrollBar()->value() - 4,
                      std::lround(reference(at)))
                << "caret at " << at;
        }
        // Colours: what is drawn around a cut is the model's colour of each character.
        const int cut = segments[segments.size() / 2].first;
        v.model.setSelStart(cut);
        v.view.clearFocus(); // no caret among the glyphs
        QApplication::processEvents();
        const QImage shot = v.view.viewport()->grab().toImage();
        v.view.setFocus();
        const QColor bg = v.view.backgroundColour();
        const std::vector<QRgb> palette = {qRgb(0, 0, 0), qRgb(0, 0, 160), qRgb(128, 0, 128),
                                           qRgb(64, 128, 128)};
        int judged = 0;
        for (int i = std::max(0, cut - 30); i < std::min(length, cut + 30); ++i) {
            if (line[i].isSpace())
                continue;
            const QRect a = v.view.cursorRect(i), b = v.view.cursorRect(i + 1);
            const QRect box(a.left(), a.top() + 2, std::max(1, b.left() - a.left()),
                            a.height() - 4);
            if (!v.view.viewport()->rect().contains(box))
                continue;
            const QRgb drawn = inkColour(shot, box, bg, palette);
            if (drawn == 0)
                continue;
            ++judged;
            ASSERT_EQ(drawn, v.model.colourAt(i)) << "offset " << i;
        }
        EXPECT_GT(judged, 20);
    };
    check("as opened");

    // Typing at a cut, deleting across one, and a tab that moves what follows it.
    const int cut = before[before.size() / 3].first;
    v.model.setSelStart(cut);
    for (QChar c : QStringLiteral("<b x=\"1 2\">fi"))
        v.model.typeCharacter(c.unicode());
    const int other = before[before.size() / 2].first;
    v.model.setSelStart(other - 5);
    v.model.setSelLength(10);
    v.model.setSelText(GetParam() ? QStringLiteral(" ") : QStringLiteral("\t"));
    colourTags(v.model);
    check("after edits");
}

// The scroll range follows the widest line through edits that shrink it, move the lines after
// it and add or take whole lines, on a page of more lines than are looked through at once.
TEST(ViewWidest, TheWidestLineFollowsEdits) {
    ShownView v;
    QString text;
    for (int i = 0; i < 10'000; ++i)
        text += QString(i == 6000 ? 300 : i % 97, u'x') + QStringLiteral("\r\n");
    v.model.setText(text);
    LineLayouts &layouts = v.view.layouts();
    auto replace = [&](int line, int lines, int drop, const QString &with) {
        v.model.setSelStart(v.model.lineStart(line));
        v.model.setSelLength(lines > 0 ? v.model.lineStart(line + lines) - v.model.selStart()
                                       : drop);
        v.model.setSelText(with);
    };
    const std::function<void()> edits[] = {
        [] {},
        [&] { replace(6000, 0, 250, QString()); },                  // the widest shrinks
        [&] { replace(100, 100, 0, QString()); },                   // lines go before it
        [&] { replace(5000, 0, 0, QString(500, u'y') + "\r\nz"); }, // a wider one comes in
        [&] { replace(5000, 1, 0, QString()); },                    // and goes again
        [&] { replace(9000, 0, 0, QString(400, u'w')); },           // one in the last block
        [&] { replace(7000, 0, 0, QString(6000, u'v') + "\r\n"); }, // wider than 32767 px
        [&] { replace(7000, 0, 5000, QString()); },                 // and narrower
    };
    for (size_t i = 0; i < std::size(edits); ++i) {
        edits[i]();
        qreal widest = 0;
        for (int n = 0; n < v.model.lineCount(); ++n)
            widest = std::max(widest, layouts.lineWidth(n));
        ASSERT_EQ(layouts.widestLine(), std::ceil(widest)) << "edit " << i;
    }
}

// Widths as a plain list keeps them, to the pixel: measured ones never narrower, estimates
// within half a pixel, lines wider than two bytes hold keep theirs as lines come and go.
TEST(ViewWidest, KeptWidthsAreThoseGivenToThePixel) {
    std::mt19937 rng(11);
    LineWidths kept;
    kept.reset(3);
    std::vector<float> plain(3, -0.0f);
    auto width = [&] {
        const float w = float(rng() % (rng() % 4 == 0 ? 80'000 : 900)) + float(rng() % 64) / 64;
        return rng() % 2 ? w : -w;
    };
    for (int step = 0; step < 4000; ++step) {
        const int line = int(rng() % plain.size());
        if (step % 3 == 0) {
            const int removed = std::min(int(rng() % 4), int(plain.size()) - line);
            std::vector<float> fresh(rng() % 4 + (plain.size() == size_t(removed) ? 1 : 0));
            for (float &w : fresh)
                w = width();
            kept.replace(line, removed, fresh);
            plain.erase(plain.begin() + line, plain.begin() + line + removed);
            plain.insert(plain.begin() + line, fresh.begin(), fresh.end());
        } else {
            plain[size_t(line)] = width();
            kept.set(line, plain[size_t(line)]);
        }
        ASSERT_EQ(kept.size(), int(plain.size()));
        float widest = 0;
        for (int i = 0; i < kept.size(); ++i) {
            const float want = plain[size_t(i)], got = kept.at(i);
            ASSERT_EQ(std::signbit(got), std::signbit(want)) << step << " line " << i;
            if (want >= 0)
                ASSERT_TRUE(got >= want && got < want + 1) << step << " line " << i;
            else
                ASSERT_LE(std::abs(got - want), 0.5f) << step << " line " << i;
            widest = std::max(widest, std::abs(got));
        }
        ASSERT_EQ(kept.widest(0, kept.size()), widest) << step;
    }
}

TEST(ViewPaint, AChangeOfColoursAloneIsDrawn) {
    ShownView v;
    v.model.setText(QStringLiteral("plain words\r\nsecond line\r\n"));
    v.model.setSelStart(v.model.length());
    v.view.clearFocus();
    v.view.viewport()->grab();
    v.model.setColour(0, 5, rgb(64, 128, 128));
    QApplication::processEvents();
    const QImage shot = v.view.viewport()->grab().toImage();
    for (int i : {0, 2, 4, 6, 8}) {
        const QRect a = v.view.cursorRect(i), b = v.view.cursorRect(i + 1);
        const QRect box(a.left(), a.top() + 2, std::max(1, b.left() - a.left()), a.height() - 4);
        EXPECT_EQ(
            inkColour(shot, box, v.view.backgroundColour(), {qRgb(0, 0, 0), qRgb(64, 128, 128)}),
            v.model.colourAt(i))
            << "offset " << i;
    }
}

} // namespace
} // namespace quenbry
