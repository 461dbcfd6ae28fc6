// The difference of two photos at one scale, on small photos made by hand.
#include "render/difference.h"

#include <QColor>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tetrafot;

namespace {

QImage Filled(QSize size, QRgb colour, QImage::Format format = QImage::Format_RGB888)
{
    QImage image(size, QImage::Format_RGB888);
    image.fill(QColor::fromRgb(colour));
    return image.convertToFormat(format);
}

struct Pixel {
    QPoint at;       // in the difference image
    QRgb expected;
};

struct DifferenceCase {
    const char* what;
    QImage photo;
    QImage reference;
    QRect rect;
    int gain;
    QRect computed;
    bool sizesDiffer;
    QSize common;
    std::vector<Pixel> pixels;
};

QImage With(QImage image, QPoint at, QRgb colour)
{
    image.setPixel(at, colour);
    return image;
}

TEST(DifferenceTest, PixelsOfHandMadePhotos)
{
    const QRgb grey = qRgb(100, 100, 100);
    const QImage photo = Filled({4, 3}, grey);
    const DifferenceCase cases[] = {
        {"equal photos are black", photo, photo, {0, 0, 4, 3}, 8, {0, 0, 4, 3}, false, {4, 3},
         {{{0, 0}, qRgb(0, 0, 0)}, {{3, 2}, qRgb(0, 0, 0)}}},
        {"one channel off by 3 shows 3 times the gain", photo, With(photo, {1, 1}, qRgb(103, 100, 97)),
         {0, 0, 4, 3}, 8, {0, 0, 4, 3}, false, {4, 3},
         {{{1, 1}, qRgb(24, 0, 24)}, {{0, 1}, qRgb(0, 0, 0)}}},
        {"a large difference is clamped to 255", photo, With(photo, {2, 0}, qRgb(0, 140, 100)),
         {0, 0, 4, 3}, 8, {0, 0, 4, 3}, false, {4, 3}, {{{2, 0}, qRgb(255, 255, 0)}}},
        {"whichever photo is the brighter", With(photo, {0, 0}, qRgb(110, 90, 100)), photo,
         {0, 0, 4, 3}, 2, {0, 0, 4, 3}, false, {4, 3}, {{{0, 0}, qRgb(20, 20, 0)}}},
        {"only the rect asked for, its pixels from its top left", photo, With(photo, {3, 2}, qRgb(101, 100, 100)),
         {2, 1, 2, 2}, 8, {2, 1, 2, 2}, false, {4, 3}, {{{1, 1}, qRgb(8, 0, 0)}, {{0, 0}, qRgb(0, 0, 0)}}},
        {"a rect reaching out of the photo is cut to it", photo, photo, {2, 2, 10, 10}, 8, {2, 2, 2, 1}, false,
         {4, 3}, {{{1, 0}, qRgb(0, 0, 0)}}},
        {"a smaller reference: the common top-left area, the rest not compared", photo,
         With(Filled({2, 2}, grey), {1, 1}, qRgb(100, 101, 100)), {0, 0, 4, 3}, 8, {0, 0, 4, 3}, true, {2, 2},
         {{{1, 1}, qRgb(0, 8, 0)}, {{0, 0}, qRgb(0, 0, 0)}, {{2, 0}, NotCompared}, {{0, 2}, NotCompared}}},
        {"a larger reference: the photo's own area, all compared", photo, Filled({6, 6}, qRgb(100, 100, 101)),
         {0, 0, 4, 3}, 8, {0, 0, 4, 3}, true, {4, 3}, {{{3, 2}, qRgb(0, 0, 8)}}},
        {"a rect wholly outside the common area", photo, Filled({2, 2}, grey), {3, 0, 1, 3}, 8, {3, 0, 1, 3}, true,
         {2, 2}, {{{0, 0}, NotCompared}, {{0, 2}, NotCompared}}},
        {"a grey photo against a colour one", Filled({4, 3}, grey, QImage::Format_Grayscale8),
         With(photo, {1, 2}, qRgb(100, 100, 96)), {0, 0, 4, 3}, 8, {0, 0, 4, 3}, false, {4, 3},
         {{{1, 2}, qRgb(0, 0, 32)}, {{2, 2}, qRgb(0, 0, 0)}}},
        {"an RGB32 photo, converted only where asked", Filled({4, 3}, grey, QImage::Format_RGB32),
         With(photo, {3, 0}, qRgb(99, 100, 100)), {3, 0, 1, 1}, 8, {3, 0, 1, 1}, false, {4, 3},
         {{{0, 0}, qRgb(8, 0, 0)}}},
    };
    for (const DifferenceCase& c : cases) {
        const PhotoDifference d = Difference(c.photo, c.reference, c.rect, c.gain);
        EXPECT_EQ(d.rect, c.computed) << c.what;
        EXPECT_EQ(d.image.size(), c.computed.size()) << c.what;
        EXPECT_EQ(d.sizesDiffer, c.sizesDiffer) << c.what;
        EXPECT_EQ(d.common, c.common) << c.what;
        for (const Pixel& p : c.pixels)
            EXPECT_EQ(QColor(d.image.pixel(p.at)).name().toStdString(), QColor(p.expected).name().toStdString())
                << c.what << " at " << p.at.x() << "," << p.at.y();
    }
}

TEST(DifferenceTest, ARectOutsideThePhotoComputesNothing)
{
    const QImage photo = Filled({4, 3}, qRgb(1, 2, 3));
    const PhotoDifference d = Difference(photo, photo, {10, 10, 5, 5});
    EXPECT_TRUE(d.rect.isEmpty());
    EXPECT_TRUE(d.image.isNull());
}

} // namespace
