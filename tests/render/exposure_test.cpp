#include "render/exposure.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QList>

#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace tetrafot;

namespace {

struct TestRow {
    int mode, r, g, b;
    bool under, over;
};

// Worked by hand from the three measures; mode 2 compares the square root of
// r^2+g^2+b^2 with 3 (strictly below) and 438 (strictly above).
constexpr TestRow kTests[] = {
    // mode 0: pure black / pure white only
    {0, 0, 0, 0, true, false},
    {0, 255, 255, 255, false, true},
    {0, 1, 0, 0, false, false},
    {0, 255, 255, 254, false, false},
    {0, 255, 0, 0, false, false},
    // mode 1: any component at 0 / at 255
    {1, 255, 0, 0, true, true},       // pure red is both
    {1, 0, 128, 128, true, false},
    {1, 128, 128, 255, false, true},
    {1, 1, 1, 1, false, false},
    {1, 254, 254, 254, false, false},
    // mode 2
    {2, 1, 2, 2, false, false},       // sum 9, root exactly 3: not under
    {2, 1, 1, 2, true, false},        // sum 6
    {2, 2, 2, 0, true, false},        // sum 8
    {2, 0, 0, 0, true, false},
    {2, 3, 0, 0, false, false},
    {2, 255, 255, 249, false, true},  // sum 192051
    {2, 255, 250, 250, false, false}, // sum 190025
    {2, 255, 255, 248, false, false}, // sum 191554
    {2, 255, 255, 255, false, true},
    {2, 438, 0, 0, false, false},     // sum exactly 191844: root exactly 438
    {2, 438, 1, 0, false, true},      // sum 191845
    // any other mode tests nothing
    {7, 0, 0, 0, false, false},
    {7, 255, 255, 255, false, false},
    {-1, 0, 0, 0, false, false},
    {3, 255, 0, 0, false, false},
};

TEST(ExposureTests, Table)
{
    for (const TestRow& t : kTests) {
        SCOPED_TRACE(testing::Message() << "mode " << t.mode << " (" << t.r << "," << t.g << "," << t.b << ")");
        EXPECT_EQ(IsUnderExposed(t.mode, t.r, t.g, t.b), t.under);
        EXPECT_EQ(IsOverExposed(t.mode, t.r, t.g, t.b), t.over);
    }
}

constexpr int kWhite = 0xFFFFFF;
constexpr int kBlack = 0;
constexpr int kRed = 0x0000FF;    // 0x00BBGGRR: red in the low byte
constexpr int kBlue = 0xFF0000;

QImage RgbImage(const std::vector<QColor>& pixels, int width)
{
    const int height = static_cast<int>(pixels.size()) / width;
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(Qt::darkCyan);
    for (int i = 0; i < static_cast<int>(pixels.size()); ++i)
        image.setPixelColor(i % width, i / width, pixels[i]);
    return image;
}

::testing::AssertionResult PixelIs(const QImage& image, int x, int y, QColor expected)
{
    const QColor got = image.pixelColor(x, y);
    if (got == expected)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel " << x << "," << y << " is (" << got.red() << "," << got.green()
                                         << "," << got.blue() << "), expected (" << expected.red() << ","
                                         << expected.green() << "," << expected.blue() << ")";
}

TEST(PaintExposure, DefaultsPaintBlackWhiteAndWhiteBlack)
{
    // Defaults: under mode 2 in white, over mode 1 in black. The over test
    // looks at the photo's own colours, so a black pixel painted white by the
    // under pass stays white.
    QImage image = RgbImage({QColor(0, 0, 0), QColor(255, 255, 255), QColor(255, 0, 0), QColor(128, 128, 128),
                             QColor(1, 1, 2), QColor(1, 2, 2)},
                            3);
    PaintExposure(image, 2, 1, kWhite, kBlack);
    EXPECT_TRUE(PixelIs(image, 0, 0, QColor(255, 255, 255)));
    EXPECT_TRUE(PixelIs(image, 1, 0, QColor(0, 0, 0)));
    EXPECT_TRUE(PixelIs(image, 2, 0, QColor(0, 0, 0)));
    EXPECT_TRUE(PixelIs(image, 0, 1, QColor(128, 128, 128)));
    EXPECT_TRUE(PixelIs(image, 1, 1, QColor(255, 255, 255)));
    EXPECT_TRUE(PixelIs(image, 2, 1, QColor(1, 2, 2)));
}

TEST(PaintExposure, ColoursAreBgrIntegers)
{
    QImage image = RgbImage({QColor(0, 0, 0), QColor(255, 255, 255)}, 2);
    PaintExposure(image, 0, 0, kRed, kBlue);
    EXPECT_TRUE(PixelIs(image, 0, 0, QColor(255, 0, 0)));
    EXPECT_TRUE(PixelIs(image, 1, 0, QColor(0, 0, 255)));
}

TEST(PaintExposure, PixelBothUnderAndOverTakesTheOverColour)
{
    // Mode 1 pure red is under- and over-exposed: the over pass comes last.
    QImage image = RgbImage({QColor(255, 0, 0), QColor(0, 10, 10), QColor(10, 255, 10)}, 3);
    PaintExposure(image, 1, 1, kRed, kBlue);
    EXPECT_TRUE(PixelIs(image, 0, 0, QColor(0, 0, 255)));
    EXPECT_TRUE(PixelIs(image, 1, 0, QColor(255, 0, 0)));
    EXPECT_TRUE(PixelIs(image, 2, 0, QColor(0, 0, 255)));
}

TEST(PaintExposure, UnknownUnderModePaintsNothingButOverPassRuns)
{
    QImage image = RgbImage({QColor(0, 0, 0), QColor(255, 255, 255), QColor(0, 200, 255)}, 3);
    PaintExposure(image, 7, 1, kRed, kBlue);
    EXPECT_TRUE(PixelIs(image, 0, 0, QColor(0, 0, 0)));
    EXPECT_TRUE(PixelIs(image, 1, 0, QColor(0, 0, 255)));
    EXPECT_TRUE(PixelIs(image, 2, 0, QColor(0, 0, 255)));

    QImage both = RgbImage({QColor(0, 0, 0), QColor(255, 255, 255)}, 2);
    const QImage before = both.copy();
    PaintExposure(both, 7, -2, kRed, kBlue);
    EXPECT_EQ(both, before);
}

TEST(PaintExposure, OverTestSeesOriginalColours)
{
    // Under colour white would pass every over test; the black pixels it
    // paints must not be painted again in the over colour.
    for (int overMode = 0; overMode <= 2; ++overMode) {
        SCOPED_TRACE(overMode);
        QImage image = RgbImage({QColor(0, 0, 0), QColor(255, 255, 255)}, 2);
        PaintExposure(image, 0, overMode, kWhite, kBlue);
        EXPECT_TRUE(PixelIs(image, 0, 0, QColor(255, 255, 255)));
        EXPECT_TRUE(PixelIs(image, 1, 0, QColor(0, 0, 255)));
    }
}

// The painting must agree with the per-pixel tests for every pair of modes,
// on rows whose width leaves padding at the end of each scan line.
class PaintMatchesTests : public testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(PaintMatchesTests, RandomPixelsNearTheLimits)
{
    const auto [underMode, overMode] = GetParam();
    const int levels[] = {0, 1, 2, 3, 4, 60, 128, 200, 248, 249, 250, 254, 255};
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> pick(0, 12);
    QImage original(37, 23, QImage::Format_RGB888);
    for (int y = 0; y < original.height(); ++y)
        for (int x = 0; x < original.width(); ++x)
            original.setPixelColor(x, y, QColor(levels[pick(rng)], levels[pick(rng)], levels[pick(rng)]));
    QImage painted = original.copy();
    PaintExposure(painted, underMode, overMode, kRed, kBlue);
    for (int y = 0; y < original.height(); ++y) {
        for (int x = 0; x < original.width(); ++x) {
            const QColor c = original.pixelColor(x, y);
            QColor expected = c;
            if (IsOverExposed(overMode, c.red(), c.green(), c.blue()))
                expected = QColor(0, 0, 255);
            else if (IsUnderExposed(underMode, c.red(), c.green(), c.blue()))
                expected = QColor(255, 0, 0);
            ASSERT_TRUE(PixelIs(painted, x, y, expected));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllModes, PaintMatchesTests,
                         testing::Combine(testing::Values(0, 1, 2, 7), testing::Values(0, 1, 2, 7)));

QImage GreyImage(const std::vector<int>& levels)
{
    QImage image(static_cast<int>(levels.size()), 1, QImage::Format_Indexed8);
    QList<QRgb> palette(256);
    for (int i = 0; i < 256; ++i)
        palette[i] = qRgb(i, i, i);
    image.setColorTable(palette);
    for (int x = 0; x < static_cast<int>(levels.size()); ++x)
        image.setPixel(x, 0, static_cast<uint>(levels[x]));
    return image;
}

// A greyscale photo's copy turns RGB888, so that the two signal colours stay
// apart (in its grey palette both red and green would be grey 85).
TEST(PaintExposure, GreyPictureShowsBothColoursExactly)
{
    const int kGreen = 0x00FF00;
    QImage image = GreyImage({0, 1, 2, 128, 254, 255});
    PaintExposure(image, 2, 1, kGreen, kRed);
    ASSERT_EQ(image.format(), QImage::Format_RGB888);
    const QColor expected[] = {QColor(0, 255, 0), QColor(0, 255, 0), QColor(2, 2, 2),
                               QColor(128, 128, 128), QColor(254, 254, 254), QColor(255, 0, 0)};
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(image.pixelColor(x, 0), expected[x]) << "pixel " << x;
}

// The 17-pixel indicator, worked out with the pixel centres on a circle of
// radius 8.5: '.' transparent, 'o' the over colour, 'u' the under colour.
TEST(IndicatorDisc, FillIsTheOverColourInsideAOnePixelRimOfTheUnderColour)
{
    const QImage disc = IndicatorDisc(17, qRgb(255, 0, 0), qRgb(255, 255, 255));
    ASSERT_EQ(disc.size(), QSize(17, 17));
    const std::vector<std::pair<int, std::string>> rows = {
        {0, "......uuuuu......"},
        {1, "....uuooooouu...."},
        {2, "..uuooooooooouu.."},
        {8, "uooooooooooooooou"},
        {16, "......uuuuu......"},
    };
    for (const auto& [y, row] : rows) {
        std::string seen;
        for (int x = 0; x < 17; ++x) {
            const QRgb p = disc.pixel(x, y);
            seen += p == qRgb(255, 0, 0) ? 'o' : p == qRgb(255, 255, 255) ? 'u' : qAlpha(p) == 0 ? '.' : '?';
        }
        EXPECT_EQ(seen, row) << "row " << y;
    }
}

TEST(PaintExposure, OtherPixelFormatsKeepTheirFormat)
{
    QImage image(2, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(0, 0, 0));
    image.setPixel(1, 0, qRgb(255, 255, 255));
    PaintExposure(image, 0, 0, kRed, kBlue);
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(1, 0), qRgb(0, 0, 255));
}

TEST(PaintExposure, PaintsTheCopyNotTheSharedOriginal)
{
    const QImage original = RgbImage({QColor(0, 0, 0)}, 1);
    QImage copy = original;
    PaintExposure(copy, 0, 0, kRed, kBlue);
    EXPECT_TRUE(PixelIs(original, 0, 0, QColor(0, 0, 0)));
    EXPECT_TRUE(PixelIs(copy, 0, 0, QColor(255, 0, 0)));
}

} // namespace
