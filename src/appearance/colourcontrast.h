#pragma once
// Contrast between two colours as the WCAG defines it (1:1 to 21:1); text needs 4.5:1 to be
// read comfortably.

#include <QColor>

namespace quenbry {

inline constexpr double LegibleContrast = 4.5;

double relativeLuminance(const QColor &colour);
double contrastRatio(const QColor &a, const QColor &b);

} // namespace quenbry
