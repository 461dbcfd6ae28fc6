#pragma once
#include "render/panebox.h"

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>

#include <functional>
#include <optional>

namespace tetrafot {

// A pane's scrolling box as its widget measures it: the box's logical size,
// its inner size (frame aside), a scroll bar's thickness and the screen's
// scale.
struct BoxMetrics {
    QSize box;
    QSize inner;
    int barExtent = 0;
    double ratio = 1;
    bool operator==(const BoxMetrics&) const = default;
};

// Where a pane's picture lies in its box: the picture area's place in the
// unscrolled box, the scroll position and the scroll bars they need, in the
// box's logical pixels. The box widget shows what this holds and tells it
// of the user's scrolling; synchronized views, drags and the difference view
// read it here.
class ViewPlace {
public:
    // The box's size changed: the bars are worked out again and the scroll
    // position brought back into their range.
    void measure(const BoxMetrics& metrics);
    const BoxMetrics& metrics() const { return m_metrics; }

    // Lays out a picture of `picture` device pixels at a fixed scale or
    // fitted into the box. `stretch` says how the area draws the picture
    // (scaled to the area, or at most its own size); unset keeps it.
    void layOut(QSize picture, bool fit, std::optional<bool> stretch = std::nullopt);
    QSize pixels() const { return m_pixels; }   // the device pixels the area holds
    bool stretch() const { return m_stretch; }
    QRect area() const { return m_area; }       // unscrolled
    const ScrollBars& bars() const { return m_bars; }
    QPoint scroll() const { return m_scroll; }
    // The user scrolled: kept within the bars' range.
    void scrollTo(QPoint scroll);
    // A drag moved the area.
    void moveArea(QPoint by) { m_area.translate(by); }

    // Where the area lies in the view, and the view's size.
    QRect shown() const { return m_area.translated(-m_scroll); }
    QSize view() const { return m_bars.view; }
    // The point of the picture at the view's middle, as fractions of its
    // size; placeAt brings such a point back there.
    QPointF centre() const;
    void placeAt(QPointF centre);
    // The picture's device pixels the view shows (a stretched picture is
    // seen whole).
    QRect shownPixels(QSize picture) const;
    // What the view shows at first of a picture (given its size): with
    // `centre`, that point brought to the middle; else at the scroll position.
    std::function<QRect(QSize)> firstSeen(std::optional<QPointF> centre) const;

private:
    void updateBars();

    BoxMetrics m_metrics;
    QRect m_area;
    QSize m_pixels;
    QPoint m_scroll;
    ScrollBars m_bars;
    bool m_fit = false;
    bool m_stretch = false;
};

} // namespace tetrafot
