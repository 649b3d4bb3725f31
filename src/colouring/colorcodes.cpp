#include "colorcodes.h"

#include <algorithm>

namespace quenbry {

namespace {

// First occurrence of pattern (one or two characters) starting in [from, to), or -1. Short
// ranges are read character by character so that the search cannot run past `to`.
int findIn(const EditorBuffer &buffer, QStringView pattern, int from, int to) {
    const int n = buffer.length();
    from = std::max(from, 0);
    to = std::min(to, n - int(pattern.size()) + 1);
    if (from >= to)
        return -1;
    if (to - from <= 256) {
        for (int i = from; i < to; ++i) {
            if (buffer.at(i) != pattern[0])
                continue;
            if (pattern.size() == 1 || buffer.at(i + 1) == pattern[1])
                return i;
        }
        return -1;
    }
    const int hit =
        pattern.size() == 1 ? buffer.indexOf(pattern[0], from) : buffer.indexOf(pattern, from);
    return hit >= 0 && hit < to ? hit : -1;
}

int find(const EditorBuffer &buffer, QStringView pattern, int from) {
    return findIn(buffer, pattern, from, buffer.length());
}

bool opensComment(const EditorBuffer &buffer, int a, int b) {
    return b >= a + 3 && buffer.at(a + 1) == u'!' && buffer.at(a + 2) == u'-';
}

constexpr QStringView kLt = u"<";
constexpr QStringView kGt = u">";
constexpr QStringView kDashGt = u"->";

} // namespace

void ColorCodes::setColor(EditorBuffer &buffer, quint32 colorRef) {
    // Colouring a real selection colours text that stays in the editor when the keystroke is
    // consumed; the next pass has to look at it again.
    if (buffer.selLength() > 0)
        noteRecolour(buffer.selStart(), buffer.selLength());
    buffer.setSelColor(toQRgb(colorRef));
}

int ColorCodes::colorKeystroke(EditorBuffer &buffer, int &keyAscii) {
    if (buffer.length() == 0)
        return keyAscii;
    const int ch = keyAscii;

    if (!InTag && !InValue && !InComment && !InScript)
        setColor(buffer, TextColor);
    if (InTag && (InValue || InQuote))
        setColor(buffer, ValueColor);
    if (ch == '<') {
        setColor(buffer, TagColor);
        InTag = true;
    }
    if (ch == '=' && InTag)
        InValue = true;
    if (ch == '"') {
        if (InQuote && InValue) {
            InValue = false;
            InQuote = false;
        } else if (!InQuote && InValue) {
            InQuote = true;
        }
    }
    if (ch == ' ' && !InQuote && InTag) {
        setColor(buffer, TagColor);
        InValue = false;
    }

    // The shortcuts need a character before the caret; at the very start there is none.
    const int caret = buffer.selStart();
    const bool afterLt = caret > 0 && caret <= buffer.length() && buffer.at(caret - 1) == u'<';
    if (afterLt && ch == '!') {
        buffer.setSelStart(caret - 1);
        buffer.setSelLength(1);
        setColor(buffer, CommentColor);
        buffer.setSelText(QStringLiteral("<!--"));
        InTag = false;
        InValue = false;
        InScript = false;
        InComment = true;
        keyAscii = 0;
    }
    if (afterLt && ch == '%') {
        buffer.setSelStart(caret - 1);
        buffer.setSelLength(1);
        setColor(buffer, ScriptColor);
        buffer.setSelText(QStringLiteral("<%"));
        InTag = false;
        InValue = false;
        InComment = false;
        InScript = true;
        keyAscii = 0;
    }

    if (ch == '>') {
        if (InScript)
            setColor(buffer, ScriptColor);
        else if (InComment)
            setColor(buffer, CommentColor);
        else
            setColor(buffer, TagColor);
        InTag = false;
        InComment = false;
        InScript = false;
    }
    return keyAscii;
}

void ColorCodes::noteEdit(const TextEdit &edit) {
    const int s2 = edit.start;
    const int r2 = int(edit.removed.size());
    const int i2 = edit.insertedLength;
    knownLength_ += i2 - r2;
    if (!dirty_) {
        env_ = {s2, r2, i2};
        dirty_ = true;
        return;
    }
    // Merge with what changed before: the union, in today's text, of the changed range and
    // the range this edit removed, mapped back to the text of the last pass.
    const int curEnd = env_.start + env_.inserted;
    const int oldEnd = env_.start + env_.removed;
    const int start = std::min(env_.start, s2);
    const int unionEnd = std::max(curEnd, s2 + r2);
    const int unionOldEnd = unionEnd >= curEnd ? unionEnd - (curEnd - oldEnd) : oldEnd;
    env_ = {start, unionOldEnd - start, unionEnd + (i2 - r2) - start};
}

void ColorCodes::noteRecolour(int start, int length) {
    if (length > 0)
        noteEdit(TextEdit{start, QString(length, u' '), length});
}

void ColorCodes::invalidate() {
    scanned_ = false;
    dirty_ = false;
}

void ColorCodes::colorRegion(EditorBuffer &buffer, int start, int end) {
    const int n = buffer.length();
    if (start == 0)
        start = 1;
    if (end == -1)
        end = n;
    // A start before the text is read as its first character; the scan stops at the end of
    // the text whatever end says, so an end past it is the whole text too.
    start = std::max(start, 1);
    if (start != 1 || end < n) {
        literalPass(buffer, start, end);
        invalidate();
        return;
    }
    if (!scanned_ || knownLength_ != n || (dirty_ && env_.start + env_.inserted > n))
        fullPass(buffer);
    else if (dirty_)
        incrementalPass(buffer);
    dirty_ = false;
}

std::vector<ColorCodes::Region> ColorCodes::scanRegions(const EditorBuffer &buffer, int *openLt) {
    std::vector<Region> out;
    const int n = buffer.length();
    int pos = 0;
    if (openLt)
        *openLt = -1;
    while (pos < n) {
        const int a = find(buffer, kLt, pos);
        if (a < 0)
            break;
        const int b = find(buffer, kGt, a);
        if (b < 0) {
            if (openLt)
                *openLt = a;
            break;
        }
        Region r{a, b, b, -1, false};
        if (opensComment(buffer, a, b)) {
            // A comment opener with no `->` anywhere after it runs to the end of the text,
            // which ends the scan: that is how a browser shows it, and it is what a comment
            // being typed looks like until its end is typed.
            r.comment = true;
            r.dash = find(buffer, kDashGt, a);
            r.closed = r.dash >= 0;
            r.end = r.closed ? r.dash + 1 : n - 1;
        }
        out.push_back(r);
        pos = r.end + 1;
    }
    return out;
}

void ColorCodes::paintRegion(EditorBuffer &buffer, const Region &region) {
    if (region.comment) {
        buffer.setColour(region.start, region.end - region.start + 1, toQRgb(CommentColor));
        return;
    }
    const QString tag = buffer.mid(region.start, region.end - region.start + 1);
    colorTag(tag, region.start, [&](int from, int length, quint32 colorRef) {
        buffer.setColour(from, length, toQRgb(colorRef));
    });
}

namespace {

ColorCodes::Region shifted(ColorCodes::Region r, int by) {
    r.start += by;
    r.gt += by;
    r.end += by;
    if (r.closed)
        r.dash += by;
    return r;
}

} // namespace

ColorCodes::Region ColorCodes::region(size_t i) const {
    return i >= shiftFrom_ ? shifted(regions_[i], shift_) : regions_[i];
}

// The first region for which pred holds, pred being false for a leading run of regions.
template <typename Pred> size_t ColorCodes::firstRegion(Pred pred) const {
    size_t lo = 0, hi = regions_.size();
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        if (pred(region(mid)))
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

void ColorCodes::moveShiftBoundary(size_t index) const {
    for (; shiftFrom_ < index; ++shiftFrom_)
        regions_[shiftFrom_] = shifted(regions_[shiftFrom_], shift_);
    for (; shiftFrom_ > index; --shiftFrom_)
        regions_[shiftFrom_ - 1] = shifted(regions_[shiftFrom_ - 1], -shift_);
}

const std::vector<ColorCodes::Region> &ColorCodes::regions() const {
    moveShiftBoundary(regions_.size());
    return regions_;
}

void ColorCodes::fullPass(EditorBuffer &buffer) {
    regions_ = scanRegions(buffer, &openLt_);
    shiftFrom_ = regions_.size();
    shift_ = 0;
    for (const Region &r : regions_)
        paintRegion(buffer, r);
    knownLength_ = buffer.length();
    scanned_ = true;
}

// The pass as the procedure is written, for a start or an end other than the whole text:
// the scan may then begin inside a tag and stops at the first region reaching `end`.
void ColorCodes::literalPass(EditorBuffer &buffer, int start, int end) {
    const int n = buffer.length();
    int r = start; // 1-based resume position
    do {
        const int a = find(buffer, kLt, r - 1);
        if (a < 0)
            break;
        const int b = find(buffer, kGt, a);
        r = b + 1;
        if (b < 0)
            break;
        Region region{a, b, b, -1, false};
        if (opensComment(buffer, a, b)) {
            region.comment = true;
            region.dash = find(buffer, kDashGt, a);
            region.end = region.dash >= 0 ? region.dash + 1 : n - 1;
            r = region.end + 1;
        }
        paintRegion(buffer, region);
    } while (r > 0 && r < end);
}

// Rescans from the last region that ends before the change until the scan meets a `<` that
// started a region last time, beyond the change: from there on the text, and so the scan, is
// what it was, and the old regions are kept (shifted). Only regions that the rescan found are
// painted. The searches that the old scan made from the same place are not repeated over
// unchanged text: what changed is searched, and the old answer, shifted, stands for the rest.
void ColorCodes::incrementalPass(EditorBuffer &buffer) {
    const int n = buffer.length();
    const int s = env_.start;
    const int oldEnd = s + env_.removed;
    const int newEnd = s + env_.inserted;
    const int delta = env_.inserted - env_.removed;

    // A comment without `->` depends on the whole text after it.
    auto reach = [](const Region &r) {
        return r.comment && !r.closed ? INT_MAX : r.end;
    };
    const size_t count = regions_.size();
    const size_t k = firstRegion([&](const Region &r) { return reach(r) >= s; });
    moveShiftBoundary(k);
    Region oldKRegion;
    const Region *oldK = nullptr; // the first old region the change can affect
    if (k < count) {
        oldKRegion = region(k);
        oldK = &oldKRegion;
    }

    // The old region holding old position x (start < x <= end), or null.
    auto oldRegionAround = [&](int x, Region &out) -> const Region * {
        const size_t i = firstRegion([&](const Region &r) { return r.end >= x; });
        if (i == count)
            return nullptr;
        out = region(i);
        return out.start < x && x <= out.end ? &out : nullptr;
    };
    // The first `<` at or after pos, where pos lies after the change.
    auto findLtAfter = [&](int pos) -> int {
        if (pos < newEnd) {
            const int hit = findIn(buffer, kLt, pos, newEnd);
            if (hit >= 0)
                return hit;
            pos = newEnd;
        }
        const int x = pos - delta; // the same place in the old text
        const size_t i = firstRegion([&](const Region &r) { return r.end >= x; });
        if (i < count) {
            const Region it = region(i);
            if (it.start >= x)
                return it.start + delta; // the gap before a region holds no `<`
            const int hit = findIn(buffer, kLt, pos, it.end + delta + 1);
            if (hit >= 0)
                return hit;
            if (i + 1 < count)
                return region(i + 1).start + delta;
            return openLt_ >= 0 ? openLt_ + delta : -1;
        }
        if (openLt_ < 0)
            return -1;
        if (openLt_ >= x)
            return openLt_ + delta;
        return find(buffer, kLt, pos);
    };

    // The first occurrence at or after `from` (from <= s), given the first occurrence after
    // the same `from` in the text of the last pass.
    auto findRemembered = [&](QStringView pattern, int from, int oldAnswer) {
        const int plen = int(pattern.size());
        if (oldAnswer >= 0 && oldAnswer + plen - 1 < s)
            return oldAnswer;
        const int hit = findIn(buffer, pattern, std::max(from, s - plen + 1), newEnd);
        if (hit >= 0)
            return hit;
        if (oldAnswer < 0)
            return -1;
        if (oldAnswer >= oldEnd)
            return oldAnswer + delta;
        return pattern == kLt ? findLtAfter(newEnd) : find(buffer, pattern, newEnd);
    };
    std::vector<Region> fresh;
    int pos = k > 0 ? regions_[k - 1].end + 1 : 0;
    int openLt = -1;
    bool first = true;
    size_t resyncAt = count; // old regions from here on are kept, shifted
    bool resynced = false;
    while (pos < n) {
        int a;
        if (first)
            a = findRemembered(kLt, pos, oldK ? oldK->start : openLt_);
        else
            a = findLtAfter(pos);
        if (a < 0)
            break;
        if (a >= newEnd) {
            const int aOld = a - delta;
            const size_t i = firstRegion([&](const Region &r) { return r.start >= aOld; });
            if (i < count && region(i).start == aOld) {
                resyncAt = i;
                resynced = true;
                break;
            }
            if (aOld == openLt_) {
                openLt = a;
                break;
            }
        }

        int b;
        const Region *around = nullptr;
        Region aroundRegion;
        if (a < s) {
            b = findRemembered(kGt, a, oldK && oldK->start == a ? oldK->gt : -1);
        } else if (a >= newEnd) {
            around = oldRegionAround(a - delta, aroundRegion);
            if (around && !around->comment)
                b = around->gt + delta; // a `<` inside an old tag: the tag's `>` is next
            else if (!around && openLt_ >= 0 && a - delta > openLt_)
                b = -1; // nothing after the old open `<` had a `>`
            else
                b = find(buffer, kGt, a);
        } else {
            b = find(buffer, kGt, a);
        }
        if (b < 0) {
            openLt = a;
            break;
        }

        Region r{a, b, b, -1, false};
        if (opensComment(buffer, a, b)) {
            r.comment = true;
            if (a < s && oldK && oldK->start == a && oldK->comment)
                r.dash = findRemembered(kDashGt, a, oldK->dash);
            else if (around && around->comment)
                r.dash = around->closed ? around->dash + delta : -1;
            else
                r.dash = find(buffer, kDashGt, a);
            r.closed = r.dash >= 0;
            r.end = r.closed ? r.dash + 1 : n - 1;
        }
        fresh.push_back(r);
        pos = r.end + 1;
        first = false;
    }

    // Paint what the rescan found. A comment that starts where the old first touched region
    // started, and was a comment then too, is already in comment colour outside the change.
    for (size_t i = 0; i < fresh.size(); ++i) {
        const Region &r = fresh[i];
        if (r.comment && oldK && oldK->comment && oldK->start == r.start && r.start < s) {
            // Already in comment colour: the old comment's characters outside the change.
            auto paint = [&](int from, int to) {
                if (to >= from)
                    buffer.setColour(from, to - from + 1, toQRgb(CommentColor));
            };
            if (oldK->end < s) {
                paint(oldK->end + 1, r.end);
            } else if (oldK->end >= oldEnd) {
                paint(s, std::min(newEnd - 1, r.end));
                paint(oldK->end + delta + 1, r.end);
            } else {
                paint(s, r.end);
            }
            continue;
        }
        paintRegion(buffer, r);
    }

    // Old regions [k, resyncAt) give way to the fresh ones; those after keep their stored
    // positions and take the shift.
    const size_t replacedEnd = resynced ? resyncAt : count;
    const size_t common = std::min(fresh.size(), replacedEnd - k);
    std::copy(fresh.begin(), fresh.begin() + common, regions_.begin() + k);
    if (fresh.size() > common)
        regions_.insert(regions_.begin() + k + common, fresh.begin() + common, fresh.end());
    else
        regions_.erase(regions_.begin() + k + common, regions_.begin() + replacedEnd);
    shiftFrom_ = k + fresh.size();
    if (resynced) {
        shift_ += delta;
        openLt = openLt_ >= 0 ? openLt_ + delta : -1;
    } else {
        shift_ = 0;
    }
    openLt_ = openLt;
}

} // namespace quenbry
