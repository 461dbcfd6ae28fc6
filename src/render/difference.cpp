#include "render/difference.h"

#include <algorithm>
#include <cstdint>

namespace tetrafot {

namespace {

// The part of an image as RGB888, without a copy when it is that already.
QImage Rgb(const QImage& image, QRect part)
{
    if (image.format() == QImage::Format_RGB888)
        return image;
    return image.copy(part).convertToFormat(QImage::Format_RGB888);
}

} // namespace

PhotoDifference Difference(const QImage& photo, const QImage& reference, QRect rect, int gain)
{
    PhotoDifference result;
    result.common = photo.size().boundedTo(reference.size());
    result.sizesDiffer = photo.size() != reference.size();
    result.rect = rect & photo.rect();
    if (result.rect.isEmpty())
        return result;
    result.image = QImage(result.rect.size(), QImage::Format_RGB888);
    result.image.fill(QColor::fromRgb(NotCompared));
    const QRect compared = result.rect & QRect(QPoint(), result.common);
    if (compared.isEmpty())
        return result;

    // Converted images hold just the compared part; RGB888 ones are read in place.
    const QImage a = Rgb(photo, compared);
    const QImage b = Rgb(reference, compared);
    const QPoint aAt = a.size() == photo.size() ? compared.topLeft() : QPoint();
    const QPoint bAt = b.size() == reference.size() ? compared.topLeft() : QPoint();
    const QPoint outAt = compared.topLeft() - result.rect.topLeft();
    uint8_t amplified[256];
    for (int d = 0; d < 256; ++d)
        amplified[d] = uint8_t(std::min(d * gain, 255));
    const int bytes = compared.width() * 3;
    for (int y = 0; y < compared.height(); ++y) {
        const uint8_t* pa = a.constScanLine(aAt.y() + y) + aAt.x() * 3;
        const uint8_t* pb = b.constScanLine(bAt.y() + y) + bAt.x() * 3;
        uint8_t* out = result.image.scanLine(outAt.y() + y) + outAt.x() * 3;
        for (int i = 0; i < bytes; ++i)
            out[i] = amplified[std::abs(int(pa[i]) - int(pb[i]))];
    }
    return result;
}

} // namespace tetrafot
