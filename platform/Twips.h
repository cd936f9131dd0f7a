#pragma once

// Layouts are written in twips, 1/1440 inch. At 96 dpi fifteen twips make one pixel; Qt's
// device-independent pixels are 96-dpi pixels, so high-dpi scaling applies on top unchanged.

#include <QRect>

namespace platform {

inline constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips)
{
    return (twips >= 0 ? twips + kTwipsPerPixel / 2 : twips - kTwipsPerPixel / 2) / kTwipsPerPixel;
}

constexpr int pixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }

inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

} // namespace platform
