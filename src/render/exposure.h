#pragma once
#include <QImage>

namespace tetrafot {

// The tests of the exposure overlay; a mode outside 0..2 tests nothing.
bool IsUnderExposed(int mode, int r, int g, int b);
bool IsOverExposed(int mode, int r, int g, int b);

// Paints the working copy in place: pixels that pass the under test in
// underColour, pixels whose own colours pass the over test in overColour.
// Colours are 0x00BBGGRR. An Indexed8 picture (a greyscale photo) becomes
// RGB888 so that both colours show; other formats keep theirs. Throws
// UserError when there is no memory for the colour copy.
void PaintExposure(QImage& image, int underMode, int overMode, int underColour, int overColour);

// The exposure indicator: a disc `diameter` pixels across, transparent
// around it, filled with `fill` (the over colour) inside a one-pixel rim of
// `rim` (the under colour). Drawn without antialiasing, so that every pixel
// is exactly one of the two colours: a pixel belongs to the disc when its
// centre does, and to the rim when a side neighbour does not.
QImage IndicatorDisc(int diameter, QRgb fill, QRgb rim);

} // namespace tetrafot
