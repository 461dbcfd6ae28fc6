#pragma once
#include <QImage>
#include <QRect>
#include <QSize>

namespace tetrafot {

// Where two versions of a photo differ: per pixel and per colour channel
// the absolute difference, multiplied by `gain` and clamped to 255, so that
// agreeing pixels are black and the small differences of compression or a
// sharpening step show. Both photos are at the same scale.
//
// Only `rect` (in the photo's pixels, usually what its pane shows) is
// computed. Photos of different sizes are compared over their common
// top-left area; the pixels of `rect` outside it are NotCompared.
struct PhotoDifference {
    QImage image;         // RGB888, the pixels of `rect`
    QRect rect;           // the part computed: the asked rect within the photo
    bool sizesDiffer = false;
    QSize common;         // the area compared, from the top left
};

inline constexpr QRgb NotCompared = 0xff000060;   // a dark blue: no pixel of the reference there
inline constexpr int DifferenceGain = 8;

PhotoDifference Difference(const QImage& photo, const QImage& reference, QRect rect, int gain = DifferenceGain);

} // namespace tetrafot
