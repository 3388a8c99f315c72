// Fits the window geometry the settings file asks for (twips) to the screen it opens on, so that
// a damaged or foreign settings file can never ask for a window larger than the screen.
#pragma once

#include <QRect>

class QScreen;

namespace vireo {

// Largest window side, in pixels, when no screen is known.
inline constexpr int kLargestWindowSide = 4096;

// The pixel rectangle for a window of `width` x `height` twips at (`left`, `top`) twips and
// `dpi` pixels per inch: no larger than the screen's available area and moved onto it so that
// it lies within it. Without a screen the sides are at most kLargestWindowSide and the corner
// within as much of the origin. A value that is not a finite number counts as 0; every side is
// at least 1 pixel.
QRect FitTwipsToScreen(float left, float top, float width, float height, double dpi,
                       const QScreen* screen);

}  // namespace vireo
