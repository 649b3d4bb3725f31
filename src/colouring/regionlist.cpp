#include "regionlist.h"

#include <QtGlobal>
#include <algorithm>

namespace quenbry {

// A region is stored as: the gap since the end of the region before it (none for a chunk's
// first region, whose start the chunk holds); gt - start, times four, plus its kind; for a
// comment, end - gt. A closed comment's `->` is just before its end. Numbers take seven bits a
// byte, so a page's usual tags and gaps take a byte each, and a tag of megabytes (a data: URI)
// a few more.
namespace {

enum Kind : std::uint64_t { Tag = 0, ClosedComment = 1, OpenComment = 2 };

void put(std::vector<std::uint8_t> &out, std::uint64_t v) {
    while (v >= 0x80) {
        out.push_back(std::uint8_t(v | 0x80));
        v >>= 7;
    }
    out.push_back(std::uint8_t(v));
}

std::uint64_t get(const std::uint8_t *&p) {
    std::uint64_t v = 0;
    for (int shift = 0;; shift += 7) {
        const std::uint8_t b = *p++;
        v |= std::uint64_t(b & 0x7f) << shift;
        if (b < 0x80)
            return v;
    }
}

void skip(const std::uint8_t *&p) {
    while (*p++ & 0x80) {
    }
}

// The region starting at start whose length and kind come next at p.
Region readRest(const std::uint8_t *&p, int start) {
    const std::uint64_t head = get(p);
    Region r;
    r.start = start;
    r.gt = start + int(head >> 2);
    r.end = r.gt;
    if ((head & 3) != Tag) {
        r.comment = true;
        r.closed = (head & 3) == ClosedComment;
        r.end = r.gt + int(get(p));
        r.dash = r.closed ? r.end - 1 : -1;
    }
    return r;
}

Region moved(Region r, int delta) {
    r.start += delta;
    r.gt += delta;
    r.end += delta;
    if (r.closed)
        r.dash += delta;
    return r;
}

} // namespace

RegionList::RegionList(int chunkSize)
    : chunkSize_(std::max(chunkSize, 1)) {}

// previousEnd is -1 for a chunk's first region.
void RegionList::encode(std::vector<std::uint8_t> &out, const Region &r, int previousEnd) {
    Q_ASSERT(r.gt > r.start && r.end >= r.gt && r.start > previousEnd);
    if (previousEnd >= 0)
        put(out, std::uint64_t(r.start - previousEnd - 1));
    const Kind kind = !r.comment ? Tag : r.closed ? ClosedComment : OpenComment;
    put(out, (std::uint64_t(r.gt - r.start) << 2) | kind);
    if (r.comment)
        put(out, std::uint64_t(r.end - r.gt));
}

Region RegionList::firstOf(size_t c) const {
    if (c == cachedChunk_)
        return cache_.front();
    const std::uint8_t *p = chunks_[c].bytes.data();
    return readRest(p, chunkStart(c));
}

const std::vector<Region> &RegionList::decoded(size_t c) const {
    if (c == cachedChunk_)
        return cache_;
    const Chunk &chunk = chunks_[c];
    cache_.clear();
    const std::uint8_t *p = chunk.bytes.data();
    int start = chunkStart(c);
    for (int i = 0; i < chunk.count; ++i) {
        if (i > 0)
            start = cache_.back().end + 1 + int(get(p));
        cache_.push_back(readRest(p, start));
    }
    cachedChunk_ = c;
    return cache_;
}

size_t RegionList::chunkOf(size_t i) const {
    if (cachedChunk_ < chunks_.size() && i >= chunkIndex(cachedChunk_) &&
        i < chunkIndex(cachedChunk_) + cache_.size())
        return cachedChunk_;
    // The last chunk whose first index is at most i.
    size_t lo = 1, hi = chunks_.size();
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        if (chunkIndex(mid) <= i)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo - 1;
}

Region RegionList::at(size_t i) const {
    Q_ASSERT(i < size_);
    const size_t c = chunkOf(i);
    return decoded(c)[i - chunkIndex(c)];
}

std::vector<Region> RegionList::toVector() const {
    std::vector<Region> out;
    out.reserve(size_);
    for (size_t c = 0; c < chunks_.size(); ++c) {
        const std::vector<Region> &in = decoded(c);
        out.insert(out.end(), in.begin(), in.end());
    }
    return out;
}

void RegionList::moveShiftBoundary(size_t c) {
    for (; shiftFrom_ < c; ++shiftFrom_) {
        chunks_[shiftFrom_].start += shift_;
        chunks_[shiftFrom_].index += indexShift_;
    }
    for (; shiftFrom_ > c; --shiftFrom_) {
        chunks_[shiftFrom_ - 1].start -= shift_;
        chunks_[shiftFrom_ - 1].index -= indexShift_;
    }
    if (shiftFrom_ == chunks_.size())
        shift_ = indexShift_ = 0; // nothing is stored behind
}

void RegionList::append(const Region &r) {
    if (!chunks_.empty() && chunks_.back().count < chunkSize_) {
        if (lastEnd_ < 0)
            lastEnd_ = decoded(chunks_.size() - 1).back().end;
        encode(chunks_.back().bytes, r, lastEnd_);
        ++chunks_.back().count;
        if (chunks_.back().count == chunkSize_)
            chunks_.back().bytes.shrink_to_fit();
    } else {
        moveShiftBoundary(chunks_.size());
        Chunk &chunk = chunks_.emplace_back();
        chunk.start = r.start;
        chunk.index = int(size_);
        chunk.bytes.reserve(size_t(chunkSize_) * 3);
        encode(chunk.bytes, r, -1);
        chunk.count = 1;
    }
    if (cachedChunk_ == chunks_.size() - 1)
        cachedChunk_ = SIZE_MAX;
    lastEnd_ = r.end;
    ++size_;
}

void RegionList::replace(size_t first, size_t last, const std::vector<Region> &fresh, int delta) {
    Q_ASSERT(first <= last && last <= size_);
    if (chunks_.empty()) {
        for (const Region &r : fresh)
            append(r);
        return;
    }
    // The chunks holding the replaced regions, or the one the fresh ones go into, are decoded,
    // spliced and stored anew; those after them take the shift.
    const size_t c0 = chunkOf(std::min(first, size_ - 1));
    const size_t c1 = last > first ? chunkOf(last - 1) : c0;
    moveShiftBoundary(c1 + 1);
    const size_t base = chunkIndex(c0);
    if (c0 == c1 && spliceWithin(c0, first - base, last - base, fresh, delta)) {
        afterReplace(c0 + 1, int(fresh.size()) - int(last - first), delta);
        return;
    }
    runs_.clear();
    for (size_t c = c0; c <= c1; ++c) {
        const std::vector<Region> &in = decoded(c);
        for (size_t k = 0; k < in.size(); ++k) {
            const size_t i = chunkIndex(c) + k;
            if (i == first)
                runs_.insert(runs_.end(), fresh.begin(), fresh.end());
            if (i < first)
                runs_.push_back(in[k]);
            else if (i >= last)
                runs_.push_back(moved(in[k], delta));
        }
    }
    if (first == size_)
        runs_.insert(runs_.end(), fresh.begin(), fresh.end());

    // As few chunks as hold them, evenly filled; typing keeps to one chunk, stored anew in the
    // room it had.
    const size_t count = (runs_.size() + size_t(chunkSize_) - 1) / size_t(chunkSize_);
    const size_t old = c1 + 1 - c0;
    if (count > old)
        chunks_.insert(chunks_.begin() + long(c1 + 1), count - old, Chunk());
    else
        chunks_.erase(chunks_.begin() + long(c0 + count), chunks_.begin() + long(c1 + 1));
    for (size_t m = 0, at = 0; m < count; ++m) {
        const size_t end = runs_.size() * (m + 1) / count;
        Chunk &chunk = chunks_[c0 + m];
        chunk.start = runs_[at].start;
        chunk.index = int(base + at);
        chunk.count = int(end - at);
        bytes_.clear();
        for (int previousEnd = -1; at < end; previousEnd = runs_[at++].end)
            encode(bytes_, runs_[at], previousEnd);
        chunk.bytes.assign(bytes_.begin(), bytes_.end());
        if (chunk.bytes.capacity() > 2 * chunk.bytes.size())
            chunk.bytes.shrink_to_fit();
    }
    // What one chunk holds now is what a read of it would decode.
    if (count == 1) {
        cache_.swap(runs_);
        cachedChunk_ = c0;
    } else {
        cachedChunk_ = SIZE_MAX;
    }
    // Not the room of a rescan of the whole page.
    if (runs_.capacity() > 4 * size_t(chunkSize_))
        std::vector<Region>().swap(runs_);

    afterReplace(c0 + count, int(fresh.size()) - int(last - first), delta);
}

// The chunks from `next` on, stored as they were, now lie delta characters and `added`
// regions further on.
void RegionList::afterReplace(size_t next, int added, int delta) {
    shiftFrom_ = next;
    shift_ += delta;
    indexShift_ += added;
    size_ = size_t(int(size_) + added);
    lastEnd_ = -1;
    moveShiftBoundary(shiftFrom_);
}

// A replacement within chunk c, regions [first, last) of it, that leaves it neither empty nor
// over full: only the bytes from the first replaced region to the gap before the first kept
// one change, the gap taking the shift. False when it does not fit so.
bool RegionList::spliceWithin(size_t c, size_t first, size_t last, const std::vector<Region> &fresh,
                              int delta) {
    Chunk &chunk = chunks_[c];
    const int count = chunk.count - int(last - first) + int(fresh.size());
    if (count <= 0 || count > chunkSize_)
        return false;
    decoded(c);
    std::vector<Region> &in = cache_;
    const std::uint8_t *const begin = chunk.bytes.data();
    const std::uint8_t *p = begin;
    size_t from = 0;
    for (size_t k = 0; k < last; ++k) {
        if (k == first)
            from = size_t(p - begin);
        if (k > 0)
            skip(p);
        if (get(p) & 3)
            skip(p);
    }
    if (first == last)
        from = size_t(p - begin);
    if (last > 0 && last < in.size())
        skip(p); // the kept region's gap, told anew
    const size_t to = size_t(p - begin);

    int previousEnd = first > 0 ? in[first - 1].end : -1;
    bytes_.clear();
    for (const Region &r : fresh) {
        encode(bytes_, r, previousEnd);
        previousEnd = r.end;
    }
    if (last < in.size() && previousEnd >= 0)
        put(bytes_, std::uint64_t(in[last].start + delta - previousEnd - 1));
    chunk.bytes.erase(chunk.bytes.begin() + long(from), chunk.bytes.begin() + long(to));
    chunk.bytes.insert(chunk.bytes.begin() + long(from), bytes_.begin(), bytes_.end());
    chunk.count = count;

    in.erase(in.begin() + long(first), in.begin() + long(last));
    in.insert(in.begin() + long(first), fresh.begin(), fresh.end());
    for (size_t k = first + fresh.size(); k < in.size(); ++k)
        in[k] = moved(in[k], delta);
    chunk.start = in.front().start;
    return true;
}

void RegionList::clear() {
    std::vector<Chunk>().swap(chunks_);
    std::vector<Region>().swap(cache_);
    cachedChunk_ = SIZE_MAX;
    size_ = 0;
    shiftFrom_ = 0;
    shift_ = indexShift_ = 0;
    lastEnd_ = -1;
}

} // namespace quenbry
