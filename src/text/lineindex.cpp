#include "lineindex.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quenbry {

void LineIndex::reset(const TextBuffer &text) {
    std::vector<int> starts{0};
    scan(text, 1, text.size(), starts);
    starts.shrink_to_fit();
    starts_.swap(starts);
    stepLine_ = count();
    stepLength_ = 0;
}

void LineIndex::scan(const TextBuffer &text, int from, int to, std::vector<int> &out) {
    // A line starts at p when the character before it ends a line: an LF, or a CR that no LF
    // follows.
    const int length = text.size();
    if (from > to)
        return;
    text.forEachPiece(from - 1, to - from + 1, [&](const char16_t *p, int n, int offset) {
        auto look = [&](int i) {
            const char16_t c = p[i];
            if (c > u'\r')
                return;
            const int at = offset + i;
            if (c == u'\n' || (c == u'\r' && (at + 1 == length || text.at(at + 1) != u'\n')))
                out.push_back(at + 1);
        };
        int i = 0;
#if defined(__SSE2__)
        // Eight characters at a time: an Open indexes every line of a page of megabytes, and
        // almost every character is none of CR, LF or the controls below them.
        const __m128i thirteen = _mm_set1_epi16(13);
        const __m128i zero = _mm_setzero_si128();
        for (; i + 8 <= n; i += 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
            if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_subs_epu16(v, thirteen), zero)) == 0)
                continue;
            for (int k = i; k < i + 8; ++k)
                look(k);
        }
#endif
        for (; i < n; ++i)
            look(i);
    });
}

int LineIndex::firstStartAtOrAfter(int offset) const {
    int lo = 0, hi = count();
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (start(mid) < offset)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

int LineIndex::lineOf(int offset) const {
    return std::max(0, firstStartAtOrAfter(offset + 1) - 1);
}

void LineIndex::moveStep(int line) {
    if (stepLength_ != 0) {
        if (line > stepLine_) {
            for (int i = stepLine_; i < line; ++i)
                starts_[size_t(i)] += stepLength_;
        } else {
            for (int i = line; i < stepLine_; ++i)
                starts_[size_t(i)] -= stepLength_;
        }
    }
    stepLine_ = line;
}

LineIndex::Change LineIndex::update(const TextBuffer &text, int start, int removed, int inserted) {
    // Line starts at old positions [start, start + removed] depend on changed characters; so do
    // those at new positions [start, start + inserted]. Position 0 always starts line 0.
    const int first = std::max(start, 1);
    const int a = firstStartAtOrAfter(first);
    const int b = firstStartAtOrAfter(start + removed + 1);
    moveStep(a);
    starts_.erase(starts_.begin() + a, starts_.begin() + b);
    std::vector<int> fresh;
    scan(text, first, start + inserted, fresh);
    starts_.insert(starts_.begin() + a, fresh.begin(), fresh.end());
    stepLine_ = a + int(fresh.size());
    stepLength_ += inserted - removed;
    return {a - 1, b - a, int(fresh.size())};
}

} // namespace quenbry
