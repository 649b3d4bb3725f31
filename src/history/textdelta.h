#pragma once
// One text turned into another by replacing a single run: the way the history stores each
// entry against its neighbour instead of keeping a whole copy of the page per entry.

#include "text/editorbuffer.h"

#include <QString>

namespace quenbry {

// The newer text is the older one with [start, start + removed.size()) replaced by inserted.
struct TextDelta {
    int start = 0;
    QString removed;
    QString inserted;

    bool isEmpty() const { return removed.isEmpty() && inserted.isEmpty(); }
    int growth() const { return int(inserted.size() - removed.size()); }
    TextDelta inverse() const { return {start, inserted, removed}; }
};

// Drops what removed and inserted share at their starts and then at their ends, so that the
// delta covers only characters that really differ (and holds no memory when nothing does).
void trimDelta(TextDelta &delta);

// first turns A into B, second turns B into C; the result turns A into C. C is the text now
// in `after`: characters between the two runs are read from it.
TextDelta composeDeltas(const TextDelta &first, const TextDelta &second, const EditorBuffer &after);

// [from, from + count) of the text that `toTarget` makes out of the text in `current`,
// clamped to that text the way a substring of it would be.
QString targetMid(const EditorBuffer &current, const TextDelta &toTarget, int from, int count);

} // namespace quenbry
