#include "lineindex.h"

#include "lineendmasks.h"

#include <algorithm>
#include <bit>
#include <iterator>

namespace quenbry {

namespace {

constexpr int kMaxOffset = 0xFFFF;

// Hands add() the starts of lines beginning in [from, to] of text, in order, and counts the
// line ends of [from - 1, to) in counts when given.
template <typename Add>
void scanStarts(const TextBuffer &text, int from, int to, Add add,
                LineEndCounts *counts = nullptr) {
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
            const bool pair = c == u'\r' && at + 1 < length && text.at(at + 1) == u'\n';
            if (counts && at < to) {
                counts->crLf += pair;
                counts->cr += c == u'\r' && !pair;
                counts->lf += c == u'\n' && (at == 0 || text.at(at - 1) != u'\r');
            }
            if (c == u'\n' || (c == u'\r' && !pair))
                add(at + 1);
        };
        int i = 0;
        for (; i + kLineEndMaskWidth <= n; i += kLineEndMaskWidth) {
            const LineEndMasks m = lineEndMasks(p + i);
            for (unsigned ends = m.cr | m.lf; ends != 0; ends &= ends - 1)
                look(i + std::countr_zero(ends));
        }
        for (; i < n; ++i)
            look(i);
    });
}

// Puts with in place of v[from, to), moving what follows.
template <typename T> void splice(std::vector<T> &v, size_t from, size_t to, std::vector<T> &with) {
    const size_t common = std::min(to - from, with.size());
    std::move(with.begin(), with.begin() + common, v.begin() + from);
    if (with.size() > common)
        v.insert(v.begin() + to, std::make_move_iterator(with.begin() + common),
                 std::make_move_iterator(with.end()));
    else
        v.erase(v.begin() + from + common, v.begin() + to);
}

// The index of the last of v's first n entries at or below value (0 when none is), without
// branches the processor would mispredict: the chunks are searched on every jump and click.
size_t lastAtOrBelow(const int *v, size_t n, int value) {
    const int *p = v;
    while (n > 1) {
        const size_t half = n / 2;
        p = p[half] <= value ? p + half : p;
        n -= half;
    }
    return size_t(p - v);
}

} // namespace

// Cuts ascending starts into chunks of at most cap lines, each spanning at most kMaxOffset
// characters past its base, every chunk allocated to its exact size.
class LineIndex::Chunker {
public:
    explicit Chunker(int cap)
        : cap_(size_t(cap)) {
        current_.reserve(cap_);
    }
    void add(int start) {
        if (!current_.empty() && (current_.size() == cap_ || start - base_ > kMaxOffset))
            flush();
        if (current_.empty())
            base_ = start;
        current_.push_back(quint16(start - base_));
    }
    void finish() {
        if (!current_.empty())
            flush();
    }

    std::vector<int> bases;
    std::vector<std::vector<quint16>> offsets;

private:
    void flush() {
        bases.push_back(base_);
        offsets.emplace_back(current_.begin(), current_.end());
        current_.clear();
    }

    size_t cap_;
    int base_ = 0;
    std::vector<quint16> current_;
};

LineEndCounts LineIndex::reset(const TextBuffer &text) {
    Chunker chunker(kMaxChunkLines);
    chunker.add(0);
    LineEndCounts counts;
    scanStarts(
        text, 1, text.size(), [&](int at) { chunker.add(at); }, &counts);
    chunker.finish();
    firstLines_.clear();
    firstLines_.reserve(chunker.offsets.size() + 1);
    int line = 0;
    for (const auto &o : chunker.offsets) {
        firstLines_.push_back(line);
        line += int(o.size());
    }
    firstLines_.push_back(line);
    bases_.swap(chunker.bases);
    bases_.push_back(INT_MAX);
    bases_.shrink_to_fit();
    offsets_.swap(chunker.offsets);
    offsets_.shrink_to_fit();
    hint_ = 0;
    return counts;
}

size_t LineIndex::chunkOfLine(int line) const {
    return lastAtOrBelow(firstLines_.data(), offsets_.size(), line);
}

size_t LineIndex::chunkOfOffset(int offset) const {
    return lastAtOrBelow(bases_.data(), offsets_.size(), offset);
}

