#pragma once
#include "metadata/basicexif.h"

#include <string>

namespace tetrafot {

// %m %d %i %s %a %b %f %c %p in this order, then %% -> %.
std::string ExpandCaption(const std::string& templ, const TBasicExif& exif);

} // namespace tetrafot
