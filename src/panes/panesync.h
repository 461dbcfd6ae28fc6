#pragma once
#include <QPointF>
#include <QRect>
#include <QSize>

// Synchronized panes show the same point of their photos, whatever each
// photo's size: a point is told as fractions of the picture's width and
// height. `shown` is where a pane's picture lies in its view (view
// coordinates, the part outside scrolled or dragged away).

// The point of the picture at the centre of the view; along an axis where
// the picture fits in the view, its middle.
QPointF ViewCentre(const QRect& shown, QSize view);

// Where the picture's top-left goes so that `centre` comes to the middle of
// the view. Along an axis where the picture is larger than the view it is
// kept covering the view; along one where it fits it stays where it lies.
QPoint PlaceAtCentre(QPointF centre, const QRect& shown, QSize view);
