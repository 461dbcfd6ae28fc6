// The drawn mark pictures: their device size on screens of every scale the
// program meets, and eleven marks that a glance tells apart.
#include "render/markdrawing.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

using namespace tetrafot;

namespace {

// The digits need fonts, and fonts a QGuiApplication; the offscreen
// platform gives one without a display. It stays for the rest of the run.
void NeedFonts()
{
    if (QGuiApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "core_tests";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}

struct SizeRow {
    double ratio;
    QSize mark, raw;   // device pixels of the 22 x 22 and the 26 x 15 pictures
};

// A size that falls between device pixels is rounded up, so the picture is
// never cut: 15 x 1.5 = 22.5 -> 23, 26 x 1.25 = 32.5 -> 33.
constexpr SizeRow kSizes[] = {
    {1.0, {22, 22}, {26, 15}},
    {1.25, {28, 28}, {33, 19}},
    {1.5, {33, 33}, {39, 23}},
    {2.0, {44, 44}, {52, 30}},
};

TEST(MarkDrawingTest, PicturesHaveTheScreensDevicePixels)
{
    NeedFonts();
    for (const SizeRow& row : kSizes) {
        SCOPED_TRACE(row.ratio);
        for (const QImage& image : {MarkImage(3, row.ratio), MarkImage(10, row.ratio), PinMarkImage(row.ratio)}) {
            EXPECT_EQ(image.size(), row.mark);
            EXPECT_EQ(image.devicePixelRatio(), row.ratio);
        }
        for (const QImage& image : {RawMarkImage(row.ratio), ReadOnlyMarkImage(row.ratio)}) {
            EXPECT_EQ(image.size(), row.raw);
            EXPECT_EQ(image.devicePixelRatio(), row.ratio);
        }
    }
}

TEST(MarkDrawingTest, ElevenMarksAreElevenPictures)
{
    NeedFonts();
    for (double ratio : {1.0, 2.0})
        for (int a = 0; a <= 10; ++a)
            for (int b = a + 1; b <= 10; ++b)
                EXPECT_NE(MarkImage(a, ratio), MarkImage(b, ratio)) << a << " and " << b << " at " << ratio;
    // Outside the rounded frame the picture is transparent, so the pane shows through.
    EXPECT_EQ(qAlpha(MarkImage(4).pixel(0, 0)), 0);
}

} // namespace
