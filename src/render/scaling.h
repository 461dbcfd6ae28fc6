#pragma once
#include <QRect>
#include <QSize>
#include <QList>

namespace tetrafot {

// Scale codes as the settings file holds them; 3 and 4 are not in order.
enum ScaleCode { Scale1to1 = 1, Scale1to2 = 2, Scale1to8 = 3, Scale1to4 = 4, ScaleFit = 5 };

int DecoderScale(int code);   // denominator 1, 2, 8, 4 for codes 1..4
// The fixed scale code that decodes at this denominator (1:1 for any other).
int FixedScaleOfDenom(int denom);
int ZoomInStep(int code);     // numpad +
int ZoomOutStep(int code);    // numpad -
int NormaliseScaleCode(int code);  // outside 1..5 counts as 1

// Fit: the decoder denominator for a photo of full size w x h: 2 when either
// side exceeds maxSize, else 1.
int FitDecoderDenom(QSize fullSize, int maxSize);

// The fitted size of a picture in a box (outer size), ratio computed in
// extended precision and products truncated; never larger than the box.
QSize FitSize(QSize picture, QSize box);

// Centred placement of an area of the given size in the box: left/top are
// (box - area) div 2 where the box is larger, else 0.
QRect PlaceInBox(QSize area, QSize box);

// The part of a picture laid out at its own size (as PlaceInBox places it)
// that a box scrolled to `scroll` shows, the scroll position brought into
// the picture's range first.
QRect VisiblePart(QSize picture, QSize box, QPoint scroll);

// Widgets are placed in logical pixels, photos are drawn in device pixels:
// a logical pixel is `ratio` device pixels (2 on a screen scaled to 200 %,
// 1.5 at 150 %). DevicePixels is the whole device pixels a widget of that
// logical size covers; LogicalSize the smallest widget that holds that many
// device pixels. DevicePixels(LogicalSize(s, r), r) is never less than s.
QSize DevicePixels(QSize logical, double ratio);
QSize LogicalSize(QSize device, double ratio);

// Numpad +/- on a fitted pane: the smallest fixed scale whose picture is at
// least as large as the fitted one (1:1 at most), or the largest fixed scale
// whose picture is smaller (1:8 at least).
int ZoomInFromFit(QSize fullSize, QSize fittedArea);
int ZoomOutFromFit(QSize fullSize, QSize fittedArea);
// The scale code numpad + (in) or - goes to from `code` (0 for a pane
// never loaded: nothing), where fitted the picture is `shown` device pixels
// and the photo `fullSize` at 1:1 (empty for a picture without fixed
// scales); 0 when there is nothing to go to.
int ZoomStepCode(int code, QSize fullSize, QSize shown, bool in);

// Where a window stored at `window` goes: there when at least a corner of it
// (64 x 64 pixels) lies on one of the screens, else at the primary screen's
// top left, so that a settings file written on a larger desktop never puts
// the window where it can get no keys.
QPoint KeepOnScreen(QRect window, const QList<QRect>& screens, QRect primary);

} // namespace tetrafot
