#include "syntaxcolouring.h"

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

// The whole text read in place, for a pass over all of it: Qt's searches look at many
// characters at once, with no call through the editor for each.
struct WholeText {
    QStringView text;
    int length() const { return int(text.size()); }
    QChar at(int i) const { return text[i]; }
};

int find(WholeText t, QStringView pattern, int from) {
    return int(pattern.size() == 1 ? t.text.indexOf(pattern[0], from)
                                   : t.text.indexOf(pattern, from));
}

constexpr QStringView kLt = u"<";
constexpr QStringView kGt = u">";
constexpr QStringView kDashGt = u"->";

// The region whose `<` is at a and whose first `>` after it is at b: a tag, or a comment when
// it opens with "<!-". findDash() gives the comment's `->`, -1 when there is none after it.
template <typename Text, typename FindDash>
SyntaxColouring::Region regionAt(const Text &buffer, int a, int b, FindDash findDash) {
    SyntaxColouring::Region r{a, b, b, -1, false};
    if (b >= a + 3 && buffer.at(a + 1) == u'!' && buffer.at(a + 2) == u'-') {
        // A comment opener with no `->` anywhere after it runs to the end of the text, which
        // ends the scan: that is how a browser shows it, and it is what a comment being typed
        // looks like until its end is typed.
        r.comment = true;
        r.dash = findDash();
        r.closed = r.dash >= 0;
        r.end = r.closed ? r.dash + 1 : buffer.length() - 1;
    }
    return r;
}

} // namespace

void SyntaxColouring::setColour(EditorBuffer &buffer, quint32 colorRef) {
    // Colouring a real selection colours text that stays in the editor when the keystroke is
    // consumed; the next pass has to look at it again.
    if (buffer.selLength() > 0)
        noteRecolour(buffer.selStart(), buffer.selLength());
    buffer.setSelectionColour(toRgb(colorRef));
}

int SyntaxColouring::colourKeystroke(EditorBuffer &buffer, int &key) {
    if (buffer.length() == 0)
        return key;
    const int ch = key;

    if (!typing_.inTag && !typing_.inValue && !typing_.inComment && !typing_.inScript)
        setColour(buffer, TextColor);
    if (typing_.inTag && (typing_.inValue || typing_.inQuote))
        setColour(buffer, ValueColor);
    if (ch == '<') {
        setColour(buffer, TagColor);
        typing_.inTag = true;
    }
    if (ch == '=' && typing_.inTag)
        typing_.inValue = true;
    if (ch == '"') {
        if (typing_.inQuote && typing_.inValue) {
            typing_.inValue = false;
            typing_.inQuote = false;
        } else if (!typing_.inQuote && typing_.inValue) {
            typing_.inQuote = true;
        }
    }
    if (ch == ' ' && !typing_.inQuote && typing_.inTag) {
        setColour(buffer, TagColor);
        typing_.inValue = false;
    }

    // The shortcuts need a character before the caret; at the very start there is none.
    const int caret = buffer.selStart();
    const bool afterLt = caret > 0 && caret <= buffer.length() && buffer.at(caret - 1) == u'<';
    if (afterLt && ch == '!') {
        buffer.setSelStart(caret - 1);
        buffer.setSelLength(1);
        setColour(buffer, CommentColor);
        buffer.setSelText(QStringLiteral("<!--"));
        typing_.inTag = false;
        typing_.inValue = false;
        typing_.inScript = false;
        typing_.inComment = true;
        key = 0;
    }
    if (afterLt && ch == '%') {
        buffer.setSelStart(caret - 1);
        buffer.setSelLength(1);
        setColour(buffer, ScriptColor);
        buffer.setSelText(QStringLiteral("<%"));
        typing_.inTag = false;
        typing_.inValue = false;
        typing_.inComment = false;
        typing_.inScript = true;
        key = 0;
    }

    if (ch == '>') {
        if (typing_.inScript)
            setColour(buffer, ScriptColor);
        else if (typing_.inComment)
            setColour(buffer, CommentColor);
        else
            setColour(buffer, TagColor);
        typing_.inTag = false;
        typing_.inComment = false;
        typing_.inScript = false;
    }
    return key;
}

void SyntaxColouring::noteEdit(int s2, int r2, int i2) {
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

void SyntaxColouring::noteRecolour(int start, int length) {
    if (length > 0)
        noteEdit(start, length, length);
}

void SyntaxColouring::colourRegions(EditorBuffer &buffer) {
    const int n = buffer.length();
    // A change of most of the text (an Open, a New page) is scanned afresh: a rescan would
    // find the same regions with more work per region.
    if (passing_ || !scanned_ || knownLength_ != n || (dirty_ && env_.start + env_.inserted > n) ||
        (dirty_ && env_.inserted > n / 2))
        fullPass(buffer);
    else if (dirty_)
        incrementalPass(buffer);
    dirty_ = false;
}

std::vector<SyntaxColouring::Region> SyntaxColouring::scanRegions(const EditorBuffer &buffer,
                                                                  int *openLt) {
    QString scratch;
    return scanText(buffer.peek(0, buffer.length(), scratch), openLt);
}

std::vector<SyntaxColouring::Region> SyntaxColouring::scanText(QStringView text, int *openLt) {
    const WholeText buffer{text};
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
        const Region r = regionAt(buffer, a, b, [&] { return find(buffer, kDashGt, a); });
        out.push_back(r);
        pos = r.end + 1;
    }
    return out;
}

