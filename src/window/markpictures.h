#pragma once
#include <QIcon>
#include <QPixmap>

// The small pictures the window draws itself, at the sizes of the design in
// logical pixels. `ratio` is the screen's device pixels per logical pixel:
// the pixmap has that many more pixels and says so, so it stays sharp.
QPixmap MarkPicture(int code, double ratio = 1);   // 22 x 22: digits 0..9, 10 = the V check
QPixmap RawMarkPicture(double ratio = 1);          // 26 x 15: "RAW" in a frame
QPixmap ReadOnlyMarkPicture(double ratio = 1);     // 26 x 15: a key in a frame
QPixmap PinMarkPicture(double ratio = 1);          // 22 x 22: a pushpin
// Drawn at whatever size and scale the button asks for.
QIcon ToolbarIcon(int index);    // 22 x 22, the toolbar's image list
QIcon ExitIcon();                // 22 x 22
