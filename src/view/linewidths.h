#pragma once
// The width of every line as the view knows it, for the scroll range: whole pixels rounded up,
// each either measured or estimated. Two bytes a line, as a page of millions of lines keeps one
// for each.

#include <QtGlobal>
#include <utility>
#include <vector>

namespace quenbry {

class LineWidths {
public:
    // count lines, each an estimate of no width.
    void reset(int count);
    int size() const { return int(codes_.size()); }
    // Negative while the width is an estimate.
    float at(int line) const;
    void set(int line, float width);
    // Lines [first, first + removed) are replaced by lines of the widths in fresh.
    void replace(int first, int removed, const std::vector<float> &fresh);
    // The widest of lines [from, to), estimates counted as they are.
    float widest(int from, int to) const;

private:
    static constexpr quint16 kEstimate = 0x8000;
    // The pixels; at this many or more, the width is kept in wide_.
    static constexpr quint16 kWide = 0x7fff;

    quint16 encode(int line, float width);
    std::vector<std::pair<int, float>>::iterator wideAt(int line);
    std::vector<std::pair<int, float>>::const_iterator wideAt(int line) const;

    std::vector<quint16> codes_;
    // The lines wider than a code holds (a few thousand characters), in line order.
    std::vector<std::pair<int, float>> wide_;
};

} // namespace quenbry
