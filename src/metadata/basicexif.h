#pragma once
#include <string>

namespace tetrafot {

// The nine caption fields of a pane, in placeholder order, as the metadata
// listing reads them from a photo's Exif.
struct TBasicExif {
    std::string Model, DateTime, ISO, ShutterSpeed, Aperture, ExposureBias,
        FocalLength, UserComment, ColorSpace;
};

} // namespace tetrafot
