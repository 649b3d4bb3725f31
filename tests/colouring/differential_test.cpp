// Random texts and random edit sequences: after every step the incremental pass must leave
// exactly the colours of the reference pass over the whole text.

#include "editorpair.h"
#include "pages.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <random>

namespace quenbry::testing {
namespace {

class RandomEdits {
public:
    explicit RandomEdits(unsigned seed)
        : rng_(seed) {}

    int below(int n) { return int(rng_() % unsigned(n)); }

    // Markup-ish text: single characters mixed with whole tags, comment openers and closers.
    QString text(int pieces) {
        static const char16_t *const chunks[] = {
            u"<!--", u"-->",   u"<b>", u"</b>", u"<a href=\"x y\">", u" x=1 ",
            u"\r\n", u"text ", u"<%",  u"%>",   u"<p id=a b=\"c\">", u"->"};
        QString out;
        for (int i = 0; i < pieces; ++i) {
            if (below(3) == 0)
                out += QString::fromUtf16(chunks[below(std::size(chunks))]);
            else
                out += QChar(kAlphabet[size_t(below(int(kAlphabet.size())))]);
        }
        return out;
    }

    EditOp op() {
        EditOp o;
        const int kind = below(100);
        if (kind < 55) {
            o.kind = EditOp::Type;
            o.code = kAlphabet[size_t(below(int(kAlphabet.size())))];
        } else if (kind < 63) {
            o.kind = EditOp::Backspace;
        } else if (kind < 70) {
            o.kind = EditOp::Delete;
        } else if (kind < 82) {
            o.kind = EditOp::Select;
            o.start = below(1000);
            o.length = below(4) == 0 ? below(1000) : 0;
        } else if (kind < 89) {
            o.kind = EditOp::Paste;
            o.text = text(below(6));
        } else if (kind < 91) {
            o.kind = EditOp::SetText;
            o.text = text(below(60));
        } else {
            o.kind = EditOp::UnrecordedReplace;
            o.start = below(1000);
            o.length = below(6);
            o.text = text(below(4));
        }
        return o;
    }

private:
    std::mt19937 rng_;
};

QString describe(const EditOp &o) {
    static const char *const names[] = {"type",  "backspace", "delete",    "select",
                                        "paste", "setText",   "unrecorded"};
    return QString("%1 code=%2 start=%3 len=%4 text=\"%5\"")
        .arg(names[o.kind])
        .arg(o.code)
        .arg(o.start)
        .arg(o.length)
        .arg(o.text);
}

TEST(ColouringDifferential, IncrementalPassMatchesReferenceOverRandomEdits) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        RandomEdits gen(seed);
        ColouredEditor fast(false);
        ColouredEditor slow(true);
        const QString start = gen.text(20 + gen.below(200));
        fast.core.setText(start);
        slow.core.setText(start);
        QStringList history;
        for (int step = 0; step < 150; ++step) {
            const EditOp o = gen.op();
            history << describe(o);
            fast.apply(o);
            slow.apply(o);
            ASSERT_EQ(fast.core.text(), slow.core.text());
            ASSERT_EQ(fast.passFault, "") << "seed " << seed << "\n"
                                          << history.join('\n').toStdString();
            ASSERT_EQ(fast.core.colourRuns(), slow.core.colourRuns())
                << "seed " << seed << " text \"" << fast.core.text().toStdString() << "\"\n"
                << history.join('\n').toStdString();
            // What the pass keeps for next time must be what a fresh scan finds.
            if (!fast.passPending) {
                ASSERT_EQ(fast.codes.regions(), SyntaxColouring::scanRegions(fast.core))
                    << "seed " << seed << " text \"" << fast.core.text().toStdString() << "\"\n"
                    << history.join('\n').toStdString();
            }
        }
    }
}

// Long texts with many regions, so that rescans stop early and old regions are kept.
TEST(ColouringDifferential, LongTextsResynchroniseExactly) {
    for (unsigned seed = 1000; seed < 1040; ++seed) {
        RandomEdits gen(seed);
        ColouredEditor fast(false);
        ColouredEditor slow(true);
        const QString start = gen.text(2000);
        fast.core.setText(start);
        slow.core.setText(start);
        for (int step = 0; step < 200; ++step) {
            EditOp o = gen.op();
            if (o.kind == EditOp::SetText)
                o.kind = EditOp::Backspace;
            if (o.kind == EditOp::Select)
                o.start = gen.below(4000);
            fast.apply(o);
            slow.apply(o);
            ASSERT_EQ(fast.core.colourRuns(), slow.core.colourRuns())
                << "seed " << seed << " step " << step << " " << describe(o).toStdString();
            ASSERT_EQ(fast.passFault, "");
        }
        // What the pass keeps for next time must be what a fresh scan finds.
        fast.codes.colourRegions(fast.core);
        EXPECT_EQ(fast.codes.regions(), SyntaxColouring::scanRegions(fast.core));
    }
}

// Generated pages, laid out and minified, with edits far apart, large pastes and large
// unrecorded replacements: many regions, long rescans and resynchronisation after them.
TEST(ColouringDifferential, GeneratedPagesStayExact) {
    for (unsigned seed = 1; seed <= 4; ++seed) {
        RandomEdits gen(seed);
        const QString page =
            seed % 2 ? bench::realisticPage(60'000, seed) : bench::minifiedPage(60'000, seed);
        ColouredEditor fast(false);
        ColouredEditor slow(true);
        fast.core.setText(page);
        slow.core.setText(page);
        const QString chunks[] = {
            "<!--", "-->", "<b>", "\r\n", page.mid(1000, 700), page.mid(5000, 300)};
        for (int step = 0; step < 300; ++step) {
            EditOp o = gen.op();
            if (o.kind == EditOp::SetText)
                o.kind = EditOp::Delete;
            if (o.kind == EditOp::Paste || o.kind == EditOp::UnrecordedReplace)
                o.text = chunks[gen.below(int(std::size(chunks)))];
            o.start = gen.below(page.size());
            if (o.kind == EditOp::UnrecordedReplace || o.length > 0)
                o.length = gen.below(2000);
            fast.apply(o);
            slow.apply(o);
            ASSERT_EQ(fast.passFault, "");
            ASSERT_TRUE(fast.core.colourRuns() == slow.core.colourRuns())
                << "seed " << seed << " step " << step << " " << describe(o).toStdString();
            if (!fast.passPending) {
                ASSERT_TRUE(fast.codes.regions() == SyntaxColouring::scanRegions(fast.core));
            }
        }
    }
}

} // namespace
} // namespace quenbry::testing
