#include "textdelta.h"

#include <algorithm>

namespace quenbry {

namespace {

// The run [prefix, size - suffix) of s. A one-character entry per keystroke adds up over
// thousands of keystrokes, so a short run keeps no spare capacity and an empty one no
// allocation at all; a long run (a whole page that came in by Open) is cut where it stands
// rather than copied, which would cost a second page of memory for a moment.
void trimRun(QString &s, qsizetype prefix, qsizetype suffix) {
    const qsizetype length = s.size() - prefix - suffix;
    if (length == 0) {
        s = QString();
    } else if (length >= 4096 && length >= s.size() / 2 && s.isDetached()) {
        s.chop(suffix);
        s.remove(0, prefix);
    } else {
        s = QStringView(s).sliced(prefix, length).toString();
    }
}

} // namespace

void trimDelta(TextDelta &delta) {
    const QStringView removed(delta.removed);
    const QStringView inserted(delta.inserted);
    const qsizetype shorter = std::min(removed.size(), inserted.size());
    qsizetype prefix = 0;
    while (prefix < shorter && removed[prefix] == inserted[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           removed[removed.size() - 1 - suffix] == inserted[inserted.size() - 1 - suffix])
        ++suffix;
    if (prefix == 0 && suffix == 0) {
        if (delta.removed.isEmpty())
            delta.removed = QString();
        if (delta.inserted.isEmpty())
            delta.inserted = QString();
        return;
    }
    delta.start += int(prefix);
    trimRun(delta.removed, prefix, suffix);
    trimRun(delta.inserted, prefix, suffix);
}

TextDelta composeDeltas(const TextDelta &first, const TextDelta &second,
                        const EditorBuffer &after) {
    if (first.isEmpty())
        return second;
    if (second.isEmpty())
        return first;
    // Both runs, and whatever lies between them, in the coordinates of the middle text B.
    const int low = std::min(first.start, second.start);
    const int secondRemovedEnd = second.start + int(second.removed.size());
    const int high = std::max(first.start + int(first.inserted.size()), secondRemovedEnd);
    const QString middle =
        after.mid(low, second.start - low) + second.removed +
        after.mid(second.start + int(second.inserted.size()), high - secondRemovedEnd);
    const QStringView mid(middle);
    TextDelta result;
    result.start = low;
    result.removed = mid.first(first.start - low).toString() + first.removed;
    result.removed += mid.sliced(first.start + first.inserted.size() - low);
    result.inserted = mid.first(second.start - low).toString() + second.inserted;
    result.inserted += mid.sliced(secondRemovedEnd - low);
    trimDelta(result);
    return result;
}

QString targetMid(const EditorBuffer &current, const TextDelta &toTarget, int from, int count) {
    const int runStart = toTarget.start;
    const int runEnd = runStart + int(toTarget.inserted.size());
    const int targetLength = current.length() + toTarget.growth();
    from = std::clamp(from, 0, targetLength);
    const int end = from + std::clamp(count, 0, targetLength - from);
    if (from == runStart && end == runEnd)
        return toTarget.inserted; // shared, not copied: it may be a whole page
    QString out;
    out.reserve(end - from);
    if (from < std::min(end, runStart))
        out += current.mid(from, std::min(end, runStart) - from);
    const int insideFrom = std::max(from, runStart);
    const int insideEnd = std::min(end, runEnd);
    if (insideFrom < insideEnd)
        out += QStringView(toTarget.inserted).sliced(insideFrom - runStart, insideEnd - insideFrom);
    const int afterFrom = std::max(from, runEnd);
    if (afterFrom < end)
        out += current.mid(afterFrom - toTarget.growth(), end - afterFrom);
    return out;
}

} // namespace quenbry
