#include "render/orientation.h"

#include "exifbuilder.h"

#include <gtest/gtest.h>

namespace {

// The pixels row by row as the letters a.. they were drawn with, rows
// joined by '/'.
std::string Letters(const QImage& image)
{
    std::string text;
    for (int y = 0; y < image.height(); ++y) {
        if (y > 0)
            text += '/';
        for (int x = 0; x < image.width(); ++x)
            text += char('a' + qRed(image.pixel(x, y)) / 40);
    }
    return text;
}

// Stored "abc/def"; each turned by hand as a viewer holding the print would.
TEST(Orientation, TurnsEachValueUprightInBothPictureFormats)
{
    QImage stored(3, 2, QImage::Format_Indexed8);
    for (int i = 0; i < 6; ++i)
        stored.setColor(i, qRgb(i * 40, i * 40, i * 40));
    for (int i = 0; i < 6; ++i)
        stored.setPixel(i % 3, i / 3, uint(i));
    const char* expected[] = {"abc/def", "abc/def", "cba/fed", "fed/cba", "def/abc",
                              "ad/be/cf", "da/eb/fc", "fc/eb/da", "cf/be/ad", "abc/def"};
    for (const QImage& picture : {stored, stored.convertToFormat(QImage::Format_RGB888)}) {
        for (int orientation = 0; orientation <= 9; ++orientation) {
            SCOPED_TRACE(testing::Message() << "orientation " << orientation << ", format " << picture.format());
            const QImage upright = Upright(picture, orientation);
            EXPECT_EQ(Letters(upright), expected[orientation]);
            EXPECT_EQ(upright.format(), picture.format());
            EXPECT_EQ(upright.size(), UprightSize(picture.size(), orientation));
        }
    }
}

TEST(Orientation, ReadFromIfd0OfEitherByteOrder)
{
    using namespace exif;
    auto jpeg = [](ExifBuilder b) { return MiniJpeg({Segment(0xE1, b.Payload())}); };
    for (ExifOrder order : {ExifOrder::Intel, ExifOrder::Motorola})
        for (std::uint16_t value = 0; value <= 9; ++value)
            EXPECT_EQ(ReadOrientation(jpeg(ExifBuilder(order).Add(ExifDir::Ifd0, Short(0x0112, {value})))),
                      value >= 1 && value <= 8 ? value : 1) << value;
    // The thumbnail's own value does not count over the photo's.
    EXPECT_EQ(ReadOrientation(jpeg(ExifBuilder()
                                       .Add(ExifDir::Ifd0, Short(0x0112, {3}))
                                       .Add(ExifDir::Ifd1, Short(0x0112, {6})))), 3);
    EXPECT_EQ(ReadOrientation(MiniJpeg({})), 1);
    EXPECT_EQ(ReadOrientation(QByteArray("not a JPEG")), 1);
}

} // namespace
