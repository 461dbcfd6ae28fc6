#pragma once
#include <QImage>

// The tests of the exposure overlay; a mode outside 0..2 tests nothing.
bool IsUnderExposed(int mode, int r, int g, int b);
bool IsOverExposed(int mode, int r, int g, int b);

// Paints the working copy in place: pixels that pass the under test in
// underColour, pixels whose own colours pass the over test in overColour.
// Colours are 0x00BBGGRR. RGB888 and Indexed8 (grey palette; painted in the
// nearest palette colour) are supported.
void PaintExposure(QImage& image, int underMode, int overMode, int underColour, int overColour);
