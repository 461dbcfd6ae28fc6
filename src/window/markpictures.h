#pragma once
#include <QPixmap>

// The small pictures the window draws itself, at the sizes of the design.
QPixmap MarkPicture(int code);        // 22 x 22: digits 0..9, 10 = the V check
QPixmap RawMarkPicture();             // 26 x 15: "RAW" in a frame
QPixmap ReadOnlyMarkPicture();        // 26 x 15: a key in a frame
QPixmap PinMarkPicture();             // 22 x 22: a pushpin
QPixmap ToolbarPicture(int index);    // 22 x 22, the toolbar's image list
QPixmap ExitPicture();                // 22 x 22
