#pragma once
// The tags and comments a colouring pass found, kept compactly: runs of regions stored as small
// numbers relative to one another, a few bytes a region, with the index-based reads and edits
// the colouring needs.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quenbry {

// A tag [start, end] (end == gt), or a comment [start, end] whose `->` starts at dash when it
// is closed (an unclosed comment, one without `->`, runs to the end of the text).
struct Region {
    int start = 0;
    int gt = 0;
    int end = 0;
    int dash = -1;
    bool comment = false;
    bool closed = false;
    bool operator==(const Region &) const = default;
};

class RegionList {
public:
    // How many regions a chunk holds at most: small enough to decode one quickly, large enough
    // that its bookkeeping is a small part of its bytes.
    explicit RegionList(int chunkSize = 128);

    size_t size() const { return size_; }
    Region at(size_t i) const;
    // The first index whose region pred holds for, pred being false for a leading run of them
    // (size() when it holds for none).
    template <typename Pred> size_t firstWhere(Pred pred) const;
    std::vector<Region> toVector() const;

    // Regions must come in text order, each after the end of the one before.
    void append(const Region &r);
    // Regions [first, last) give way to fresh; those from last on move by delta characters.
    void replace(size_t first, size_t last, const std::vector<Region> &fresh, int delta);
    // Empties the list and gives its memory back.
    void clear();

private:
    struct Chunk {
        int start = 0; // of its first region
        int index = 0; // of its first region
        int count = 0;
        std::vector<std::uint8_t> bytes;
    };

    size_t chunkOf(size_t i) const;
    int chunkStart(size_t c) const { return chunks_[c].start + (c >= shiftFrom_ ? shift_ : 0); }
    size_t chunkIndex(size_t c) const {
        return size_t(chunks_[c].index + (c >= shiftFrom_ ? indexShift_ : 0));
    }
    Region firstOf(size_t c) const;
    const std::vector<Region> &decoded(size_t c) const;
    void moveShiftBoundary(size_t c);
    void afterReplace(size_t next, int added, int delta);
    bool spliceWithin(size_t c, size_t first, size_t last, const std::vector<Region> &fresh,
                      int delta);
    static void encode(std::vector<std::uint8_t> &out, const Region &r, int previousEnd);

    int chunkSize_;
    std::vector<Chunk> chunks_;
    size_t size_ = 0;
    // Chunks from shiftFrom_ on are stored shift_ characters and indexShift_ regions before
    // where they are: an edit moves everything after it, and moving this boundary only as far
    // as the next edit keeps typing in one place from touching the whole list.
    size_t shiftFrom_ = 0;
    int shift_ = 0;
    int indexShift_ = 0;
    // The end of the last region, for appending (-1 when it has to be read).
    int lastEnd_ = -1;
    // The last chunk read, decoded.
    mutable size_t cachedChunk_ = SIZE_MAX;
    mutable std::vector<Region> cache_;
    // Room for a replacement's regions and their bytes, kept from one edit to the next.
    std::vector<Region> runs_;
    std::vector<std::uint8_t> bytes_;
};

template <typename Pred> size_t RegionList::firstWhere(Pred pred) const {
    // The first chunk whose first region holds; the answer is in the chunk before it or is that
    // first region.
    size_t lo = 0, hi = chunks_.size();
    // Edits and reads keep to one place: most searches end in the chunk read last.
    const size_t c = cachedChunk_;
    if (c < hi && !pred(cache_.front()) && (c + 1 == hi || pred(firstOf(c + 1))))
        lo = hi = c + 1;
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        if (pred(firstOf(mid)))
            hi = mid;
        else
            lo = mid + 1;
    }
    if (lo == 0)
        return 0;
    const std::vector<Region> &in = decoded(lo - 1);
    size_t a = 1, b = in.size();
    while (a < b) {
        const size_t mid = a + (b - a) / 2;
        if (pred(in[mid]))
            b = mid;
        else
            a = mid + 1;
    }
    return chunkIndex(lo - 1) + a;
}

} // namespace quenbry
