#pragma once
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>

#include <array>

namespace tetrafot {

// Where things go in a pane's scrolling box: the picture area, the scroll
// bars it needs and the small overlays at the box's corners. Sizes are the
// box's logical pixels unless a name says device pixels.

// A picture of `picture` device pixels laid out in a box of logical size
// `box` on a screen of `ratio`: fixed scales at the picture's own size,
// fit scaled into the box's device pixels; centred where the box is larger.
struct PictureLayout {
    QSize pixels;      // the device pixels the picture area holds
    QRect area;        // the area in the unscrolled box, logical pixels
    bool scrollBars;   // off for a fitted picture
};
PictureLayout LayOutPicture(QSize picture, bool fit, QSize box, double ratio);

// The scroll bars of a box whose inner size (frame aside) is `inner` for
// an area at `area` (unscrolled). Which bars show is worked out from the
// inner size, which does not depend on the bars; following the viewport
// instead makes a picture just larger than the box switch them on and off
// for ever. `extent` is a bar's thickness.
struct ScrollBars {
    bool horizontal = false;
    bool vertical = false;
    QSize view;      // the viewport the bars leave
    QPoint range;    // the largest scroll position along each axis
};
ScrollBars ScrollBarsFor(QRect area, QSize inner, int extent, bool allowed);

// The overlays of a pane's view, drawn over the picture at fixed places.
enum PaneOverlay { OverlayPath, OverlayIndicator, OverlayMark, OverlayRaw, OverlayReadOnly, OverlayPin, OverlayCount };
// The path label across the top; the exposure indicator at the top right
// with the mark to its left; the RAW and read-only marks at the bottom
// left; the pin at the bottom right.
std::array<QRect, OverlayCount> OverlayRects(QSize view);

// The size a picture of `own` pixels is drawn at in an area of `room`
// pixels: its own when it fits and is not stretched, else scaled to the
// area keeping its aspect ratio.
QSize DrawnSize(QSize own, QSize room, bool stretch);

// A widget painted in device pixels on a screen of `ratio`, its origin at
// `origin` on the device (at 150 % a widget at an odd position starts
// half-way through a screen pixel): `shift` moves it to the nearest whole
// pixel, and `covered` is the device pixels, so shifted, that cover
// `logical`, a rectangle in the widget's logical coordinates.
struct DeviceCover {
    QPointF shift;
    QRect covered;
};
DeviceCover CoverInDevicePixels(QPointF origin, QRect logical, double ratio);

// What a paint of a picture area copies, in the area's device pixels: the
// picture is drawn at `drawn` pixels from the top left, and only `part` of
// it is at hand when that is set. `to` is what of the exposed rectangle
// gets pixels; they come from `from` on in the pixels at hand (the
// picture, the part's pixels, or the picture scaled to `drawn`).
struct PaintCopy {
    QRect to;
    QPoint from;
};
PaintCopy CopyToPaint(QRect exposed, QSize drawn, QRect part);

// The pixels of a picture of `picture` device pixels at its own size that
// a view of logical size `view` shows, the picture's top left at `shown`
// in the view; a pixel cut by the edge counts.
QRect ShownPixels(QPoint shown, QSize view, double ratio, QSize picture);

} // namespace tetrafot
