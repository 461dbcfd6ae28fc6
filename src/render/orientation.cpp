#include "render/orientation.h"

#include "metadata/exiftags.h"
#include "metadata/phmetadata.h"

#include <QTransform>

#include <string>
#include <string_view>

namespace tetrafot {

namespace {

constexpr int TagOrientation = 0x0112;

} // namespace

int ReadOrientation(const QByteArray& jpegBytes)
{
    // The reader reads only the Exif segment of the bytes and lists IFD0
    // before the thumbnail's directory, so the first entry found is the photo's.
    return OrientationOf(TImageMetadata::FromBytes(std::string_view(jpegBytes.constData(), size_t(jpegBytes.size()))));
}

int OrientationOf(const TImageMetadata& exif)
{
    if (exif.ErrorCode != ExifStatus::Ok)
        return 1;
    const TEXIFTag* record = FindTag(TagOrientation);
    for (const TTagItem& item : exif.Tags) {
        if (item.tag != TagOrientation)
            continue;
        // The value comes as the dictionary's meaning text ("Landscape
        // (Right Top)" for 6): find the number it stands for.
        for (int value = 1; value <= 8; ++value)
            if (item.text == ApplyMeaning(*record, std::to_string(value)))
                return value;
        return 1;
    }
    return 1;
}

QImage Upright(const QImage& stored, int orientation)
{
    // Quarter turns of QTransform take QImage's fast rotation paths; the
    // angle turns clockwise on the screen, whose y axis points down.
    switch (orientation) {
    case 2: return stored.mirrored(true, false);
    case 3: return stored.mirrored(true, true);
    case 4: return stored.mirrored(false, true);
    case 5: return stored.transformed(QTransform().rotate(90)).mirrored(true, false);
    case 6: return stored.transformed(QTransform().rotate(90));
    case 7: return stored.transformed(QTransform().rotate(90)).mirrored(false, true);
    case 8: return stored.transformed(QTransform().rotate(270));
    default: return stored;
    }
}

} // namespace tetrafot
