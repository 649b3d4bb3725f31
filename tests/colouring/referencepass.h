#pragma once
// The region pass written the slow and obvious way, step by step over a copy of the whole
// text, as the yardstick for SyntaxColouring::colourRegions.

#include "text/editorbuffer.h"

#include <QString>
#include <vector>

namespace quenbry::reference {

// A tag or comment that the pass colours: [start, end], both ends included.
struct Region {
    int start = 0;
    int end = 0;
    bool comment = false;
};

std::vector<Region> regions(const QString &text);

// Colours every region found by regions() through setColour.
void colourRegions(EditorBuffer &buffer);

} // namespace quenbry::reference
