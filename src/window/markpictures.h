#pragma once
#include <QIcon>
#include <QPixmap>

namespace tetrafot {

// The pictures of render/markdrawing as the window shows them (see there
// for sizes and `ratio`).
QPixmap MarkPicture(int code, double ratio = 1);
QPixmap RawMarkPicture(double ratio = 1);
QPixmap ReadOnlyMarkPicture(double ratio = 1);
QPixmap PinMarkPicture(double ratio = 1);
// Drawn at whatever size and scale the button asks for.
QIcon ToolbarIcon(int index);    // 22 x 22, the toolbar's image list
QIcon ExitIcon();                // 22 x 22

} // namespace tetrafot
