#include "panes/panesync.h"

#include <algorithm>
#include <cmath>

namespace {

// A picture that fits in the view along an axis has no place to keep
// there: its middle stands for it.
double AxisCentre(int pos, int size, int view)
{
    return size > view ? (view / 2.0 - pos) / size : 0.5;
}

int AxisPlace(double centre, int pos, int size, int view)
{
    if (size <= view)
        return pos;
    const int wanted = int(std::lround(view / 2.0 - centre * size));
    return std::clamp(wanted, view - size, 0);
}

} // namespace

QPointF ViewCentre(const QRect& shown, QSize view)
{
    return {AxisCentre(shown.x(), shown.width(), view.width()), AxisCentre(shown.y(), shown.height(), view.height())};
}

QPoint PlaceAtCentre(QPointF centre, const QRect& shown, QSize view)
{
    return {AxisPlace(centre.x(), shown.x(), shown.width(), view.width()),
            AxisPlace(centre.y(), shown.y(), shown.height(), view.height())};
}
