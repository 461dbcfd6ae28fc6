#pragma once
#include <QImage>

namespace tetrafot {

// A made-up photograph for the sample folder: a brick facade with windows,
// ivy and flower boxes, in daylight with a cast shadow. It has detail at
// every place and scale (mortar lines, brick grain, leaves, window frames),
// so that each corner shown at 1:1 is worth checking for sharpness, and a
// few areas that the exposure overlay marks: sun glare on glass and bright
// flowers (channels at 255), dark rooms behind open windows (channels at 0).
// The seed varies the bricks, colours, window layout, ivy and light; the
// same arguments always give the same pixels. `harsh` overexposes the sunlit
// part and crushes the shadow, for a photo with large clipped areas.
QImage MakeSampleScene(int width, int height, unsigned seed, bool harsh = false);

} // namespace tetrafot
