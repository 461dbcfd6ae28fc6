#include "panes/panesync.h"

#include "render/scaling.h"

#include <algorithm>
#include <cmath>

namespace tetrafot {

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

QRect SynchronizedPart(QPointF centre, QSize picture, QSize box, QSize view)
{
    const QRect laid(PlaceInBox(picture, box).topLeft(), picture);
    return QRect(-PlaceAtCentre(centre, laid, view), view) & QRect(QPoint(0, 0), picture);
}

std::function<QRect(QSize)> FirstSeen(QSize box, QSize view, QPoint scroll, std::optional<QPointF> centre)
{
    if (centre)
        return [box, view, c = *centre](QSize picture) { return SynchronizedPart(c, picture, box, view); };
    return [box, scroll](QSize picture) { return VisiblePart(picture, box, scroll); };
}

std::vector<PictureMove> MovesToCentre(QPointF centre, const ShownPictures& panes, int except)
{
    std::vector<PictureMove> moves;
    for (int n = 1; n <= 4; ++n) {
        const ShownPicture& p = panes[size_t(n - 1)];
        if (n != except && p.hasPicture)
            moves.push_back({n, PlaceAtCentre(centre, p.shown, p.view) - p.shown.topLeft()});
    }
    return moves;
}

void PictureDrag::press(int current, QPoint at, bool alone)
{
    m_pane = current;
    m_start = at;
    m_alone = alone;
}

std::vector<PictureMove> PictureDrag::move(int pane, int current, QPoint at, bool sync, const ShownPictures& panes)
{
    if (pane != current) {
        m_pane = 0;
        return {};
    }
    if (m_pane != current)
        return {};
    std::vector<PictureMove> moves{{current, at - m_start}};
    if (sync && !m_alone) {
        const ShownPicture& dragged = panes[size_t(current - 1)];
        const QPointF centre = ViewCentre(dragged.shown.translated(at - m_start), dragged.view);
        for (const PictureMove& m : MovesToCentre(centre, panes, current))
            moves.push_back(m);
    }
    return moves;
}

} // namespace tetrafot
