#include "lineends.h"

namespace quenbry {

namespace {

// Line ends of a run of characters read in pieces: every CR, every LF, and the pairs. A CR at
// the end of the run counts as alone: whatever follows the run is the same before and after an
// edit, so a pair cut there is miscounted alike on both sides and cancels out. The loops have
// no branches, so that the compiler can count many characters at once: a Replace All over a
// whole page counts it twice.
struct Tally {
    qint64 crs = 0, lfs = 0, pairs = 0;
    bool afterCr = false;

    void add(const char16_t *p, int n) {
        if (n == 0)
            return;
        pairs += afterCr && p[0] == u'\n';
        // One pass: a large run is read from memory once, not once per count.
        int cr = p[n - 1] == u'\r', lf = p[n - 1] == u'\n', pair = 0;
        for (int i = 0; i + 1 < n; ++i) {
            const int isCr = p[i] == u'\r';
            cr += isCr;
            lf += p[i] == u'\n';
            pair += isCr & (p[i + 1] == u'\n');
        }
        crs += cr;
        lfs += lf;
        pairs += pair;
        afterCr = p[n - 1] == u'\r';
    }
    void add(QChar c) {
        const char16_t u = c.unicode();
        add(&u, 1);
    }
    void add(const EditorCore &text, int start, int length) {
        text.forEachTextPiece(start, length,
                              [this](const char16_t *p, int count, int) { add(p, count); });
    }
    LineEndCensus::Counts finish() const { return {pairs, lfs - pairs, crs - pairs}; }
};

} // namespace

LineEndCensus::LineEndCensus(EditorCore &text)
    : text_(text) {
    Tally all;
    all.add(text_, 0, text_.length());
    counts_ = all.finish();
    text_.addObserver(this);
}

LineEndCensus::~LineEndCensus() {
    text_.removeObserver(this);
}

void LineEndCensus::textReplaced(const TextReplaced &change) {
    // The replaced characters with one neighbour on each side, as they were and as they are:
    // a CR LF may have been made or broken at either edge.
    const QStringView removed = text_.lastRemoved();
    Tally before, after;
    if (change.start > 0) {
        before.add(text_.at(change.start - 1));
        after.add(text_.at(change.start - 1));
    }
    before.add(removed.utf16(), int(removed.size()));
    after.add(text_, change.start, change.inserted);
    if (change.start + change.inserted < text_.length()) {
        before.add(text_.at(change.start + change.inserted));
        after.add(text_.at(change.start + change.inserted));
    }
    const Counts was = before.finish(), is = after.finish();
    counts_.crLf += is.crLf - was.crLf;
    counts_.lf += is.lf - was.lf;
    counts_.cr += is.cr - was.cr;
}

LineEnds LineEndCensus::lineEnds() const {
    const int kinds = (counts_.crLf > 0) + (counts_.lf > 0) + (counts_.cr > 0);
    if (kinds == 0)
        return LineEnds::None;
    if (kinds > 1)
        return LineEnds::Mixed;
    return counts_.crLf > 0 ? LineEnds::CrLf : counts_.lf > 0 ? LineEnds::Lf : LineEnds::Cr;
}

} // namespace quenbry
