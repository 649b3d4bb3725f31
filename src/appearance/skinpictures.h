#pragma once
// The artwork of the "Neo vbAccelerator" skin, drawn in code: the caption strip and the
// caption-button glyphs that the main window keeps as its two hidden pictures.

#include <QImage>

namespace quenbry {

// 640x48: the caption's gradient, with its slices at x = 90, 140, 240 and 400.
QImage neoCaptionPicture();
// 70x10: seven 10x10 glyphs (close, maximise, restore, minimise, help, menu, pin).
QImage neoButtonPicture();

} // namespace quenbry
