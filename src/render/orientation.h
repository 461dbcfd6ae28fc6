#pragma once
#include <QByteArray>
#include <QImage>
#include <QSize>

namespace tetrafot {

// The Exif Orientation values say how the camera stored the picture. An
// upright letter F is stored like this under each value:
//
//     1        2       3      4         5            6           7          8
//
//   888888  888888      88  88      8888888888  88                  88  8888888888
//   88          88      88  88      88  88      88  88          88  88      88  88
//   8888      8888    8888  8888    88          8888888888  8888888888          88
//   88          88      88  88
//   88          88  888888  888888
//
// To show it upright: 1 as stored, 2 mirror left to right, 3 turn half
// round, 4 mirror top to bottom, 5 transpose (mirror about the main
// diagonal), 6 turn a quarter clockwise, 7 transverse (mirror about the
// other diagonal), 8 turn a quarter anticlockwise. Other values count as 1.

// The Orientation in the Exif block of a JPEG file held in memory: the
// photo's (IFD0), or where that has none the thumbnail's, which cameras
// store the same way; 1 when there is none or it is outside 1..8.
int ReadOrientation(const QByteArray& jpegBytes);
// The same from an Exif reading already made (a RAW file's TIFF structure).
class TImageMetadata;
int OrientationOf(const TImageMetadata& exif);

// Whether the value swaps width and height (5 to 8).
inline bool SwapsSides(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}
inline QSize UprightSize(QSize stored, int orientation)
{
    return SwapsSides(orientation) ? stored.transposed() : stored;
}

// The picture as it is meant to be seen. Keeps the format (and an Indexed8
// picture's palette); returns the image itself for 1 and unknown values.
// A null result means there was no memory for the turned copy.
QImage Upright(const QImage& stored, int orientation);

} // namespace tetrafot