void SyntaxColouring::paintRegion(EditorBuffer &buffer, const Region &region) {
    paintRegion(buffer, buffer.peek(region.start, region.end - region.start + 1, scratch_), region);
}

void SyntaxColouring::paintRegion(EditorBuffer &buffer, QStringView tag, const Region &region) {
    if (region.comment) {
        buffer.setColour(region.start, region.end - region.start + 1, toRgb(CommentColor));
        return;
    }
    colourTag(tag, region.start, [&](int from, int length, quint32 colorRef) {
        buffer.setColour(from, length, toRgb(colorRef));
    });
}

void SyntaxColouring::fullPass(EditorBuffer &buffer) {
    beginPass(buffer);
    continuePass(buffer, INT_MAX);
}

void SyntaxColouring::beginPass(EditorBuffer &buffer) {
    regions_.clear(); // not the room a larger page's regions took
    openLt_ = -1;
    passPos_ = 0;
    passing_ = true;
    scanned_ = false;
    dirty_ = false;
    knownLength_ = buffer.length();
}

void SyntaxColouring::abandonPass() {
    passing_ = false;
    scanned_ = false;
}

// The scan of scanText(), one region a step, each region painted as it is found: the colours
// before the scan's position are then final, since later regions start after it.
bool SyntaxColouring::continuePass(EditorBuffer &buffer, int end, QDeadlineTimer deadline) {
    if (!passing_)
        return true;
    // Nothing changes the text while the pass runs, so the text read here is the one the pass
    // began with; in place unless its storage is split, and then copied.
    const WholeText text{buffer.peek(0, buffer.length(), scratch_)};
    const int n = text.length();
    for (int step = 1; passPos_ < n; ++step) {
        if (passPos_ >= end || (step % 64 == 0 && deadline.hasExpired()))
            return false;
        const int a = find(text, kLt, passPos_);
        const int b = a < 0 ? -1 : find(text, kGt, a);
        if (b < 0) {
            openLt_ = a;
            break;
        }
        const Region r = regionAt(text, a, b, [&] { return find(text, kDashGt, a); });
        regions_.append(r);
        paintRegion(buffer, text.text.sliced(r.start, r.end - r.start + 1), r);
        passPos_ = r.end + 1;
    }
    passing_ = false;
    scanned_ = true;
    return true;
}

// Rescans from the last region that ends before the change until the scan meets a `<` that
// started a region last time, beyond the change: from there on the text, and so the scan, is
// what it was, and the old regions are kept (shifted). Only regions that the rescan found are
// painted. The searches that the old scan made from the same place are not repeated over
// unchanged text: what changed is searched, and the old answer, shifted, stands for the rest.
void SyntaxColouring::incrementalPass(EditorBuffer &buffer) {
    const Rescan change = locateChange();
    RescanResult result = rescanChangedRegions(buffer, change);
    paintRescannedRegions(buffer, change, result.fresh);
    replaceRescannedRegions(change, std::move(result));
}

SyntaxColouring::Rescan SyntaxColouring::locateChange() const {
    Rescan change;
    change.start = env_.start;
    change.oldEnd = env_.start + env_.removed;
    change.newEnd = env_.start + env_.inserted;
    change.delta = env_.inserted - env_.removed;
    // A comment without `->` depends on the whole text after it.
    change.first = firstRegion([&](const Region &r) {
        return (r.comment && !r.closed ? INT_MAX : r.end) >= change.start;
    });
    if (change.first < regions_.size())
        change.firstOld = regions_.at(change.first);
    return change;
}

// The old region holding old position x (start < x <= end), or nothing.
std::optional<SyntaxColouring::Region> SyntaxColouring::oldRegionAround(int x) const {
    const size_t i = firstRegion([&](const Region &r) { return r.end >= x; });
    if (i == regions_.size())
        return std::nullopt;
    const Region r = regions_.at(i);
    if (r.start < x && x <= r.end)
        return r;
    return std::nullopt;
}

// The first `<` at or after pos, where pos lies after the change.
int SyntaxColouring::findLtAfterChange(const EditorBuffer &buffer, const Rescan &change,
                                       int pos) const {
    const size_t count = regions_.size();
    if (pos < change.newEnd) {
        const int hit = findIn(buffer, kLt, pos, change.newEnd);
        if (hit >= 0)
            return hit;
        pos = change.newEnd;
    }
    const int x = pos - change.delta; // the same place in the old text
    const size_t i = firstRegion([&](const Region &r) { return r.end >= x; });
    if (i < count) {
        const Region it = regions_.at(i);
        if (it.start >= x)
            return it.start + change.delta; // the gap before a region holds no `<`
        const int hit = findIn(buffer, kLt, pos, it.end + change.delta + 1);
        if (hit >= 0)
            return hit;
        if (i + 1 < count)
            return regions_.at(i + 1).start + change.delta;
        return openLt_ >= 0 ? openLt_ + change.delta : -1;
    }
    if (openLt_ < 0)
        return -1;
    if (openLt_ >= x)
        return openLt_ + change.delta;
    return find(buffer, kLt, pos);
}

