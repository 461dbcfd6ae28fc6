#pragma once
#include <string>

// The nine caption fields of a pane, in placeholder order.
struct TBasicExif {
    std::string Model, DateTime, ISO, ShutterSpeed, Aperture, ExposureBias,
        FocalLength, UserComment, ColorSpace;
};

// %m %d %i %s %a %b %f %c %p in this order, then %% -> %.
std::string ExpandCaption(const std::string& templ, const TBasicExif& exif);
