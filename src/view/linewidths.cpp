#include "linewidths.h"

#include <algorithm>
#include <cmath>

namespace quenbry {

namespace {
bool lineBefore(const std::pair<int, float> &entry, int line) {
    return entry.first < line;
}
// A width of at least zero in whole pixels, rounded to the nearest (half 0.5) or up (half 0):
// in integers, as an Open rounds the width of every line, and std::round and std::ceil are
// calls into the library on the baseline processor.
float wholePixels(float width, float half) {
    if (!(width < 1 << 24))
        return half > 0 ? std::round(width) : std::ceil(width);
    const int whole = int(width + half);
    return float(half > 0 || float(whole) >= width ? whole : whole + 1);
}
} // namespace

std::vector<std::pair<int, float>>::iterator LineWidths::wideAt(int line) {
    return std::lower_bound(wide_.begin(), wide_.end(), line, lineBefore);
}

std::vector<std::pair<int, float>>::const_iterator LineWidths::wideAt(int line) const {
    return std::lower_bound(wide_.begin(), wide_.end(), line, lineBefore);
}

void LineWidths::reset(int count) {
    std::vector<quint16>(size_t(count), kEstimate).swap(codes_);
    wide_.clear();
}

float LineWidths::at(int line) const {
    const quint16 code = codes_[size_t(line)];
    if ((code & kWide) == kWide)
        return wideAt(line)->second;
    const float w = float(code & kWide);
    return code & kEstimate ? -w : w;
}

// A measured width is rounded up, so that the widest, which the scroll range rounds up, is
// what the exact widths give; an estimate is rounded to the nearest, so that the small edits
// that move it do not drift one way.
quint16 LineWidths::encode(int line, float width) {
    const bool estimate = std::signbit(width);
    const float w = estimate ? wholePixels(-width, 0.5f) : wholePixels(width, 0.0f);
    const quint16 flag = estimate ? kEstimate : 0;
    // Almost every page has no line as wide, and an Open sets every line's width.
    if (w < kWide && wide_.empty())
        return quint16(w) | flag;
    const auto wide = wideAt(line);
    const bool wasWide = wide != wide_.end() && wide->first == line;
    if (w < kWide) {
        if (wasWide)
            wide_.erase(wide);
        return quint16(w) | flag;
    }
    const float kept = estimate ? -w : w;
    if (wasWide)
        wide->second = kept;
    else
        wide_.insert(wide, {line, kept});
    return kWide | flag;
}

void LineWidths::set(int line, float width) {
    codes_[size_t(line)] = encode(line, width);
}

void LineWidths::replace(int first, int removed, const std::vector<float> &fresh) {
    const auto from = wideAt(first);
    const auto to = wideAt(first + removed);
    const int moved = int(fresh.size()) - removed;
    for (auto it = to; it != wide_.end(); ++it)
        it->first += moved;
    wide_.erase(from, to);
    codes_.erase(codes_.begin() + first, codes_.begin() + first + removed);
    codes_.insert(codes_.begin() + first, fresh.size(), 0);
    for (size_t i = 0; i < fresh.size(); ++i)
        set(first + int(i), fresh[i]);
}

float LineWidths::widest(int from, int to) const {
    quint16 most = 0;
    for (int i = from; i < to; ++i)
        most = std::max(most, quint16(codes_[size_t(i)] & kWide));
    if (most < kWide)
        return float(most);
    float w = 0;
    for (auto it = wideAt(from); it != wide_.end() && it->first < to; ++it)
        w = std::max(w, std::abs(it->second));
    return w;
}

} // namespace quenbry
