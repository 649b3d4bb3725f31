#include "lineends.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quenbry {

// A CR at the end of a run counts as alone: whatever follows the run is the same before and
// after an edit, so a pair cut there is miscounted alike on both sides and cancels out. Eight
// characters are looked at a time, and only the rare eight with a CR or an LF one by one: a
// Replace All over a whole page counts it twice.
void LineEndCensus::Tally::add(const char16_t *p, int n) {
    if (n == 0)
        return;
    if (empty)
        startsWithLf = p[0] == u'\n';
    empty = false;
    pairs += afterCr && p[0] == u'\n';
    // One pass: a large run is read from memory once, not once per count.
    int cr = p[n - 1] == u'\r', lf = p[n - 1] == u'\n', pair = 0;
    auto look = [&](int i) { // i + 1 < n
        const int isCr = p[i] == u'\r';
        cr += isCr;
        lf += p[i] == u'\n';
        pair += isCr & (p[i + 1] == u'\n');
    };
    int i = 0;
#if defined(__SSE2__)
    const __m128i crs8 = _mm_set1_epi16(u'\r'), lfs8 = _mm_set1_epi16(u'\n');
    for (; i + 8 < n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
        if (_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(v, crs8), _mm_cmpeq_epi16(v, lfs8))) ==
            0)
            continue;
        for (int k = i; k < i + 8; ++k)
            look(k);
    }
#endif
    for (; i + 1 < n; ++i)
        look(i);
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
