#include "colourcontrast.h"

#include <algorithm>
#include <cmath>

namespace quenbry {

namespace {
double linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}
} // namespace

double relativeLuminance(const QColor &colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.red()) + 0.7152 * linear(rgb.green()) + 0.0722 * linear(rgb.blue());
}

double contrastRatio(const QColor &a, const QColor &b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

double lowestContrast(const QColor &text, const QImage &background, const QRect &area) {
    const QRect r = area & background.rect();
    double lowest = 21.0;
    QRgb last = 0;
    double lastRatio = -1;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb px = background.pixel(x, y);
            // Backgrounds are mostly runs of one colour.
            if (lastRatio < 0 || px != last) {
                last = px;
                lastRatio = contrastRatio(text, QColor(px));
                lowest = std::min(lowest, lastRatio);
            }
        }
    }
    return lowest;
}

} // namespace quenbry
