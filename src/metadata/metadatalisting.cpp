#include "metadata/metadatalisting.h"

#include "metadata/phmetadata.h"

namespace tetrafot {

namespace {

// The caption field that an item of this name fills, if any.
std::string* BasicField(TBasicExif& basic, std::string_view name)
{
    if (name == "Model") return &basic.Model;
    if (name == "Date & Time") return &basic.DateTime;
    if (name == "ISO Speed Ratings") return &basic.ISO;
    if (name == "Shutter Speed Value") return &basic.ShutterSpeed;
    if (name == "Aperture Value") return &basic.Aperture;
    if (name == "Exposure Bias Value") return &basic.ExposureBias;
    if (name == "Focal Length (mm)") return &basic.FocalLength;
    if (name == "User Comment") return &basic.UserComment;
    if (name == "Color Space") return &basic.ColorSpace;
    return nullptr;
}

} // namespace

MetadataListing ListMetadata(const std::string& fileName)
{
    return ListMetadata(TImageMetadata(fileName));
}

MetadataListing ListMetadata(const TImageMetadata& reader)
{
    MetadataListing listing;
    listing.status = reader.ErrorCode;
    if (reader.ErrorCode != ExifStatus::Ok)
        return listing;
    for (const TTagItem& item : reader.Tags) {
        const TEXIFTag* record = FindTag(item.tag);
        if (!record)
            continue; // the reader lists known tags only
        // The maker note is read but is no text a person could use.
        if (record->Name != "Maker Note")
            listing.lines.push_back(std::string(record->Name) + ":\t" + item.text);
        // A later item of the same name wins (IFD1 over IFD0).
        if (std::string* field = BasicField(listing.basic, record->Name))
            *field = item.text;
    }
    if (reader.TagsCut)
        listing.lines.push_back("\xE2\x80\xA6"); // …: entries were left unread
    return listing;
}

} // namespace tetrafot
