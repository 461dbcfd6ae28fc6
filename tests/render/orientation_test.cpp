#include "render/orientation.h"

#include "exifbuilder.h"

#include <gtest/gtest.h>

using namespace tetrafot;

namespace {

using namespace exif;

// Stored "abc/def" (letters by grey level), each value turned by hand as a
// viewer holding the print would; 0 and 9 are no orientation.
TEST(Orientation, TurnsEachValueUprightInBothPictureFormats)
{
    QImage stored(3, 2, QImage::Format_Indexed8);
    for (int i = 0; i < 6; ++i) {
        stored.setColor(i, qRgb(i * 40, i * 40, i * 40));
        stored.setPixel(i % 3, i / 3, uint(i));
    }
    const char* expected[] = {"abc/def/", "abc/def/", "cba/fed/", "fed/cba/", "def/abc/",
                              "ad/be/cf/", "da/eb/fc/", "fc/eb/da/", "cf/be/ad/", "abc/def/"};
    for (const QImage& picture : {stored, stored.convertToFormat(QImage::Format_RGB888)})
        for (int value = 0; value <= 9; ++value) {
            const QImage upright = Upright(picture, value);
            std::string letters;
            for (int y = 0; y < upright.height(); ++y)
                for (int x = 0; x <= upright.width(); ++x)
                    letters += x < upright.width() ? char('a' + qRed(upright.pixel(x, y)) / 40) : '/';
            EXPECT_EQ(letters, expected[value]) << value << " in format " << picture.format();
            EXPECT_EQ(upright.format(), picture.format()) << value;
            EXPECT_EQ(upright.size(), UprightSize(picture.size(), value)) << value;
        }
}

TEST(Orientation, ReadFromTheExifBlockInEitherByteOrder)
{
    auto jpeg = [](const ExifBuilder& b) { return MiniJpeg({Segment(0xE1, b.Payload())}); };
    for (ExifOrder order : {ExifOrder::Intel, ExifOrder::Motorola})
        for (std::uint16_t value = 0; value <= 9; ++value)
            EXPECT_EQ(ReadOrientation(jpeg(ExifBuilder(order).Add(ExifDir::Ifd0, Short(0x0112, {value})))),
                      value >= 1 && value <= 8 ? value : 1) << value;
    // The thumbnail's value counts only where the photo has none.
    const ExifEntry three = Short(0x0112, {3}), six = Short(0x0112, {6});
    EXPECT_EQ(ReadOrientation(jpeg(ExifBuilder().Add(ExifDir::Ifd0, three).Add(ExifDir::Ifd1, six))), 3);
    EXPECT_EQ(ReadOrientation(jpeg(ExifBuilder().Add(ExifDir::Ifd1, six))), 6);
    EXPECT_EQ(ReadOrientation(MiniJpeg({})), 1);
    EXPECT_EQ(ReadOrientation(QByteArray("not a JPEG")), 1);
}

} // namespace
