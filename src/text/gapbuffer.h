#pragma once
// A gap buffer: the storage behind the editor's text and its per-character colours. Typing
// edits near the previous edit, which a gap buffer serves without moving the rest of a
// multi-megabyte text.

#include <algorithm>
#include <cassert>
#include <cstring>
#include <vector>

namespace quenbry {

template <typename T> class GapBuffer {
public:
    int size() const { return int(buf_.size() - gapLen()); }
    bool empty() const { return size() == 0; }

    T at(int i) const {
        assert(i >= 0 && i < size());
        return i < gapStart_ ? buf_[size_t(i)] : buf_[size_t(i + gapLen())];
    }

    // Both keep exactly one allocation of the new size: on a page of many megabytes a second
    // one, however short-lived, is what sets the program's peak memory.
    void assign(const T *data, int n) {
        std::vector<T>().swap(buf_);
        buf_.reserve(size_t(n) + initialGap(n));
        buf_.assign(data, data + n);
        buf_.resize(size_t(n) + initialGap(n));
        gapStart_ = n;
        gapEnd_ = int(buf_.size());
    }

    void assignFill(int n, T value) {
        std::vector<T>().swap(buf_);
        buf_.assign(size_t(n) + initialGap(n), value);
        gapStart_ = n;
        gapEnd_ = int(buf_.size());
    }

    // Replaces [pos, pos + removeLen) by n elements of data (or n copies of fill when data is
    // null).
    void replace(int pos, int removeLen, const T *data, int n, T fill = T()) {
        assert(pos >= 0 && removeLen >= 0 && pos + removeLen <= size() && n >= 0);
        moveGap(pos);
        gapEnd_ += removeLen;
        if (gapLen() < n)
            grow(n);
        if (data)
            std::copy(data, data + n, buf_.begin() + gapStart_);
        else
            std::fill(buf_.begin() + gapStart_, buf_.begin() + gapStart_ + n, fill);
        gapStart_ += n;
    }

    // Overwrites [pos, pos + n) with value where it stands: the gap stays where the last edit
    // left it, so colouring a whole page moves nothing.
    void fill(int pos, int n, T value) {
        assert(pos >= 0 && n >= 0 && pos + n <= size());
        const int first = std::clamp(gapStart_ - pos, 0, n);
        std::fill(buf_.begin() + pos, buf_.begin() + pos + first, value);
        std::fill(buf_.begin() + pos + first + gapLen(), buf_.begin() + pos + n + gapLen(), value);
    }

    // The elements [pos, pos + n) in one piece, or null when the gap splits them.
    const T *contiguous(int pos, int n) const {
        if (pos + n <= gapStart_)
            return buf_.data() + pos;
        if (pos >= gapStart_)
            return buf_.data() + pos + gapLen();
        return nullptr;
    }

    void copyOut(int pos, int n, T *out) const {
        assert(pos >= 0 && n >= 0 && pos + n <= size());
        int first = std::clamp(gapStart_ - pos, 0, n);
        if (first > 0)
            std::copy(buf_.begin() + pos, buf_.begin() + pos + first, out);
        if (n > first)
            std::copy(buf_.begin() + pos + first + gapLen(), buf_.begin() + pos + n + gapLen(),
                      out + first);
    }

    // The two contiguous pieces covering [pos, pos + n): calls f(pointer, count, offset).
    template <typename F> void forEachPiece(int pos, int n, F f) const {
        int first = std::clamp(gapStart_ - pos, 0, n);
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
        if (pos < gapStart_) {
            const int n = gapStart_ - pos;
            std::copy_backward(buf_.begin() + pos, buf_.begin() + gapStart_,
                               buf_.begin() + gapEnd_);
            gapStart_ -= n;
            gapEnd_ -= n;
        } else if (pos > gapStart_) {
            const int n = pos - gapStart_;
            std::copy(buf_.begin() + gapEnd_, buf_.begin() + gapEnd_ + n, buf_.begin() + gapStart_);
            gapStart_ += n;
            gapEnd_ += n;
        }
    }

    // Room for a good run of typing, so that the first keys after an Open do not pay for
    // moving a whole page.
    static size_t initialGap(int n) { return minGap + size_t(std::min(n / 16, 1 << 16)); }

    // An eighth more than needed: typing grows the buffer rarely, and a page of many
    // megabytes does not carry half its size again as an empty gap.
    void grow(int needed) {
        const int tail = int(buf_.size()) - gapEnd_;
        const size_t newSize =
            buf_.size() + size_t(needed) + std::max<size_t>(minGap, buf_.size() / 8);
        std::vector<T> next(newSize);
        std::copy(buf_.begin(), buf_.begin() + gapStart_, next.begin());
        std::copy(buf_.begin() + gapEnd_, buf_.end(), next.end() - tail);
        buf_.swap(next);
        gapEnd_ = int(buf_.size()) - tail;
    }

    std::vector<T> buf_ = std::vector<T>(minGap);
    int gapStart_ = 0;
    int gapEnd_ = minGap;
};

} // namespace quenbry
