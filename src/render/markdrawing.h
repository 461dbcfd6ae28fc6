#pragma once
#include <QImage>

class QPainter;

namespace tetrafot {

// The small pictures the program draws itself, at the sizes of the design in
// logical pixels. They are drawn, not stored, so that they are as sharp on a
// screen scaled to 150 % or 200 % as on a plain one: `ratio` is the screen's
// device pixels per logical pixel, and the image has that many more pixels
// and says so (its device pixel ratio). The digits need the fonts of a
// running QGuiApplication.
QImage MarkImage(int code, double ratio = 1);   // 22 x 22: digits 0..9, 10 = the V check
QImage RawMarkImage(double ratio = 1);          // 26 x 15: "RAW" in a frame
QImage ReadOnlyMarkImage(double ratio = 1);     // 26 x 15: a key in a frame
QImage PinMarkImage(double ratio = 1);          // 22 x 22: a pushpin

// The toolbar's pictures and the exit cross, painted in a 22 x 22 box of
// the painter's units (a button's icon scales the painter to its size).
void PaintToolbarPicture(QPainter& p, int index);
void PaintExitPicture(QPainter& p);

} // namespace tetrafot