// The first occurrence at or after `from` (from <= the change's start), given the first
// occurrence after the same `from` in the text of the last pass.
int SyntaxColouring::findRemembered(const EditorBuffer &buffer, const Rescan &change,
                                    QStringView pattern, int from, int oldAnswer) const {
    const int plen = int(pattern.size());
    if (oldAnswer >= 0 && oldAnswer + plen - 1 < change.start)
        return oldAnswer;
    const int hit = findIn(buffer, pattern, std::max(from, change.start - plen + 1), change.newEnd);
    if (hit >= 0)
        return hit;
    if (oldAnswer < 0)
        return -1;
    if (oldAnswer >= change.oldEnd)
        return oldAnswer + change.delta;
    return pattern == kLt ? findLtAfterChange(buffer, change, change.newEnd)
                          : find(buffer, pattern, change.newEnd);
}

SyntaxColouring::RescanResult SyntaxColouring::rescanChangedRegions(const EditorBuffer &buffer,
                                                                    const Rescan &change) const {
    const int n = buffer.length();
    const size_t count = regions_.size();
    const std::optional<Region> &oldK = change.firstOld;
    RescanResult result;
    int pos = change.first > 0 ? regions_.at(change.first - 1).end + 1 : 0;
    bool first = true;
    while (pos < n) {
        const int a = first ? findRemembered(buffer, change, kLt, pos, oldK ? oldK->start : openLt_)
                            : findLtAfterChange(buffer, change, pos);
        if (a < 0)
            break;
        if (a >= change.newEnd) {
            const int aOld = a - change.delta;
            const size_t i = firstRegion([&](const Region &r) { return r.start >= aOld; });
            if (i < count && regions_.at(i).start == aOld) {
                result.resyncAt = i;
                break;
            }
            if (aOld == openLt_) {
                result.openLt = a;
                break;
            }
        }

        int b;
        std::optional<Region> around;
        if (a < change.start) {
            b = findRemembered(buffer, change, kGt, a, oldK && oldK->start == a ? oldK->gt : -1);
        } else if (a >= change.newEnd) {
            around = oldRegionAround(a - change.delta);
            if (around && !around->comment)
                b = around->gt + change.delta; // a `<` inside an old tag: the tag's `>` is next
            else if (!around && openLt_ >= 0 && a - change.delta > openLt_)
                b = -1; // nothing after the old open `<` had a `>`
            else
                b = find(buffer, kGt, a);
        } else {
            b = find(buffer, kGt, a);
        }
        if (b < 0) {
            result.openLt = a;
            break;
        }

        const Region r = regionAt(buffer, a, b, [&] {
            if (a < change.start && oldK && oldK->start == a && oldK->comment)
                return findRemembered(buffer, change, kDashGt, a, oldK->dash);
            if (around && around->comment)
                return around->closed ? around->dash + change.delta : -1;
            return find(buffer, kDashGt, a);
        });
        result.fresh.push_back(r);
        pos = r.end + 1;
        first = false;
    }
    return result;
}

// A comment that starts where the old first touched region started, and was a comment then
// too, is already in comment colour outside the change: only the rest is painted.
void SyntaxColouring::paintRescannedRegions(EditorBuffer &buffer, const Rescan &change,
                                            const std::vector<Region> &fresh) {
    const std::optional<Region> &oldK = change.firstOld;
    auto paintComment = [&](int from, int to) {
        if (to >= from)
            buffer.setColour(from, to - from + 1, toRgb(CommentColor));
    };
    for (const Region &r : fresh) {
        if (r.comment && oldK && oldK->comment && oldK->start == r.start &&
            r.start < change.start) {
            if (oldK->end < change.start) {
                paintComment(oldK->end + 1, r.end);
            } else if (oldK->end >= change.oldEnd) {
                paintComment(change.start, std::min(change.newEnd - 1, r.end));
                paintComment(oldK->end + change.delta + 1, r.end);
            } else {
                paintComment(change.start, r.end);
            }
            continue;
        }
        paintRegion(buffer, r);
    }
}

// Old regions from the first touched one up to where the rescan met the old scan again give
// way to the fresh ones; those after keep their positions, moved by the change.
void SyntaxColouring::replaceRescannedRegions(const Rescan &change, RescanResult result) {
    const size_t replacedEnd = result.resyncAt.value_or(regions_.size());
    regions_.replace(change.first, replacedEnd, result.fresh, result.resyncAt ? change.delta : 0);
    if (result.resyncAt)
        openLt_ = openLt_ >= 0 ? openLt_ + change.delta : -1;
    else
        openLt_ = result.openLt;
}

} // namespace quenbry
