#include "render/panebox.h"

#include "render/scaling.h"

#include <algorithm>
#include <cmath>

namespace tetrafot {

PictureLayout LayOutPicture(QSize picture, bool fit, QSize box, double ratio)
{
    // The picture's size and the fit are in device pixels, so that 1:1 is
    // one photo pixel on one screen pixel; the area is placed in logical ones.
    const QSize pixels = fit ? FitSize(picture, DevicePixels(box, ratio)) : picture;
    return {pixels, PlaceInBox(LogicalSize(pixels, ratio), box), !fit};
}

ScrollBars ScrollBarsFor(QRect area, QSize inner, int extent, bool allowed)
{
    ScrollBars bars;
    const int right = area.right() + 1, bottom = area.bottom() + 1;
    bars.horizontal = allowed && right > inner.width();
    bars.vertical = allowed && bottom > inner.height();
    // One bar takes room from the other axis and may call for the second.
    if (bars.horizontal && !bars.vertical)
        bars.vertical = bottom > inner.height() - extent;
    if (bars.vertical && !bars.horizontal)
        bars.horizontal = right > inner.width() - extent;
    bars.view = QSize(inner.width() - (bars.vertical ? extent : 0), inner.height() - (bars.horizontal ? extent : 0));
    bars.range = QPoint(std::max(0, right - bars.view.width()), std::max(0, bottom - bars.view.height()));
    return bars;
}

std::array<QRect, OverlayCount> OverlayRects(QSize view)
{
    const int w = view.width(), h = view.height();
    std::array<QRect, OverlayCount> r;
    r[OverlayPath] = QRect(0, 0, w, 13);
    r[OverlayIndicator] = QRect(w - 17, 0, 17, 17);
    r[OverlayMark] = QRect(w - 17 - 22, 0, 22, 22);
    r[OverlayRaw] = QRect(0, h - 15, 26, 15);
    r[OverlayReadOnly] = QRect(27, h - 15, 26, 15);
    r[OverlayPin] = QRect(w - 22, h - 22, 22, 22);
    return r;
}

QSize DrawnSize(QSize own, QSize room, bool stretch)
{
    if (!stretch && own.width() <= room.width() && own.height() <= room.height())
        return own;
    return own.scaled(room, Qt::KeepAspectRatio);
}

DeviceCover CoverInDevicePixels(QPointF origin, QRect logical, double ratio)
{
    const QPointF shift(std::round(origin.x()) - origin.x(), std::round(origin.y()) - origin.y());
    const QRectF covered(QPointF(logical.topLeft()) * ratio - shift, QSizeF(logical.size()) * ratio);
    return {shift, covered.toAlignedRect()};
}

PaintCopy CopyToPaint(QRect exposed, QSize drawn, QRect part)
{
    QRect to = exposed & QRect(QPoint(), drawn);
    if (part.isNull())
        return {to, to.topLeft()};
    to &= part;
    return {to, to.topLeft() - part.topLeft()};
}

QRect ShownPixels(QPoint shown, QSize view, double ratio, QSize picture)
{
    // The view's edges in device pixels; the right and bottom ones lie just
    // past the last pixel seen.
    const int left = int(std::floor(-shown.x() * ratio)), top = int(std::floor(-shown.y() * ratio));
    const int right = int(std::ceil((view.width() - shown.x()) * ratio));
    const int bottom = int(std::ceil((view.height() - shown.y()) * ratio));
    return QRect(left, top, right - left, bottom - top) & QRect(QPoint(), picture);
}

} // namespace tetrafot