int LineIndex::lineOf(int offset) const {
    size_t k = hint_;
    if (offset < bases_[k] || offset >= bases_[k + 1])
        hint_ = k = chunkOfOffset(offset);
    const auto &o = offsets_[k];
    // Past the last offset a chunk can hold lies only its last line.
    const auto rel = quint16(std::clamp(offset - bases_[k], 0, kMaxOffset));
    return firstLines_[k] + int(std::upper_bound(o.begin(), o.end(), rel) - o.begin()) - 1;
}

void LineIndex::replaceChunks(size_t from, size_t to, Chunker &chunker, int moved) {
    const int linesBefore = firstLines_[to] - firstLines_[from];
    std::vector<int> firsts;
    firsts.reserve(chunker.offsets.size());
    int line = firstLines_[from];
    for (const auto &o : chunker.offsets) {
        firsts.push_back(line);
        line += int(o.size());
    }
    const int addedLines = line - firstLines_[from] - linesBefore;
    const size_t n = firsts.size();
    splice(firstLines_, from, to, firsts);
    splice(bases_, from, to, chunker.bases);
    splice(offsets_, from, to, chunker.offsets);
    for (size_t k = from + n; k < offsets_.size(); ++k) {
        firstLines_[k] += addedLines;
        bases_[k] += moved;
    }
    firstLines_.back() += addedLines;
}

LineIndex::Change LineIndex::update(const TextBuffer &text, int start, int removed, int inserted) {
    // Line starts at old positions [start, start + removed] depend on changed characters; so do
    // those at new positions [start, start + inserted]. Position 0 always starts line 0.
    const int first = std::max(start, 1);
    const int a = lineOf(first - 1) + 1; // the first line starting at or after first
    const int b = lineOf(start + removed) + 1;
    const int moved = inserted - removed;
    std::vector<int> fresh;
    scanStarts(text, first, start + inserted, [&](int at) { fresh.push_back(at); });
    const Change change{a - 1, b - a, int(fresh.size())};

    const size_t ka = chunkOfLine(a - 1);
    if (fresh.empty() && a == b) {
        // Typing within a line: the rest of its chunk moves against the chunk's base, the
        // chunks after it move whole.
        auto &o = offsets_[ka];
        const size_t from = size_t(a - firstLines_[ka]);
        if (from == o.size() || o.back() + moved <= kMaxOffset) {
            for (size_t i = from; i < o.size(); ++i)
                o[i] = quint16(o[i] + moved);
            for (size_t k = ka + 1; k < offsets_.size(); ++k)
                bases_[k] += moved;
            return change;
        }
    }

    // The chunks from the one holding line a - 1 to the one holding line b - 1 are cut afresh
    // from the starts they keep and the fresh ones, in chunks of equal size so that an edit
    // leaves no trail of small ones; a range grown small takes in a neighbour.
    size_t lo = ka, hi = chunkOfLine(b - 1) + 1;
    const size_t kb = hi - 1;
    size_t lines = size_t(a - firstLines_[ka]) + fresh.size() + size_t(firstLines_[hi] - b);
    bool withNext = false, withPrevious = false;
    if (lines < kMaxChunkLines / 2) {
        if (hi < offsets_.size()) {
            withNext = true;
            lines += offsets_[hi++].size();
        } else if (lo > 0) {
            withPrevious = true;
            lines += offsets_[--lo].size();
        }
    }
    const size_t pieces = (lines + kMaxChunkLines - 1) / kMaxChunkLines;
    Chunker chunker(int((lines + pieces - 1) / pieces));
    auto feed = [&](size_t k, int fromLine, int toLine, int by) {
        const auto &o = offsets_[k];
        const int base = bases_[k] + by;
        for (int i = fromLine - firstLines_[k]; i < toLine - firstLines_[k]; ++i)
            chunker.add(base + o[size_t(i)]);
    };
    if (withPrevious)
        feed(lo, firstLines_[lo], firstLines_[lo + 1], 0);
    feed(ka, firstLines_[ka], a, 0);
    for (const int at : fresh)
        chunker.add(at);
    feed(kb, b, firstLines_[kb + 1], moved);
    if (withNext)
        feed(kb + 1, firstLines_[kb + 1], firstLines_[kb + 2], moved);
    chunker.finish();
    replaceChunks(lo, hi, chunker, moved);
    hint_ = lo;
    return change;
}

} // namespace quenbry
