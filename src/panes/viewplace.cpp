#include "panes/viewplace.h"

#include "panes/panesync.h"
#include "render/scaling.h"

#include <QtMath>
#include <algorithm>

namespace tetrafot {

void ViewPlace::measure(const BoxMetrics& metrics)
{
    if (metrics == m_metrics)
        return;
    m_metrics = metrics;
    updateBars();
}

void ViewPlace::layOut(QSize picture, bool fit, std::optional<bool> stretch)
{
    const PictureLayout layout = LayOutPicture(picture, fit, m_metrics.box, m_metrics.ratio);
    m_pixels = layout.pixels;
    m_area = layout.area;
    m_fit = fit;
    if (stretch)
        m_stretch = *stretch;
    updateBars();
}

void ViewPlace::updateBars()
{
    m_bars = ScrollBarsFor(m_area, m_metrics.inner, m_metrics.barExtent, !m_fit);
    scrollTo(m_scroll);
}

void ViewPlace::scrollTo(QPoint scroll)
{
    // As a scroll bar holds its value in its range.
    const QPoint range = m_bars.range;
    m_scroll = QPoint(std::clamp(scroll.x(), 0, range.x()), std::clamp(scroll.y(), 0, range.y()));
}

QPointF ViewPlace::centre() const
{
    return ViewCentre(shown(), view());
}

void ViewPlace::placeAt(QPointF centre)
{
    const QRect now = shown();
    moveArea(PlaceAtCentre(centre, now, view()) - now.topLeft());
}

QRect ViewPlace::shownPixels(QSize picture) const
{
    if (m_stretch)
        return QRect(QPoint(), picture);   // a stretched picture is seen whole
    return ShownPixels(shown().topLeft(), view(), m_metrics.ratio, picture);
}

std::function<QRect(QSize)> ViewPlace::firstSeen(std::optional<QPointF> centre) const
{
    // A picture at a fixed scale lies in device pixels: the box is measured
    // in them too.
    const double r = m_metrics.ratio;
    return FirstSeen(DevicePixels(m_metrics.box, r), DevicePixels(view(), r),
                     QPoint(qRound(m_scroll.x() * r), qRound(m_scroll.y() * r)), centre);
}

} // namespace tetrafot
