#include "lineends.h"

#include "lineendmasks.h"

#include <bit>

namespace quenbry {

// A CR at the end of a run counts as alone: whatever follows the run is the same before and
// after an edit, so a pair cut there is miscounted alike on both sides and cancels out. A Replace
// All over a whole page counts it twice, so the run is read from memory once, sixteen
// characters at a time.
void LineEndCensus::Tally::add(const char16_t *p, int n) {
    if (n == 0)
        return;
    if (empty)
        startsWithLf = p[0] == u'\n';
    empty = false;
    pairs += afterCr && p[0] == u'\n';
    qint64 cr = p[n - 1] == u'\r', lf = p[n - 1] == u'\n', pair = 0;
    // Every character but the last, which has no next one to pair with.
    int i = 0;
    for (; i + kLineEndMaskWidth < n; i += kLineEndMaskWidth) {
        const LineEndMasks m = lineEndMasks(p + i);
        if ((m.cr | m.lf) == 0)
            continue;
        cr += std::popcount(m.cr);
        lf += std::popcount(m.lf);
        pair +=
            std::popcount(m.cr & (m.lf >> 1)) +
            int((m.cr >> (kLineEndMaskWidth - 1)) & unsigned(p[i + kLineEndMaskWidth] == u'\n'));
    }
    for (; i + 1 < n; ++i) {
        const bool isCr = p[i] == u'\r';
        cr += isCr;
        lf += p[i] == u'\n';
        pair += isCr && p[i + 1] == u'\n';
    }
    crs += cr;
    lfs += lf;
    pairs += pair;
    afterCr = p[n - 1] == u'\r';
}

void LineEndCensus::Tally::add(QChar c) {
    const char16_t u = c.unicode();
    add(&u, 1);
}

void LineEndCensus::Tally::add(const EditorCore &text, int start, int length) {
    text.forEachTextPiece(start, length,
                          [this](const char16_t *p, int count, int) { add(p, count); });
}

void LineEndCensus::Tally::add(const Tally &run) {
    if (run.empty)
        return;
    pairs += afterCr && run.startsWithLf;
    crs += run.crs;
    lfs += run.lfs;
    pairs += run.pairs;
    afterCr = run.afterCr;
}

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
    // A text put in whole comes counted; no Undo takes it out again.
    if (change.start == 0 && change.inserted == text_.length() && text_.lineEndsPutIn()) {
        counts_ = *text_.lineEndsPutIn();
        insertedStart_ = -1;
        return;
    }
    // The replaced characters with one neighbour on each side, as they were and as they are:
    // a CR LF may have been made or broken at either edge.
    Tally before, after, removed, inserted;
    if (change.start == insertedStart_ && change.removed == insertedLength_) {
        removed = inserted_;
    } else {
        const QStringView run = text_.lastRemoved();
        removed.add(run.utf16(), int(run.size()));
    }
    inserted.add(text_, change.start, change.inserted);
    if (change.start > 0) {
        before.add(text_.at(change.start - 1));
        after.add(text_.at(change.start - 1));
    }
    before.add(removed);
    after.add(inserted);
    if (change.start + change.inserted < text_.length()) {
        before.add(text_.at(change.start + change.inserted));
        after.add(text_.at(change.start + change.inserted));
    }
    const Counts was = before.finish(), is = after.finish();
    counts_.crLf += is.crLf - was.crLf;
    counts_.lf += is.lf - was.lf;
    counts_.cr += is.cr - was.cr;
    insertedStart_ = change.start;
    insertedLength_ = change.inserted;
    inserted_ = inserted;
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
