#pragma once
// A gap buffer: the storage behind the editor's text and its per-character colours. Typing
// edits near the previous edit, which a gap buffer serves without moving the rest of a
// multi-megabyte text.

#include <QString>

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace quenbry {

// Where a gap buffer keeps its elements, gap included: resize keeps what is there. The C
// allocator's: a large block of zeros comes from the system untouched, its pages made only as
// they are first written (a page's colours, given their first value at an Open, are written by
// the colouring after the first frame), and a large block grows without copying.
template <typename T> class BlockStore {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    static constexpr bool resetZeroes = true;

    BlockStore() = default;
    BlockStore(const BlockStore &) = delete;
    BlockStore &operator=(const BlockStore &) = delete;
    ~BlockStore() { std::free(p_); }

    T *data() { return p_; }
    const T *data() const { return p_; }
    size_t size() const { return n_; }
    void resize(size_t n) {
        if (n == n_)
            return;
        void *p = std::realloc(p_, std::max<size_t>(n, 1) * sizeof(T));
        if (!p)
            throw std::bad_alloc();
        p_ = static_cast<T *>(p);
        if (n > n_)
            std::memset(static_cast<void *>(p_ + n_), 0, (n - n_) * sizeof(T));
        n_ = n;
    }
    // Drops everything and makes room for n zeros, with one allocation only.
    void reset(size_t n) {
        std::free(std::exchange(p_, nullptr));
        n_ = 0;
        p_ = static_cast<T *>(std::calloc(std::max<size_t>(n, 1), sizeof(T)));
        if (!p_)
            throw std::bad_alloc();
        n_ = n;
    }

private:
    T *p_ = nullptr;
    size_t n_ = 0;
};

// Text kept in a QString, which can take over the characters of a page decoded elsewhere:
// an Open then costs no second copy of the page.
class StringStore {
public:
    static constexpr bool resetZeroes = false;

    char16_t *data() { return reinterpret_cast<char16_t *>(s_.data()); }
    const char16_t *data() const { return reinterpret_cast<const char16_t *>(s_.constData()); }
    size_t size() const { return size_t(s_.size()); }
    // Exactly what is asked: QString would otherwise round a large size up to the next power
    // of two.
    void resize(size_t n) {
        if (qsizetype(n) > s_.capacity())
            s_.reserve(qsizetype(n));
        s_.resize(qsizetype(n));
    }
    void reset(size_t n) {
        s_ = QString();
        resize(n);
    }
    // Takes text's characters as they are; unshared, they are not copied.
    void adopt(QString &&text) { s_ = std::move(text); }

private:
    QString s_;
};

template <typename T, typename Store = BlockStore<T>> class GapBuffer {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    GapBuffer() { buf_.reset(minGap); }

    int size() const { return int(buf_.size()) - gapLen(); }
    bool empty() const { return size() == 0; }

    T at(int i) const {
        assert(i >= 0 && i < size());
        return buf_.data()[i < gapStart_ ? i : i + gapLen()];
    }

    // Both keep exactly one allocation of the new size: on a page of many megabytes a second
    // one, however short-lived, is what sets the program's peak memory.
    void assign(const T *data, int n) {
        removed_ = -1;
        buf_.reset(size_t(n) + initialGap(n));
        std::copy(data, data + n, buf_.data());
        gapStart_ = n;
        gapEnd_ = int(buf_.size());
    }

    void assignFill(int n, T value) {
        removed_ = -1;
        buf_.reset(size_t(n) + initialGap(n));
        if (value != T() || !Store::resetZeroes)
            std::fill(buf_.data(), buf_.data() + buf_.size(), value);
        gapStart_ = n;
        gapEnd_ = int(buf_.size());
    }

    // Takes over a whole text (StringStore only); the gap goes after it.
    void adopt(QString &&text) {
        const int n = int(text.size());
        removed_ = -1;
        buf_.adopt(std::move(text));
        buf_.resize(size_t(n) + initialGap(n));
        gapStart_ = n;
        gapEnd_ = int(buf_.size());
    }

    // Replaces [pos, pos + removeLen) by n elements of data (or n copies of fill when data is
    // null).
    void replace(int pos, int removeLen, const T *data, int n, T fill = T()) {
        assert(pos >= 0 && removeLen >= 0 && pos + removeLen <= size() && n >= 0);
        moveGap(pos);
        // The removed elements join the gap after its old end; what goes in fills it from the
        // start, so they stay readable when it fits in the old gap.
        removed_ = keepsRemoved(n) ? removeLen : -1;
        gapEnd_ += removeLen;
        if (gapLen() < n)
            grow(n);
        T *at = buf_.data() + gapStart_;
        if (data)
            std::copy(data, data + n, at);
        else
            std::fill(at, at + n, fill);
        gapStart_ += n;
    }

    // Whether the elements that a replace() inserting n elements removes are still there after
    // it, for removedRun().
    bool keepsRemoved(int n) const { return n <= gapLen(); }
    // The elements the latest replace() removed, where they still lie in the gap, or null when
    // they are gone (see keepsRemoved); valid until the buffer changes again.
    const T *removedRun() const {
        return removed_ < 0 ? nullptr : buf_.data() + gapEnd_ - removed_;
    }
    int removedLength() const { return std::max(removed_, 0); }

    // Overwrites [pos, pos + n) with value where it stands: the gap stays where the last edit
    // left it, so colouring a whole page moves nothing.
    void fill(int pos, int n, T value) {
        assert(pos >= 0 && n >= 0 && pos + n <= size());
        const int first = std::clamp(gapStart_ - pos, 0, n);
        T *p = buf_.data();
        std::fill(p + pos, p + pos + first, value);
        std::fill(p + pos + first + gapLen(), p + pos + n + gapLen(), value);
    }

    // The elements [pos, pos + n) in one piece, or null when the gap splits them.
    const T *contiguous(int pos, int n) const {
        if (pos + n <= gapStart_)
            return buf_.data() + pos;
        if (pos >= gapStart_)
            return buf_.data() + pos + gapLen();
        return nullptr;
    }

    // Everything in one piece: the gap moves to the end, where the next edit elsewhere finds it
    // and moves it back.
    const T *gathered() {
        moveGap(size());
        return buf_.data();
    }

    void copyOut(int pos, int n, T *out) const {
        assert(pos >= 0 && n >= 0 && pos + n <= size());
        forEachPiece(pos, n, [&](const T *p, int count, int offset) {
            std::copy(p, p + count, out + (offset - pos));
        });
    }

    // The two contiguous pieces covering [pos, pos + n): calls f(pointer, count, offset).
    template <typename F> void forEachPiece(int pos, int n, F f) const {
        const int first = std::clamp(gapStart_ - pos, 0, n);
        if (first > 0)
            f(buf_.data() + pos, first, pos);
        if (n > first)
            f(buf_.data() + pos + first + gapLen(), n - first, pos + first);
    }

    // First index >= from whose element equals value, or -1.
    int indexOf(T value, int from) const {
        from = std::max(from, 0);
        const int n = size();
        if (from >= n)
            return -1;
        int found = -1;
        forEachPiece(from, n - from, [&](const T *p, int count, int offset) {
            if (found >= 0)
                return;
            const T *hit = std::find(p, p + count, value);
            if (hit != p + count)
                found = offset + int(hit - p);
        });
        return found;
    }

    // Last index <= from whose element equals value, or -1.
    int lastIndexOf(T value, int from) const {
        from = std::min(from, size() - 1);
        for (int i = from; i >= 0; --i)
            if (at(i) == value)
                return i;
        return -1;
    }

private:
    static constexpr int minGap = 64;

    int gapLen() const { return gapEnd_ - gapStart_; }

    void moveGap(int pos) {
        if (pos != gapStart_)
            removed_ = -1;
        T *p = buf_.data();
        if (pos < gapStart_) {
            const int n = gapStart_ - pos;
            std::memmove(p + gapEnd_ - n, p + pos, size_t(n) * sizeof(T));
            gapStart_ -= n;
            gapEnd_ -= n;
        } else if (pos > gapStart_) {
            const int n = pos - gapStart_;
            std::memmove(p + gapStart_, p + gapEnd_, size_t(n) * sizeof(T));
            gapStart_ += n;
            gapEnd_ += n;
        }
    }

    // Room for a good run of typing, so that the first keys after an Open do not pay for
    // moving a whole page.
    static size_t initialGap(int n) { return minGap + size_t(std::min(n / 16, 1 << 16)); }

    // An eighth more than needed: typing grows the buffer rarely, and a page of many
    // megabytes does not carry half its size again as an empty gap. The store grows where it
    // stands when it can, and what followed the gap moves to the new end.
    void grow(int needed) {
        removed_ = -1;
        const size_t old = buf_.size();
        const size_t tail = old - size_t(gapEnd_);
        const size_t newSize = old + size_t(needed) + std::max<size_t>(minGap, old / 8);
        buf_.resize(newSize);
        T *p = buf_.data();
        std::memmove(p + newSize - tail, p + gapEnd_, tail * sizeof(T));
        gapEnd_ = int(newSize - tail);
    }

    Store buf_;
    int gapStart_ = 0;
    int gapEnd_ = minGap;
    int removed_ = -1; // how many elements before gapEnd_ the latest replace() removed, or -1
};

// The editor's text.
using TextBuffer = GapBuffer<char16_t, StringStore>;

} // namespace quenbry
