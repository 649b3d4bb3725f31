#pragma once
// Contrast between two colours as the WCAG defines it (1:1 to 21:1); text needs 4.5:1 to be
// read comfortably.

#include <QColor>
#include <QImage>
#include <QRect>

namespace quenbry {

inline constexpr double LegibleContrast = 4.5;

double relativeLuminance(const QColor &colour);
double contrastRatio(const QColor &a, const QColor &b);
// The lowest contrast between text in the colour and any pixel of the background within the
// area (clipped to the image): text drawn there is as legible as it is on its worst spot.
double lowestContrast(const QColor &text, const QImage &background, const QRect &area);

} // namespace quenbry
