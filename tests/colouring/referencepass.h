#pragma once
// The region pass written the slow and obvious way, step by step over a copy of the whole
// text, as the yardstick for SyntaxColouring::colourRegions.

#include "platform/editorbuffer.h"

#include <QString>
#include <vector>

namespace quenbry::reference {

// A tag or comment that the pass colours: [start, end], both ends included.
struct Region {
    int start = 0;
    int end = 0;
    bool comment = false;
    bool operator==(const Region &) const = default;
};

// The tags and comments a pass over text finds (start and end 1-based; 0 and -1 for the
// whole text).
std::vector<Region> regions(const QString &text, int start = 1, int end = -1);

// The pass: colours every region found by regions() through setColour.
void colorRegion(EditorBuffer &buffer, int start = 1, int end = -1);

} // namespace quenbry::reference
