#include "render/caption.h"
#include <string_view>

namespace tetrafot {

namespace {

// Replaces every occurrence left to right; the scan resumes after the text
// put in, so a pass never sees its own insertions.
void ReplaceAll(std::string& s, std::string_view from, std::string_view to)
{
    std::string out;
    size_t start = 0;
    for (size_t hit = s.find(from); hit != std::string::npos; hit = s.find(from, start)) {
        out.append(s, start, hit - start);
        out.append(to);
        start = hit + from.size();
    }
    if (start == 0)
        return;
    out.append(s, start, std::string::npos);
    s = std::move(out);
}

}  // namespace

std::string ExpandCaption(const std::string& templ, const TBasicExif& exif)
{
    const std::pair<std::string_view, const std::string*> fields[] = {
        {"%m", &exif.Model},        {"%d", &exif.DateTime},     {"%i", &exif.ISO},
        {"%s", &exif.ShutterSpeed}, {"%a", &exif.Aperture},     {"%b", &exif.ExposureBias},
        {"%f", &exif.FocalLength},  {"%c", &exif.UserComment},  {"%p", &exif.ColorSpace},
    };
    std::string s = templ;
    for (const auto& [placeholder, text] : fields)
        ReplaceAll(s, placeholder, *text);
    ReplaceAll(s, "%%", "%");
    return s;
}

} // namespace tetrafot
