#pragma once
// Conversions between twips (1/1440 inch), the unit of every stored position and size, and
// pixels at the screen's resolution (15 twips a pixel at 96 dpi).

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace quenbry {

inline double twipsPerPixel() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

inline int twipsToPixels(int twips) {
    return int(std::lround(twips / twipsPerPixel()));
}
inline int pixelsToTwips(int pixels) {
    return int(std::lround(pixels * twipsPerPixel()));
}

} // namespace quenbry
