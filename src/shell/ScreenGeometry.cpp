#include "shell/ScreenGeometry.h"

#include <QScreen>
#include <algorithm>
#include <cmath>

namespace vireo {

namespace {

double Pixels(float twips, double dpi) {
    return std::isfinite(twips) ? static_cast<double>(twips) * dpi / 1440.0 : 0.0;
}

// The whole pixels nearest to `pixels`, within [lo, hi].
int Within(double pixels, int lo, int hi) {
    return static_cast<int>(std::lround(
        std::clamp(pixels, static_cast<double>(lo), static_cast<double>(std::max(lo, hi)))));
}

}  // namespace

QRect FitTwipsToScreen(float left, float top, float width, float height, double dpi,
                       const QScreen* screen) {
    QRect area(-kLargestWindowSide, -kLargestWindowSide, 2 * kLargestWindowSide,
               2 * kLargestWindowSide);
    int largestWidth = kLargestWindowSide;
    int largestHeight = kLargestWindowSide;
    if (screen && !screen->availableGeometry().isEmpty()) {
        area = screen->availableGeometry();
        largestWidth = area.width();
        largestHeight = area.height();
    }
    if (!(dpi > 0) || !std::isfinite(dpi)) dpi = 96;
    const int w = Within(Pixels(width, dpi), 1, largestWidth);
    const int h = Within(Pixels(height, dpi), 1, largestHeight);
    const int x = Within(Pixels(left, dpi), area.left(), area.left() + area.width() - w);
    const int y = Within(Pixels(top, dpi), area.top(), area.top() + area.height() - h);
    return {x, y, w, h};
}

}  // namespace vireo
